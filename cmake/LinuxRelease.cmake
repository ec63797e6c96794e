# On Linux: the data drawn and synthesised by the build's own generator, installed as Debian
# places games, and packaged as a .deb.
# The game reads its data by relative paths, so the build stages the data folders beside the
# executable and the game is started there.
set(font_folder /usr/share/fonts/opentype/league-spartan)
find_file(EMBERDASH_DISPLAY_FONT LeagueSpartan-Black.otf PATHS ${font_folder} NO_DEFAULT_PATH REQUIRED)
find_file(EMBERDASH_BODY_FONT LeagueSpartan-Bold.otf PATHS ${font_folder} NO_DEFAULT_PATH REQUIRED)
find_file(EMBERDASH_FONT_LICENSE copyright PATHS /usr/share/doc/fonts-league-spartan
    NO_DEFAULT_PATH REQUIRED)

if(CMAKE_CROSSCOMPILING)
    # Cross-built for another processor (cmake/aarch64-linux-gnu.cmake), with the data of a build
    # for this machine, as the Windows and web releases take it.
    include(cmake/HostData.cmake)
    # The data tests run the generator again: the one that made the data.
    set(EMBERDASH_DATAGEN ${EMBERDASH_HOST_DATA_DIR}/tools/emberdash-datagen)
else()
    add_subdirectory(tools)
    set(EMBERDASH_DATA_DIR ${CMAKE_CURRENT_BINARY_DIR})
    set(EMBERDASH_DATAGEN $<TARGET_FILE:emberdash-datagen>)
    set(generated_data
        images/tile.png images/black.png images/fireback.png images/firemiddle.png
        images/circle.png images/arrow.png images/diamond.png images/background.png
        images/titlescreen.png images/instructions.png images/gameover.png
        audio/fuel.wav audio/cooldown.wav audio/burnthrough.wav audio/blowout.wav
        audio/backgroundmusic.mp3 icons/emberdash.png icons/emberdash-192.png
        icons/emberdash-512.png)
    list(TRANSFORM generated_data PREPEND ${EMBERDASH_DATA_DIR}/)
    add_custom_command(OUTPUT ${generated_data}
        COMMAND emberdash-datagen ${EMBERDASH_DATA_DIR} ${EMBERDASH_DISPLAY_FONT} ${EMBERDASH_BODY_FONT}
        DEPENDS emberdash-datagen
        COMMENT "Drawing the pictures and synthesising the sounds")
    set(font_data ${EMBERDASH_DATA_DIR}/fonts/rabiohead.ttf ${EMBERDASH_DATA_DIR}/fonts/rabiohead-LICENSE.txt)
    add_custom_command(OUTPUT ${font_data}
        COMMAND ${CMAKE_COMMAND} -E copy ${EMBERDASH_BODY_FONT} ${EMBERDASH_DATA_DIR}/fonts/rabiohead.ttf
        COMMAND ${CMAKE_COMMAND} -E copy ${EMBERDASH_FONT_LICENSE}
            ${EMBERDASH_DATA_DIR}/fonts/rabiohead-LICENSE.txt
        DEPENDS ${EMBERDASH_BODY_FONT} ${EMBERDASH_FONT_LICENSE}
        COMMENT "Staging the font")
    add_custom_target(emberdash_data ALL DEPENDS ${generated_data} ${font_data})
    add_dependencies(emberdash emberdash_data)
endif()

# Installed as Debian places games: the executable in games/ and its data in share/games/. The
# game finds its data from its own place, so the installed tree can move as a whole.
include(GNUInstallDirs)
set(EMBERDASH_INSTALL_GAME_DIR games)
set(EMBERDASH_INSTALL_DATA_DIR ${CMAKE_INSTALL_DATAROOTDIR}/games/emberdash)
set(EMBERDASH_INSTALL_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/emberdash)
file(RELATIVE_PATH EMBERDASH_GAME_TO_DATA /${EMBERDASH_INSTALL_GAME_DIR} /${EMBERDASH_INSTALL_DATA_DIR})
set_property(SOURCE src/shell/DataFolder.cpp APPEND PROPERTY COMPILE_DEFINITIONS
    EMBERDASH_GAME_TO_DATA="${EMBERDASH_GAME_TO_DATA}")

# The manual page and the changelog go compressed, as Debian wants them.
configure_file(packaging/emberdash.6.in ${CMAKE_CURRENT_BINARY_DIR}/packaging/emberdash.6 @ONLY)
set(packaging_out ${CMAKE_CURRENT_BINARY_DIR}/packaging)
add_custom_command(OUTPUT ${packaging_out}/emberdash.6.gz ${packaging_out}/changelog.gz
    COMMAND gzip -9nc ${packaging_out}/emberdash.6 > ${packaging_out}/emberdash.6.gz
    COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/packaging/changelog > ${packaging_out}/changelog.gz
    DEPENDS ${packaging_out}/emberdash.6 packaging/changelog
    COMMENT "Compressing the manual page and the changelog")
add_custom_target(emberdash_docs ALL DEPENDS ${packaging_out}/emberdash.6.gz ${packaging_out}/changelog.gz)

set(app_id org.emberdash.Emberdash)
install(TARGETS emberdash RUNTIME DESTINATION ${EMBERDASH_INSTALL_GAME_DIR})
install(DIRECTORY ${EMBERDASH_DATA_DIR}/images ${EMBERDASH_DATA_DIR}/audio
    DESTINATION ${EMBERDASH_INSTALL_DATA_DIR})
# The font's licence is in the copyright file.
install(FILES ${EMBERDASH_DATA_DIR}/fonts/rabiohead.ttf DESTINATION ${EMBERDASH_INSTALL_DATA_DIR}/fonts)
install(FILES packaging/${app_id}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/${app_id}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${EMBERDASH_DATA_DIR}/icons/emberdash.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps RENAME ${app_id}.png)
install(FILES ${packaging_out}/emberdash.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES packaging/copyright ${packaging_out}/changelog.gz README.md
    DESTINATION ${EMBERDASH_INSTALL_DOC_DIR})
install(FILES packaging/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
    RENAME emberdash)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME emberdash)
set(CPACK_PACKAGE_VENDOR "The Emberdash developers")
set(CPACK_PACKAGE_CONTACT "The Emberdash developers <developers@emberdash.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "arcade game: steer a fire across a floor that burns away")
# CPack puts the summary before this as the synopsis line.
set(CPACK_PACKAGE_DESCRIPTION "Emberdash is a small single-player arcade game played with the mouse alone.
You steer a fire across a floor of 12 by 12 tiles. The tile under the fire
heats up, a tile left hot for too long burns through into a hole, and the run
ends as soon as the fire stands over a hole. Fuel orbs score points and
cooldown arrows cool the whole floor.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_STRIP_FILES ON)
# The shared libraries the game links become the package's dependencies; a GL driver is needed
# to draw at all.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "aarch64")
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1-mesa-dri")
include(CPack)
