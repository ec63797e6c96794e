// Glyph textures and display lists from FreeType, and line-by-line text drawing.
#include "render/TextFont.h"

#include "render/PngImage.h"

#include <GL/gl.h>
#include <cstdarg>
#include <cstdio>
#include <ft2build.h>
#include <stdexcept>
#include <string>
#include FT_FREETYPE_H
#include FT_GLYPH_H

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

// Uploads the coverage as luminance-alpha texels into a power-of-two texture, padded with 0.
void uploadGlyphTexture(GLuint texture, const FT_Bitmap& bitmap, int width, int height) {
    std::vector<GLubyte> texels(std::size_t(2) * width * height, 0);
    const int pitch = bitmap.pitch < 0 ? -bitmap.pitch : bitmap.pitch;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
        for (unsigned col = 0; col < bitmap.width; ++col) {
            const GLubyte v = bitmap.buffer[row * pitch + col];
            texels[2 * (row * width + col)] = v;
            texels[2 * (row * width + col) + 1] = v;
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
void compileGlyphList(GLuint list, GLuint texture, const FT_BitmapGlyph glyph, int width,
                      int height, int advance) {
    const float rows = float(glyph->bitmap.rows);
    const float columns = float(glyph->bitmap.width);
    const float su = columns / float(width);
    const float tv = rows / float(height);
    glNewList(list, GL_COMPILE);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPushMatrix();
    glTranslatef(float(glyph->left), 0.0f, 0.0f);
    glTranslatef(0.0f, float(glyph->top) - rows, 0.0f);
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
    glTranslatef(float(advance), 0.0f, 0.0f);
    glEndList();
}

void buildGlyph(FT_Face face, unsigned char code, GLuint listBase,
                std::vector<unsigned>& textures) {
    if (FT_Load_Glyph(face, FT_Get_Char_Index(face, code), FT_LOAD_DEFAULT)) {
        throw std::runtime_error("FT_Load_Glyph failed");
    }
    FT_Glyph glyph = nullptr;
    if (FT_Get_Glyph(face->glyph, &glyph)) {
        throw std::runtime_error("FT_Get_Glyph failed");
    }
    FT_Glyph_To_Bitmap(&glyph, FT_RENDER_MODE_NORMAL, nullptr, 1);
    const auto bitmapGlyph = reinterpret_cast<FT_BitmapGlyph>(glyph);
    const int width = nextPowerOfTwo(int(bitmapGlyph->bitmap.width));
    const int height = nextPowerOfTwo(int(bitmapGlyph->bitmap.rows));
    uploadGlyphTexture(textures[code], bitmapGlyph->bitmap, width, height);
    // The advance comes from the loaded glyph in the face's slot, not from the bitmap copy.
    const int advance = int(face->glyph->advance.x >> 6);
    compileGlyphList(listBase + code, textures[code], bitmapGlyph, width, height, advance);
    FT_Done_Glyph(glyph);
}

} // namespace

TextFont& TextFont::instance() {
    static TextFont* font = new TextFont();
    return *font;
}

void TextFont::init(const char* fontPath, unsigned int height) {
    std::vector<unsigned> textures(kGlyphCount);
    FreeTypeSession freetype;
    if (FT_Init_FreeType(&freetype.library)) {
        throw std::runtime_error("FT_Init_FreeType failed");
    }
    if (FT_New_Face(freetype.library, fontPath, 0, &freetype.face)) {
        throw std::runtime_error(
            "FT_New_Face failed (there is probably a problem with your font file)");
    }
    const FT_F26Dot6 size = FT_F26Dot6(height) * 64;
    FT_Set_Char_Size(freetype.face, size, size, kDotsPerInch, kDotsPerInch);

    const GLuint listBase = glGenLists(kGlyphCount);
    glGenTextures(kGlyphCount, textures.data());
    for (int code = 0; code < kGlyphCount; ++code) {
        buildGlyph(freetype.face, static_cast<unsigned char>(code), listBase, textures);
    }
    height_ = float(height);
    listBase_ = listBase;
    textures_ = std::move(textures);
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
