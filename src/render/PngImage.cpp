// PNG decoding through libpng, and power-of-two resampling.
#include "render/PngImage.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <png.h>

namespace {

// Ancillary chunks (text, colour profiles) larger than this are refused.
constexpr png_alloc_size_t kMaxChunkBytes = 8u << 20;

struct MemorySource {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t offset;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t length) {
    auto* source = static_cast<MemorySource*>(png_get_io_ptr(png));
    if (length > source->size - source->offset) {
        png_error(png, "file ends early");
    }
    std::memcpy(out, source->data + source->offset, length);
    source->offset += length;
}

void readFromFile(png_structp png, png_bytep out, png_size_t length) {
    if (std::fread(out, 1, length, static_cast<FILE*>(png_get_io_ptr(png))) != length) {
        png_error(png, "file ends early");
    }
}

// Asks libpng for 8-bit RGB, or RGBA when the file carries any transparency.
void requestRgb(png_structp png, png_infop info) {
    const int colourType = png_get_color_type(png, info);
    png_set_strip_16(png);
    png_set_packing(png);
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        png_set_palette_to_rgb(png);
    }
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_expand_gray_1_2_4_to_8(png);
        png_set_gray_to_rgb(png);
    }
    if (png_get_valid(png, info, PNG_INFO_tRNS)) {
        png_set_tRNS_to_alpha(png);
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
}

// All libpng work happens here, under its long-jump error protocol: this frame holds nothing
// with a destructor, and the buffers it fills belong to the caller.
bool readPng(png_structp png, png_infop info, std::vector<std::uint8_t>& pixels,
             std::vector<png_bytep>& rows, PngImage& image) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_set_user_limits(png, kMaxPngSide, kMaxPngSide);
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
    png_read_info(png, info);
    requestRgb(png, info);

    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    const int channels = png_get_channels(png, info);
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    if (width == 0 || height == 0 || (channels != 3 && channels != 4) ||
        rowBytes != std::size_t(width) * channels ||
        height > std::numeric_limits<std::size_t>::max() / rowBytes) {
        return false;
    }
    pixels.resize(rowBytes * height);
    rows.resize(height);
    for (png_uint_32 row = 0; row < height; ++row) {
        rows[row] = pixels.data() + row * rowBytes;
    }
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);

    image.width = int(width);
    image.height = int(height);
    image.channels = channels;
    return true;
}

bool decode(png_rw_ptr reader, void* source, PngImage& image) {
    image = PngImage{};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    png_set_read_fn(png, source, reader);
    std::vector<std::uint8_t> pixels;
    std::vector<png_bytep> rows;
    const bool decoded = readPng(png, info, pixels, rows, image);
    png_destroy_read_struct(&png, &info, nullptr);
    if (!decoded) {
        image = PngImage{};
        return false;
    }
    image.pixels = std::move(pixels);
    return true;
}

} // namespace

bool decodePngFile(const char* path, PngImage& image) {
    image = PngImage{};
    FILE* file = std::fopen(path, "rb");
    if (!file) {
        return false;
    }
    const bool decoded = decode(readFromFile, file, image);
    std::fclose(file);
    return decoded;
}

bool decodePngMemory(const std::uint8_t* data, std::size_t size, PngImage& image) {
    MemorySource source{data, data ? size : 0, 0};
    return decode(readFromMemory, &source, image);
}

int nextPowerOfTwo(int n) {
    int power = 1;
    while (power < n) {
        power *= 2;
    }
    return power;
}

PngImage resampleImage(const PngImage& source, int width, int height) {
    PngImage target;
    target.width = width;
    target.height = height;
    target.channels = source.channels;
    target.pixels.resize(std::size_t(width) * height * source.channels);

    const int channels = source.channels;
    const double scaleX = double(source.width) / width;
    const double scaleY = double(source.height) / height;
    for (int row = 0; row < height; ++row) {
        // Sample at texel centres so that the picture's edges map onto the texture's edges.
        const double sy = std::clamp((row + 0.5) * scaleY - 0.5, 0.0, source.height - 1.0);
        const int y0 = int(sy);
        const int y1 = std::min(y0 + 1, source.height - 1);
        const double fy = sy - y0;
        for (int col = 0; col < width; ++col) {
            const double sx = std::clamp((col + 0.5) * scaleX - 0.5, 0.0, source.width - 1.0);
            const int x0 = int(sx);
            const int x1 = std::min(x0 + 1, source.width - 1);
            const double fx = sx - x0;
            auto at = [&](int x, int y, int c) {
                return double(source.pixels[(std::size_t(y) * source.width + x) * channels + c]);
            };
            for (int c = 0; c < channels; ++c) {
                const double top = at(x0, y0, c) * (1 - fx) + at(x1, y0, c) * fx;
                const double bottom = at(x0, y1, c) * (1 - fx) + at(x1, y1, c) * fx;
                const double value = top * (1 - fy) + bottom * fy;
                target.pixels[(std::size_t(row) * width + col) * channels + c] =
                    std::uint8_t(std::lround(value));
            }
        }
    }
    return target;
}

PngImage halveImage(const PngImage& source) {
    PngImage target;
    target.width = std::max(1, source.width / 2);
    target.height = std::max(1, source.height / 2);
    target.channels = source.channels;
    target.pixels.resize(std::size_t(target.width) * target.height * source.channels);

    const int channels = source.channels;
    for (int row = 0; row < target.height; ++row) {
        const int y0 = std::min(row * 2, source.height - 1);
        const int y1 = std::min(row * 2 + 1, source.height - 1);
        for (int col = 0; col < target.width; ++col) {
            const int x0 = std::min(col * 2, source.width - 1);
            const int x1 = std::min(col * 2 + 1, source.width - 1);
            for (int c = 0; c < channels; ++c) {
                auto at = [&](int x, int y) {
                    return unsigned(
                        source.pixels[(std::size_t(y) * source.width + x) * channels + c]);
                };
                const unsigned sum = at(x0, y0) + at(x1, y0) + at(x0, y1) + at(x1, y1);
                target.pixels[(std::size_t(row) * target.width + col) * channels + c] =
                    std::uint8_t((sum + 2) / 4);
            }
        }
    }
    return target;
}
