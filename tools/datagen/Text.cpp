// Setting type with FreeType.
#include "Text.h"

#include <algorithm>
#include <ft2build.h>
#include <stdexcept>
#include FT_FREETYPE_H

struct Typeface::Handles {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

Typeface::Typeface(const std::string& path) : handles_(new Handles) {
    if (FT_Init_FreeType(&handles_->library) ||
        FT_New_Face(handles_->library, path.c_str(), 0, &handles_->face)) {
        // The destructor does not run for a constructor that throws: let go of what was opened.
        release();
        throw std::runtime_error("cannot open the typeface " + path);
    }
}

Typeface::~Typeface() {
    release();
}

void Typeface::release() {
    if (handles_->face) {
        FT_Done_Face(handles_->face);
    }
    if (handles_->library) {
        FT_Done_FreeType(handles_->library);
    }
    delete handles_;
    handles_ = nullptr;
}

Mask Typeface::render(const std::string& text, int pixelHeight, int margin) const {
    FT_Face face = handles_->face;
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelHeight));
    const int ascent = int(face->size->metrics.ascender >> 6);
    const int descent = int(-face->size->metrics.descender >> 6);

    // First pass measures the line; the second renders into the mask.
    int width = 0;
    FT_UInt previous = 0;
    for (int pass = 0; pass < 2; ++pass) {
        Mask mask;
        if (pass == 1) {
            mask.width = width + 2 * margin;
            mask.height = ascent + descent + 2 * margin;
            mask.baseline = margin + ascent;
            mask.values.assign(std::size_t(mask.width) * mask.height, 0.0f);
        }
        int pen = margin;
        previous = 0;
        for (unsigned char ch : text) {
            const FT_UInt glyph = FT_Get_Char_Index(face, ch);
            if (previous && FT_HAS_KERNING(face)) {
                FT_Vector kerning;
                FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &kerning);
                pen += int(kerning.x >> 6);
            }
            previous = glyph;
            if (FT_Load_Glyph(face, glyph, FT_LOAD_RENDER)) {
                continue;
            }
            const FT_GlyphSlot slot = face->glyph;
            if (pass == 1) {
                const FT_Bitmap& bitmap = slot->bitmap;
                for (unsigned row = 0; row < bitmap.rows; ++row) {
                    for (unsigned col = 0; col < bitmap.width; ++col) {
                        const int x = pen + slot->bitmap_left + int(col);
                        const int y = mask.baseline - slot->bitmap_top + int(row);
                        if (x >= 0 && y >= 0 && x < mask.width && y < mask.height) {
                            float& v = mask.values[std::size_t(y) * mask.width + x];
                            v = std::max(v, bitmap.buffer[row * bitmap.pitch + col] / 255.0f);
                        }
                    }
                }
            }
            pen += int(slot->advance.x >> 6);
        }
        if (pass == 1) {
            return mask;
        }
        width = pen - margin;
    }
    return {};
}

namespace {

void boxPass(std::vector<float>& values, int width, int height, int radius, bool horizontal) {
    std::vector<float> out(values.size());
    const int length = horizontal ? width : height;
    const int lines = horizontal ? height : width;
    for (int line = 0; line < lines; ++line) {
        auto index = [&](int i) {
            return horizontal ? std::size_t(line) * width + i : std::size_t(i) * width + line;
        };
        float sum = 0;
        for (int i = -radius; i <= radius; ++i) {
            sum += i >= 0 && i < length ? values[index(i)] : 0.0f;
        }
        for (int i = 0; i < length; ++i) {
            out[index(i)] = sum / float(2 * radius + 1);
            const int add = i + radius + 1, drop = i - radius;
            sum += add < length ? values[index(add)] : 0.0f;
            sum -= drop >= 0 ? values[index(drop)] : 0.0f;
        }
    }
    values.swap(out);
}

} // namespace

Mask blur(const Mask& mask, int radius) {
    Mask out = mask;
    for (int pass = 0; pass < 3; ++pass) {
        boxPass(out.values, out.width, out.height, radius, true);
        boxPass(out.values, out.width, out.height, radius, false);
    }
    return out;
}
