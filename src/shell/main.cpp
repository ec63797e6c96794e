// Entry point: reads the command line, finds the data, opens the window, registers the callbacks
// and hands over to GLUT's main loop.
#include "platform/Platform.h"
#include "render/PicturePreloader.h"
#include "render/ScoreBoard.h"
#include "shell/Camera.h"
#include "shell/DataFolder.h"
#include "shell/GameController.h"
#include "shell/MainLoop.h"

#include <GL/glut.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

namespace {

// The usage, with the platform's own parts filled in.
std::string usage() {
    const PlatformHelp platform = platformHelp();
    return std::string("Usage: emberdash [--help] [--version]") + platform.options +
           "\n"
           "\n"
           "Emberdash: steer a fire across a floor whose tiles heat under it and burn away.\n"
           "Click twice to start; hold the left button and move the mouse to steer. Keep off the\n"
           "holes, touch the amber fuel for points and the icy arrows to cool the floor.\n"
           "\n"
           "Environment:\n"
           "  EMBERDASH_DATA   folder that holds images/, fonts/ and audio/, tried first\n" +
           platform.environment;
}

enum class Request { Play, Help, Version, Unknown };

// The game's own options start with two dashes; GLUT's (-display, -geometry...) with one, and
// those are left for glutInit.
Request readCommandLine(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            return Request::Help;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            return Request::Version;
        }
        if (std::strncmp(argv[i], "--", 2) == 0) {
            std::fprintf(stderr, "emberdash: unknown option %s\n", argv[i]);
            return Request::Unknown;
        }
    }
    return Request::Play;
}

// GLUT ends the process itself when it cannot open the display or has no GL; whichever way
// start-up ends, the picture and glyph workers are waited for, not cut off mid-decode.
void waitForStartUpWorkers() {
    PicturePreloader::instance().finish();
    ScoreBoard::finishPreparingFont();
}

} // namespace

int main(int argc, char** argv) {
    connectToConsole();
    switch (readCommandLine(argc, argv)) {
    case Request::Help:
        std::fputs(usage().c_str(), stdout);
        return 0;
    case Request::Version:
        std::printf("emberdash %s\n", EMBERDASH_VERSION);
        return 0;
    case Request::Unknown:
        std::fputs(usage().c_str(), stderr);
        return 2;
    case Request::Play:
        break;
    }
    std::string missing;
    if (!enterDataFolder(missing)) {
        reportStartUpFailure(missing);
        return 1;
    }

    // Decoding the pictures and rendering the glyphs need no window: they run while GLUT and
    // the GL driver start.
    std::atexit(waitForStartUpWorkers);
    PicturePreloader::instance().start(GameController::picturePaths());
    ScoreBoard::prepareFont();

    watchGameWindow();
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(Camera::kWindowWidth, Camera::kWindowHeight);
    glutCreateWindow(Camera::kWindowTitle);
    // A window destroyed while it was being created ends the game as a close would.
    if (gameWindowLost()) {
        return 0;
    }
    glutPositionWindow(Camera::kWindowX, Camera::kWindowY);
    registerCallbacks();

    // A font that cannot be built ends start-up with its message, before the main loop runs, and
    // so does anything else start-up cannot get past.
    try {
        GameController::instance().init();
    } catch (const std::exception& error) {
        reportStartUpFailure(error.what());
        return 1;
    }
    glutMainLoop();
    return 0;
}
