// PNG writing for tests, through libpng's writer.
#include "support/TestPng.h"

#include <cstdio>
#include <map>
#include <png.h>
#include <stdexcept>
#include <vector>
#include <zlib.h>

namespace {

int colourType(PngKind kind) {
    switch (kind) {
    case PngKind::Rgb:
        return PNG_COLOR_TYPE_RGB;
    case PngKind::Rgba:
        return PNG_COLOR_TYPE_RGBA;
    case PngKind::Gray:
        return PNG_COLOR_TYPE_GRAY;
    case PngKind::Palette:
        return PNG_COLOR_TYPE_PALETTE;
    }
    return PNG_COLOR_TYPE_RGBA;
}

void pushSample(std::vector<png_byte>& row, std::uint8_t value, bool sixteenBit) {
    row.push_back(value);
    if (sixteenBit) {
        row.push_back(value);
    }
}

// Rows of the picture, and for an indexed picture its palette and transparency table.
struct Encoded {
    std::vector<std::vector<png_byte>> rows;
    std::vector<png_color> palette;
    std::vector<png_byte> alphas;
};

Encoded encode(int width, int height, const PixelFunction& pixel, const PngOptions& options) {
    Encoded out;
    std::map<std::uint32_t, png_byte> indices;
    for (int y = 0; y < height; ++y) {
        std::vector<png_byte> row;
        for (int x = 0; x < width; ++x) {
            const Rgba c = pixel(x, y);
            switch (options.kind) {
            case PngKind::Gray: {
                const int bits = options.grayBits;
                const int perByte = 8 / bits;
                if (x % perByte == 0) {
                    row.push_back(0);
                }
                const int level = c.r >> (8 - bits);
                row.back() |= png_byte(level << (8 - bits * (x % perByte + 1)));
                break;
            }
            case PngKind::Palette: {
                const std::uint32_t key = (c.r << 24) | (c.g << 16) | (c.b << 8) | c.a;
                auto [it, added] = indices.emplace(key, png_byte(indices.size()));
                if (added) {
                    out.palette.push_back({c.r, c.g, c.b});
                    out.alphas.push_back(c.a);
                }
                row.push_back(it->second);
                break;
            }
            default:
                for (std::uint8_t v : {c.r, c.g, c.b}) {
                    pushSample(row, v, options.sixteenBit);
                }
                if (options.kind == PngKind::Rgba) {
                    pushSample(row, c.a, options.sixteenBit);
                }
            }
        }
        out.rows.push_back(std::move(row));
    }
    if (out.palette.size() > 256) {
        throw std::runtime_error("too many colours for a palette");
    }
    return out;
}

void appendChunk(std::string& bytes, const char* type, const std::string& data) {
    auto put32 = [&](std::uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            bytes.push_back(char((v >> shift) & 0xff));
        }
    };
    put32(std::uint32_t(data.size()));
    const std::string body = std::string(type, 4) + data;
    bytes += body;
    put32(std::uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()))));
}

} // namespace

void writePng(const std::string& path, int width, int height, const PixelFunction& pixel,
              PngOptions options) {
    Encoded encoded = encode(width, height, pixel, options);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        throw std::runtime_error("cannot write " + path);
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        throw std::runtime_error("libpng failed writing " + path);
    }
    png_init_io(png, file);
    const int depth = options.sixteenBit              ? 16
                      : options.kind == PngKind::Gray ? options.grayBits
                                                      : 8;
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), depth,
                 colourType(options.kind),
                 options.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (options.kind == PngKind::Palette) {
        png_set_PLTE(png, info, encoded.palette.data(), int(encoded.palette.size()));
        bool transparent = false;
        for (png_byte alpha : encoded.alphas) {
            transparent = transparent || alpha < 255;
        }
        if (transparent) {
            png_set_tRNS(png, info, encoded.alphas.data(), int(encoded.alphas.size()), nullptr);
        }
    }
    std::vector<png_bytep> rows;
    for (auto& row : encoded.rows) {
        rows.push_back(row.data());
    }
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

void writeSolidPng(const std::string& path, int width, int height, Rgba colour,
                   PngOptions options) {
    writePng(
        path, width, height, [colour](int, int) { return colour; }, options);
}

std::string pngHeaderOnly(std::uint32_t width, std::uint32_t height) {
    std::string bytes = "\x89PNG\r\n\x1a\n";
    std::string ihdr;
    for (std::uint32_t v : {width, height}) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            ihdr.push_back(char((v >> shift) & 0xff));
        }
    }
    ihdr += std::string("\x08\x06\x00\x00\x00", 5); // 8-bit RGBA, no interlace
    appendChunk(bytes, "IHDR", ihdr);
    appendChunk(bytes, "IEND", "");
    return bytes;
}
