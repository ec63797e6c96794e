// End-to-end: the real game in a real X server, played through the pointer and judged by what is
// on the screen.
#include <gtest/gtest.h>

#include "e2e/GameSession.h"
#include "support/ScratchDir.h"

#include <cmath>
#include <optional>

namespace {

// Mean difference per channel below which a screen counts as showing a picture. The pictures
// are resampled to power-of-two textures and back, so they never match to the bit.
constexpr double kSamePicture = 8.0;

bool shows(const GameSession& game, const std::string& picture) {
    return game.capture().difference(referencePicture(picture)) < kSamePicture;
}

bool isWhite(const Rgb& p) {
    return p.r > 200 && p.g > 200 && p.b > 200;
}

// Horizontal extent, in pixels, of white ink inside a box of world units.
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

// The score's number stands from world x 29 with its baseline at y 40.5.
int scoreInk(const Screenshot& shot) {
    return inkWidth(shot, 28.5, 40.0, 49.5, 44.5);
}

// The fire's flame column: orange to yellow, and unlike any tile, with no blue in it.
bool isFlame(const Rgb& p) {
    return p.r > 220 && p.g > 60 && p.g < 235 && p.b < 70;
}

struct WorldPoint {
    double x, y;
};

// Centre of the flame-coloured pixels within reach units of a point.
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

// From the title to play, with the pointer released at world (x, y), where the fire then heads.
void startPlaying(GameSession& game, double x = 0.0, double y = 4.5) {
    ASSERT_TRUE(game.waitForWindow()) << game.errorOutput();
    ASSERT_TRUE(eventually([&] { return shows(game, "titlescreen.png"); }));
    game.click(pixelX(x), pixelY(y));
    ASSERT_TRUE(eventually([&] { return shows(game, "instructions.png"); }));
    game.click(pixelX(x), pixelY(y));
    ASSERT_TRUE(eventually([&] { return scoreInk(game.capture()) > 0; }));
}

} // namespace

TEST(E2eWindow, TitledWindowOfFixedSizeThatIgnoresKeys) {
    GameSession game;
    ASSERT_TRUE(game.waitForWindow()) << game.errorOutput();
    EXPECT_EQ(game.title(), "Emberdash - Korvath, Velmora");
    ASSERT_TRUE(eventually([&] { return game.geometry().x == 100 && game.geometry().y == 100; }));
    EXPECT_EQ(game.geometry().width, 1024);
    EXPECT_EQ(game.geometry().height, 768);

    game.requestSize(800, 600);
    EXPECT_TRUE(eventually([&] {
        const auto g = game.geometry();
        return g.width == 1024 && g.height == 768;
    }));

    ASSERT_TRUE(eventually([&] { return shows(game, "titlescreen.png"); }));
    for (const char* key : {"space", "Return", "Escape", "a", "Left", "F1"}) {
        game.tapKey(key);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(shows(game, "titlescreen.png"));
    EXPECT_EQ(game.exitStatus(), -1);
}

TEST(E2eScreens, TitleThenInstructionsThenPlay) {
    GameSession game;
    ASSERT_TRUE(game.waitForWindow()) << game.errorOutput();
    ASSERT_TRUE(eventually([&] { return shows(game, "titlescreen.png"); }));
    EXPECT_FALSE(shows(game, "instructions.png"));
    game.click(500, 700);
    ASSERT_TRUE(eventually([&] { return shows(game, "instructions.png"); }));
    game.click(pixelX(0), pixelY(4.5));
    ASSERT_TRUE(eventually([&] { return scoreInk(game.capture()) > 0; }));

    const Screenshot play = game.capture();
    // The floor's tiles, light where intact; the backdrop around it, dark.
    EXPECT_GT(play.atWorld(-45, 70.5).r, 180);
    EXPECT_GT(play.atWorld(21, 4.5 + 6).g, 150);
    EXPECT_LT(play.atWorld(40, 20).r, 120);
    // "Score:" and a single digit, 0, beside the floor.
    EXPECT_GT(inkWidth(play, 28.5, 44.5, 49.5, 49.5), 60);
    EXPECT_GT(scoreInk(play), 8);
    EXPECT_LT(scoreInk(play), 40);
    EXPECT_TRUE(flameNear(play, {0, 4.5}, 6).has_value());
}

TEST(E2eSteering, DraggingMovesTheFireWhichStaysOnTheFloor) {
    GameSession game;
    startPlaying(game);
    // Along the bottom rows, which start without any pre-heated tile, and on past the window's
    // left edge.
    game.press(1);
    for (int x = pixelX(0); x >= -150; x -= 40) {
        game.moveTo(x, pixelY(4.5));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::optional<WorldPoint> fire;
    EXPECT_TRUE(eventually(
        [&] {
            fire = flameNear(game.capture(), {-40, 6}, 12);
            return fire && fire->x < -44.0;
        },
        15000))
        << (fire ? fire->x : 999);
    ASSERT_TRUE(fire);
    EXPECT_GT(fire->x, -46.0);
    EXPECT_GT(fire->y, 4.0);
    game.release(1);
}

TEST(E2eRun, AParkedFireBurnsItsTileAndTheRunEndsOnTheFinalScreen) {
    GameSession game;
    startPlaying(game);
    // The fire rests at (0, 4.5), on the tile from x -6 to 0; look beside the flame.
    EXPECT_TRUE(eventually([&] {
        const Rgb p = game.capture().atWorld(-5.0, 2.5);
        return p.r > 200 && p.g < 70 && p.b < 70;
    })) << "the tile never turned red";
    // The game-over picture, with the final score written over its calm band.
    const std::vector<Rgb> picture = referencePicture("gameover.png");
    ASSERT_TRUE(eventually([&] { return game.capture().difference(picture) < 3 * kSamePicture; }))
        << "the run never ended";
    const Screenshot over = game.capture();
    EXPECT_GT(inkWidth(over, -27, 14, 50, 24), 300) << "no final score";

    game.click(500, 300);
    game.click(500, 300, 3);
    game.tapKey("Return");
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_LT(game.capture().difference(over.pixels), 1.0);
    EXPECT_EQ(game.exitStatus(), -1);
}

namespace {

// What the screen shows of the floor, tile by tile: the column and row of each tile.
struct Floor {
    static constexpr int kSide = 12;
    bool passable[kSide][kSide] = {};
    std::optional<std::pair<int, int>> fuel;
};

double tileX(int column) {
    return -45.0 + 6.0 * column;
}
double tileY(int row) {
    return 4.5 + 6.0 * row;
}

bool isAmber(const Rgb& p) {
    return p.r > 230 && p.g > 120 && p.g < 215 && p.b < 95;
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
        }
    }
    return floor;
}

// The next tile on a shortest way over passable tiles, by steps along rows and columns.
std::optional<std::pair<int, int>> nextStep(const Floor& floor, std::pair<int, int> from,
                                            std::pair<int, int> to) {
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
            const int nc = c + dc, nr = r + dr;
            if (nc < 0 || nr < 0 || nc >= Floor::kSide || nr >= Floor::kSide ||
                previous[nc][nr] >= 0 || !(floor.passable[nc][nr] || std::pair{nc, nr} == from)) {
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

} // namespace

TEST(E2eRun, ReachingFuelRaisesTheScore) {
    // The floor is random and a run can be lost on the way: a few tries are allowed.
    for (int attempt = 0; attempt < 3; ++attempt) {
        GameSession game;
        startPlaying(game, tileX(7), tileY(0));
        const int startInk = scoreInk(game.capture());
        std::pair<int, int> at{7, 0};
        game.press(1);
        // Walk tile by tile toward the fuel, around holes and hot tiles, never resting long.
        const bool scored = eventually(
            [&] {
                const Screenshot shot = game.capture();
                if (scoreInk(shot) > 2 * startInk) {
                    return true;
                }
                const auto fire = flameNear(shot, {tileX(at.first), tileY(at.second) + 1}, 3.5);
                if (!fire) {
                    return false; // still on its way to the last step
                }
                const Floor floor = readFloor(shot);
                std::optional<std::pair<int, int>> step;
                if (floor.fuel) {
                    step = nextStep(floor, at, *floor.fuel);
                }
                if (!step) {
                    // No way yet: step to any passable neighbour and look again.
                    for (auto [dc, dr] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                        const int c = at.first + dc, r = at.second + dr;
                        if (c >= 0 && r >= 0 && c < 12 && r < 12 && floor.passable[c][r]) {
                            step = std::pair{c, r};
                            break;
                        }
                    }
                }
                if (step) {
                    at = *step;
                    game.moveTo(pixelX(tileX(at.first)), pixelY(tileY(at.second)));
                }
                return false;
            },
            90000);
        game.release(1);
        if (scored) {
            return;
        }
        game.capture().savePng("/tmp/emberdash-fuel-attempt.png");
    }
    FAIL() << "the score never rose in three runs";
}

TEST(E2eDegraded, WithoutAnAudioDeviceTheGamePlaysInSilence) {
    GameSession::Options options;
    options.audioDriver = "no-such-driver";
    GameSession game(options);
    startPlaying(game);
    EXPECT_EQ(game.exitStatus(), -1);
}

TEST(E2eDegraded, MissingOrCorruptPicturesAreLeftBlank) {
    ScratchDir dir;
    copyGameData(dir.path());
    std::filesystem::remove(dir.path() / "images" / "titlescreen.png");
    dir.writeFile("images/tile.png", "\x89PNG\r\n\x1a\n this is not the rest of a picture");
    GameSession::Options options;
    options.dataDir = dir.path();
    GameSession game(options);
    ASSERT_TRUE(game.waitForWindow()) << game.errorOutput();
    // No title picture: the screen's square is drawn untextured, in white.
    ASSERT_TRUE(eventually([&] {
        const Screenshot shot = game.capture();
        return isWhite(shot.at(10, 10)) && isWhite(shot.at(512, 384)) &&
               isWhite(shot.at(1000, 700));
    }));
    game.click(pixelX(0), pixelY(4.5));
    ASSERT_TRUE(eventually([&] { return shows(game, "instructions.png"); }));
    game.click(pixelX(0), pixelY(4.5));
    ASSERT_TRUE(eventually([&] { return scoreInk(game.capture()) > 0; }));
    // Untextured tiles are flat: the same white all over a cold tile.
    const Screenshot play = game.capture();
    const Rgb a = play.atWorld(-47, 72.5), b = play.atWorld(-43, 68.5);
    EXPECT_TRUE(isWhite(a));
    EXPECT_EQ(a.r + a.g + a.b, b.r + b.g + b.b);
    EXPECT_EQ(game.exitStatus(), -1);
}

TEST(E2eDegraded, AMissingFontEndsStartUpWithItsMessage) {
    ScratchDir dir;
    copyGameData(dir.path());
    std::filesystem::remove(dir.path() / "fonts" / "rabiohead.ttf");
    GameSession::Options options;
    options.dataDir = dir.path();
    GameSession game(options);
    ASSERT_TRUE(eventually([&] { return game.exitStatus() >= 0; }));
    EXPECT_EQ(game.exitStatus(), 1);
    EXPECT_NE(game.errorOutput().find("emberdash: FT_New_Face failed (there is probably a problem "
                                      "with your font file)\n"),
              std::string::npos)
        << game.errorOutput();
}
