// The limiter's gain for the frame going out is the average, over the look-ahead, of a held
// gain; each held gain is at most the gain needed by every frame in the look-ahead after it, so
// the average never exceeds what the frame going out needs, and the gain glides down over the
// look-ahead instead of stepping. What a frame needs is measured on the signal as a converter
// rebuilds it: the frame's own samples and the points between it and the next, interpolated at
// four times the rate as a true-peak meter does. A last clamp holds the ceiling to the bit
// against the rounding of the gain.
#include "audio/PeakLimiter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// A reduction this small is none: a millionth is far below hearing.
constexpr float kReleased = 1e-6f;
// The frame whose peaks are measured is the one at this place in the history: the taps reach
// this many frames before it and the rest after it.
constexpr int kCentre = PeakLimiter::kInterpolationTaps / 2 - 1;
// How far on each side of a frame its need holds: as far as the interpolation reaches.
constexpr int kReach = PeakLimiter::kInterpolationTaps / 2;

// A windowed sinc, one row of taps for each point between two samples, each row summing to 1 so
// that a steady signal is rebuilt as it is.
std::vector<float> interpolationPhases() {
    constexpr int taps = PeakLimiter::kInterpolationTaps;
    constexpr double halfSpan = taps / 2.0;
    std::vector<float> phases;
    for (int phase = 1; phase < PeakLimiter::kOversampling; ++phase) {
        std::vector<double> row;
        double sum = 0;
        for (int tap = 0; tap < taps; ++tap) {
            const double distance =
                double(phase) / PeakLimiter::kOversampling + kCentre - double(tap);
            const double x = std::numbers::pi * distance;
            const double window = 0.5 * (1 + std::cos(std::numbers::pi * distance / halfSpan));
            row.push_back(std::sin(x) / x * window);
            sum += row.back();
        }
        for (double tap : row) {
            phases.push_back(float(tap / sum));
        }
    }
    return phases;
}

} // namespace

PeakLimiter::PeakLimiter(int channels, int rate, float ceiling, int lookaheadFrames,
                         float releaseSeconds)
    : channels_(channels), ceiling_(ceiling), lookahead_(std::max(lookaheadFrames, 1)),
      releaseKeep_(std::exp(-1.0f / (releaseSeconds * float(rate)))),
      phases_(interpolationPhases()),
      history_(std::size_t(2 * kInterpolationTaps) * channels, 0.0f),
      delayed_(std::size_t(lookahead_ + kReach) * channels, 0.0f),
      needed_(std::size_t(lookahead_ + 2 * kReach), 1.0f), held_(std::size_t(lookahead_), 1.0f) {}

int PeakLimiter::latencyFrames() const {
    return kInterpolationTaps - 1 - kCentre + kReach + lookahead_ - 1;
}

float PeakLimiter::truePeakOfCentre() const {
    float peak = 0.0f;
    for (int channel = 0; channel < channels_; ++channel) {
        const float* samples =
            &history_[std::size_t(channel) * 2 * kInterpolationTaps + std::size_t(historyStart_)];
        peak = std::max(peak, std::fabs(samples[kCentre]));
        for (int phase = 0; phase < kOversampling - 1; ++phase) {
            const float* taps = &phases_[std::size_t(phase) * kInterpolationTaps];
            float between = 0.0f;
            for (int tap = 0; tap < kInterpolationTaps; ++tap) {
                between += taps[tap] * samples[tap];
            }
            peak = std::max(peak, std::fabs(between));
        }
    }
    return peak;
}

void PeakLimiter::process(float* samples, int frames) {
    for (int frame = 0; frame < frames; ++frame) {
        float* in = samples + std::size_t(frame) * channels_;
        // The newest frame joins the history in place of the oldest, a sample that is not a
        // finite number as silence: it would poison the gain and every sample after it.
        for (int channel = 0; channel < channels_; ++channel) {
            float* ring = &history_[std::size_t(channel) * 2 * kInterpolationTaps];
            const float sample = std::isfinite(in[channel]) ? in[channel] : 0.0f;
            ring[historyStart_] = sample;
            ring[historyStart_ + kInterpolationTaps] = sample;
        }
        historyStart_ = (historyStart_ + 1) % kInterpolationTaps;
        const float peak = truePeakOfCentre();
        const auto slot = [&](const std::vector<float>& ring, int perFrame) {
            return std::size_t(measured_ % (long long)(ring.size() / perFrame)) * perFrame;
        };
        needed_[slot(needed_, 1)] = peak > ceiling_ ? ceiling_ / peak : 1.0f;

        // The held gain of the newest frame: no more than any frame in the look-ahead and the
        // reach on both sides needs, and otherwise returning toward 1 at the release rate. The
        // reduction, 1 less the gain, decays rather than the gain rising, so that float's steps
        // near 1 do not stall the release short of it; it ends at exactly 0, so that a signal
        // below the ceiling comes out unchanged again once the peak has passed.
        const float lowestNeeded = *std::min_element(needed_.begin(), needed_.end());
        reduction_ = std::max(1.0f - lowestNeeded, reduction_ * releaseKeep_);
        if (reduction_ < kReleased) {
            reduction_ = 0.0f;
        }
        held_[slot(held_, 1)] = 1.0f - reduction_;
        float sum = 0.0f;
        for (float gain : held_) {
            sum += gain;
        }
        const float gain = std::min(sum / float(lookahead_), 1.0f);
        lowestGain_ = std::min(lowestGain_, gain);

        // The measured frame takes its place in the ring, and the oldest goes out.
        float* entering = &delayed_[slot(delayed_, channels_)];
        for (int channel = 0; channel < channels_; ++channel) {
            entering[channel] = history_[std::size_t(channel) * 2 * kInterpolationTaps +
                                         std::size_t(historyStart_ + kCentre)];
        }
        ++measured_;
        const float* out = &delayed_[slot(delayed_, channels_)];
        for (int channel = 0; channel < channels_; ++channel) {
            in[channel] = std::clamp(out[channel] * gain, -ceiling_, ceiling_);
        }
    }
}
