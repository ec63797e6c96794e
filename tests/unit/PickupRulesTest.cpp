// The play rules without a window: collection, succession, expiry, spawning, relocation and
// cooling, and placement when the floor runs out.
#include <gtest/gtest.h>

#include "support/AudioSession.h"
#include "support/Scenario.h"
#include "support/ScratchDir.h"
#include "support/TestWav.h"
#include "world/World.h"

#include <cmath>

TEST(PickupCollection, ReachIsStrictlyLessThanFourUnits) {
    seedRandom(42);
    quietPickups();
    placeFire(kCornerX, kCornerY, kCornerX, kCornerY);
    Entity& fuel = pickupAt(0);
    EXPECT_EQ(fuel.kind(), int(PickupKind::Fuel));
    EXPECT_EQ(fuel.size(), 2.0f);
    const int score = ScoreBoard::instance().score();

    movePickup(fuel, kCornerX + 4.0f, kCornerY);
    pickupManager.update(0.0f);
    EXPECT_EQ(ScoreBoard::instance().score(), score);
    EXPECT_EQ(&pickupAt(0), &fuel);

    movePickup(fuel, kCornerX + 3.99f, kCornerY);
    pickupManager.update(0.0f);
    EXPECT_EQ(ScoreBoard::instance().score(), score + 100);
    ASSERT_EQ(pickupManager.pickups().size(), 1u);
    // The successor stands on a tile centre, out of the corner's reach.
    const Entity& successor = pickupAt(0);
    EXPECT_EQ(successor.kind(), int(PickupKind::Fuel));
    EXPECT_EQ(std::fmod(successor.x() + 45.0f, 6.0f), 0.0f);
    EXPECT_EQ(std::fmod(successor.y() - 4.5f, 6.0f), 0.0f);
    EXPECT_EQ(pickupManager.relocateTimer(), 6.0f);
}

TEST(PickupCollection, ASuccessorLandingInReachIsCollectedInTheSameUpdate) {
    ScratchDir dir;
    writeEffectWavs(1.0);
    AudioSession audio("dummy");
    seedRandom(7);
    quietPickups();
    // Only two tiles are left, and the fire stands on one of them: every successor lands
    // within reach half of the time.
    for (const auto& tile : tileField.tiles()) {
        tile->setState(TileState::Burnt);
    }
    tileOf(4, 4).setState(TileState::Intact);
    tileOf(9, 9).setState(TileState::Intact);
    const Tile& home = tileOf(4, 4);
    parkFireOn(home);

    // Try placements until a successor lands on the fire's tile in the first collection.
    for (int attempt = 0; attempt < 50; ++attempt) {
        pickupManager.layOut();
        pickupManager.setRelocateTimer(1e6f);
        pickupManager.setSpawnTimer(1e6f);
        movePickup(pickupAt(0), home.x(), home.y());
        const int before = ScoreBoard::instance().score();
        pickupManager.update(0.0f);
        const int gained = ScoreBoard::instance().score() - before;
        ASSERT_EQ(pickupManager.pickups().size(), 1u);
        ASSERT_EQ(countKind(PickupKind::Fuel), 1);
        ASSERT_GE(gained, 100);
        if (gained == 200) {
            EXPECT_EQ(audio.bank().playingCopies(int(SoundEffect::Fuel)), 2);
            EXPECT_EQ(pickupAt(0).x(), tileOf(9, 9).x()); // the last successor lies out of reach
            return;
        }
        SoundBank::instance().shutdown();
        SoundBank::instance().init();
    }
    FAIL() << "no successor ever landed within reach";
}

TEST(PickupCollection, TheLastIntactTileUnderTheFireCannotHangTheUpdate) {
    seedRandom(3);
    quietPickups();
    for (const auto& tile : tileField.tiles()) {
        tile->setState(TileState::Burnt);
    }
    Tile& last = tileOf(6, 6);
    last.setState(TileState::Intact);
    parkFireOn(last);
    movePickup(pickupAt(0), last.x(), last.y());
    const int before = ScoreBoard::instance().score();
    pickupManager.update(0.0f);
    EXPECT_EQ(ScoreBoard::instance().score() - before,
              100 * PickupManager::kMaxFuelCollectionsPerUpdate);
    EXPECT_EQ(countKind(PickupKind::Fuel), 1);

    // With no intact tile at all, nothing is placed and nothing loops.
    last.setState(TileState::Burnt);
    pickupManager.update(0.0f);
    EXPECT_TRUE(pickupManager.pickups().empty());
    pickupManager.setSpawnTimer(0.0f);
    pickupManager.setRelocateTimer(0.0f);
    pickupManager.update(0.0f);
    EXPECT_TRUE(pickupManager.pickups().empty());
    EXPECT_GE(pickupManager.spawnTimer(), 10.0f);
    EXPECT_EQ(pickupManager.relocateTimer(), 6.0f);
}

TEST(CooldownPickups, ExpireAfterTenSecondsBlinkingAndCannotBeCollectedThen) {
    seedRandom(11);
    quietPickups();
    placeFire(kCornerX, kCornerY, kCornerX, kCornerY);
    Entity& cooldown = spawnCooldown();
    ASSERT_EQ(pickupManager.pickups().size(), 2u);
    EXPECT_EQ(cooldown.kind(), int(PickupKind::Cooldown));
    EXPECT_EQ(cooldown.lifetime(), 10.0f);
    EXPECT_GE(pickupManager.spawnTimer(), 10.0f);
    movePickup(cooldown, 21.0f, 70.5f);
    tileOf(0, 0).setHeat(0.5f);

    bool blinked = false;
    const float step = 0.125f; // exact in binary: 80 steps are exactly 10 seconds
    for (int n = 1; n < 80; ++n) {
        pickupManager.update(step);
        ASSERT_EQ(countKind(PickupKind::Cooldown), 1) << "update " << n;
        blinked = blinked || cooldown.alpha() == 0.0f;
    }
    EXPECT_TRUE(blinked);
    // In the update in which its life runs out it is removed, even under the fire.
    movePickup(cooldown, kCornerX, kCornerY);
    pickupManager.update(step);
    EXPECT_EQ(countKind(PickupKind::Cooldown), 0);
    EXPECT_FLOAT_EQ(tileOf(0, 0).heat(), 0.5f); // no cooling happened
}

TEST(CooldownPickups, CollectingOneCoolsEveryIntactTile) {
    seedRandom(5);
    quietPickups();
    placeFire(kCornerX, kCornerY, kCornerX, kCornerY);
    tileOf(1, 1).setHeat(1.2f);
    tileOf(2, 2).setHeat(0.05f);
    tileOf(3, 3).setState(TileState::Burnt);
    Entity& cooldown = spawnCooldown();
    movePickup(cooldown, kCornerX + 1.0f, kCornerY);
    pickupManager.update(0.0f);
    EXPECT_EQ(countKind(PickupKind::Cooldown), 0);
    EXPECT_NEAR(tileOf(1, 1).heat(), 1.1f, 1e-6f);
    EXPECT_EQ(tileOf(2, 2).heat(), 0.0f);
    EXPECT_EQ(tileOf(3, 3).heat(), 0.0f);
    EXPECT_EQ(tileOf(3, 3).state(), TileState::Burnt);
}

TEST(PickupRelocation, TheOldestPickupJumpsAndAfterFuelThatIsTheCooldown) {
    seedRandom(19);
    quietPickups();
    placeFire(kCornerX, kCornerY, kCornerX, kCornerY);
    pickupManager.setRelocateTimer(0.0f);
    pickupManager.update(0.0f);
    EXPECT_EQ(pickupManager.relocateTimer(), 6.0f);

    Entity& cooldown = spawnCooldown();
    movePickup(cooldown, 100.0f, 100.0f); // off the floor, so that a jump shows
    movePickup(pickupAt(0), kCornerX, kCornerY);
    pickupManager.update(0.0f); // collects the fuel: [cooldown, successor]
    ASSERT_EQ(&pickupAt(0), &cooldown);
    const Entity& successor = pickupAt(1);
    const float fuelX = successor.x(), fuelY = successor.y();

    pickupManager.setRelocateTimer(0.0f);
    pickupManager.update(0.0f);
    EXPECT_NE(cooldown.x(), 100.0f);
    EXPECT_NE(cooldown.y(), 100.0f);
    EXPECT_EQ(successor.x(), fuelX);
    EXPECT_EQ(successor.y(), fuelY);
    EXPECT_EQ(cooldown.kind(), int(PickupKind::Cooldown));
}

TEST(PickupInvariants, TheRealPassKeepsOneFuelAndUpdatesPickupsLastEvenAsTheRunEnds) {
    seedRandom(2024);
    // The floor heats the tile under the fire before the pickups cool it: a cooldown collected on
    // a tile at 0.05 leaves it at 0, where the other order would leave 0.014.
    quietPickups();
    Tile& under = tileOf(5, 5);
    parkFireOn(under);
    under.setHeat(0.05f);
    movePickup(spawnCooldown(), under.x(), under.y());
    gameState = GameState::Playing;
    updateWorld(1.0f / 60.0f);
    EXPECT_EQ(under.heat(), 0.0f);

    // The fire moves first and the floor ends the run on the tile it moved onto; the pickups are
    // still updated in that frame, so the fuel it reached scores.
    Tile& hole = tileOf(6, 5);
    hole.setState(TileState::Burnt);
    placeFire(hole.x() - 3.5f, hole.y(), 20.0f, hole.y(), 14.0f, 0.0f);
    movePickup(pickupAt(0), hole.x(), hole.y());
    const int score = ScoreBoard::instance().score();
    updateWorld(0.12f);
    EXPECT_EQ(tileField.tileAt(fire), &hole);
    EXPECT_EQ(gameState, GameState::GameOver);
    EXPECT_EQ(ScoreBoard::instance().score(), score + 100);

    const float frameLengths[] = {0.0f, 1.0f / 60.0f, 0.12f};
    int runs = 0;
    for (int frame = 0; frame < 40000; ++frame) {
        if (frame == 0 || gameState == GameState::GameOver) {
            tileField.layOut();
            pickupManager.layOut();
            fire.layOut();
            gameState = GameState::Playing;
            ++runs;
        }
        if (randomInt(20) == 0) {
            fire.setTargetX(randomFloat(-50, 50));
            fire.setTargetY(randomFloat(0, 75));
        }
        updateWorld(frameLengths[randomInt(3)]);

        ASSERT_EQ(countKind(PickupKind::Fuel), 1) << "frame " << frame;
        ASSERT_LE(countKind(PickupKind::Cooldown), 1) << "frame " << frame;
        ASSERT_EQ(ScoreBoard::instance().score() % 100, 0);
    }
    EXPECT_GT(runs, 1);
}
