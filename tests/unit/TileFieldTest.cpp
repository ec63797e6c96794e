// The floor's rules without a window: layout, lookup, heating, burning, cooling, the end of a run.
#include <gtest/gtest.h>

#include "shell/GameState.h"
#include "support/AudioSession.h"
#include "support/Scenario.h"
#include "support/ScratchDir.h"
#include "support/TestWav.h"

namespace {

struct At : Entity {
    At(float x, float y) {
        setX(x);
        setY(y);
    }
};

// Updates until the tile's heat reaches the threshold; returns how many updates that took.
int updatesUntil(const Tile& tile, auto condition, int limit = 1000) {
    for (int n = 1; n <= limit; ++n) {
        tileField.update(1.0f / 60.0f);
        if (condition(tile)) {
            return n;
        }
    }
    return -1;
}

} // namespace

TEST(TileFieldLayout, ColumnMajorTilesWithUpToSevenPreheatedAwayFromTheStart) {
    for (int run = 0; run < 50; ++run) {
        tileField.layOut();
        const auto& tiles = tileField.tiles();
        ASSERT_EQ(tiles.size(), 144u);
        EXPECT_FLOAT_EQ(tileField.coolingRate(), 0.00004f);
        int preheated = 0;
        for (int index = 0; index < 144; ++index) {
            const Tile& tile = *tiles[index];
            ASSERT_EQ(tile.x(), -45.0f + 6.0f * float(index / 12));
            ASSERT_EQ(tile.y(), 4.5f + 6.0f * float(index % 12));
            ASSERT_EQ(tile.size(), 6.0f);
            ASSERT_EQ(tile.state(), TileState::Intact);
            if (tile.heat() != 0.0f) {
                ++preheated;
                ASSERT_EQ(tile.heat(), 1.0f);
                ASSERT_GE(tile.x(), -39.0f);
                ASSERT_LE(tile.x(), 15.0f);
                ASSERT_GE(tile.y(), 28.5f);
            }
        }
        ASSERT_GE(preheated, 1);
        ASSERT_LE(preheated, 7);
    }
}

TEST(TileFieldLookup, ClosedBoundsAndTheFirstTileWinsASharedEdge) {
    coldFloor();
    EXPECT_EQ(tileField.tileAt(At(-42.0f, 10.0f)), &tileOf(0, 1));
    EXPECT_EQ(tileField.tileAt(At(-42.0f, 7.5f)), &tileOf(0, 0)); // a shared corner
    EXPECT_EQ(tileField.tileAt(At(-48.0f, 1.5f)), &tileOf(0, 0));
    EXPECT_EQ(tileField.tileAt(At(24.0f, 73.5f)), &tileOf(11, 11));
    EXPECT_EQ(tileField.tileAt(At(0.0f, 1.4f)), nullptr);
    EXPECT_EQ(tileField.tileAt(At(24.01f, 40.0f)), nullptr);
    EXPECT_EQ(tileField.tileAt(At(-48.01f, 40.0f)), nullptr);
}

// Placement looks tiles up by cell; it must find exactly what tileAt finds on each centre.
TEST(TileFieldLookup, ACellGivesTheTileFoundOnItsCentre) {
    coldFloor();
    for (int column = 0; column < TileField::kColumns; ++column) {
        for (int row = 0; row < TileField::kRows; ++row) {
            const float x = Tile::kSize * float(column) + TileField::kFirstCentreX;
            const float y = Tile::kSize * float(row) + TileField::kFirstCentreY;
            ASSERT_EQ(tileField.tileInCell(column, row), tileField.tileAt(At(x, y)));
        }
    }
    EXPECT_EQ(tileField.tileInCell(-1, 0), nullptr);
    EXPECT_EQ(tileField.tileInCell(0, 12), nullptr);
    EXPECT_EQ(tileField.tileInCell(12, 0), nullptr);
    EXPECT_EQ(tileField.tileInCell(0, -1), nullptr);
}

TEST(TileFieldHeat, ATileUnderTheRestingFireTurnsRedInSeventyTwoAndBurnsInOneHundredSeven) {
    coldFloor();
    const Tile& tile = tileOf(3, 2);
    parkFireOn(tile);
    gameState = GameState::Playing;

    EXPECT_EQ(updatesUntil(tile, [](const Tile& t) { return t.heat() >= 1.0f; }), 72);
    EXPECT_EQ(tile.state(), TileState::Intact);
    EXPECT_EQ(updatesUntil(tile, [](const Tile& t) { return t.state() == TileState::Burnt; }),
              107 - 72);
    EXPECT_EQ(tile.heat(), 0.0f);
    // Neighbours only cooled, and a cold tile stays at 0.
    EXPECT_EQ(tileOf(3, 3).heat(), 0.0f);
}

TEST(TileFieldHeat, APreheatedTileBurnsThroughOnItsThirtySixthUpdateByItself) {
    coldFloor();
    Tile& tile = tileOf(5, 8);
    tile.setHeat(1.0f);
    parkFireOn(tileOf(0, 0));
    EXPECT_EQ(updatesUntil(tile, [](const Tile& t) { return t.state() == TileState::Burnt; }), 36);
}

TEST(TileFieldHeat, CoolingBelowOneAndCoolAllRescuesADoomedTile) {
    coldFloor();
    parkFireOn(tileOf(0, 0));
    Tile& warm = tileOf(4, 4);
    warm.setHeat(0.5f);
    tileField.update(0.0f);
    EXPECT_FLOAT_EQ(warm.heat(), 0.5f - 0.00004f);

    Tile& doomed = tileOf(6, 6);
    Tile& faint = tileOf(7, 7);
    Tile& hole = tileOf(8, 8);
    doomed.setHeat(1.05f);
    faint.setHeat(0.05f);
    hole.setState(TileState::Burnt);
    tileField.coolAll();
    EXPECT_NEAR(doomed.heat(), 0.95f, 1e-6f);
    EXPECT_EQ(faint.heat(), 0.0f);
    EXPECT_EQ(hole.heat(), 0.0f);
    EXPECT_EQ(hole.state(), TileState::Burnt);

    // Rescued: from now on it cools instead of burning.
    const float before = doomed.heat();
    for (int n = 0; n < 200; ++n) {
        tileField.update(0.0f);
    }
    EXPECT_LT(doomed.heat(), before);
    EXPECT_EQ(doomed.state(), TileState::Intact);
}

TEST(TileFieldRun, TheRunEndsInTheUpdateAfterTheFiresTileBurnsThrough) {
    ScratchDir dir;
    writeEffectWavs(2.0);
    writeToneWav("audio/music.wav", 0.5);
    AudioSession audio("dummy");
    SoundBank& bank = audio.bank();
    bank.playMusic("./audio/music.wav");

    coldFloor();
    Tile& tile = tileOf(2, 9);
    tile.setHeat(1.49f);
    parkFireOn(tile);
    gameState = GameState::Playing;

    tileField.update(0.0f);
    EXPECT_EQ(tile.state(), TileState::Burnt);
    EXPECT_EQ(bank.playingCopies(int(SoundEffect::Burnthrough)), 1);
    EXPECT_EQ(gameState, GameState::Playing);
    EXPECT_TRUE(bank.musicPlaying());

    tileField.update(0.0f);
    EXPECT_EQ(gameState, GameState::GameOver);
    EXPECT_FALSE(bank.musicPlaying());
    EXPECT_EQ(bank.playingCopies(int(SoundEffect::Blowout)), 1);

    // A hole stays a hole: no heating, no cooling, no second burn.
    tileField.update(0.0f);
    tileField.coolAll();
    EXPECT_EQ(tile.state(), TileState::Burnt);
    EXPECT_EQ(tile.heat(), 0.0f);
    EXPECT_EQ(bank.playingCopies(int(SoundEffect::Burnthrough)), 1);
}
