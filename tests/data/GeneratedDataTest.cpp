// The generated data as the game will read it: pictures through the game's PNG decoder, sounds
// and music through SDL_mixer, and a second run of the generator that must give the same bytes.
#include <gtest/gtest.h>

#include "render/PngImage.h"
#include "support/AudioSession.h"
#include "support/ScratchDir.h"

#include <SDL_mixer.h>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

const std::filesystem::path kData = EMBERDASH_DATA_DIR;

PngImage decoded(const std::string& name) {
    PngImage image;
    EXPECT_TRUE(decodePngFile((kData / "images" / name).c_str(), image)) << name;
    return image;
}

float luminance(const PngImage& image, int x, int y) {
    const std::uint8_t* p = &image.pixels[(std::size_t(y) * image.width + x) * image.channels];
    return (0.2126f * p[0] + 0.7152f * p[1] + 0.0722f * p[2]) / 255.0f;
}

int alphaAt(const PngImage& image, int x, int y) {
    return image.pixels[(std::size_t(y) * image.width + x) * image.channels + 3];
}

// The brightest pixel in a box of a picture.
float brightest(const PngImage& image, int x0, int y0, int x1, int y1) {
    float most = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            most = std::max(most, luminance(image, x, y));
        }
    }
    return most;
}

std::string bytesOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace

TEST(GeneratedImages, SpritesHaveTransparentCornersAndSolidCentres) {
    for (const char* name :
         {"fireback.png", "firemiddle.png", "circle.png", "arrow.png", "diamond.png"}) {
        const PngImage image = decoded(name);
        ASSERT_EQ(image.channels, 4) << name;
        EXPECT_EQ(image.width, 128) << name;
        EXPECT_EQ(image.height, 128) << name;
        for (auto [x, y] : {std::pair{0, 0}, {127, 0}, {0, 127}, {127, 127}, {64, 0}, {0, 64}}) {
            EXPECT_EQ(alphaAt(image, x, y), 0) << name << " at " << x << ", " << y;
        }
        EXPECT_GT(alphaAt(image, 64, 68), 200) << name;
    }
    // The fire's pictures are near white: the game tints them.
    for (const char* name : {"fireback.png", "firemiddle.png"}) {
        EXPECT_GT(luminance(decoded(name), 64, 68), 0.95f) << name;
    }
}

TEST(GeneratedImages, TheTileIsLightEnoughForTheHeatTintAndTheHoleIsDark) {
    for (const char* name : {"tile.png", "black.png"}) {
        const PngImage image = decoded(name);
        ASSERT_EQ(image.channels, 3) << name;
        double sum = 0;
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                sum += luminance(image, x, y);
            }
        }
        const double mean = sum / (image.width * image.height);
        if (std::string(name) == "tile.png") {
            EXPECT_GT(mean, 0.85) << name;
        } else {
            EXPECT_LT(mean, 0.15) << name;
        }
    }
}

TEST(GeneratedImages, ScreensFillTheWindowAndLeaveTheScoreOnCalmGround) {
    for (const char* name :
         {"background.png", "titlescreen.png", "instructions.png", "gameover.png"}) {
        const PngImage image = decoded(name);
        EXPECT_EQ(image.width, 1024) << name;
        EXPECT_EQ(image.height, 768) << name;
        EXPECT_EQ(image.channels, 3) << name;
    }
    // White score text stands from world x 29 at y 40 to 50 during play, and from x -26 at
    // baseline 15 on the game-over screen (10.24 pixels to a unit, y counted from the top).
    EXPECT_LT(brightest(decoded("background.png"), 800, 250, 1000, 380), 0.3f);
    EXPECT_LT(brightest(decoded("gameover.png"), 240, 520, 1000, 650), 0.35f);
}

TEST(GeneratedSounds, EffectsAreShortAndTheMusicLoopsForHalfAMinute) {
    AudioSession audio("dummy");
    ASSERT_TRUE(audio.bank().isOpen());
    for (const char* name : {"fuel.wav", "cooldown.wav", "burnthrough.wav", "blowout.wav"}) {
        const std::string bytes = bytesOf(kData / "audio" / name);
        ASSERT_GT(bytes.size(), 44u) << name;
        std::uint32_t rate = 0;
        std::uint16_t bits = 0;
        std::memcpy(&rate, bytes.data() + 24, 4);
        std::memcpy(&bits, bytes.data() + 34, 2);
        EXPECT_EQ(rate, 44100u) << name;
        EXPECT_EQ(bits, 16) << name;
        // Silent at both ends: no click when a copy starts or ends.
        const auto* pcm = reinterpret_cast<const std::int16_t*>(bytes.data() + 44);
        const std::size_t samples = (bytes.size() - 44) / 2;
        EXPECT_LT(samples, 2u * 44100) << name;
        EXPECT_LT(std::abs(pcm[0]), 40) << name;
        EXPECT_LT(std::abs(pcm[samples - 1]), 40) << name;

        Mix_Chunk* chunk = Mix_LoadWAV((kData / "audio" / name).c_str());
        EXPECT_NE(chunk, nullptr) << name;
        Mix_FreeChunk(chunk);
    }
    Mix_Music* music = Mix_LoadMUS((kData / "audio" / "backgroundmusic.mp3").c_str());
    ASSERT_NE(music, nullptr);
    EXPECT_EQ(Mix_GetMusicType(music), MUS_MP3);
    const double seconds = Mix_MusicDuration(music);
    EXPECT_GE(seconds, 30.0);
    EXPECT_LE(seconds, 60.0);
    Mix_FreeMusic(music);
}

TEST(DataGenerator, TwoRunsWriteIdenticalBytes) {
    ScratchDir dir;
    const std::string command = std::string("'") + EMBERDASH_DATAGEN + "' again '" +
                                EMBERDASH_DISPLAY_FONT + "' '" + EMBERDASH_BODY_FONT + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    int compared = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator("again")) {
        if (!entry.is_regular_file()) {
            continue;
        }
        const auto relative = std::filesystem::relative(entry.path(), "again");
        EXPECT_EQ(bytesOf(entry.path()), bytesOf(kData / relative)) << relative;
        ++compared;
    }
    EXPECT_EQ(compared, 17);
}

TEST(DataGenerator, AWriteThatFailsLeavesNoPartFileAndFailsTheRun) {
    // A file size limit stands in for a full disk: first a picture cannot be written whole, then
    // only the music. Whatever was written must be whole, and the run must say it failed.
    for (const int limitKilobytes : {100, 300}) {
        ScratchDir dir;
        const std::string command = "sh -c 'trap \"\" XFSZ; ulimit -f " +
                                    std::to_string(limitKilobytes * 2) + "; exec \"$0\" \"$@\"' '" +
                                    EMBERDASH_DATAGEN + "' out '" + EMBERDASH_DISPLAY_FONT + "' '" +
                                    EMBERDASH_BODY_FONT + "' 2>error.txt";
        EXPECT_NE(std::system(command.c_str()), 0) << "limit " << limitKilobytes << " KiB";
        EXPECT_NE(bytesOf("error.txt").find("cannot "), std::string::npos) << bytesOf("error.txt");
        int whole = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator("out")) {
            if (entry.is_regular_file()) {
                const auto relative = std::filesystem::relative(entry.path(), "out");
                EXPECT_EQ(bytesOf(entry.path()), bytesOf(kData / relative)) << relative;
                ++whole;
            }
        }
        EXPECT_FALSE(std::filesystem::exists("out/audio/backgroundmusic.mp3"));
        EXPECT_LT(whole, 17);
    }
}
