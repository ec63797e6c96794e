// The real game driven for thousands of frames: its memory must not grow while it plays.
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

    // Walk after the fuel; if the run ends, the final screen goes on being drawn every frame.
    FloorWalker walker(game, {7, 0});
    game.press(1);
    auto playFor = [&](int seconds) {
        eventually(
            [&] {
                const Screenshot shot = game.capture();
                walker.step(shot, readFloor(shot).fuel);
                return false;
            },
            seconds * 1000);
    };
    playFor(5); // about 300 frames: everything is loaded and warm
    const long settled = game.residentKilobytes();
    playFor(45); // about 2700 frames more at 60 a second
    const long later = game.residentKilobytes();
    game.release(1);
    ASSERT_GT(settled, 0);
    EXPECT_EQ(game.exitStatus(), -1);
    std::printf("resident memory: %ld KiB after 5 s, %ld KiB after 50 s\n", settled, later);
    EXPECT_LT(later - settled, 4096) << "the game grew by " << later - settled << " KiB";
}
