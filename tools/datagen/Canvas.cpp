// Canvas painting, compositing and PNG output.
#include "Canvas.h"

#include "OutputFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <png.h>
#include <stdexcept>

Color rgb(float r, float g, float b, float a) {
    return {r, g, b, a};
}

Color hex(unsigned value, float a) {
    return {float((value >> 16) & 0xff) / 255.0f, float((value >> 8) & 0xff) / 255.0f,
            float(value & 0xff) / 255.0f, a};
}

Color mix(Color from, Color to, float t) {
    return {from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t,
            from.b + (to.b - from.b) * t, from.a + (to.a - from.a) * t};
}

Color withAlpha(Color c, float a) {
    return {c.r, c.g, c.b, a};
}

Color over(Color top, Color bottom) {
    const float a = top.a + bottom.a * (1 - top.a);
    if (a <= 0) {
        return {};
    }
    auto channel = [&](float t, float b) { return (t * top.a + b * bottom.a * (1 - top.a)) / a; };
    return {channel(top.r, bottom.r), channel(top.g, bottom.g), channel(top.b, bottom.b), a};
}

float clamp01(float v) {
    return std::clamp(v, 0.0f, 1.0f);
}

float smoothstep(float edge0, float edge1, float x) {
    const float t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

Canvas::Canvas(int width, int height, Color fill)
    : width_(width), height_(height), pixels_(std::size_t(width) * height, fill) {}

Color Canvas::sample(float x, float y) const {
    x = std::clamp(x - 0.5f, 0.0f, float(width_ - 1));
    y = std::clamp(y - 0.5f, 0.0f, float(height_ - 1));
    const int x0 = int(x), y0 = int(y);
    const int x1 = std::min(x0 + 1, width_ - 1), y1 = std::min(y0 + 1, height_ - 1);
    const float fx = x - x0, fy = y - y0;
    // Interpolate premultiplied, so that transparent texels lend no colour.
    auto pre = [](Color c) { return Color{c.r * c.a, c.g * c.a, c.b * c.a, c.a}; };
    const Color top = mix(pre(at(x0, y0)), pre(at(x1, y0)), fx);
    const Color bottom = mix(pre(at(x0, y1)), pre(at(x1, y1)), fx);
    const Color c = mix(top, bottom, fy);
    return c.a > 0 ? Color{c.r / c.a, c.g / c.a, c.b / c.a, c.a} : Color{};
}

void Canvas::draw(const Canvas& picture, float x, float y, float w, float h) {
    const int x0 = std::max(0, int(std::floor(x))), x1 = std::min(width_, int(std::ceil(x + w)));
    const int y0 = std::max(0, int(std::floor(y))), y1 = std::min(height_, int(std::ceil(y + h)));
    for (int py = y0; py < y1; ++py) {
        for (int px = x0; px < x1; ++px) {
            const float u = (px + 0.5f - x) / w, v = (py + 0.5f - y) / h;
            if (u < 0 || u > 1 || v < 0 || v > 1) {
                continue;
            }
            at(px, py) =
                over(picture.sample(u * picture.width(), v * picture.height()), at(px, py));
        }
    }
}

void Canvas::savePng(const std::string& path, bool withAlpha) const {
    const int channels = withAlpha ? 4 : 3;
    std::vector<png_byte> bytes(std::size_t(width_) * height_ * channels);
    for (std::size_t i = 0; i < pixels_.size(); ++i) {
        const Color c = withAlpha ? pixels_[i] : over(pixels_[i], rgb(0, 0, 0));
        const float values[4] = {c.r, c.g, c.b, c.a};
        for (int k = 0; k < channels; ++k) {
            bytes[i * channels + k] = png_byte(std::lround(clamp01(values[k]) * 255.0f));
        }
    }
    OutputFile file(path);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    // libpng reports a failed write by jumping here; the file's destructor then removes it.
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("cannot encode " + path);
    }
    png_init_io(png, file.stream());
    png_set_IHDR(png, info, png_uint_32(width_), png_uint_32(height_), 8,
                 withAlpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    for (int y = 0; y < height_; ++y) {
        png_write_row(png, &bytes[std::size_t(y) * width_ * channels]);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    file.close();
}
