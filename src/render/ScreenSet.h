// The four full-window pictures: the play background and the title, instructions and game-over
// screens, each stretched over the rectangle of the plane that the camera shows.
#pragma once

#include "util/Math.h"

#include <optional>

class ScreenSet {
  public:
    // The pictures load builds, in its order: background, title, instructions, game over.
    static constexpr const char* kPicturePaths[4] = {
        "./images/background.png", "./images/titlescreen.png", "./images/instructions.png",
        "./images/gameover.png"};

    static ScreenSet& instance();

    // Builds the four sprite lists (needs a GL context).
    void load();
    // The rectangle every picture covers, its sides clockwise from the top.
    void setRect(double top, double right, double bottom, double left);

    // Blended where the picture has an alpha channel, so that its transparent pixels leave what
    // lies below. The window pixels inside covered, which what is drawn next covers with opaque
    // pictures, are left out.
    void drawBackground(const std::optional<PlaneRect>& covered = std::nullopt) const;
    // Opaque: each replaces every pixel of the window.
    void drawTitle() const;
    void drawInstructions() const;
    void drawGameOver() const;

  private:
    ScreenSet() = default;
    void place(int list) const;
    void drawOpaque(int list) const;

    double left_ = 0.0;
    double right_ = 0.0;
    double bottom_ = 0.0;
    double top_ = 0.0;
    int backgroundList_ = -1;
    int titleList_ = -1;
    int instructionsList_ = -1;
    int gameOverList_ = -1;
};
