// Sprite lists drawn for real: upright pictures, transparency, any side length, failures.
#include <gtest/gtest.h>

#include "render/SpriteList.h"
#include "shell/Camera.h"
#include "support/GlContext.h"
#include "support/ScratchDir.h"

#include <GL/gl.h>

namespace {

// Draws a sprite list stretched over the whole window, blended and alpha-tested as the game's
// sprites are, over a white background.
void drawFullWindow(int list) {
    Camera::instance().apply();
    clearTo(1, 1, 1);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.0f);
    glColor4f(1, 1, 1, 1);
    glPushMatrix();
    glTranslatef(0.0f, 37.5f, 0.0f);
    glScalef(100.0f, 75.0f, 1.0f);
    glCallList(GLuint(list));
    glPopMatrix();
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
}

int build(const char* path) {
    int list = -1;
    int texture = -1;
    buildSpriteList(list, texture, path);
    return list;
}

GLint boundParameter(GLenum name) {
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

} // namespace

TEST(SpriteList, PicturesAreUprightAndTransparencyShowsWhatIsBelow) {
    ScratchDir dir;
    // Top half blue, bottom half: left see-through, right black. Sides of 6 by 10 on purpose.
    writePng("picture.png", 6, 10, [](int x, int y) {
        if (y < 5) {
            return Rgba{0, 0, 255, 255};
        }
        return x < 3 ? Rgba{255, 0, 0, 0} : Rgba{0, 0, 0, 255};
    });
    drawFullWindow(build("picture.png"));

    // Within half a texel of the edge, clamping blends in the border colour: look further in.
    EXPECT_TRUE(pixelNear(readPixel(100, 700), 0, 0, 1)); // top
    EXPECT_TRUE(pixelNear(readPixel(900, 740), 0, 0, 1));
    EXPECT_TRUE(pixelNear(readPixel(100, 100), 1, 1, 1)); // see-through: the white below
    EXPECT_TRUE(pixelNear(readPixel(0, 0), 1, 1, 1));
    EXPECT_TRUE(pixelNear(readPixel(900, 100), 0, 0, 0));
    EXPECT_TRUE(pixelNear(readPixel(900, 30), 0, 0, 0));
}

TEST(SpriteList, TexturesClampAndFilterLinearlyWithAlphaOnlyWhenTheFileHasIt) {
    ScratchDir dir;
    writeSolidPng("opaque.png", 4, 4, {0, 255, 0, 255}, {PngKind::Rgb});
    writePng("indexed.png", 4, 4,
             [](int x, int) {
                 return x < 2 ? Rgba{0, 0, 0, 0} : Rgba{255, 0, 0, 255};
             },
             {PngKind::Palette});

    const GLuint opaque = loadPngTexture("opaque.png");
    ASSERT_NE(opaque, 0u);
    glBindTexture(GL_TEXTURE_2D, opaque);
    EXPECT_EQ(boundParameter(GL_TEXTURE_WRAP_S), GL_CLAMP);
    EXPECT_EQ(boundParameter(GL_TEXTURE_WRAP_T), GL_CLAMP);
    EXPECT_EQ(boundParameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(boundParameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    GLint alphaBits = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &alphaBits);
    EXPECT_EQ(alphaBits, 0);

    const GLuint indexed = loadPngTexture("indexed.png");
    ASSERT_NE(indexed, 0u);
    glBindTexture(GL_TEXTURE_2D, indexed);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &alphaBits);
    EXPECT_GT(alphaBits, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
}

TEST(SpriteList, BrokenFilesDrawAnUntexturedSquare) {
    ScratchDir dir;
    dir.writeFile("broken.png", "\x89PNG\r\n\x1a\n garbage");
    for (const char* path : {"missing.png", "broken.png"}) {
        int list = -1;
        int texture = -1;
        buildSpriteList(list, texture, path);
        EXPECT_EQ(texture, 0) << path;
        ASSERT_GE(list, 0) << path;
        Camera::instance().apply();
        clearTo(1, 1, 1);
        glEnable(GL_TEXTURE_2D);
        glColor3f(0.0f, 0.5f, 0.0f);
        glPushMatrix();
        glTranslatef(0.0f, 37.5f, 0.0f);
        glScalef(10.0f, 10.0f, 1.0f);
        glCallList(GLuint(list));
        glPopMatrix();
        glDisable(GL_TEXTURE_2D);
        EXPECT_TRUE(pixelNear(readPixel(512, 384), 0, 0.5f, 0)) << path;
        EXPECT_TRUE(pixelNear(readPixel(10, 10), 1, 1, 1)) << path;
    }
}

TEST(SpriteList, BuiltSlotsAreLeftAloneAndGivenTexturesAreUsed) {
    ScratchDir dir;
    writeSolidPng("red.png", 2, 2, {255, 0, 0, 255});

    // A built slot opens no file and makes no list.
    int list = 12345;
    int texture = -1;
    buildSpriteList(list, texture, "red.png");
    EXPECT_EQ(list, 12345);
    EXPECT_EQ(texture, -1);

    // A texture given on entry is what the list binds, whatever the path.
    int given = int(loadPngTexture("red.png"));
    int withGiven = -1;
    buildSpriteList(withGiven, given, "missing.png");
    drawFullWindow(withGiven);
    EXPECT_TRUE(pixelNear(readPixel(512, 384), 1, 0, 0));

    // The same file into two slots gives two lists and two textures.
    int first = -1, firstTexture = -1, second = -1, secondTexture = -1;
    buildSpriteList(first, firstTexture, "red.png");
    buildSpriteList(second, secondTexture, "red.png");
    EXPECT_NE(first, second);
    EXPECT_NE(firstTexture, secondTexture);
    EXPECT_GT(firstTexture, 0);
    EXPECT_GT(secondTexture, 0);
}
