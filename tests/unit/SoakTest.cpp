// Long play: the real update pass driven through many runs with random pointer input and random
// frame lengths, checking the world's invariants after every frame.
#include <gtest/gtest.h>

#include "shell/FrameClock.h"
#include "shell/InputState.h"
#include "support/Scenario.h"
#include "world/World.h"

#include <GL/glut.h>
#include <cmath>
#include <set>

namespace {

// A fresh run; some start on a floor that is nearly all holes, to push placement to its limit.
void startRun(int run) {
    gameState = GameState::Playing;
    fire.layOut();
    tileField.layOut();
    pickupManager.layOut();
    if (run % 5 == 4) {
        const int keep = randomInt(3); // 0, 1 or 2 tiles stay intact
        for (int i = 0; i < 144; ++i) {
            if (i % 144 >= keep) {
                tileField.tiles()[std::size_t((i + 37) % 144)]->setState(TileState::Burnt);
                tileField.tiles()[std::size_t((i + 37) % 144)]->setHeat(0.0f);
            }
        }
    }
}

// Random pointer events of every kind, some far outside the window, wheel turns among them.
void randomPointer(InputState& input) {
    const int x = randomInt(1400) - 200, y = randomInt(1100) - 150;
    switch (randomInt(6)) {
    case 0:
        input.onHover(x, y);
        break;
    case 1:
    case 2:
        input.onDrag(x, y);
        break;
    case 3:
        input.onMouseButton(randomInt(5), randomInt(2) ? GLUT_DOWN : GLUT_UP, x, y);
        break;
    default:
        break;
    }
}

std::set<const Tile*> holes() {
    std::set<const Tile*> burnt;
    for (const auto& tile : tileField.tiles()) {
        if (tile->state() == TileState::Burnt) {
            burnt.insert(tile.get());
        }
    }
    return burnt;
}

} // namespace

TEST(Soak, InvariantsHoldThroughManyRunsOfRandomPlay) {
    seedRandom(99);
    InputState& input = InputState::instance();
    const int stepsMs[] = {0, 0, 16, 17, 16, 33, 120, 121, 400};
    FrameClock clock(1000);
    std::int32_t nowMs = 1000;
    long frames = 0;
    int runs = 0, endedOverAHole = 0;

    while (frames < 1000000) {
        startRun(runs++);
        std::set<const Tile*> burnt = holes();
        for (int frame = 0; frame < 20000 && gameState == GameState::Playing; ++frame, ++frames) {
            if (randomInt(4) == 0) {
                randomPointer(input);
            }
            nowMs += stepsMs[randomInt(9)];
            clock.tick(nowMs);
            ASSERT_LE(clock.frameSeconds, FrameClock::kMaxFrameSeconds);
            const int scoreBefore = ScoreBoard::instance().score();
            updateWorld(float(clock.frameSeconds));

            ASSERT_TRUE(std::isfinite(fire.x()) && std::isfinite(fire.y()));
            ASSERT_TRUE(std::isfinite(fire.vx()) && std::isfinite(fire.vy()));
            ASSERT_GE(fire.x(), -45.0f);
            ASSERT_LE(fire.x(), 21.0f);
            ASSERT_GE(fire.y(), 4.5f);
            ASSERT_LE(fire.y(), 70.5f);
            // One fuel pickup at all times; only a fuel collected as the last tile went has no
            // tile left for its successor.
            const bool intactLeft = holes().size() < 144;
            const bool collected = ScoreBoard::instance().score() > scoreBefore;
            ASSERT_EQ(countKind(PickupKind::Fuel), intactLeft || !collected ? 1 : 0);
            ASSERT_LE(countKind(PickupKind::Cooldown), 1);
            ASSERT_EQ(ScoreBoard::instance().score() % 100, 0);
            ASSERT_GE(ScoreBoard::instance().score(), scoreBefore);
            for (const auto& tile : tileField.tiles()) {
                ASSERT_TRUE(tile->heat() >= 0.0f && std::isfinite(tile->heat()));
                if (burnt.count(tile.get())) {
                    ASSERT_EQ(tile->state(), TileState::Burnt) << "a hole healed";
                    ASSERT_EQ(tile->heat(), 0.0f);
                }
            }
            // The run ends exactly when the fire stood over a hole as the floor was updated.
            const bool overAHole = burnt.count(tileField.tileAt(fire)) > 0;
            ASSERT_EQ(gameState == GameState::GameOver, overAHole) << "frame " << frame;
            endedOverAHole += overAHole ? 1 : 0;
            burnt = holes();
        }
    }
    std::printf("soaked %ld frames over %d runs, %d of them ended over a hole\n", frames, runs,
                endedOverAHole);
    EXPECT_GT(endedOverAHole, runs / 2);
}
