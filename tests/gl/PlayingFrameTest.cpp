// The playing frame leaves out the background under an opaque floor and blends only what lets
// something through. Drawn again as every frame was drawn before (each picture whole, every
// sprite blended), the same world must give the same window to the last bit.
#include <gtest/gtest.h>

#include "render/ScoreBoard.h"
#include "render/ScreenSet.h"
#include "render/SpriteList.h"
#include "shell/Camera.h"
#include "shell/GameController.h"
#include "shell/GameState.h"
#include "support/GlContext.h"
#include "support/Scenario.h"
#include "support/ScratchDir.h"

#include <GL/glut.h>
#include <vector>

namespace {

// The frame just swapped, read from the back buffer, which Mesa's software renderer keeps
// through the swap (its front buffer reads back empty under Xvfb); a page's canvas keeps it until
// the browser takes the frame, after the tests' one run of script. WebGL reads only RGBA.
std::vector<unsigned char> swappedFrame() {
    std::vector<unsigned char> pixels(std::size_t(Camera::kWindowWidth) * Camera::kWindowHeight *
                                      4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, Camera::kWindowWidth, Camera::kWindowHeight, GL_RGBA, GL_UNSIGNED_BYTE,
                 pixels.data());
    return pixels;
}

bool isOneColour(const std::vector<unsigned char>& rgba) {
    for (std::size_t i = 4; i < rgba.size(); ++i) {
        if (rgba[i] != rgba[i % 4]) {
            return false;
        }
    }
    return true;
}

// The playing frame as it was drawn before: the background whole and blended, then every tile
// blended, from lists of their own built from the same files; the rest as the game draws it.
void drawFrameAsBefore() {
    static int background = -1;
    static int tiles[2] = {-1, -1};
    buildOwnSpriteList(background, ScreenSet::kPicturePaths[0]);
    for (int state = 0; state < 2; ++state) {
        buildOwnSpriteList(tiles[state], TileField::kPicturePaths[state]);
    }
    glPushMatrix();
    Camera::instance().apply();
    beginSpriteBatch();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    drawSpriteList(background, 0.0f, 37.5f, 100.0f, 75.0f);
    endSpriteBatch();
    beginSpriteBatch();
    for (const auto& tile : tileField.tiles()) {
        glColor4f(1.0f, 1.0f - tile->heat(), 1.0f - tile->heat(), 1.0f);
        drawSpriteList(tiles[int(tile->state())], tile->x(), tile->y(), tile->size(), tile->size());
    }
    endSpriteBatch();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    pickupManager.draw();
    fire.draw();
    ScoreBoard::instance().drawScore();
    glutSwapBuffers();
    glPopMatrix();
}

// The game started on the data in the working folder, then a floor with every degree of heat and
// a hole in each column, both kinds of pickup, the fire on the floor and a score; one frame of
// play drawn by the game, then the same world drawn as before. Returns the bytes that differ.
int bytesThatDifferFromBefore() {
    GameController& controller = GameController::instance();
    controller.init();
    quietPickups();
    for (std::size_t i = 0; i < tileField.tiles().size(); ++i) {
        tileField.tiles()[i]->setHeat(float(i % 15) / 10.0f);
    }
    for (int column = 0; column < TileField::kColumns; ++column) {
        tileOf(column, (column * 5 + 3) % TileField::kRows).setState(TileState::Burnt);
    }
    spawnCooldown();
    placeFire(tileOf(6, 1).x(), tileOf(6, 1).y(), tileOf(9, 9).x(), tileOf(9, 9).y());
    ScoreBoard::instance().add(1200);
    gameState = GameState::Playing;

    drawAsAFrame([] {
        clearTo(0, 0, 1);
        GameController::instance().display();
    });
    const std::vector<unsigned char> game = swappedFrame();
    drawAsAFrame([] {
        clearTo(1, 0, 0);
        drawFrameAsBefore();
    });
    const std::vector<unsigned char> before = swappedFrame();
    // A read that failed leaves both frames alike and empty.
    EXPECT_FALSE(isOneColour(game)) << "the frame read back is one colour";
    int differing = 0;
    for (std::size_t i = 0; i < game.size(); ++i) {
        differing += game[i] != before[i];
    }
    return differing;
}

} // namespace

TEST(PlayingFrame, TheGamesOwnPicturesDrawThePictureTheyDrewBefore) {
    ScratchDir dir;
    for (const char* file : {"images/background.png", "images/tile.png", "images/black.png",
                             "images/fireback.png", "images/firemiddle.png", "images/circle.png",
                             "images/arrow.png", "images/diamond.png", "fonts/rabiohead.ttf"}) {
        dir.copyGameData(file);
    }
    EXPECT_EQ(bytesThatDifferFromBefore(), 0);
    EXPECT_TRUE(tileField.opaqueCover()) << "the game's floor is opaque";
}

// A floor picture that lets the background through leaves the background whole; a missing hole
// picture draws untinted squares in the tiles' opaque colour.
TEST(PlayingFrame, AFloorThatLetsTheBackgroundThroughLeavesItWhole) {
    ScratchDir dir;
    for (const char* file : {"images/background.png", "images/fireback.png",
                             "images/firemiddle.png", "images/circle.png", "fonts/rabiohead.ttf"}) {
        dir.copyGameData(file);
    }
    writePng("images/tile.png", 64, 64, [](int x, int y) {
        return (x / 8 + y / 8) % 2 ? Rgba{200, 220, 255, 255} : Rgba{255, 255, 255, 0};
    });
    EXPECT_EQ(bytesThatDifferFromBefore(), 0);
    EXPECT_FALSE(tileField.opaqueCover());
}

TEST(PlayingFrame, AMissingFloorPictureStillCoversTheBackground) {
    ScratchDir dir;
    for (const char* file : {"images/background.png", "images/tile.png", "images/fireback.png",
                             "images/firemiddle.png", "fonts/rabiohead.ttf"}) {
        dir.copyGameData(file);
    }
    EXPECT_EQ(bytesThatDifferFromBefore(), 0);
    EXPECT_TRUE(tileField.opaqueCover());
}
