// The floor of 12 by 12 tiles: the tile under the fire heats, a tile at heat 1 goes on heating by
// itself and burns through at 1.5, the others cool; the run ends when the fire stands over a hole.
#pragma once

#include "util/Math.h"
#include "world/Entity.h"
#include "world/Tile.h"

#include <memory>
#include <optional>
#include <vector>

class TileField {
  public:
    // The pictures load builds: an intact tile, then a hole.
    static constexpr const char* kPicturePaths[2] = {"./images/tile.png", "./images/black.png"};
    static constexpr int kColumns = 12;
    static constexpr int kRows = 12;
    static constexpr float kFirstCentreX = -45.0f;
    static constexpr float kFirstCentreY = 4.5f;
    static constexpr float kHeatPerUpdate = 0.014f;
    static constexpr float kCoolingPerUpdate = 0.00004f;
    static constexpr float kSelfHeatingHeat = 1.0f;
    static constexpr float kBurnThroughHeat = 1.5f;
    static constexpr float kCoolAllHeat = 0.1f;
    static constexpr int kPreheatDraws = 7;

    TileField() = default;

    // Builds the sprites (needs a GL context) and lays out the tiles.
    void load();
    // The GL-free half of load: a fresh floor with up to seven pre-heated tiles.
    void layOut();

    // Heating, burning, cooling and the end of the run; every change is per update.
    void update(float seconds);
    void draw() const;
    // The rectangle of the plane the floor covers when both its pictures are opaque: then
    // nothing drawn before the floor shows through it, whatever state each tile is in. Empty
    // when a picture lets something through, or before load.
    std::optional<PlaneRect> opaqueCover() const;

    // The first tile, in creation order, whose closed square holds the entity's centre.
    Tile* tileAt(const Entity& e);
    // The tile of a column and row, the one tileAt finds on that tile's centre; null outside the
    // floor.
    Tile* tileInCell(int column, int row);
    // Every intact tile loses 0.1 heat, down to 0.
    void coolAll();

    // Tiles in creation order: column i, row j has index 12 i + j.
    const std::vector<std::unique_ptr<Tile>>& tiles() const { return tiles_; }
    float coolingRate() const { return coolingRate_; }

  private:
    // Whether both pictures let nothing through, whatever lies below.
    bool picturesAreOpaque() const;
    void heatTileUnderFire();
    void advanceTile(Tile& tile);

    std::vector<std::unique_ptr<Tile>> tiles_;
    float coolingRate_ = 0.0f;
    int tileLists_[2] = {-1, -1};
};

extern TileField tileField;
