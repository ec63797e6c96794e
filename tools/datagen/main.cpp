// Writes every data file the game reads, and its icon, below an output folder:
//   emberdash-datagen OUTPUT DISPLAY_FONT BODY_FONT
// Two runs write the same bytes.
#include "Images.h"
#include "Sounds.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

namespace {

void writeImages(const std::filesystem::path& out, const Typefaces& type) {
    const auto images = out / "images";
    drawTile().savePng(images / "tile.png", false);
    drawHole().savePng(images / "black.png", false);
    drawFlame().savePng(images / "fireback.png", true);
    drawFlameCore().savePng(images / "firemiddle.png", true);
    drawFuel().savePng(images / "circle.png", true);
    drawCooldown().savePng(images / "arrow.png", true);
    drawDiamond().savePng(images / "diamond.png", true);
    drawBackground(type).savePng(images / "background.png", false);
    drawTitleScreen(type).savePng(images / "titlescreen.png", false);
    drawInstructions(type).savePng(images / "instructions.png", false);
    drawGameOver(type).savePng(images / "gameover.png", false);
    drawIcon(256).savePng(out / "icons" / "emberdash.png", true);
    for (const int size : {192, 512}) {
        drawIcon(size).savePng(out / "icons" / ("emberdash-" + std::to_string(size) + ".png"),
                               true);
    }
}

void writeSounds(const std::filesystem::path& out) {
    const auto audio = out / "audio";
    writeWav(audio / "fuel.wav", makeFuelChime());
    writeWav(audio / "cooldown.wav", makeCooldownShimmer());
    writeWav(audio / "burnthrough.wav", makeBurnthroughCrunch());
    writeWav(audio / "blowout.wav", makeBlowout());
    writeMp3(audio / "backgroundmusic.mp3", makeMusicLoop(), 160);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s OUTPUT DISPLAY_FONT BODY_FONT\n", argv[0]);
        return 2;
    }
    try {
        const std::filesystem::path out = argv[1];
        for (const char* folder : {"images", "audio", "icons"}) {
            std::filesystem::create_directories(out / folder);
        }
        const Typeface display(argv[2]);
        const Typeface body(argv[3]);
        writeImages(out, {display, body});
        writeSounds(out);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "emberdash-datagen: %s\n", error.what());
        return 1;
    }
    return 0;
}
