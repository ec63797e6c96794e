// The mix's limiter on plain buffers: what passes below its ceiling, and that nothing passes above.
#include <gtest/gtest.h>

#include "audio/PeakLimiter.h"

#include <cmath>
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
    for (std::size_t i = 0; i + (kLookahead - 1) * 2 < signal.size(); ++i) {
        ASSERT_EQ(out[i + (kLookahead - 1) * 2], signal[i]) << "sample " << i;
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
        ASSERT_LE(std::abs(out[i]), kCeiling * 1.0001f) << "sample " << i;
    }
    EXPECT_LT(limiter.lowestGain(), 0.25f);
    // The quiet end comes out whole once the release has run its course.
    EXPECT_EQ(out[out.size() - 2], 0.3f);
    EXPECT_EQ(out[out.size() - 1], -0.3f);
}
