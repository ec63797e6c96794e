// The mouse: maps the pointer onto the play plane, advances the screens on presses and sets the
// fire's target. It never moves the fire itself.
#pragma once

#include <cstdint>

class InputState {
  public:
    static InputState& instance();

    // GLUT handlers.
    void onMouseButton(int button, int state, int x, int y);
    void onDrag(int x, int y);
    void onHover(int x, int y);

    // Maps a window pixel (origin top-left, y down) onto the plane, clamped to the window.
    void mapToWorld(double x, double y);

    float worldX() const { return worldX_; }
    float worldY() const { return worldY_; }

  private:
    InputState();
    void aimFire() const;

    static constexpr int kButtonCount = 3; // left, middle, right

    float worldX_ = 0.0f;
    float worldY_ = 0.0f;
    std::int16_t buttonState_[kButtonCount];
};
