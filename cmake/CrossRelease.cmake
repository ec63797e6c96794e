# What the Windows and web releases share: they are built on Linux for another system, from the
# data that a Linux build's own generator made, against libraries that scripts/libraries built
# into EMBERDASH_LIBRARY_PREFIX, and each ships as a zip.
include(cmake/HostData.cmake)

# The game's licence, and every library linked in with the source version it was built from and
# its licence, the font's among them.
function(emberdash_install_licences)
    set(record ${EMBERDASH_LIBRARY_PREFIX}/share/emberdash)
    install(FILES LICENSE DESTINATION . RENAME LICENSE.txt)
    install(FILES ${record}/library-versions.txt DESTINATION licenses)
    install(DIRECTORY ${record}/licenses/ DESTINATION licenses)
    install(FILES ${EMBERDASH_DATA_DIR}/fonts/rabiohead-LICENSE.txt DESTINATION licenses
        RENAME font-league-spartan.txt)
endfunction()

# The zip, named emberdash-<version>-<system>.
macro(emberdash_zip system)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_NAME emberdash)
    set(CPACK_PACKAGE_VENDOR "The Emberdash developers")
    set(CPACK_PACKAGE_FILE_NAME emberdash-${PROJECT_VERSION}-${system})
endmacro()
