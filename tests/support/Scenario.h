// Builders for world scenarios shared by tests: put the fire here, heading there; a floor with
// no heat; the tile of a column and row.
#pragma once

#include "world/Fire.h"
#include "world/TileField.h"

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
