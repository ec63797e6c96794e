// End-to-end: the game ends whenever it is told to, on a still screen and in play: by the
// signals a terminal, kill or a desktop session send, and when its window is destroyed under it.
#include <gtest/gtest.h>

#include "e2e/GameSession.h"
#include "e2e/ScreenReading.h"

#include <chrono>
#include <csignal>

namespace {

enum class Stage { Title, Play };

// The game started and brought to the stage, with its picture up.
void reach(GameSession& game, Stage stage) {
    if (stage == Stage::Play) {
        startPlaying(game);
        return;
    }
    ASSERT_TRUE(game.waitForWindow()) << game.errorOutput();
    ASSERT_TRUE(eventually([&] { return shows(game, "titlescreen.png"); }));
}

// Far longer than the game takes to end: it only bounds a test whose game never does.
constexpr int kEndingMs = 10000;

} // namespace

TEST(E2eEnding, InterruptAndTerminateEndTheGameOnAStillScreenAndInPlay) {
    for (Stage stage : {Stage::Title, Stage::Play}) {
        for (int signal : {SIGINT, SIGTERM}) {
            GameSession game;
            reach(game, stage);
            game.sendSignal(signal);
            EXPECT_TRUE(eventually([&] { return game.exitStatus() >= 0; }, kEndingMs))
                << "signal " << signal << " on stage " << int(stage);
            EXPECT_EQ(game.exitStatus(), 128 + signal);
        }
    }
}

TEST(E2eEnding, AWindowDestroyedFromOutsideEndsTheGameAsAClose) {
    for (Stage stage : {Stage::Title, Stage::Play}) {
        GameSession game;
        reach(game, stage);
        game.destroyWindow();
        EXPECT_TRUE(eventually([&] { return game.exitStatus() >= 0; }, kEndingMs))
            << "stage " << int(stage);
        EXPECT_EQ(game.exitStatus(), 0) << "stage " << int(stage);
    }
}

// The window may go at any moment: while it is being created, before and while the driver draws
// into it for the first time, and in the first frames. Each moment ends the game as a close
// does, never with an error and never hung.
TEST(E2eEnding, AWindowDestroyedFromItsCreationOnEndsTheGameAsAClose) {
    std::vector<int> delaysMs(12, 0);
    for (int ms = 5; ms <= 100; ms += 5) {
        delaysMs.push_back(ms);
    }
    for (int ms : {150, 200, 300, 500, 800, 1200, 2000}) {
        delaysMs.push_back(ms);
    }
    for (int delayMs : delaysMs) {
        GameSession game;
        ASSERT_TRUE(game.destroyWindowOnceNamed(std::chrono::milliseconds(delayMs)))
            << game.errorOutput();
        EXPECT_TRUE(eventually([&] { return game.exitStatus() >= 0; }, kEndingMs))
            << "destroyed " << delayMs << " ms after it was named: still running";
        EXPECT_EQ(game.exitStatus(), 0) << "destroyed " << delayMs << " ms after it was named";
    }
}
