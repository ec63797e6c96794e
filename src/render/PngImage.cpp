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

namespace {

// Where a texel samples the picture along one axis: two neighbouring source texels and the
// weight of the second.
struct SampleTap {
    int first;
    int second;
    double weight;
};

std::vector<SampleTap> sampleTaps(int sourceSide, int targetSide) {
    std::vector<SampleTap> taps(static_cast<std::size_t>(targetSide));
    const double scale = double(sourceSide) / targetSide;
    for (int i = 0; i < targetSide; ++i) {
        // Sample at texel centres so that the picture's edges map onto the texture's edges.
        const double at = std::clamp((i + 0.5) * scale - 0.5, 0.0, sourceSide - 1.0);
        const int first = int(at);
        taps[std::size_t(i)] = {first, std::min(first + 1, sourceSide - 1), at - first};
    }
    return taps;
}

// Source rows blended across to the target's width, each worked out once and kept while the
// target rows still sample it; rows are asked for in rising order, two at a time.
class BlendedRows {
  public:
    BlendedRows(const PngImage& source, const std::vector<SampleTap>& columns)
        : source_(source), columns_(columns) {
        for (auto& values : values_) {
            values.resize(columns.size() * std::size_t(source.channels));
        }
    }

    const double* row(int y) {
        for (int slot = 0; slot < 2; ++slot) {
            if (rowOf_[slot] == y) {
                lastUsed_ = slot;
                return values_[slot].data();
            }
        }
        const int slot = 1 - lastUsed_;
        blend(y, values_[slot]);
        rowOf_[slot] = y;
        lastUsed_ = slot;
        return values_[slot].data();
    }

  private:
    void blend(int y, std::vector<double>& values) const {
        const int channels = source_.channels;
        const std::uint8_t* line = &source_.pixels[std::size_t(y) * source_.width * channels];
        double* out = values.data();
        // At the same width every weight is 0 and the blend gives each texel exactly as it is.
        if (columns_.size() == std::size_t(source_.width)) {
            std::copy(line, line + values.size(), out);
            return;
        }
        for (const SampleTap& tap : columns_) {
            const std::uint8_t* left = line + std::size_t(tap.first) * channels;
            const std::uint8_t* right = line + std::size_t(tap.second) * channels;
            for (int c = 0; c < channels; ++c) {
                *out++ = double(left[c]) * (1 - tap.weight) + double(right[c]) * tap.weight;
            }
        }
    }

    const PngImage& source_;
    const std::vector<SampleTap>& columns_;
    std::vector<double> values_[2];
    int rowOf_[2] = {-1, -1};
    int lastUsed_ = 1;
};

// One target row: the blend of two blended source rows, rounded half away from zero as
// std::lround does (the values are never negative). Plain loops over separate arrays, so that
// the compiler can do several texels at once.
void blendVertically(const double* __restrict top, const double* __restrict bottom, double weight,
                     std::uint8_t* __restrict out, std::size_t count) {
    const double keep = 1 - weight;
    for (std::size_t i = 0; i < count; ++i) {
        const double value = top[i] * keep + bottom[i] * weight;
        const int whole = int(value);
        out[i] = std::uint8_t(whole + int(value - whole >= 0.5));
    }
}

int textureSide(int side, int maxSide) {
    return std::min(nextPowerOfTwo(side), std::max(1, maxSide));
}

} // namespace

bool hasTextureSides(const PngImage& image, int maxSide) {
    return textureSide(image.width, maxSide) == image.width &&
           textureSide(image.height, maxSide) == image.height;
}

PngImage powerOfTwoImage(PngImage image, int maxSide) {
    if (hasTextureSides(image, maxSide)) {
        return image;
    }
    return resampleImage(image, textureSide(image.width, maxSide),
                         textureSide(image.height, maxSide));
}

PngImage resampleImage(const PngImage& source, int width, int height) {
    PngImage target;
    target.width = width;
    target.height = height;
    target.channels = source.channels;
    target.pixels.resize(std::size_t(width) * height * source.channels);

    // Separable: each target texel is the vertical blend of two horizontally blended rows.
    const std::vector<SampleTap> columns = sampleTaps(source.width, width);
    const std::vector<SampleTap> rows = sampleTaps(source.height, height);
    BlendedRows blended(source, columns);
    const std::size_t rowValues = std::size_t(width) * source.channels;
    std::uint8_t* out = target.pixels.data();
    for (const SampleTap& tap : rows) {
        const double* top = blended.row(tap.first);
        const double* bottom = blended.row(tap.second);
        blendVertically(top, bottom, tap.weight, out, rowValues);
        out += rowValues;
    }
    return target;
}
