// End-to-end: what the real game sends to its sound device in a real run, through SDL's disk
// driver in real time.
#include <gtest/gtest.h>

#include "e2e/GameSession.h"
#include "e2e/ScreenReading.h"
#include "support/AudioSession.h"
#include "support/ScratchDir.h"

#include <algorithm>
#include <cmath>
#include <ebur128.h>
#include <filesystem>

namespace {

constexpr int kRate = 44100;
constexpr std::uintmax_t kBytesPerSecond = kRate * 2 * sizeof(float);

std::uintmax_t sizeOf(const std::filesystem::path& file) {
    std::error_code missing;
    const std::uintmax_t size = std::filesystem::file_size(file, missing);
    return missing ? 0 : size;
}

// The true peak of interleaved stereo, in dB of full scale, as the reference EBU R128 meter reads
// it: the largest magnitude of the signal rebuilt at four times its rate.
double truePeakDb(const std::vector<float>& stereo) {
    ebur128_state* meter = ebur128_init(2, kRate, EBUR128_MODE_TRUE_PEAK);
    ebur128_add_frames_float(meter, stereo.data(), stereo.size() / 2);
    double peak = 0;
    for (unsigned channel = 0; channel < 2; ++channel) {
        double channelPeak = 0;
        ebur128_true_peak(meter, channel, &channelPeak);
        peak = std::max(peak, channelPeak);
    }
    ebur128_destroy(&meter);
    return 20 * std::log10(peak);
}

} // namespace

// The piles of sound a run makes: tiles burning through behind a fire dragged over the floor,
// then the fire parked until its own tile burns through under it and the blowout follows at once.
// Neither the samples nor the peaks between them reach -1 dB of full scale.
TEST(E2eSound, ARunsOverlappingSoundsNeverReachFullScale) {
    ScratchDir dir;
    const std::filesystem::path sound = dir.path() / "output.raw";
    GameSession::Options options;
    options.audioDriver = "disk";
    options.environment = {{"SDL_DISKAUDIOFILE", sound.string()}};
    GameSession game(options);
    ASSERT_TRUE(game.waitForWindow()) << game.errorOutput();
    // Three seconds of the title's music.
    ASSERT_TRUE(eventually([&] { return sizeOf(sound) >= 3 * kBytesPerSecond; }));
    startPlaying(game, tileX(7), tileY(0));

    // Up column 7 and along row 3, a tile at a time, then parked.
    game.press(1);
    for (int row = 0; row <= 9; ++row) {
        game.moveTo(pixelX(tileX(7)), pixelY(tileY(row)));
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
    for (int column = 7; column >= 1; --column) {
        game.moveTo(pixelX(tileX(column)), pixelY(tileY(3)));
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
    game.release(1);
    const std::vector<Rgb> over = referencePicture("gameover.png");
    ASSERT_TRUE(
        eventually([&] { return game.capture().difference(over) < 3 * kSamePicture; }, 60000))
        << "the run never ended";
    // The blowout, whole, after the end.
    const std::uintmax_t atTheEnd = sizeOf(sound);
    ASSERT_TRUE(eventually([&] { return sizeOf(sound) >= atTheEnd + 3 * kBytesPerSecond; }));

    const std::vector<float> mixed = diskOutput(sound.string());
    const auto fullScale =
        std::count_if(mixed.begin(), mixed.end(), [](float s) { return std::abs(s) >= 1.0f; });
    const float peak = peakOf(mixed);
    EXPECT_EQ(fullScale, 0) << "peak " << 20 * std::log10(peak) << " dBFS";
    EXPECT_LE(peak, kMinusOneDbfs) << "above -1 dBFS";
    EXPECT_LE(truePeakDb(mixed), -1.0) << "what a converter rebuilds between samples, above -1 dB";
    // The music sounds under the title: its first two seconds are far from silent.
    const auto first = std::find_if(mixed.begin(), mixed.end(), [](float s) { return s != 0; });
    ASSERT_GE(mixed.end() - first, 2 * 2 * kRate);
    double energy = 0;
    for (auto s = first; s != first + 2 * 2 * kRate; ++s) {
        energy += double(*s) * *s;
    }
    EXPECT_GT(10 * std::log10(energy / (2 * 2 * kRate)), -35.0) << "no music under the title";
}
