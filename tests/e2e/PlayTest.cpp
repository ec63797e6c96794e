// End-to-end: the real game in a real X server, played through the pointer and judged by what is
// on the screen.
#include <gtest/gtest.h>

#include "e2e/GameSession.h"
#include "e2e/ScreenReading.h"
#include "support/ScratchDir.h"

#include <cmath>
#include <optional>

TEST(E2eWindow, TitledWindowOfFixedSizeThatIgnoresKeys) {
    GameSession game;
    ASSERT_TRUE(game.waitForWindow()) << game.errorOutput();
    EXPECT_EQ(game.title(), "Emberdash - Korvath, Velmora");
    ASSERT_TRUE(eventually([&] { return game.geometry().x == 100 && game.geometry().y == 100; }));
    EXPECT_EQ(game.geometry().width, 1024);
    EXPECT_EQ(game.geometry().height, 768);

    game.requestSize(800, 600);
    EXPECT_TRUE(eventually([&] {
        const auto g = game.geometry();
        return g.width == 1024 && g.height == 768;
    }));

    ASSERT_TRUE(eventually([&] { return shows(game, "titlescreen.png"); }));
    for (const char* key : {"space", "Return", "Escape", "a", "Left", "F1"}) {
        game.tapKey(key);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(shows(game, "titlescreen.png"));
    EXPECT_EQ(game.exitStatus(), -1);
}

TEST(E2eScreens, TitleThenInstructionsThenPlay) {
    GameSession game;
    ASSERT_TRUE(game.waitForWindow()) << game.errorOutput();
    ASSERT_TRUE(eventually([&] { return shows(game, "titlescreen.png"); }));
    EXPECT_FALSE(shows(game, "instructions.png"));

    // A still screen is drawn once; whatever hides it, it must come back.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const Screenshot covered = game.coverAndUncover();
    EXPECT_FALSE(covered.difference(referencePicture("titlescreen.png")) < kSamePicture);
    EXPECT_TRUE(eventually([&] { return shows(game, "titlescreen.png"); }, 3000))
        << "after a cover";
    game.unmapAndMap();
    ASSERT_TRUE(game.waitForWindow());
    EXPECT_TRUE(eventually([&] { return shows(game, "titlescreen.png"); }, 3000)) << "after a map";

    game.click(500, 700);
    ASSERT_TRUE(eventually([&] { return shows(game, "instructions.png"); }));
    game.click(pixelX(0), pixelY(4.5));
    ASSERT_TRUE(eventually([&] { return scoreInk(game.capture()) > 0; }));

    const Screenshot play = game.capture();
    // The floor's tiles, light where intact; the backdrop around it, dark.
    EXPECT_GT(play.atWorld(-45, 70.5).r, 180);
    EXPECT_GT(play.atWorld(21, 4.5 + 6).g, 150);
    EXPECT_LT(play.atWorld(40, 20).r, 120);
    // "Score:" and a single digit, 0, beside the floor.
    EXPECT_GT(inkWidth(play, 28.5, 44.5, 49.5, 49.5), 60);
    EXPECT_GT(scoreInk(play), 8);
    EXPECT_LT(scoreInk(play), 40);
    EXPECT_TRUE(flameNear(play, {0, 4.5}, 6).has_value());
}

TEST(E2eSteering, DraggingMovesTheFireWhichStaysOnTheFloor) {
    GameSession game;
    startPlaying(game);
    // Along the bottom rows, which start without any pre-heated tile, and on past the window's
    // left edge.
    game.press(1);
    for (int x = pixelX(0); x >= -150; x -= 40) {
        game.moveTo(x, pixelY(4.5));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::optional<WorldPoint> fire;
    EXPECT_TRUE(eventually(
        [&] {
            fire = flameNear(game.capture(), {-40, 6}, 12);
            return fire && fire->x < -44.0;
        },
        15000))
        << (fire ? fire->x : 999);
    ASSERT_TRUE(fire);
    EXPECT_GT(fire->x, -46.0);
    EXPECT_GT(fire->y, 4.0);
    game.release(1);
}

TEST(E2eRun, AParkedFireBurnsItsTileAndTheRunEndsOnTheFinalScreen) {
    GameSession game;
    startPlaying(game);
    // The fire rests at (0, 4.5), on the tile from x -6 to 0; look beside the flame.
    EXPECT_TRUE(eventually([&] {
        const Rgb p = game.capture().atWorld(-5.0, 2.5);
        return p.r > 200 && p.g < 70 && p.b < 70;
    })) << "the tile never turned red";
    // The game-over picture, with the final score written over its calm band.
    const std::vector<Rgb> picture = referencePicture("gameover.png");
    ASSERT_TRUE(eventually([&] { return game.capture().difference(picture) < 3 * kSamePicture; }))
        << "the run never ended";
    const Screenshot over = game.capture();
    EXPECT_GT(inkWidth(over, -27, 14, 50, 24), 300) << "no final score";

    game.click(500, 300);
    game.click(500, 300, 3);
    game.tapKey("Return");
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_LT(game.capture().difference(over.pixels), 1.0);
    EXPECT_EQ(game.exitStatus(), -1);
}

TEST(E2eRun, ReachingFuelRaisesTheScore) {
    // The floor is random and a run can be lost on the way: a few tries are allowed. A lost run
    // ends its try at once, so that three of them fit in the test's time.
    const std::vector<Rgb> over = referencePicture("gameover.png");
    for (int attempt = 0; attempt < 3; ++attempt) {
        GameSession game;
        startPlaying(game, tileX(7), tileY(0));
        const int startInk = scoreInk(game.capture());
        FloorWalker walker(game, {7, 0});
        game.press(1);
        bool scored = false;
        eventually(
            [&] {
                const Screenshot shot = game.capture();
                scored = scoreInk(shot) > 2 * startInk;
                if (scored || shot.difference(over) < 3 * kSamePicture) {
                    return true;
                }
                walker.step(shot, readFloor(shot).fuel);
                return false;
            },
            80000);
        game.release(1);
        if (scored) {
            return;
        }
    }
    FAIL() << "the score never rose in three runs";
}

TEST(E2eDegraded, WithoutAnAudioDeviceTheGamePlaysInSilence) {
    GameSession::Options options;
    options.audioDriver = "no-such-driver";
    GameSession game(options);
    startPlaying(game);
    EXPECT_EQ(game.exitStatus(), -1);
}

TEST(E2eDegraded, MissingOrCorruptPicturesAreLeftBlank) {
    ScratchDir dir;
    copyGameData(dir.path());
    std::filesystem::remove(dir.path() / "images" / "titlescreen.png");
    dir.writeFile("images/tile.png", "\x89PNG\r\n\x1a\n this is not the rest of a picture");
    GameSession::Options options;
    options.dataDir = dir.path();
    GameSession game(options);
    ASSERT_TRUE(game.waitForWindow()) << game.errorOutput();
    // No title picture: the screen's square is drawn untextured, in white.
    ASSERT_TRUE(eventually([&] {
        const Screenshot shot = game.capture();
        return isWhite(shot.at(10, 10)) && isWhite(shot.at(512, 384)) &&
               isWhite(shot.at(1000, 700));
    }));
    game.click(pixelX(0), pixelY(4.5));
    ASSERT_TRUE(eventually([&] { return shows(game, "instructions.png"); }));
    game.click(pixelX(0), pixelY(4.5));
    ASSERT_TRUE(eventually([&] { return scoreInk(game.capture()) > 0; }));
    // Untextured tiles are flat: the same white all over a cold tile.
    const Screenshot play = game.capture();
    const Rgb a = play.atWorld(-47, 72.5), b = play.atWorld(-43, 68.5);
    EXPECT_TRUE(isWhite(a));
    EXPECT_EQ(a.r + a.g + a.b, b.r + b.g + b.b);
    EXPECT_EQ(game.exitStatus(), -1);
}
