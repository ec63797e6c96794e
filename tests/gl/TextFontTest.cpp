// The font drawn for real: glyph textures of power-of-two sizes holding FreeType's coverage, and
// print, which restores the caller's state and spaces lines in eye space.
#include <gtest/gtest.h>

#include "render/TextFont.h"
#include "support/GlContext.h"

#include <GL/gl.h>
#include <algorithm>
#include <array>
#include <ft2build.h>
#include <string>
#include <vector>
#include FT_FREETYPE_H

namespace {

const std::string kFont = std::string(EMBERDASH_DATA_DIR) + "/fonts/rabiohead.ttf";

int powerOfTwoAtLeast(int n) {
    int p = 1;
    while (p < n) {
        p *= 2;
    }
    return p;
}

// FreeType's own rendering of every code at a height, to hold the textures against.
struct Reference {
    explicit Reference(unsigned height) {
        FT_Init_FreeType(&library);
        FT_New_Face(library, kFont.c_str(), 0, &face);
        FT_Set_Char_Size(face, height * 64, height * 64, 96, 96);
    }
    ~Reference() {
        FT_Done_Face(face);
        FT_Done_FreeType(library);
    }
    const FT_Bitmap& render(unsigned char code) {
        FT_Load_Glyph(face, FT_Get_Char_Index(face, code), FT_LOAD_DEFAULT);
        FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL);
        return face->glyph->bitmap;
    }
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

std::array<int, 2> textureSize(unsigned texture) {
    std::array<int, 2> size{};
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &size[0]);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &size[1]);
    return size;
}

// Luminance and alpha of every texel, rows one after the other.
std::vector<GLubyte> texels(unsigned texture, int width, int height) {
    std::vector<GLubyte> data(std::size_t(2) * width * height);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE, data.data());
    return data;
}

// Rows of the window (from the bottom) that hold any pixel brighter than the background.
std::vector<int> litRows() {
    std::vector<GLubyte> pixels(1024 * 768 * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 1024, 768, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    std::vector<int> rows;
    for (int y = 0; y < 768; ++y) {
        for (int x = 0; x < 1024; ++x) {
            if (pixels[(std::size_t(y) * 1024 + x) * 4] > 128) {
                rows.push_back(y);
                break;
            }
        }
    }
    return rows;
}

// The rightmost window column with any pixel brighter than the background, or -1.
int rightmostInk() {
    std::vector<GLubyte> pixels(1024 * 768 * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 1024, 768, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    int rightmost = -1;
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        if (pixels[i] > 128) {
            rightmost = std::max(rightmost, int(i / 4 % 1024));
        }
    }
    return rightmost;
}

void useWindowPixels() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1024, 0, 768, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

} // namespace

TEST(TextFont, GlyphTexturesArePowerOfTwoSizedAndHoldTheCoverage) {
    TextFont& font = TextFont::instance();
    font.init(kFont.c_str(), 46);
    ASSERT_TRUE(font.ready());
    Reference reference(46);
    for (int code = 0; code < TextFont::kGlyphCount; ++code) {
        const FT_Bitmap& bitmap = reference.render(static_cast<unsigned char>(code));
        const auto size = textureSize(font.textures()[code]);
        ASSERT_EQ(size[0], powerOfTwoAtLeast(int(bitmap.width))) << "code " << code;
        ASSERT_EQ(size[1], powerOfTwoAtLeast(int(bitmap.rows))) << "code " << code;
    }
    // The space has no picture: one clear texel.
    EXPECT_EQ(textureSize(font.textures()[' ']), (std::array<int, 2>{1, 1}));
    EXPECT_EQ(texels(font.textures()[' '], 1, 1), (std::vector<GLubyte>{0, 0}));
    // A large glyph, and where its coverage sits in its padded texture.
    const FT_Bitmap& w = reference.render('W');
    EXPECT_GT(w.width, 32u);
    const auto size = textureSize(font.textures()['W']);
    const std::vector<GLubyte> data = texels(font.textures()['W'], size[0], size[1]);
    for (unsigned row = 0; row < w.rows; row += 7) {
        for (unsigned col = 0; col < w.width; col += 5) {
            ASSERT_EQ(data[2 * (row * size[0] + col)], w.buffer[row * w.pitch + col]);
            ASSERT_EQ(data[2 * (row * size[0] + col) + 1], w.buffer[row * w.pitch + col]);
        }
    }
    EXPECT_EQ(data[2 * (size[0] - 1)], 0); // padding
}

TEST(TextFont, OnePixelWideGlyphsAreReadRowByRow) {
    // At a tiny height some glyphs are a single pixel wide: their rows are two bytes long.
    TextFont& font = TextFont::instance();
    font.init(kFont.c_str(), 2);
    Reference reference(2);
    int checked = 0;
    for (int code = 33; code < 127; ++code) {
        const FT_Bitmap& bitmap = reference.render(static_cast<unsigned char>(code));
        if (bitmap.width != 1 || bitmap.rows < 3) {
            continue;
        }
        const int height = powerOfTwoAtLeast(int(bitmap.rows));
        ASSERT_EQ(textureSize(font.textures()[code]), (std::array<int, 2>{1, height}));
        const std::vector<GLubyte> data = texels(font.textures()[code], 1, height);
        for (unsigned row = 0; row < bitmap.rows; ++row) {
            ASSERT_EQ(data[2 * row], bitmap.buffer[row * bitmap.pitch]) << "code " << code;
        }
        ++checked;
    }
    EXPECT_GT(checked, 0) << "no glyph was one pixel wide";
    font.init(kFont.c_str(), 46);
}

TEST(TextFont, PrintRestoresTheCallersStateAndSpacesLinesWhateverTheScale) {
    TextFont& font = TextFont::instance();
    if (!font.ready()) {
        font.init(kFont.c_str(), 46);
    }
    useWindowPixels();
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glListBase(7);
    for (float scale : {1.0f, 0.5f}) {
        clearTo(0, 0, 0);
        glLoadIdentity();
        glTranslatef(100.0f, 600.0f, 0.0f);
        glScalef(scale, scale, 1.0f);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        const auto before = modelviewMatrix();
        print(font, "I\nI");

        EXPECT_EQ(modelviewMatrix(), before);
        GLint listBase = 0, matrixMode = 0;
        glGetIntegerv(GL_LIST_BASE, &listBase);
        glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
        EXPECT_EQ(listBase, 7);
        EXPECT_EQ(matrixMode, GL_MODELVIEW);
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        GLfloat colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_EQ(colour[0] + colour[1] + colour[2] + colour[3], 4.0f);

        // The tops of the two letters are one line spacing apart, in window pixels.
        const std::vector<int> rows = litRows();
        ASSERT_FALSE(rows.empty());
        int secondTop = -1;
        for (std::size_t i = rows.size() - 1; i > 0; --i) {
            if (rows[i - 1] != rows[i] - 1) {
                secondTop = rows[i - 1];
                break;
            }
        }
        ASSERT_GE(secondTop, 0) << "only one line drawn at scale " << scale;
        EXPECT_NEAR(rows.back() - secondTop, 73.015877, 1.0) << "scale " << scale;
    }
}

TEST(TextFont, EmptyTextOverlongTextAndHighBytesDrawSafely) {
    TextFont& font = TextFont::instance();
    if (!font.ready()) {
        font.init(kFont.c_str(), 46);
    }
    useWindowPixels();
    clearTo(0, 0, 0);
    glColor4f(1, 1, 1, 1);
    glTranslatef(10.0f, 400.0f, 0.0f);
    // A null or empty format from a caller the compiler cannot check: through a pointer, which
    // carries no format attribute for it to check against.
    void (*const unchecked)(const TextFont&, const char*, ...) = print;
    const char* none = nullptr;
    const char* empty = "";
    unchecked(font, none);
    unchecked(font, empty);
    EXPECT_TRUE(litRows().empty());
    GLint blendSource = 0;
    glGetIntegerv(GL_BLEND_SRC, &blendSource);
    EXPECT_EQ(blendSource, GL_SRC_ALPHA);

    print(font, "%s", std::string(2000, 'x').c_str());
    print(font, "\xc3\xa9\xff");
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    // A doubled percent sign draws one percent sign after the digits.
    clearTo(0, 0, 0);
    print(font, "100");
    const int digitsEnd = rightmostInk();
    ASSERT_GT(digitsEnd, 10);
    clearTo(0, 0, 0);
    print(font, "100%%");
    EXPECT_GT(rightmostInk(), digitsEnd + 20);
}
