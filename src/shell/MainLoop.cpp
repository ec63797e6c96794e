// Callbacks and frame pacing.
#include "shell/MainLoop.h"

#include "platform/Platform.h"
#include "shell/Camera.h"
#include "shell/GameController.h"
#include "shell/InputState.h"

#include <GL/glut.h>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// How often the frame clock ticks while a still screen stands: about once a frame.
constexpr unsigned kStillTickMs = 16;

// Frames are asked for while the platform's frame turns run. When a still screen's picture is up
// the turns stop, so that GLUT sleeps until an event comes, and a timer ticks the clock instead.
// Each such wait has its own number, so that a timer left over from an earlier wait does nothing.
bool drawing = true;
int stillWait = 0;

void onTurn();

// A window destroyed from outside ends the game as closing it does. Drawing into it does not
// always raise an error (some GL drivers swallow it), so the window is asked after. Any other
// error of the window system ends the game as a failure, here rather than inside the call that
// met it.
void endIfWindowLost() {
    if (gameWindowLost()) {
        std::exit(0);
    }
    const std::string failure = windowSystemFailure();
    if (!failure.empty()) {
        std::fprintf(stderr, "emberdash: %s\n", failure.c_str());
        std::exit(1);
    }
}

void onStillTick(int wait) {
    if (drawing || wait != stillWait) {
        return;
    }
    endIfWindowLost();
    // The clock goes on as if frames were drawn, so that the first frame after the wait is
    // measured from a moment ago, not from when the picture went up.
    GameController& game = GameController::instance();
    game.tick();
    if (game.wantsFrame()) {
        wakeFrames();
    } else {
        glutTimerFunc(kStillTickMs, onStillTick, wait);
    }
}

void waitForChange() {
    drawing = false;
    stopFrames();
    glutTimerFunc(kStillTickMs, onStillTick, ++stillWait);
}

// Asks for the next frame once it is due.
void onTurn() {
    if (!GameController::instance().wantsFrame()) {
        waitForChange();
        return;
    }
    if (nextFrameDue()) {
        endIfWindowLost();
        glutPostRedisplay();
    }
}

// A reshape clears the window; an expose is answered by GLUT with a display call of its own.
void onReshape(int width, int height) {
    Camera::instance().reshape(width, height);
    GameController::instance().invalidate();
    wakeFrames();
}
void onDisplay() {
    GameController::instance().display();
}
void onDrag(int x, int y) {
    pointerNow(x, y);
    InputState::instance().onDrag(x, y);
}
void onHover(int x, int y) {
    pointerNow(x, y);
    InputState::instance().onHover(x, y);
}
// A press may change the screen: draw it at once rather than at the next tick.
void onMouseButton(int button, int state, int x, int y) {
    InputState::instance().onMouseButton(button, state, x, y);
    if (GameController::instance().wantsFrame()) {
        wakeFrames();
    }
}

// The keyboard has no effect on the game: one handler for ordinary and special keys alike.
template <typename Key>
void ignoreKey(Key, int, int) {}

} // namespace

void registerCallbacks() {
    glutReshapeFunc(onReshape);
    glutDisplayFunc(onDisplay);
    startFrames(onTurn);
    glutMotionFunc(onDrag);
    glutPassiveMotionFunc(onHover);
    glutMouseFunc(onMouseButton);
    glutKeyboardFunc(ignoreKey<unsigned char>);
    glutKeyboardUpFunc(ignoreKey<unsigned char>);
    glutSpecialFunc(ignoreKey<int>);
    glutSpecialUpFunc(ignoreKey<int>);
    glutIgnoreKeyRepeat(1);
}

void wakeFrames() {
    if (!drawing) {
        drawing = true;
        startFrames(onTurn);
    }
}
