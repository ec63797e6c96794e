// The limiter's gain for the frame going out is the average, over the look-ahead, of a held
// gain; each held gain is at most the gain needed by every frame in the look-ahead after it, so
// the average never exceeds what the frame going out needs: no sample passes the ceiling, and the
// gain glides down over the look-ahead instead of stepping.
#include "audio/PeakLimiter.h"

#include <algorithm>
#include <cmath>

namespace {

// A reduction this small is none: a millionth is far below hearing.
constexpr float kReleased = 1e-6f;

} // namespace

PeakLimiter::PeakLimiter(int channels, int rate, float ceiling, int lookaheadFrames,
                         float releaseSeconds)
    : channels_(channels), ceiling_(ceiling), lookahead_(std::max(lookaheadFrames, 1)),
      releaseKeep_(std::exp(-1.0f / (releaseSeconds * float(rate)))),
      delayed_(std::size_t(lookahead_) * channels, 0.0f), needed_(std::size_t(lookahead_), 1.0f),
      held_(std::size_t(lookahead_), 1.0f) {}

void PeakLimiter::process(float* samples, int frames) {
    for (int frame = 0; frame < frames; ++frame) {
        float* in = samples + std::size_t(frame) * channels_;
        float* slot = &delayed_[std::size_t(position_) * channels_];
        float peak = 0.0f;
        for (int channel = 0; channel < channels_; ++channel) {
            peak = std::max(peak, std::fabs(in[channel]));
        }
        needed_[position_] = peak > ceiling_ ? ceiling_ / peak : 1.0f;

        // The held gain of the oldest frame in the ring: no more than any frame up to the newest
        // needs, and otherwise returning toward 1 at the release rate. The reduction, 1 less the
        // gain, decays rather than the gain rising, so that float's steps near 1 do not stall
        // the release short of it; it ends at exactly 0, so that a signal below the ceiling
        // comes out unchanged again once the peak has passed.
        const float lowestNeeded = *std::min_element(needed_.begin(), needed_.end());
        reduction_ = std::max(1.0f - lowestNeeded, reduction_ * releaseKeep_);
        if (reduction_ < kReleased) {
            reduction_ = 0.0f;
        }
        held_[position_] = 1.0f - reduction_;
        float sum = 0.0f;
        for (float gain : held_) {
            sum += gain;
        }
        const float gain = std::min(sum / float(lookahead_), 1.0f);
        lowestGain_ = std::min(lowestGain_, gain);

        // The newest frame takes its place in the ring, and the oldest goes out.
        std::copy(in, in + channels_, slot);
        position_ = (position_ + 1) % lookahead_;
        const float* out = &delayed_[std::size_t(position_) * channels_];
        for (int channel = 0; channel < channels_; ++channel) {
            in[channel] = out[channel] * gain;
        }
    }
}
