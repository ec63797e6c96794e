# On Windows: a program for the desktop, with no console of its own, beside the data that the
# build machine's own generator made, packed as a zip that a player unpacks anywhere.
include(cmake/CrossRelease.cmake)

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
configure_file(packaging/windows/README.txt.in ${CMAKE_CURRENT_BINARY_DIR}/README.txt @ONLY
    NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README.txt DESTINATION .)
emberdash_install_licences()

emberdash_zip(windows-x64)
set(CPACK_STRIP_FILES ON)
include(CPack)
