// The mix's limiter on plain buffers: what passes below its ceiling, and that nothing passes above.
#include <gtest/gtest.h>

#include "audio/PeakLimiter.h"

#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr float kCeiling = 0.891251f;
constexpr int kLookahead = 64;

// Feeds a signal through in buffers of varied sizes, as a device asks for them.
std::vector<float> limited(PeakLimiter& limiter, std::vector<float> signal) {
    std::size_t done = 0;
    for (int size = 1; done < signal.size(); size = size * 3 % 1031 + 1) {
        const std::size_t frames =
            std::min<std::size_t>(std::size_t(size), (signal.size() - done) / 2);
        limiter.process(signal.data() + done, int(frames));
        done += frames * 2;
    }
    return signal;
}

} // namespace

TEST(PeakLimiter, ASignalBelowTheCeilingComesOutUnchangedOnlyLater) {
    PeakLimiter limiter(2, kRate, kCeiling, kLookahead, 0.08f);
    std::vector<float> signal;
    for (int i = 0; i < kRate; ++i) {
        const float s = 0.85f * std::sin(float(i) * 0.05f);
        signal.insert(signal.end(), {s, -s});
    }
    const std::vector<float> out = limited(limiter, signal);
    const std::size_t late = std::size_t(limiter.latencyFrames()) * 2;
    for (std::size_t i = 0; i + late < signal.size(); ++i) {
        ASSERT_EQ(out[i + late], signal[i]) << "sample " << i;
    }
    EXPECT_EQ(limiter.lowestGain(), 1.0f);
}

TEST(PeakLimiter, NoSamplePassesTheCeilingAndTheGainReturnsAfterwards) {
    PeakLimiter limiter(2, kRate, kCeiling, kLookahead, 0.08f);
    std::mt19937 random(7);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    std::vector<float> signal;
    // Bursts up to four times full scale, single-sample spikes, then two quiet seconds.
    for (int i = 0; i < kRate; ++i) {
        const float level = (i / 2000) % 2 ? 4.0f : 0.5f;
        const float spike = i % 997 == 0 ? 3.0f : 0.0f;
        signal.insert(signal.end(), {level * noise(random) + spike, level * noise(random)});
    }
    for (int i = 0; i < 2 * kRate; ++i) {
        signal.insert(signal.end(), {0.3f, -0.3f});
    }
    const std::vector<float> out = limited(limiter, signal);
    for (std::size_t i = 0; i < out.size(); ++i) {
        ASSERT_LE(std::abs(out[i]), kCeiling) << "sample " << i;
    }
    EXPECT_LT(limiter.lowestGain(), 0.25f);
    // The quiet end comes out whole once the release has run its course.
    EXPECT_EQ(out[out.size() - 2], 0.3f);
    EXPECT_EQ(out[out.size() - 1], -0.3f);
}

// Loud input held for a long time leaves the gain where float's rounding could let a sample
// through by a hair; samples that are not numbers must not reach the device at all.
TEST(PeakLimiter, TheCeilingHoldsToTheBitAndNonFiniteSamplesComeOutSilent) {
    PeakLimiter limiter(2, kRate, kCeiling, kLookahead, 0.08f);
    std::vector<float> buffer(2 * 512);
    for (int round = 0; round < 2000; ++round) {
        for (std::size_t i = 0; i < buffer.size(); ++i) {
            buffer[i] = i % 2 ? -1.7f : 1.3f + float(round % 7) * 0.01f;
        }
        limiter.process(buffer.data(), 512);
        for (float s : buffer) {
            ASSERT_LE(std::abs(s), kCeiling) << "round " << round;
        }
    }

    PeakLimiter quiet(2, kRate, kCeiling, kLookahead, 0.08f);
    std::vector<float> signal(2 * 4096, 0.3f);
    signal[2 * 1000] = std::numeric_limits<float>::quiet_NaN();
    signal[2 * 2000 + 1] = std::numeric_limits<float>::infinity();
    signal[2 * 3000] = -std::numeric_limits<float>::infinity();
    const std::vector<float> out = limited(quiet, signal);
    const std::size_t late = std::size_t(quiet.latencyFrames()) * 2;
    for (std::size_t i = late; i < out.size(); ++i) {
        ASSERT_TRUE(std::isfinite(out[i])) << "sample " << i;
        const bool silenced = !std::isfinite(signal[i - late]);
        ASSERT_EQ(out[i], silenced ? 0.0f : 0.3f) << "sample " << i;
    }
}

// A tone at a quarter of the rate, sampled half-way between its crests: every sample is 0.71 of
// its peak, so a limiter that looks at samples alone lets a full-scale tone through, which a
// converter then rebuilds past the ceiling.
TEST(PeakLimiter, PeaksBetweenSamplesAreHeldToTheCeilingToo) {
    PeakLimiter limiter(2, kRate, kCeiling, kLookahead, 0.08f);
    std::vector<float> signal;
    for (int i = 0; i < kRate / 2; ++i) {
        const float s = float(std::sin(std::numbers::pi * (0.5 * (i % 4) + 0.25)));
        signal.insert(signal.end(), {s, s});
    }
    const std::vector<float> out = limited(limiter, signal);
    float steady = 0.0f;
    for (std::size_t i = out.size() / 2; i < out.size(); ++i) {
        steady = std::max(steady, std::abs(out[i]));
    }
    // The tone's own peak is its samples' times the square root of two.
    EXPECT_LE(steady * std::numbers::sqrt2_v<float>, kCeiling * 1.001f);
    EXPECT_GT(steady * std::numbers::sqrt2_v<float>, kCeiling * 0.97f) << "held down too far";
}
