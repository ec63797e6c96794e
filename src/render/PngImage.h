// PNG decoding into 8-bit RGB or RGBA pixels, and the resampling that turns any picture into
// power-of-two textures. Nothing here touches GL.
#pragma once

#include <cstdint>
#include <vector>

struct PngImage {
    int width = 0;
    int height = 0;
    // 3 (RGB) for a picture without transparency, 4 (RGBA) for one with an alpha channel or
    // transparent palette entries.
    int channels = 0;
    // Rows from the top of the picture down, each width * channels bytes, with no padding.
    std::vector<std::uint8_t> pixels;
};

// Files declaring more than this on a side are refused before any pixel memory is taken.
constexpr int kMaxPngSide = 8192;

// Decodes the file at path. Returns false, leaving image empty, for a file that is missing,
// truncated, corrupt, not a PNG or too large.
bool decodePngFile(const char* path, PngImage& image);
// The same for a PNG held in memory.
bool decodePngMemory(const std::uint8_t* data, std::size_t size, PngImage& image);

// The smallest power of two not below n (1 for n of 1 or less).
int nextPowerOfTwo(int n);

// Bilinear resampling to width by height, edges clamped.
PngImage resampleImage(const PngImage& source, int width, int height);

// Whether the picture's sides are already what a texture takes: powers of two, none above maxSide.
bool hasTextureSides(const PngImage& image, int maxSide);
// The picture as a texture takes it: sides brought to powers of two, none above maxSide. It is
// resampled only when a side changes.
PngImage powerOfTwoImage(PngImage image, int maxSide);
