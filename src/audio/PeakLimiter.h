// A look-ahead peak limiter for the mixed output: it keeps every sample, and the peaks a
// converter rebuilds between samples, at or below its ceiling, and leaves a signal that stays
// below the ceiling untouched, only delayed. A sample that is not a finite number is silenced.
// It touches no audio device, so that it can be tested on plain buffers.
#pragma once

#include <vector>

class PeakLimiter {
  public:
    // ceiling: the largest magnitude let through, 1 being full scale. lookaheadFrames: how far
    // ahead a peak is seen, which is also how long the gain takes to come down. releaseSeconds:
    // the time constant of the gain's return to 1 after a peak.
    PeakLimiter(int channels, int rate, float ceiling, int lookaheadFrames, float releaseSeconds);

    // Limits interleaved samples in place; the output lags the input by latencyFrames().
    void process(float* samples, int frames);
    int channels() const { return channels_; }
    int latencyFrames() const;
    // The lowest gain applied so far, 1 when the limiter never acted.
    float lowestGain() const { return lowestGain_; }

    // The peaks between samples are found on the signal rebuilt at this many times its rate,
    // from this many samples around each point.
    static constexpr int kOversampling = 4;
    static constexpr int kInterpolationTaps = 24;

  private:
    float truePeakOfCentre() const;

    int channels_;
    float ceiling_;
    int lookahead_;
    float releaseKeep_; // what is left of the reduction after one frame of release
    // The interpolation filter, one row of taps for each point between two samples.
    std::vector<float> phases_;
    // The last kInterpolationTaps input samples of each channel, written twice over so that they
    // stand in order, oldest first, from historyStart_ on: the peaks around
    // the frame at their centre are known once the frames after it have come in.
    std::vector<float> history_;
    int historyStart_ = 0;
    // Rings over the frames measured so far: the frames still to be sent out, the gain each
    // needs on its own, and the held gain that is averaged into the gain applied. A frame's need
    // holds over the interpolation's reach on both sides of it, so that every sample a rebuilt
    // peak is made of is brought down with it.
    std::vector<float> delayed_;
    std::vector<float> needed_;
    std::vector<float> held_;
    long long measured_ = 0;
    float reduction_ = 0.0f;
    float lowestGain_ = 1.0f;
};
