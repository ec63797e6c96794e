// Floating-point RGBA pictures with straight alpha: painting, compositing and PNG output.
#pragma once

#include <string>
#include <vector>

struct Color {
    float r = 0, g = 0, b = 0, a = 0;
};

Color rgb(float r, float g, float b, float a = 1.0f);
// From 0xRRGGBB.
Color hex(unsigned value, float a = 1.0f);
Color mix(Color from, Color to, float t);
Color withAlpha(Color c, float a);
// Source-over compositing of straight-alpha colours.
Color over(Color top, Color bottom);

float clamp01(float v);
float smoothstep(float edge0, float edge1, float x);

class Canvas {
  public:
    Canvas(int width, int height, Color fill = {});

    int width() const { return width_; }
    int height() const { return height_; }
    Color& at(int x, int y) { return pixels_[std::size_t(y) * width_ + x]; }
    const Color& at(int x, int y) const { return pixels_[std::size_t(y) * width_ + x]; }

    // Composites paint(x, y), sampled at every pixel centre, over the picture.
    template <typename Paint>
    void paint(Paint paintAt) {
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                at(x, y) = over(paintAt(x + 0.5f, y + 0.5f), at(x, y));
            }
        }
    }

    // Draws another picture over this one, scaled into the box at (x, y) of size w by h.
    void draw(const Canvas& picture, float x, float y, float w, float h);
    // Bilinear sample at a position in pixels, edges clamped.
    Color sample(float x, float y) const;

    // Writes 8-bit RGBA, or RGB when withAlpha is false (the picture is then made opaque).
    void savePng(const std::string& path, bool withAlpha) const;

  private:
    int width_;
    int height_;
    std::vector<Color> pixels_;
};
