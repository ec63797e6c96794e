// Takes the README's pictures of the real game: the title, play in progress with pickups and hot
// tiles, and the final screen.
//   emberdash-screenshots OUTPUT_FOLDER
#include "e2e/GameSession.h"
#include "e2e/ScreenReading.h"

#include <cstdio>
#include <filesystem>

namespace {

int hotTiles(const Screenshot& shot) {
    int hot = 0;
    for (int c = 0; c < 12; ++c) {
        for (int r = 0; r < 12; ++r) {
            const Rgb corner = shot.atWorld(tileX(c) - 2.6, tileY(r) - 2.6);
            hot += corner.r > 200 && corner.g < 215 ? 1 : 0;
        }
    }
    return hot;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const std::filesystem::path out = argv[1];
    std::filesystem::create_directories(out);
    GameSession game;
    if (!game.waitForWindow() || !eventually([&] { return shows(game, "titlescreen.png"); })) {
        std::fprintf(stderr, "the game did not start: %s\n", game.errorOutput().c_str());
        return 1;
    }
    game.capture().savePng(out / "title.png");

    game.click(pixelX(tileX(7)), pixelY(tileY(0)));
    eventually([&] { return shows(game, "instructions.png"); });
    game.click(pixelX(tileX(7)), pixelY(tileY(0)));
    eventually([&] { return scoreInk(game.capture()) > 0; });

    // Walk after the fuel until a cooldown pickup shows beside it and the trail glows.
    FloorWalker walker(game, {7, 0});
    game.press(1);
    Screenshot play;
    eventually(
        [&] {
            play = game.capture();
            const Floor floor = readFloor(play);
            if (floor.fuel && floor.cooldownShown && hotTiles(play) >= 4 && scoreInk(play) > 30) {
                return true;
            }
            walker.step(play, floor.fuel);
            return false;
        },
        60000);
    play.savePng(out / "play.png");

    // Then rest until the tile gives way.
    game.release(1);
    eventually([&] { return shows(game, "gameover.png"); }, 30000);
    eventually([&] { return game.capture().difference(referencePicture("gameover.png")) < 20; });
    game.capture().savePng(out / "gameover.png");
    return 0;
}
