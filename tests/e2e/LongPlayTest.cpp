// The real game driven for thousands of frames: its memory must not grow while it runs.
#include <gtest/gtest.h>

#include "e2e/GameSession.h"
#include "e2e/ScreenReading.h"

TEST(E2eLongPlay, MemoryStaysFlatOverThousandsOfFrames) {
    GameSession game;
    ASSERT_TRUE(game.waitForWindow()) << game.errorOutput();
    game.click(pixelX(tileX(7)), pixelY(tileY(0)));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    game.click(pixelX(tileX(7)), pixelY(tileY(0)));
    ASSERT_TRUE(eventually([&] { return scoreInk(game.capture()) > 0; }));

    // Play for a while after the fuel, then rest until the tile gives way: every screen has been
    // drawn and every picture touched before memory is measured.
    FloorWalker walker(game, {7, 0});
    game.press(1);
    eventually(
        [&] {
            const Screenshot shot = game.capture();
            walker.step(shot, readFloor(shot).fuel);
            return false;
        },
        15000);
    game.release(1);
    const std::vector<Rgb> over = referencePicture("gameover.png");
    ASSERT_TRUE(eventually([&] { return game.capture().difference(over) < 24.0; }, 30000));
    std::this_thread::sleep_for(std::chrono::seconds(5));

    // The final screen is a whole frame every 1/60 s: the display pass, the score's text, the
    // swap. About 2400 more frames must leave the game's own memory where it was. Shared library
    // code is left out: the kernel pages it in and out on its own, and it is no allocation.
    const long settled = game.anonymousKilobytes();
    const long settledInAll = game.residentKilobytes();
    std::this_thread::sleep_for(std::chrono::seconds(40));
    const long later = game.anonymousKilobytes();
    ASSERT_GT(settled, 0);
    EXPECT_EQ(game.exitStatus(), -1);
    std::printf("own memory: %ld KiB settled, %ld KiB 40 s later (in all %ld KiB, then %ld KiB)\n",
                settled, later, settledInAll, game.residentKilobytes());
    EXPECT_LT(later - settled, 1024) << "the game grew by " << later - settled << " KiB";
}
