// The score drawn with the real font: beside the floor in play, large on the game-over screen.
#include <gtest/gtest.h>

#include "render/ScoreBoard.h"
#include "render/TextFont.h"
#include "shell/Camera.h"
#include "support/GlContext.h"
#include "support/ScratchDir.h"

#include <GL/gl.h>
#include <initializer_list>
#include <vector>

namespace {

// The window's pixels, bottom row first.
std::vector<Rgba> windowPixels() {
    std::vector<Rgba> pixels(std::size_t(Camera::kWindowWidth) * Camera::kWindowHeight);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, Camera::kWindowWidth, Camera::kWindowHeight, GL_RGBA, GL_UNSIGNED_BYTE,
                 pixels.data());
    return pixels;
}

// Whether any pixel in the box of world units is brighter than the dark background.
bool inkIn(double x0, double y0, double x1, double y1) {
    const PixelPos a = worldToPixel(x0, y0), b = worldToPixel(x1, y1);
    for (int y = a.y; y < b.y; y += 2) {
        for (int x = a.x; x < b.x; x += 2) {
            if (readPixel(x, y).r > 160) {
                return true;
            }
        }
    }
    return false;
}

struct Placed {
    float x, y, scale;
    const char* text;
};

// What the board drew, against the expected texts printed in white where they belong: the two
// pictures must match pixel for pixel, so a wrong digit shows.
::testing::AssertionResult drawsText(void (ScoreBoard::*draw)() const,
                                     std::initializer_list<Placed> expected) {
    clearTo(0, 0, 0);
    (ScoreBoard::instance().*draw)();
    const std::vector<Rgba> drawn = windowPixels();
    clearTo(0, 0, 0);
    for (const Placed& text : expected) {
        glPushMatrix();
        glTranslatef(text.x, text.y, 0.0f);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        glScalef(text.scale, text.scale, text.scale);
        print(TextFont::instance(), "%s", text.text);
        glPopMatrix();
    }
    const std::vector<Rgba> reference = windowPixels();
    std::size_t differing = 0;
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        differing += drawn[i].r != reference[i].r ? 1 : 0;
    }
    if (differing > 0) {
        return ::testing::AssertionFailure()
               << differing << " pixels differ from the expected text";
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(ScoreBoard, ScoresStandRightOfTheFloorAndOnTheGameOverScreen) {
    ScratchDir dir;
    dir.copyGameData("fonts/rabiohead.ttf");
    ScoreBoard& board = ScoreBoard::instance();
    board.init();
    for (int fuel = 0; fuel < 13; ++fuel) {
        board.add(100);
    }
    ASSERT_EQ(board.score(), 1300);

    Camera::instance().apply();
    clearTo(0, 0, 0);
    board.drawScore();
    EXPECT_TRUE(inkIn(29, 45, 44, 49));   // "Score:"
    EXPECT_TRUE(inkIn(29, 40.5, 36, 44)); // the number
    EXPECT_FALSE(inkIn(-48, 0, 24, 75));  // nothing over the floor
    clearTo(0, 0, 0);
    board.drawFinalScore();
    EXPECT_TRUE(inkIn(-26, 15, 20, 22));
    EXPECT_FALSE(inkIn(-50, 30, 50, 75));

    // The very digits of the score, in play and on the game-over screen.
    EXPECT_TRUE(drawsText(&ScoreBoard::drawScore,
                          {{29.0f, 45.0f, 0.085f, "Score: "}, {29.0f, 40.5f, 0.085f, "1300"}}));
    EXPECT_TRUE(
        drawsText(&ScoreBoard::drawFinalScore, {{-26.0f, 15.0f, 0.15f, "Your Score: 1300"}}));
}
