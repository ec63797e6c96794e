// Damaged and unusual pictures and fonts, loaded for real: a broken picture gives texture 0 (an
// untextured square), an odd valid one a whole texture, and a broken font its message.
#include <gtest/gtest.h>

#include "render/PngImage.h"
#include "render/SpriteList.h"
#include "render/TextFont.h"
#include "support/GlContext.h"
#include "support/HostileFiles.h"
#include "support/ScratchDir.h"

#include <GL/gl.h>
#include <stdexcept>

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

TEST(HostileData, BrokenFontsThrowTheOpeningMessage) {
    ScratchDir dir;
    for (const HostileFile& file : hostileFonts()) {
        dir.writeFile("fonts/font.ttf", file.bytes);
        try {
            TextFont::instance().init("fonts/font.ttf", 46);
            ADD_FAILURE() << file.name << " was taken for a font";
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(),
                         "FT_New_Face failed (there is probably a problem with your font file)")
                << file.name;
        }
    }
}
