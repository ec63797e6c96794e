// Entry point: opens the window, registers the callbacks and hands over to GLUT's main loop.
#include "shell/Camera.h"
#include "shell/FramePacer.h"
#include "shell/GameController.h"
#include "shell/InputState.h"

#include <GL/glut.h>
#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <thread>

namespace {

// While waiting for the next frame, sleep in short slices so that input is still handled.
constexpr auto kIdleSlice = std::chrono::milliseconds(1);

FramePacer pacer;

void onReshape(int width, int height) {
    Camera::instance().reshape(width, height);
}
void onDisplay() {
    GameController::instance().display();
}
void onDrag(int x, int y) {
    InputState::instance().onDrag(x, y);
}
void onHover(int x, int y) {
    InputState::instance().onHover(x, y);
}
void onMouseButton(int button, int state, int x, int y) {
    InputState::instance().onMouseButton(button, state, x, y);
}

// Asks for the next frame once it is due, and gives the processor back until then.
void onIdle() {
    const auto wait = pacer.poll(FramePacer::Clock::now());
    if (wait == FramePacer::Clock::duration::zero()) {
        glutPostRedisplay();
    } else {
        std::this_thread::sleep_for(std::min<FramePacer::Clock::duration>(wait, kIdleSlice));
    }
}

// The keyboard has no effect on the game: one handler for ordinary and special keys alike.
template <typename Key>
void ignoreKey(Key, int, int) {}

} // namespace

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(Camera::kWindowWidth, Camera::kWindowHeight);
    glutCreateWindow(Camera::kWindowTitle);
    glutPositionWindow(Camera::kWindowX, Camera::kWindowY);

    glutReshapeFunc(onReshape);
    glutDisplayFunc(onDisplay);
    glutIdleFunc(onIdle);
    glutMotionFunc(onDrag);
    glutPassiveMotionFunc(onHover);
    glutMouseFunc(onMouseButton);
    glutKeyboardFunc(ignoreKey<unsigned char>);
    glutKeyboardUpFunc(ignoreKey<unsigned char>);
    glutSpecialFunc(ignoreKey<int>);
    glutSpecialUpFunc(ignoreKey<int>);
    glutIgnoreKeyRepeat(1);

    // A font that cannot be built ends start-up with its message, before the main loop runs.
    try {
        GameController::instance().init();
    } catch (const std::runtime_error& error) {
        std::fprintf(stderr, "emberdash: %s\n", error.what());
        return 1;
    }
    glutMainLoop();
    return 0;
}
