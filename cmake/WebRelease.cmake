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

configure_file(packaging/web/index.html ${CMAKE_CURRENT_BINARY_DIR}/index.html @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/emberdash.js ${CMAKE_CURRENT_BINARY_DIR}/emberdash.wasm
    ${CMAKE_CURRENT_BINARY_DIR}/emberdash.data ${CMAKE_CURRENT_BINARY_DIR}/index.html
    DESTINATION .)
install(FILES ${data}/icons/emberdash.png DESTINATION . RENAME favicon.png)
emberdash_install_licences()

emberdash_zip(web)
# The page at the zip's root, where web game hosts look for it.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
