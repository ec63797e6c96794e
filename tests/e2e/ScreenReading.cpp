// Screen reading and floor walking for end-to-end tests.
// GoogleTest before Xlib, whose macros (None, Bool) its templates would otherwise meet.
#include <gtest/gtest.h>

#include "e2e/ScreenReading.h"

#include <algorithm>
#include <vector>

namespace {

// The fire's flame column: orange to yellow, and unlike any tile, with no blue in it.
bool isFlame(const Rgb& p) {
    return p.r > 220 && p.g > 60 && p.g < 235 && p.b < 70;
}

bool isAmber(const Rgb& p) {
    return p.r > 230 && p.g > 120 && p.g < 215 && p.b < 95;
}

bool isIcy(const Rgb& p) {
    return p.b > 200 && p.r < 170 && p.g > 100;
}

} // namespace

bool shows(const GameSession& game, const std::string& picture) {
    return game.capture().difference(referencePicture(picture)) < kSamePicture;
}

void startPlaying(GameSession& game, double x, double y) {
    ASSERT_TRUE(game.waitForWindow()) << game.errorOutput();
    ASSERT_TRUE(eventually([&] { return shows(game, "titlescreen.png"); }));
    game.click(pixelX(x), pixelY(y));
    ASSERT_TRUE(eventually([&] { return shows(game, "instructions.png"); }));
    game.click(pixelX(x), pixelY(y));
    ASSERT_TRUE(eventually([&] { return scoreInk(game.capture()) > 0; }));
}

bool isWhite(const Rgb& p) {
    return p.r > 200 && p.g > 200 && p.b > 200;
}

int inkWidth(const Screenshot& shot, double x0, double y0, double x1, double y1) {
    int left = 1 << 30, right = -1;
    for (int y = pixelY(y1); y <= pixelY(y0); ++y) {
        for (int x = pixelX(x0); x <= pixelX(x1); ++x) {
            if (isWhite(shot.at(x, y))) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    return right < 0 ? 0 : right - left + 1;
}

int scoreInk(const Screenshot& shot) {
    return inkWidth(shot, 28.5, 40.0, 49.5, 44.5);
}

std::optional<WorldPoint> flameNear(const Screenshot& shot, WorldPoint near, double reach) {
    double sx = 0, sy = 0;
    int count = 0;
    for (int y = std::max(0, pixelY(near.y + reach)); y < std::min(768, pixelY(near.y - reach));
         ++y) {
        for (int x = std::max(0, pixelX(near.x - reach));
             x < std::min(1024, pixelX(near.x + reach)); ++x) {
            if (isFlame(shot.at(x, y))) {
                sx += x;
                sy += y;
                ++count;
            }
        }
    }
    if (count < 20) {
        return std::nullopt;
    }
    return WorldPoint{sx / count / 10.24 - 50.0, 75.0 - sy / count / 10.24};
}

double tileX(int column) {
    return -45.0 + 6.0 * column;
}
double tileY(int row) {
    return 4.5 + 6.0 * row;
}

Floor readFloor(const Screenshot& shot) {
    Floor floor;
    for (int c = 0; c < Floor::kSide; ++c) {
        for (int r = 0; r < Floor::kSide; ++r) {
            // A corner of the tile, clear of any pickup or fire on its centre: holes are dark
            // and hot tiles have lost their green.
            const Rgb corner = shot.atWorld(tileX(c) - 2.6, tileY(r) - 2.6);
            floor.passable[c][r] = corner.r > 150 && corner.g > 150;
            // A fuel orb sits on the centre; the taller flame would also colour above or below.
            const double x = tileX(c), y = tileY(r);
            if (isAmber(shot.atWorld(x, y)) && !isAmber(shot.atWorld(x, y + 1.8)) &&
                !isAmber(shot.atWorld(x, y - 1.8))) {
                floor.fuel = std::pair{c, r};
            }
            floor.cooldownShown = floor.cooldownShown || isIcy(shot.atWorld(x, y));
        }
    }
    return floor;
}

namespace {

bool onFloor(int column, int row) {
    return column >= 0 && row >= 0 && column < Floor::kSide && row < Floor::kSide;
}

} // namespace

bool safeStep(const Floor& floor, TileIndex from, TileIndex to) {
    const auto [c, r] = to;
    if (!onFloor(c, r) || !floor.passable[c][r]) {
        return false;
    }
    // Toward -x or -y the fire stops dead where it is sent; toward +x or +y it brakes a little
    // each frame and coasts on, the further the longer the machine's frames: past the tile's far
    // edge at 30 frames a second. So the tile beyond must bear it too, or be the floor's edge,
    // which holds the fire.
    const int dc = c - from.first, dr = r - from.second;
    if (dc > 0 || dr > 0) {
        const int bc = c + dc, br = r + dr;
        return !onFloor(bc, br) || floor.passable[bc][br];
    }
    return true;
}

std::optional<TileIndex> nextStep(const Floor& floor, TileIndex from, TileIndex to) {
    int previous[Floor::kSide][Floor::kSide];
    std::fill(&previous[0][0], &previous[0][0] + Floor::kSide * Floor::kSide, -1);
    std::vector<std::pair<int, int>> queue{to};
    previous[to.first][to.second] = to.first * Floor::kSide + to.second;
    for (std::size_t i = 0; i < queue.size(); ++i) {
        const auto [c, r] = queue[i];
        if (std::pair{c, r} == from) {
            break;
        }
        for (auto [dc, dr] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
            // Searched from the goal back: the step runs from (nc, nr) to (c, r).
            const int nc = c + dc, nr = r + dr;
            if (!onFloor(nc, nr) || previous[nc][nr] >= 0 ||
                !(floor.passable[nc][nr] || std::pair{nc, nr} == from) ||
                !safeStep(floor, {nc, nr}, {c, r})) {
                continue;
            }
            previous[nc][nr] = c * Floor::kSide + r;
            queue.push_back({nc, nr});
        }
    }
    if (previous[from.first][from.second] < 0 || from == to) {
        return std::nullopt;
    }
    const int step = previous[from.first][from.second];
    return std::pair{step / Floor::kSide, step % Floor::kSide};
}

void FloorWalker::step(const Screenshot& shot, std::optional<TileIndex> goal) {
    if (!flameNear(shot, {tileX(at_.first), tileY(at_.second) + 1}, 3.5)) {
        return; // still on its way to the last step
    }
    const Floor floor = readFloor(shot);
    std::optional<TileIndex> next;
    if (goal) {
        next = nextStep(floor, at_, *goal);
    }
    for (auto [dc, dr] : {std::pair{1, 0}, {0, 1}, {-1, 0}, {0, -1}}) {
        const TileIndex neighbour{at_.first + dc, at_.second + dr};
        if (!next && safeStep(floor, at_, neighbour)) {
            next = neighbour;
        }
    }
    if (next) {
        at_ = *next;
        game_.moveTo(pixelX(tileX(at_.first)), pixelY(tileY(at_.second)));
    }
}
