// Reading the game's screen as a player does: ink, the flame, the floor's tiles and the fuel,
// and a walker that steps the fire over the floor toward a goal.
#pragma once

#include "e2e/GameSession.h"

#include <optional>
#include <utility>

// Mean difference per channel below which a screen counts as showing a picture. The pictures
// are resampled to power-of-two textures and back, so they never match to the bit.
constexpr double kSamePicture = 8.0;
// Whether the game's window shows the generated picture of that name.
bool shows(const GameSession& game, const std::string& picture);
// From the title to play, with the pointer released at world (x, y), where the fire then heads.
void startPlaying(GameSession& game, double x = 0.0, double y = 4.5);

bool isWhite(const Rgb& p);
// Horizontal extent, in pixels, of white ink inside a box of world units.
int inkWidth(const Screenshot& shot, double x0, double y0, double x1, double y1);
// Ink of the score's number, which stands from world x 29 with its baseline at y 40.5.
int scoreInk(const Screenshot& shot);

struct WorldPoint {
    double x, y;
};
// Centre of the flame-coloured pixels within reach units of a point.
std::optional<WorldPoint> flameNear(const Screenshot& shot, WorldPoint near, double reach);

using TileIndex = std::pair<int, int>; // column, row
double tileX(int column);
double tileY(int row);

// What the screen shows of the floor, tile by tile.
struct Floor {
    static constexpr int kSide = 12;
    bool passable[kSide][kSide] = {}; // intact and not hot
    std::optional<TileIndex> fuel;
    bool cooldownShown = false;
};
Floor readFloor(const Screenshot& shot);

// Whether the fire, sent from one tile to the next along a row or column, ends on passable floor
// however long the machine's frames.
bool safeStep(const Floor& floor, TileIndex from, TileIndex to);
// The next tile on a shortest way of safe steps along rows and columns.
std::optional<TileIndex> nextStep(const Floor& floor, TileIndex from, TileIndex to);

// Walks the fire tile by tile toward a goal, around holes and hot tiles, never resting long.
// The left button must be held, so that moving the pointer steers.
class FloorWalker {
  public:
    FloorWalker(GameSession& game, TileIndex start) : game_(game), at_(start) {}
    // One look at the screen: once the fire has reached its last step, sends it on toward the
    // goal, or to any passable neighbour when there is no goal or no way.
    void step(const Screenshot& shot, std::optional<TileIndex> goal);

  private:
    GameSession& game_;
    TileIndex at_;
};
