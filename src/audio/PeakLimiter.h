// A look-ahead peak limiter for the mixed output: it keeps every sample at or below its ceiling
// and leaves a signal that stays below the ceiling untouched, only delayed by the look-ahead.
// It touches no audio device, so that it can be tested on plain buffers.
#pragma once

#include <vector>

class PeakLimiter {
  public:
    // ceiling: the largest magnitude let through, 1 being full scale. lookaheadFrames: how far
    // ahead a peak is seen, which is also how long the gain takes to come down and how late the
    // output is. releaseSeconds: the time constant of the gain's return to 1 after a peak.
    PeakLimiter(int channels, int rate, float ceiling, int lookaheadFrames, float releaseSeconds);

    // Limits interleaved samples in place; the output lags the input by lookaheadFrames - 1.
    void process(float* samples, int frames);
    int channels() const { return channels_; }
    // The lowest gain applied so far, 1 when the limiter never acted.
    float lowestGain() const { return lowestGain_; }

  private:
    int channels_;
    float ceiling_;
    int lookahead_;
    float releaseKeep_; // what is left of the reduction after one frame of release
    // Rings over the last lookahead frames: the input frames still to be sent out, the gain each
    // needs on its own, and the held gain that is averaged into the gain applied.
    std::vector<float> delayed_;
    std::vector<float> needed_;
    std::vector<float> held_;
    int position_ = 0;
    float reduction_ = 0.0f;
    float lowestGain_ = 1.0f;
};
