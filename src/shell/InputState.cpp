// Mouse input: pointer mapping, screen changes and steering.
#include "shell/InputState.h"

#include "shell/Camera.h"
#include "shell/GameState.h"
#include "world/Fire.h"

#include <GL/glut.h>

namespace {

constexpr int kLeftButton = GLUT_LEFT_BUTTON;

} // namespace

InputState& InputState::instance() {
    static InputState* input = new InputState();
    return *input;
}

InputState::InputState() {
    for (std::int16_t& state : buttonState_) {
        state = GLUT_UP;
    }
}

void InputState::onMouseButton(int button, int state, int /*x*/, int /*y*/) {
    // Wheel turns arrive as buttons 3 and up; they are not buttons the game knows.
    if (button < 0 || button >= kButtonCount) {
        return;
    }
    buttonState_[button] = std::int16_t(state);

    if (state == GLUT_DOWN && gameState != GameState::Playing) {
        if (gameState == GameState::Title) {
            gameState = GameState::Instructions;
        } else if (gameState == GameState::Instructions) {
            gameState = GameState::Playing;
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        }
        return;
    }
    // The target is where the pointer was last tracked, not this event's own position; so the
    // release of the click that starts play sends the fire toward the pointer.
    aimFire();
}

void InputState::onDrag(int x, int y) {
    mapToWorld(x, y);
    if (buttonState_[kLeftButton] == GLUT_DOWN) {
        aimFire();
    }
}

void InputState::onHover(int x, int y) {
    mapToWorld(x, y);
}

void InputState::mapToWorld(double x, double y) {
    const Camera& camera = Camera::instance();
    const int width = camera.width();
    const int height = camera.height();

    // GLUT goes on reporting positions outside the window while a button is held.
    if (x < 0) {
        x = 0;
    } else if (x > width) {
        x = width;
    }
    if (y < 0) {
        y = 0;
    } else if (y > height) {
        y = height;
    }

    const float sx = float(x - width / 2);
    const float sy = float(y - height / 2);
    // One scale for both axes, so that pixels are square on the plane.
    const double k = 1.0 / (height / 2);
    const double halfHeight = camera.viewHalfHeight();
    worldX_ = float(halfHeight * (sx * k) - camera.offsetX());
    worldY_ = float(halfHeight * -(sy * k) - camera.offsetY());
}

void InputState::aimFire() const {
    fire.setTargetX(worldX_);
    fire.setTargetY(worldY_);
}
