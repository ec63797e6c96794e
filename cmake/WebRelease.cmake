# In a web page: the game as emberdash.js and emberdash.wasm, its data packed beside them in
# emberdash.data, and a page of the game's own that loads them, all by relative paths, packed as
# a zip with the page at its root, to be served as it is by any web server.
include(cmake/CrossRelease.cmake)

# The data goes into the page's file system at its root, where the game starts.
set(data ${EMBERDASH_DATA_DIR})
file(GLOB_RECURSE packed_data ${data}/images/* ${data}/audio/*)
list(APPEND packed_data ${data}/fonts/rabiohead.ttf)
set_target_properties(emberdash PROPERTIES SUFFIX .js LINK_DEPENDS "${packed_data}")
# The page starts the game at the player's first click: the browser allows sound from then on.
# Each SHELL: option is split as a shell splits it: the data's path, which may hold a space, is
# quoted.
target_link_options(emberdash PRIVATE -sENVIRONMENT=web -sINVOKE_RUN=0
    -sEXPORTED_RUNTIME_METHODS=callMain
    "SHELL:--preload-file \"${data}/images@/images\""
    "SHELL:--preload-file \"${data}/audio@/audio\""
    "SHELL:--preload-file \"${data}/fonts/rabiohead.ttf@/fonts/rabiohead.ttf\"")

# The page, installable: its manifest and the game's icon at the sizes that asks for, beside the
# page.
set(out ${CMAKE_CURRENT_BINARY_DIR})
configure_file(${data}/icons/emberdash.png ${out}/favicon.png COPYONLY)
configure_file(${data}/icons/emberdash-192.png ${out}/icon-192.png COPYONLY)
configure_file(${data}/icons/emberdash-512.png ${out}/icon-512.png COPYONLY)
configure_file(packaging/web/manifest.webmanifest ${out}/manifest.webmanifest COPYONLY)
# The page and its service worker name the release: they are written once the game is built.
set(page_files emberdash.js emberdash.wasm emberdash.data favicon.png manifest.webmanifest
    icon-192.png icon-512.png)
add_custom_command(OUTPUT ${out}/index.html ${out}/sw.js
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${PROJECT_SOURCE_DIR}/packaging/web -DOUTPUT=${out}
        -DVERSION=${PROJECT_VERSION} "-DFILES=${page_files}" -P ${PROJECT_SOURCE_DIR}/cmake/WebPage.cmake
    DEPENDS emberdash ${PROJECT_SOURCE_DIR}/cmake/WebPage.cmake packaging/web/index.html
        packaging/web/sw.js ${out}/favicon.png ${out}/icon-192.png ${out}/icon-512.png
        ${out}/manifest.webmanifest
    COMMENT "Writing the web page and its service worker for this release"
    VERBATIM)
add_custom_target(emberdash_web_page ALL DEPENDS ${out}/index.html ${out}/sw.js)
list(TRANSFORM page_files PREPEND ${out}/)
install(FILES ${page_files} ${out}/index.html ${out}/sw.js DESTINATION .)
emberdash_install_licences()

emberdash_zip(web)
# The page at the zip's root, where web game hosts look for it.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
