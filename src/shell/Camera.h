// The fixed camera: holds the window at 1024 by 768 and shows exactly x in [-50, 50],
// y in [0, 75] of the plane z = 0.
#pragma once

class Camera {
  public:
    static constexpr int kWindowWidth = 1024;
    static constexpr int kWindowHeight = 768;

    static Camera& instance();

    // GLUT reshape handler: any size but 1024 by 768 is refused by asking for it again.
    void reshape(int width, int height);
    // Replaces the modelview matrix by the fixed view transform.
    void apply() const;

    int width() const { return width_; }
    int height() const { return height_; }
    double offsetX() const { return offsetX_; }
    double offsetY() const { return offsetY_; }
    // Half the visible height at the plane z = 0: 37.5.
    double viewHalfHeight() const;

  private:
    Camera() = default;

    // Mouse events may come before the first reshape; they map as in the final window.
    int width_ = kWindowWidth;
    int height_ = kWindowHeight;
    double fieldOfView_ = 90.0;
    double offsetX_ = 0.0;
    double offsetY_ = -37.5;
    double offsetZ_ = -37.5;
};
