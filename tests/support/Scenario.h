// Builders for world scenarios shared by tests: put the fire here, heading there; a floor with
// no heat; the tile of a column and row; pickups placed by hand.
#pragma once

#include "render/ScoreBoard.h"
#include "shell/GameState.h"
#include "util/Random.h"
#include "world/Fire.h"
#include "world/PickupManager.h"
#include "world/TileField.h"

#include <cstdlib>

// Resets the global fire to its start, then places it and its target.
inline Fire& placeFire(float x, float y, float targetX, float targetY, float vx = 0.0f,
                       float vy = 0.0f) {
    fire.layOut();
    fire.setX(x);
    fire.setY(y);
    fire.setVx(vx);
    fire.setVy(vy);
    fire.setTargetX(targetX);
    fire.setTargetY(targetY);
    return fire;
}

// A freshly laid-out floor with every tile intact and cold.
inline TileField& coldFloor() {
    tileField.layOut();
    for (const auto& tile : tileField.tiles()) {
        tile->setHeat(0.0f);
    }
    return tileField;
}

inline Tile& tileOf(int column, int row) {
    return *tileField.tiles()[std::size_t(TileField::kRows * column + row)];
}

// Puts the fire at rest on the centre of a tile.
inline Fire& parkFireOn(const Tile& tile) {
    return placeFire(tile.x(), tile.y(), tile.x(), tile.y());
}

// A cold floor with one fuel pickup, and both clocks set so far off that neither runs out.
inline PickupManager& quietPickups() {
    coldFloor();
    pickupManager.layOut();
    pickupManager.setSpawnTimer(1e6f);
    pickupManager.setRelocateTimer(1e6f);
    return pickupManager;
}

inline Entity& pickupAt(std::size_t index) {
    return *pickupManager.pickups().at(index);
}

inline void movePickup(Entity& pickup, float x, float y) {
    pickup.setX(x);
    pickup.setY(y);
}

// Where a fire stands that no pickup on a tile centre can reach: the corner of four tiles,
// 4.24 units from their centres.
constexpr float kCornerX = -12.0f;
constexpr float kCornerY = 37.5f;

// Adds a cooldown pickup the way the game does, through the spawn clock.
inline Entity& spawnCooldown() {
    pickupManager.setSpawnTimer(0.0f);
    pickupManager.update(0.0f);
    return *pickupManager.pickups().back();
}

inline int countKind(PickupKind kind) {
    int count = 0;
    for (const auto& pickup : pickupManager.pickups()) {
        count += pickup->kind() == int(kind) ? 1 : 0;
    }
    return count;
}
