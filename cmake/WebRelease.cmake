# In a web page: the game as emberdash.js and emberdash.wasm, its data packed beside them in
# emberdash.data, and a page of the game's own that loads them, all by relative paths, packed as
# a zip with the page at its root, to be served as it is by any web server.
set(EMBERDASH_HOST_DATA_DIR "" CACHE PATH
    "A Linux build folder that holds the generated images/, audio/ and fonts/")
if(NOT EXISTS "${EMBERDASH_HOST_DATA_DIR}/fonts/rabiohead.ttf")
    message(FATAL_ERROR "EMBERDASH_HOST_DATA_DIR must name a Linux build folder with the game's data")
endif()
set(EMBERDASH_DATA_DIR ${EMBERDASH_HOST_DATA_DIR})
# The data is ready-made: nothing to generate here.
add_custom_target(emberdash_data)
set(library_record ${EMBERDASH_LIBRARY_PREFIX}/share/emberdash)

# The data goes into the page's file system at its root, where the game starts.
set(data ${EMBERDASH_DATA_DIR})
file(GLOB_RECURSE packed_data ${data}/images/* ${data}/audio/*)
list(APPEND packed_data ${data}/fonts/rabiohead.ttf)
set_target_properties(emberdash PROPERTIES SUFFIX .js LINK_DEPENDS "${packed_data}")
# The page starts the game at the player's first click: the browser allows sound from then on.
target_link_options(emberdash PRIVATE -sENVIRONMENT=web -sINVOKE_RUN=0
    -sEXPORTED_RUNTIME_METHODS=callMain
    "SHELL:--preload-file ${data}/images@/images" "SHELL:--preload-file ${data}/audio@/audio"
    "SHELL:--preload-file ${data}/fonts/rabiohead.ttf@/fonts/rabiohead.ttf")

configure_file(packaging/web/index.html ${CMAKE_CURRENT_BINARY_DIR}/index.html @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/emberdash.js ${CMAKE_CURRENT_BINARY_DIR}/emberdash.wasm
    ${CMAKE_CURRENT_BINARY_DIR}/emberdash.data ${CMAKE_CURRENT_BINARY_DIR}/index.html
    DESTINATION .)
install(FILES ${data}/icons/emberdash.png DESTINATION . RENAME favicon.png)
install(FILES LICENSE DESTINATION . RENAME LICENSE.txt)
# Every library linked in, with the source version it was built from, and its licence.
install(FILES ${library_record}/library-versions.txt DESTINATION licenses)
install(DIRECTORY ${library_record}/licenses/ DESTINATION licenses)
install(FILES ${data}/fonts/rabiohead-LICENSE.txt DESTINATION licenses
    RENAME font-league-spartan.txt)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME emberdash)
set(CPACK_PACKAGE_VENDOR "The Emberdash developers")
set(CPACK_PACKAGE_FILE_NAME emberdash-${PROJECT_VERSION}-web)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
