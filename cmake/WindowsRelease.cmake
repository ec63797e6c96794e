# On Windows: a program for the desktop, with no console of its own, beside the data that the
# build machine's own generator made, packed as a zip that a player unpacks anywhere.
set(EMBERDASH_HOST_DATA_DIR "" CACHE PATH
    "A Linux build folder that holds the generated images/, audio/ and fonts/")
if(NOT EXISTS "${EMBERDASH_HOST_DATA_DIR}/fonts/rabiohead.ttf")
    message(FATAL_ERROR "EMBERDASH_HOST_DATA_DIR must name a Linux build folder with the game's data")
endif()
set(EMBERDASH_DATA_DIR ${EMBERDASH_HOST_DATA_DIR})
# The data is ready-made: nothing to generate here.
add_custom_target(emberdash_data)
set(library_record ${EMBERDASH_LIBRARY_PREFIX}/share/emberdash)

set_target_properties(emberdash PROPERTIES WIN32_EXECUTABLE ON)

# The game's icon in the program, for Explorer, the task bar and the window: freeglut gives its
# windows the icon resource named GLUT_ICON.
enable_language(RC)
set(icon ${CMAKE_CURRENT_BINARY_DIR}/emberdash.ico)
add_custom_command(OUTPUT ${icon}
    COMMAND ${PROJECT_SOURCE_DIR}/packaging/windows/make-icon ${EMBERDASH_DATA_DIR}/icons/emberdash.png
        ${icon}
    DEPENDS ${EMBERDASH_DATA_DIR}/icons/emberdash.png packaging/windows/make-icon
    COMMENT "Making the program's icon")
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/emberdash.rc "GLUT_ICON ICON \"${icon}\"\n")
target_sources(emberdash PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/emberdash.rc)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/emberdash.rc PROPERTIES
    OBJECT_DEPENDS ${icon})

install(TARGETS emberdash RUNTIME DESTINATION .)
install(DIRECTORY ${EMBERDASH_DATA_DIR}/images ${EMBERDASH_DATA_DIR}/audio DESTINATION .)
install(FILES ${EMBERDASH_DATA_DIR}/fonts/rabiohead.ttf DESTINATION fonts)
install(FILES LICENSE DESTINATION . RENAME LICENSE.txt)
configure_file(packaging/windows/README.txt.in ${CMAKE_CURRENT_BINARY_DIR}/README.txt @ONLY
    NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README.txt DESTINATION .)
# Every library linked in, with the source version it was built from, and its licence.
install(FILES ${library_record}/library-versions.txt DESTINATION licenses)
install(DIRECTORY ${library_record}/licenses/ DESTINATION licenses)
install(FILES ${EMBERDASH_DATA_DIR}/fonts/rabiohead-LICENSE.txt DESTINATION licenses
    RENAME font-league-spartan.txt)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME emberdash)
set(CPACK_PACKAGE_VENDOR "The Emberdash developers")
set(CPACK_PACKAGE_FILE_NAME emberdash-${PROJECT_VERSION}-windows-x64)
set(CPACK_STRIP_FILES ON)
include(CPack)
