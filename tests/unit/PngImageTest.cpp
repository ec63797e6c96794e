// PNG decoding of every colour type the game may meet, refusal of broken files, and the
// power-of-two resampling.
#include <gtest/gtest.h>

#include "render/PngImage.h"
#include "support/ScratchDir.h"
#include "support/TestPng.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

Rgba pixelOf(const PngImage& image, int x, int y) {
    const std::uint8_t* p = &image.pixels[(std::size_t(y) * image.width + x) * image.channels];
    return {p[0], p[1], p[2], image.channels == 4 ? p[3] : std::uint8_t(255)};
}

// Red on top, green at the bottom; the left column of the bottom half is see-through.
Rgba quarters(int x, int y) {
    if (y < 2) {
        return {255, 0, 0, 255};
    }
    return x == 0 ? Rgba{0, 255, 0, 0} : Rgba{0, 255, 0, 255};
}

std::string fileBytes(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace

TEST(PngDecoding, ColourTypesGiveRgbOrRgbaWithTheTopRowFirst) {
    ScratchDir dir;
    writePng("rgba.png", 3, 4, quarters, {PngKind::Rgba});
    writePng("palette.png", 3, 4, quarters, {PngKind::Palette});
    writePng("rgb16.png", 3, 4, quarters, {PngKind::Rgb, true, true});
    writePng("gray.png", 3, 4,
             [](int x, int) {
                 return Rgba{std::uint8_t(x * 100), 0, 0, 255};
             },
             {PngKind::Gray});

    for (const char* path : {"rgba.png", "palette.png"}) {
        PngImage image;
        ASSERT_TRUE(decodePngFile(path, image)) << path;
        EXPECT_EQ(image.channels, 4) << path;
        EXPECT_EQ(pixelOf(image, 1, 0), (Rgba{255, 0, 0, 255})) << path;
        EXPECT_EQ(pixelOf(image, 0, 3).a, 0) << path;
        EXPECT_EQ(pixelOf(image, 2, 3), (Rgba{0, 255, 0, 255})) << path;
    }

    PngImage rgb;
    ASSERT_TRUE(decodePngFile("rgb16.png", rgb));
    EXPECT_EQ(rgb.channels, 3);
    EXPECT_EQ(rgb.width, 3);
    EXPECT_EQ(rgb.height, 4);
    EXPECT_EQ(pixelOf(rgb, 0, 0), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(pixelOf(rgb, 0, 3), (Rgba{0, 255, 0, 255}));

    PngImage gray;
    ASSERT_TRUE(decodePngFile("gray.png", gray));
    EXPECT_EQ(gray.channels, 3);
    EXPECT_EQ(pixelOf(gray, 2, 1), (Rgba{200, 200, 200, 255}));
}

TEST(PngDecoding, BrokenFilesAreRefusedWithoutPixels) {
    ScratchDir dir;
    writeSolidPng("good.png", 16, 16, {10, 20, 30, 255});
    const std::string good = fileBytes("good.png");
    dir.writeFile("truncated.png", good.substr(0, good.size() / 2));
    dir.writeFile("empty.png", "");
    dir.writeFile("text.png", "this is not a picture at all");
    dir.writeFile("huge.png", pngHeaderOnly(100000, 100000));
    dir.writeFile("wide.png", pngHeaderOnly(kMaxPngSide + 1, 1));

    for (const char* path :
         {"missing.png", "truncated.png", "empty.png", "text.png", "huge.png", "wide.png", "."}) {
        PngImage image;
        image.width = 99;
        EXPECT_FALSE(decodePngFile(path, image)) << path;
        EXPECT_EQ(image.width, 0) << path;
        EXPECT_TRUE(image.pixels.empty()) << path;
    }
    PngImage image;
    EXPECT_FALSE(decodePngMemory(nullptr, 0, image));
    EXPECT_TRUE(
        decodePngMemory(reinterpret_cast<const std::uint8_t*>(good.data()), good.size(), image));
    EXPECT_EQ(image.width, 16);
}

TEST(PngResampling, PowerOfTwoSidesKeepThePicture) {
    EXPECT_EQ(nextPowerOfTwo(0), 1);
    EXPECT_EQ(nextPowerOfTwo(1), 1);
    EXPECT_EQ(nextPowerOfTwo(3), 4);
    EXPECT_EQ(nextPowerOfTwo(768), 1024);
    EXPECT_EQ(nextPowerOfTwo(1024), 1024);

    // Three columns, red, green, blue, stretched to four: the outer columns keep their colour.
    PngImage source{3, 1, 3, {255, 0, 0, 0, 255, 0, 0, 0, 255}};
    const PngImage wide = resampleImage(source, 4, 2);
    ASSERT_EQ(wide.pixels.size(), 4u * 2 * 3);
    EXPECT_EQ(pixelOf(wide, 0, 0), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(pixelOf(wide, 3, 1), (Rgba{0, 0, 255, 255}));
}

// The bilinear blend written out texel by texel, in the same arithmetic: the resampler may be
// organised for speed, but every texel it gives must be exactly this one.
std::uint8_t plainBilinear(const PngImage& source, int width, int height, int col, int row, int c) {
    const double scaleX = double(source.width) / width;
    const double scaleY = double(source.height) / height;
    const double sy = std::clamp((row + 0.5) * scaleY - 0.5, 0.0, source.height - 1.0);
    const double sx = std::clamp((col + 0.5) * scaleX - 0.5, 0.0, source.width - 1.0);
    const int y0 = int(sy), x0 = int(sx);
    const int y1 = std::min(y0 + 1, source.height - 1), x1 = std::min(x0 + 1, source.width - 1);
    const double fy = sy - y0, fx = sx - x0;
    auto at = [&](int x, int y) {
        return double(source.pixels[(std::size_t(y) * source.width + x) * source.channels + c]);
    };
    const double top = at(x0, y0) * (1 - fx) + at(x1, y0) * fx;
    const double bottom = at(x0, y1) * (1 - fx) + at(x1, y1) * fx;
    return std::uint8_t(std::lround(top * (1 - fy) + bottom * fy));
}

TEST(PngResampling, EveryTexelIsThePlainBilinearBlend) {
    std::srand(7);
    const struct {
        int width, height, channels, targetWidth, targetHeight;
    } cases[] = {{1024, 3, 3, 1024, 4}, {5, 7, 4, 8, 8},  {3, 3, 3, 4, 4},  {1, 1, 4, 1, 1},
                 {1, 5, 3, 1, 8},       {9, 2, 4, 16, 2}, {17, 9, 3, 4, 2}, {100, 75, 4, 128, 128}};
    for (const auto& shape : cases) {
        PngImage source{shape.width, shape.height, shape.channels, {}};
        source.pixels.resize(std::size_t(shape.width) * shape.height * shape.channels);
        for (std::uint8_t& value : source.pixels) {
            value = std::uint8_t(std::rand() % 256);
        }
        const PngImage target = resampleImage(source, shape.targetWidth, shape.targetHeight);
        ASSERT_EQ(target.pixels.size(),
                  std::size_t(shape.targetWidth) * shape.targetHeight * shape.channels);
        for (int row = 0; row < shape.targetHeight; ++row) {
            for (int col = 0; col < shape.targetWidth; ++col) {
                for (int c = 0; c < shape.channels; ++c) {
                    const std::size_t at =
                        (std::size_t(row) * shape.targetWidth + col) * shape.channels + c;
                    ASSERT_EQ(target.pixels[at], plainBilinear(source, shape.targetWidth,
                                                               shape.targetHeight, col, row, c))
                        << shape.width << "x" << shape.height << " at " << col << "," << row;
                }
            }
        }
    }
}
