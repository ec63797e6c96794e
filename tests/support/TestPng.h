// Writes real PNG files for tests, in the colour types the game must read.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct Rgba {
    std::uint8_t r, g, b, a;
    bool operator==(const Rgba&) const = default;
};

enum class PngKind {
    Rgb,
    Rgba,
    Gray,
    // An indexed picture; colours with alpha below 255 become transparent palette entries.
    Palette,
};

struct PngOptions {
    PngKind kind = PngKind::Rgba;
    bool sixteenBit = false; // only for Rgb and Rgba
    bool interlaced = false;
    int grayBits = 8; // 1, 2, 4 or 8, only for Gray
};

using PixelFunction = std::function<Rgba(int x, int y)>;

void writePng(const std::string& path, int width, int height, const PixelFunction& pixel,
              PngOptions options = {});

// A picture of one colour.
void writeSolidPng(const std::string& path, int width, int height, Rgba colour,
                   PngOptions options = {});

// The bytes of a PNG file whose header declares the given size and that holds no pixel data.
std::string pngHeaderOnly(std::uint32_t width, std::uint32_t height);
