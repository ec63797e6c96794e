// Type set into coverage masks with FreeType, and the blur that turns a mask into a glow.
#pragma once

#include "Canvas.h"

#include <string>
#include <vector>

// A coverage mask in [0, 1], with the baseline's position inside it.
struct Mask {
    int width = 0;
    int height = 0;
    int baseline = 0; // rows from the top of the mask to the baseline
    std::vector<float> values;
    float at(int x, int y) const {
        return x < 0 || y < 0 || x >= width || y >= height ? 0.0f
                                                           : values[std::size_t(y) * width + x];
    }
};

class Typeface {
  public:
    explicit Typeface(const std::string& path);
    ~Typeface();
    Typeface(const Typeface&) = delete;
    Typeface& operator=(const Typeface&) = delete;

    // The text set on one line at a pixel height, with margin pixels of space on every side.
    Mask render(const std::string& text, int pixelHeight, int margin = 0) const;

  private:
    struct Handles;
    void release();
    Handles* handles_;
};

// A Gaussian-like blur of a mask (three box passes each way).
Mask blur(const Mask& mask, int radius);

enum class Align { Left, Centre };

// Composites the mask over the canvas with paint(x, y, coverage) giving the colour to lay at
// each pixel; the mask's baseline lands on baselineY and its left edge (or centre) on x.
template <typename Paint>
void drawMask(Canvas& canvas, const Mask& mask, float x, float baselineY, Align align,
              Paint paint) {
    const int left = int(align == Align::Centre ? x - mask.width / 2.0f : x);
    const int top = int(baselineY) - mask.baseline;
    for (int my = 0; my < mask.height; ++my) {
        for (int mx = 0; mx < mask.width; ++mx) {
            const float c = mask.at(mx, my);
            const int px = left + mx, py = top + my;
            if (c <= 0 || px < 0 || py < 0 || px >= canvas.width() || py >= canvas.height()) {
                continue;
            }
            Color colour = paint(float(px), float(py), c);
            canvas.at(px, py) = over(colour, canvas.at(px, py));
        }
    }
}
