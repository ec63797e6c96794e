// The real game started with each damaged file of the corpus in place, under a memory limit: a
// broken picture or sound leaves the game playing, a broken font ends start-up with its message,
// and a bitmap font plays.
#include <gtest/gtest.h>

#include "e2e/GameSession.h"
#include "e2e/ScreenReading.h"
#include "support/HostileFiles.h"
#include "support/ScratchDir.h"

namespace {

// Far more than the game needs, far less than a decoder fooled by a header would take.
constexpr std::size_t kMemoryLimit = std::size_t(1) << 30;

GameSession::Options limitedIn(const ScratchDir& dir) {
    GameSession::Options options;
    options.dataDir = dir.path();
    options.memoryLimitBytes = kMemoryLimit;
    return options;
}

// Starts the game and clicks through to play; false, with the reason, if it stops on the way.
::testing::AssertionResult playsOn(const ScratchDir& dir) {
    GameSession game(limitedIn(dir));
    if (!game.waitForWindow()) {
        return ::testing::AssertionFailure() << "no window: " << game.errorOutput();
    }
    for (int click = 0; click < 2; ++click) {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        game.click(pixelX(0), pixelY(4.5));
    }
    if (!eventually([&] { return scoreInk(game.capture()) > 0; }, 20000)) {
        return ::testing::AssertionFailure() << "never reached play: " << game.errorOutput();
    }
    if (game.exitStatus() >= 0) {
        return ::testing::AssertionFailure() << "exited with " << game.exitStatus();
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(E2eHostileData, BrokenPicturesAndSoundsLeaveTheGamePlaying) {
    int tried = 0;
    for (const HostileFile& file : hostilePictures()) {
        ScratchDir dir;
        copyGameData(dir.path());
        for (const char* picture :
             {"images/tile.png", "images/fireback.png", "images/gameover.png"}) {
            dir.writeFile(picture, file.bytes);
        }
        EXPECT_TRUE(playsOn(dir)) << "picture: " << file.name;
        ++tried;
    }
    for (const HostileFile& file : hostileSounds()) {
        ScratchDir dir;
        copyGameData(dir.path());
        dir.writeFile("audio/fuel.wav", file.bytes);
        dir.writeFile("audio/blowout.wav", file.bytes);
        dir.writeFile("audio/backgroundmusic.mp3", file.bytes);
        EXPECT_TRUE(playsOn(dir)) << "sound: " << file.name;
        ++tried;
    }
    std::printf("started the game with %d broken data files\n", tried);
}

TEST(E2eHostileData, BrokenFontsEndStartUpWithTheMessageAndBitmapFontsPlay) {
    for (const HostileFile& file : hostileFonts()) {
        ScratchDir dir;
        copyGameData(dir.path());
        dir.writeFile("fonts/rabiohead.ttf", file.bytes);
        if (file.usable) {
            EXPECT_TRUE(playsOn(dir)) << "font: " << file.name;
            continue;
        }
        GameSession game(limitedIn(dir));
        ASSERT_TRUE(eventually([&] { return game.exitStatus() >= 0; })) << file.name;
        EXPECT_EQ(game.exitStatus(), 1) << file.name;
        EXPECT_NE(game.errorOutput().find("emberdash: FT_New_Face failed (there is probably a "
                                          "problem with your font file)"),
                  std::string::npos)
            << file.name << ": " << game.errorOutput();
    }
}
