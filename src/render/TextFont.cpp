// Glyph textures and display lists from FreeType, and line-by-line text drawing.
#include "render/TextFont.h"

#include "platform/Platform.h"
#include "render/PngImage.h"

#include <GL/gl.h>
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <ft2build.h>
#include <stdexcept>
#include <string>
#include <system_error>
#include FT_FREETYPE_H
#include FT_GLYPH_H
#include FT_BITMAP_H

namespace {

constexpr unsigned kDotsPerInch = 96;
constexpr std::size_t kTextBufferSize = 256;

// Closes the face and the library however init ends.
struct FreeTypeSession {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~FreeTypeSession() {
        if (face) {
            FT_Done_Face(face);
        }
        if (library) {
            FT_Done_FreeType(library);
        }
    }
};

// A glyph's coverage as 8-bit grey, rows of width bytes from the top. FreeType hands out 8-bit
// grey for outlines, but a bitmap font (or a strike embedded in an outline font) gives 1, 2 or 4
// bits a pixel with rows of pitch bytes, possibly stored bottom up; those are converted and their
// levels stretched to 0..255. Returns false for a bitmap that cannot be read.
bool readCoverage(FT_Library library, const FT_Bitmap& bitmap, GlyphImage& glyph) {
    glyph.width = int(bitmap.width);
    glyph.rows = int(bitmap.rows);
    glyph.coverage.assign(std::size_t(glyph.width) * glyph.rows, 0);
    if (glyph.coverage.empty()) {
        return true;
    }
    FT_Bitmap grey;
    FT_Bitmap_Init(&grey);
    const bool converted = bitmap.pixel_mode != FT_PIXEL_MODE_GRAY;
    if (converted && FT_Bitmap_Convert(library, &bitmap, &grey, 1)) {
        FT_Bitmap_Done(library, &grey);
        return false;
    }
    const FT_Bitmap& source = converted ? grey : bitmap;
    const int levels = converted ? std::max(2, int(source.num_grays)) : 256;
    const unsigned pitch = unsigned(source.pitch < 0 ? -source.pitch : source.pitch);
    const bool ok = source.buffer && source.pixel_mode == FT_PIXEL_MODE_GRAY &&
                    source.width == bitmap.width && source.rows == bitmap.rows &&
                    pitch >= source.width;
    for (unsigned row = 0; ok && row < source.rows; ++row) {
        // A negative pitch means the buffer starts with the bottom row.
        const unsigned stored = source.pitch < 0 ? source.rows - 1 - row : row;
        const unsigned char* line = source.buffer + std::size_t(stored) * pitch;
        for (unsigned col = 0; col < source.width; ++col) {
            glyph.coverage[std::size_t(row) * source.width + col] =
                std::uint8_t(std::min(255, line[col] * 255 / (levels - 1)));
        }
    }
    FT_Bitmap_Done(library, &grey);
    return ok;
}

// Renders the glyph of one character code, with no GL. A glyph that loads but cannot be turned
// into a readable bitmap keeps its advance and is drawn as nothing.
GlyphImage renderGlyph(FT_Library library, FT_Face face, unsigned char code) {
    if (FT_Load_Glyph(face, FT_Get_Char_Index(face, code), FT_LOAD_DEFAULT)) {
        throw std::runtime_error("FT_Load_Glyph failed");
    }
    FT_Glyph glyph = nullptr;
    if (FT_Get_Glyph(face->glyph, &glyph)) {
        throw std::runtime_error("FT_Get_Glyph failed");
    }
    GlyphImage image;
    // The advance comes from the loaded glyph in the face's slot, not from the bitmap copy.
    image.advance = int(face->glyph->advance.x >> 6);
    if (FT_Glyph_To_Bitmap(&glyph, FT_RENDER_MODE_NORMAL, nullptr, 1) == 0 &&
        glyph->format == FT_GLYPH_FORMAT_BITMAP) {
        const auto bitmapGlyph = reinterpret_cast<FT_BitmapGlyph>(glyph);
        if (readCoverage(library, bitmapGlyph->bitmap, image)) {
            image.left = bitmapGlyph->left;
            image.top = bitmapGlyph->top;
        } else {
            image = GlyphImage{0, 0, 0, 0, image.advance, {}};
        }
    }
    FT_Done_Glyph(glyph);
    return image;
}

std::vector<GlyphImage> renderGlyphs(FT_Library library, FT_Face face, unsigned height) {
    const FT_F26Dot6 size = FT_F26Dot6(height) * 64;
    FT_Set_Char_Size(face, size, size, kDotsPerInch, kDotsPerInch);
    std::vector<GlyphImage> glyphs;
    glyphs.reserve(TextFont::kGlyphCount);
    for (int code = 0; code < TextFont::kGlyphCount; ++code) {
        glyphs.push_back(renderGlyph(library, face, static_cast<unsigned char>(code)));
    }
    return glyphs;
}

// Opens the library and a face, by open(library, &face), and renders its 128 glyphs; FreeType
// alone, so any thread may do it. Throws with the messages init gives.
template <typename Open>
std::vector<GlyphImage> renderFace(unsigned height, Open open) {
    FreeTypeSession freetype;
    if (FT_Init_FreeType(&freetype.library)) {
        throw std::runtime_error("FT_Init_FreeType failed");
    }
    if (open(freetype.library, &freetype.face)) {
        throw std::runtime_error(
            "FT_New_Face failed (there is probably a problem with your font file)");
    }
    return renderGlyphs(freetype.library, freetype.face, height);
}

std::vector<GlyphImage> renderFontFile(const std::string& path, unsigned height) {
    return renderFace(height, [&path](FT_Library library, FT_Face* face) {
        return FT_New_Face(library, path.c_str(), 0, face);
    });
}

// Uploads the coverage as luminance-alpha texels into a power-of-two texture, padded with 0.
void uploadGlyphTexture(GLuint texture, const GlyphImage& glyph, int width, int height) {
    std::vector<GLubyte> texels(std::size_t(2) * width * height, 0);
    for (int row = 0; row < glyph.rows; ++row) {
        for (int col = 0; col < glyph.width; ++col) {
            const GLubyte v = glyph.coverage[std::size_t(row) * glyph.width + col];
            texels[2 * (std::size_t(row) * width + col)] = v;
            texels[2 * (std::size_t(row) * width + col) + 1] = v;
        }
    }
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    GLint previousAlignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
    // A row one texel wide is two bytes, which the default alignment of 4 would misread.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE,
                 texels.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);
}

// The glyph's quad, then the pen's move by its advance (outside the push, so that it carries on
// to the next glyph of the line).
void compileGlyphList(GLuint list, GLuint texture, const GlyphImage& glyph, int width, int height) {
    const float rows = float(glyph.rows);
    const float columns = float(glyph.width);
    const float su = columns / float(width);
    const float tv = rows / float(height);
    glNewList(list, GL_COMPILE);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPushMatrix();
    glTranslatef(float(glyph.left), 0.0f, 0.0f);
    glTranslatef(0.0f, float(glyph.top) - rows, 0.0f);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.0f, rows);
    glTexCoord2f(0.0f, tv);
    glVertex2f(0.0f, 0.0f);
    glTexCoord2f(su, tv);
    glVertex2f(columns, 0.0f);
    glTexCoord2f(su, 0.0f);
    glVertex2f(columns, rows);
    glEnd();
    glPopMatrix();
    glTranslatef(float(glyph.advance), 0.0f, 0.0f);
    glEndList();
}

void buildGlyph(const GlyphImage& glyph, unsigned char code, GLuint listBase,
                std::vector<unsigned>& textures) {
    const int width = nextPowerOfTwo(glyph.width);
    const int height = nextPowerOfTwo(glyph.rows);
    uploadGlyphTexture(textures[code], glyph, width, height);
    compileGlyphList(listBase + code, textures[code], glyph, width, height);
}

} // namespace

TextFont& TextFont::instance() {
    static TextFont* font = new TextFont();
    return *font;
}

void TextFont::prepare(const char* fontPath, unsigned int height) {
    preparedPath_ = fontPath;
    preparedHeight_ = height;
    if (!startUpThreadsAvailable()) {
        // init renders the glyphs itself.
        return;
    }
    try {
        prepared_ = std::async(std::launch::async, renderFontFile, preparedPath_, height);
    } catch (const std::system_error&) {
        // No thread to be had: init renders the glyphs itself.
    }
}

void TextFont::finishPreparing() {
    if (prepared_.valid()) {
        prepared_.wait();
    }
}

void TextFont::init(const char* fontPath, unsigned int height) {
    // A failure met while preparing is thrown here, as if the glyphs were rendered now.
    std::vector<GlyphImage> glyphs;
    if (prepared_.valid()) {
        std::future<std::vector<GlyphImage>> prepared = std::move(prepared_);
        if (preparedPath_ == fontPath && preparedHeight_ == height) {
            glyphs = prepared.get();
        } else {
            prepared.wait();
        }
    }
    if (glyphs.empty()) {
        glyphs = renderFontFile(fontPath, height);
    }

    std::vector<unsigned> textures(kGlyphCount);
    const GLuint listBase = glGenLists(kGlyphCount);
    glGenTextures(kGlyphCount, textures.data());
    for (int code = 0; code < kGlyphCount; ++code) {
        buildGlyph(glyphs[std::size_t(code)], static_cast<unsigned char>(code), listBase, textures);
    }
    height_ = float(height);
    listBase_ = listBase;
    textures_ = std::move(textures);
}

std::vector<GlyphImage> renderFontGlyphs(const std::uint8_t* data, std::size_t size,
                                         unsigned height) {
    return renderFace(height, [data, size](FT_Library library, FT_Face* face) {
        return FT_New_Memory_Face(library, data, FT_Long(size), 0, face);
    });
}

std::vector<std::string> splitTextLines(const char* text) {
    std::vector<std::string> lines(1);
    for (const char* c = text; *c; ++c) {
        if (*c == '\n') {
            lines.emplace_back();
        } else if (static_cast<unsigned char>(*c) < TextFont::kGlyphCount) {
            lines.back().push_back(*c);
        }
    }
    return lines;
}

void print(const TextFont& font, const char* format, ...) {
    if (!font.ready()) {
        return;
    }
    char text[kTextBufferSize] = "";
    if (format) {
        va_list arguments;
        va_start(arguments, format);
        std::vsnprintf(text, sizeof text, format, arguments);
        va_end(arguments);
    }
    const float lineSpacing = font.height() * TextFont::kLineSpacingFactor;
    const std::vector<std::string> lines = splitTextLines(text);

    glPushAttrib(GL_LIST_BIT | GL_CURRENT_BIT | GL_ENABLE_BIT | GL_TRANSFORM_BIT);
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glListBase(font.listBase());

    GLfloat modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        // Each line moves down in eye space, so the caller's scale does not shrink the spacing.
        glPushMatrix();
        glLoadIdentity();
        glTranslatef(0.0f, -(float(i) * lineSpacing), 0.0f);
        glMultMatrixf(modelview);
        glCallLists(GLsizei(lines[i].size()), GL_UNSIGNED_BYTE, lines[i].data());
        glPopMatrix();
    }
    glPopAttrib();
}
