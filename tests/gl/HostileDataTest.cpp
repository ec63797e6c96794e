// Damaged and unusual pictures and fonts, loaded for real: a broken picture gives texture 0 (an
// untextured square), an odd valid one a whole texture, a broken font its message, and a bitmap
// font whole glyphs.
#include <gtest/gtest.h>

#include "render/PngImage.h"
#include "render/SpriteList.h"
#include "render/TextFont.h"
#include "support/GlContext.h"
#include "support/HostileFiles.h"
#include "support/ScratchDir.h"

#include <GL/gl.h>
#include <stdexcept>
#include <vector>

TEST(HostileData, BrokenPicturesGiveNoTextureAndOddValidOnesLoad) {
    ScratchDir dir;
    for (const HostileFile& file : hostilePictures()) {
        dir.writeFile("images/picture.png", file.bytes);
        const GLuint texture = loadPngTexture("images/picture.png");
        if (!file.usable) {
            EXPECT_EQ(texture, 0u) << file.name;
            continue;
        }
        ASSERT_NE(texture, 0u) << file.name;
        PngImage image;
        ASSERT_TRUE(decodePngFile("images/picture.png", image)) << file.name;
        GLint width = 0, height = 0;
        glBindTexture(GL_TEXTURE_2D, texture);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        EXPECT_EQ(width, nextPowerOfTwo(image.width)) << file.name;
        EXPECT_EQ(height, nextPowerOfTwo(image.height)) << file.name;
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(HostileData, BrokenFontsThrowTheOpeningMessageAndBitmapFontsLoad) {
    ScratchDir dir;
    for (const HostileFile& file : hostileFonts()) {
        dir.writeFile("fonts/font.ttf", file.bytes);
        try {
            TextFont::instance().init("fonts/font.ttf", 46);
            EXPECT_TRUE(file.usable) << file.name << " was taken for a font";
        } catch (const std::runtime_error& error) {
            EXPECT_FALSE(file.usable) << file.name << ": " << error.what();
            EXPECT_STREQ(error.what(),
                         "FT_New_Face failed (there is probably a problem with your font file)")
                << file.name;
            continue;
        }
        if (!file.usable) {
            continue;
        }
        // The block glyph 'A', 21 by 16 pixels, is fully covered at every bit depth; the padding
        // of its 32 by 16 texture stays clear.
        std::vector<GLubyte> texels(32 * 16 * 2, 7);
        glBindTexture(GL_TEXTURE_2D, TextFont::instance().textures()['A']);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE, texels.data());
        for (int row = 0; row < 16; ++row) {
            for (int col = 0; col < 32; ++col) {
                ASSERT_EQ(texels[std::size_t(2 * (row * 32 + col) + 1)], col < 21 ? 255 : 0)
                    << file.name << " at column " << col << ", row " << row;
            }
        }
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
