// The score drawn with the real font: beside the floor in play, large on the game-over screen.
#include <gtest/gtest.h>

#include "render/ScoreBoard.h"
#include "render/TextFont.h"
#include "shell/Camera.h"
#include "support/GlContext.h"
#include "support/ScratchDir.h"

#include <GL/gl.h>

namespace {

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

} // namespace

TEST(ScoreBoard, ScoresStandRightOfTheFloorAndOnTheGameOverScreen) {
    ScratchDir dir;
    dir.copyGameData("fonts/rabiohead.ttf");
    ScoreBoard& board = ScoreBoard::instance();
    board.init();
    board.add(100);
    board.add(100);
    EXPECT_EQ(board.score() % 100, 0);

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
}
