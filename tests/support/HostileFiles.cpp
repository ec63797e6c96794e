// Making the corpus of broken data files.
#include "support/HostileFiles.h"

#include "support/ScratchDir.h"
#include "support/TestPng.h"
#include "support/TestWav.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <zlib.h>

namespace {

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Repeatable noise, so that a failure can be reproduced.
std::string randomBytes(std::size_t count, std::uint32_t seed) {
    std::string bytes(count, '\0');
    for (char& c : bytes) {
        seed = seed * 1664525u + 1013904223u;
        c = char(seed >> 24);
    }
    return bytes;
}

Rgba gradient(int x, int y) {
    return {std::uint8_t(x * 37), std::uint8_t(y * 53), std::uint8_t((x + y) * 11),
            std::uint8_t(255 - x * 7)};
}

std::string picture(int width, int height, PngOptions options) {
    ScratchDir dir;
    // An indexed picture holds at most 256 colours: quantise it.
    const PixelFunction pixel =
        options.kind != PngKind::Palette ? PixelFunction(gradient) : [](int x, int y) {
            Rgba c = gradient(x / 4, y / 4);
            c.a = x < 8 ? 0 : 255;
            return c;
        };
    writePng("p.png", width, height, pixel, options);
    return fileBytes("p.png");
}

// The largest picture the decoder takes, RGBA: 256 MiB of pixels from a small file, which a
// picture listed twice must not hold twice.
std::string vastPicture() {
    static const std::string bytes = [] {
        ScratchDir dir;
        writePng("vast.png", 8192, 8192, [](int x, int y) {
            return Rgba{std::uint8_t(x >> 5), std::uint8_t(y >> 5), 128, 255};
        });
        return fileBytes("vast.png");
    }();
    return bytes;
}

// A BDF bitmap font whose printable glyphs are solid blocks wider than a byte (the space blank),
// at bitsPerPixel (1 for a plain bitmap font; 2, 4 or 8 for grey levels). FreeType opens it by
// its contents whatever the file is called.
std::string bitmapFont(int bitsPerPixel) {
    constexpr int kWidth = 21, kRows = 16;
    const int rowBytes = (kWidth * bitsPerPixel + 7) / 8;
    std::string font = "STARTFONT 2.1\nFONT -emberdash-block-medium-r-normal--16-160-75-75-c-210-"
                       "iso10646-1\nSIZE 16 75 75 " +
                       std::to_string(bitsPerPixel) +
                       "\nFONTBOUNDINGBOX 21 16 0 -4\nSTARTPROPERTIES 2\nFONT_ASCENT 12\n"
                       "FONT_DESCENT 4\nENDPROPERTIES\nCHARS 95\n";
    for (int encoding = ' '; encoding <= '~'; ++encoding) {
        font += "STARTCHAR c" + std::to_string(encoding) + "\nENCODING " +
                std::to_string(encoding) +
                "\nSWIDTH 1000 0\nDWIDTH 23 0\nBBX 21 16 0 -4\n"
                "BITMAP\n";
        for (int row = 0; row < kRows; ++row) {
            // Every pixel fully on: the top bits of each row, padded with zeros to whole bytes.
            int bitsLeft = kWidth * bitsPerPixel;
            for (int b = 0; b < rowBytes; ++b, bitsLeft -= 8) {
                const int on = bitsLeft >= 8 ? 0xff : (0xff << (8 - bitsLeft)) & 0xff;
                char hex[3];
                std::snprintf(hex, sizeof hex, "%02X", encoding == ' ' ? 0 : on);
                font += hex;
            }
            font += "\n";
        }
        font += "ENDCHAR\n";
    }
    return font + "ENDFONT\n";
}

} // namespace

std::vector<HostileFile> hostilePictures() {
    const std::string good = picture(40, 30, {PngKind::Rgba});
    std::string badHeaderCrc = good;
    badHeaderCrc[29] = char(badHeaderCrc[29] ^ 0x55); // the IHDR chunk's checksum
    std::string badDataCrc = good;
    badDataCrc[badDataCrc.size() - 20] = char(badDataCrc[badDataCrc.size() - 20] ^ 0x55);
    std::string wrongMagic = good;
    wrongMagic[1] = 'X';
    return {
        {"zero bytes", "", false},
        {"signature only", good.substr(0, 8), false},
        {"header only", good.substr(0, 33), false},
        {"truncated in the pixels", good.substr(0, good.size() / 2), false},
        {"wrong magic", wrongMagic, false},
        {"random bytes", randomBytes(5000, 7), false},
        {"random bytes after a signature", good.substr(0, 8) + randomBytes(5000, 9), false},
        {"huge declared size", pngHeaderOnly(100000, 100000), false},
        {"just too wide", pngHeaderOnly(8193, 1), false},
        {"bad header checksum", badHeaderCrc, false},
        {"bad pixel data checksum", badDataCrc, false},
        {"1-bit grey", picture(33, 17, {PngKind::Gray, false, false, 1}), true},
        {"4-bit grey", picture(9, 9, {PngKind::Gray, false, false, 4}), true},
        {"8-bit grey", picture(16, 16, {PngKind::Gray}), true},
        {"palette with transparency", picture(20, 20, {PngKind::Palette}), true},
        {"16-bit RGBA", picture(8, 8, {PngKind::Rgba, true}), true},
        {"interlaced 16-bit RGB", picture(13, 7, {PngKind::Rgb, true, true}), true},
        {"one pixel", picture(1, 1, {PngKind::Rgba}), true},
        {"not a power of two", picture(1000, 3, {PngKind::Rgb}), true},
        {"8192 by 8192, the largest taken", vastPicture(), true},
    };
}

std::vector<HostileFile> hostileSounds() {
    ScratchDir dir;
    writeToneWav("tone.wav", 0.3);
    const std::string wav = fileBytes("tone.wav");
    std::string hugeLength = wav;
    hugeLength[40] = hugeLength[41] = hugeLength[42] = char(0xff);
    hugeLength[43] = char(0x7f);
    return {
        {"zero bytes", "", false},
        {"header only", wav.substr(0, 44), false},
        {"riff tag only", "RIFF", false},
        {"random bytes", randomBytes(20000, 3), false},
        {"a picture", picture(16, 16, {PngKind::Rgba}), false},
        {"an MP3 frame header and noise", std::string("\xff\xfb\x90\x64", 4) + randomBytes(9000, 5),
         false},
        {"text", std::string(3000, 'a'), false},
        {"data length beyond the file", hugeLength, true},
        {"truncated", wav.substr(0, wav.size() / 3), true},
    };
}

std::vector<HostileFile> hostileFonts() {
    return {
        {"zero bytes", "", false},
        {"random bytes", randomBytes(60000, 11), false},
        {"a picture", picture(16, 16, {PngKind::Rgba}), false},
        {"text", std::string(4000, 'f'), false},
        {"a TrueType tag and nothing more", std::string("\x00\x01\x00\x00\x00\x0c", 6), false},
        {"a 1-bit bitmap font", bitmapFont(1), true},
        {"a 2-bit grey bitmap font", bitmapFont(2), true},
    };
}
