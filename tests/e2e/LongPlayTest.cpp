// The real game driven for thousands of frames: its memory must not grow while it runs.
#include <gtest/gtest.h>

#include "e2e/GameSession.h"
#include "e2e/ScreenReading.h"

#include <algorithm>
#include <unistd.h>

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

    // The final screen is still, so it is drawn only when the window is exposed: exposed 60
    // times a second, it is a whole frame each time (the display pass, the score's text, the
    // swap). Over about 2400 such frames the game's own memory must not keep growing. Shared
    // library code is left out: the kernel pages it in and out on its own. The driver's buffers
    // may rise once, to a new high-water mark when the machine is loaded and frames queue up; a
    // leak rises all the time. So of two halves of 20 s, at least one must be flat (a leak of
    // 200 bytes a frame shows in both), and the whole must stay within one such rise.
    const auto exposeFor = [&game](std::chrono::seconds length) {
        const auto end = std::chrono::steady_clock::now() + length;
        while (std::chrono::steady_clock::now() < end) {
            game.expose();
            std::this_thread::sleep_for(std::chrono::microseconds(16667));
        }
    };
    const long settled = game.anonymousKilobytes();
    const long settledInAll = game.residentKilobytes();
    const long ticksBefore = game.processorTicks();
    exposeFor(std::chrono::seconds(20));
    const long midway = game.anonymousKilobytes();
    exposeFor(std::chrono::seconds(20));
    const long later = game.anonymousKilobytes();
    ASSERT_GT(settled, 0);
    EXPECT_EQ(game.exitStatus(), -1);
    EXPECT_LT(game.capture().difference(over), 24.0) << "the final screen did not stay";
    // Frames were drawn: a second of processor at the very least.
    EXPECT_GT(game.processorTicks() - ticksBefore, sysconf(_SC_CLK_TCK));
    std::printf("own memory: %ld KiB settled, %ld KiB 20 s later, %ld KiB 40 s later "
                "(in all %ld KiB, then %ld KiB)\n",
                settled, midway, later, settledInAll, game.residentKilobytes());
    EXPECT_LT(std::min(midway - settled, later - midway), 256)
        << "the game grew in both halves: by " << midway - settled << " KiB, then by "
        << later - midway << " KiB";
    EXPECT_LT(later - settled, 4096) << "the game grew by " << later - settled << " KiB";
}
