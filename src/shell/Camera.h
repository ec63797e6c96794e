// The fixed camera: holds the window at 1024 by 768 and shows exactly x in [-50, 50],
// y in [0, 75] of the plane z = 0.
#pragma once

// A pixel of the window, counted as the window system counts: column from the left, row from
// the top.
struct WindowPixel {
    int x, y;
};

class Camera {
  public:
    static constexpr const char* kWindowTitle = "Emberdash - Korvath, Velmora";
    static constexpr int kWindowWidth = 1024;
    static constexpr int kWindowHeight = 768;
    // Where the window is placed on the screen.
    static constexpr int kWindowX = 100;
    static constexpr int kWindowY = 100;
    // The view is 100 units wide: 0.09765625 units a pixel.
    static constexpr double kUnitsPerPixel = 100.0 / kWindowWidth;

    // The window pixel whose area holds the world point (x, y) of the plane z = 0.
    static WindowPixel pixelOf(double x, double y);

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
