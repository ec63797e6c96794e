// Turns successive millisecond readings into the seconds of each frame, at most 0.12 s.
#pragma once

#include <cstdint>

struct FrameClock {
    // A stalled frame is simulated as this long, so the world never jumps.
    static constexpr double kMaxFrameSeconds = 0.12;

    explicit FrameClock(std::int32_t startMs = 0) : previousMs(startMs), currentMs(startMs) {}

    // Advances to the reading nowMs. Returns true when the frame was clamped to
    // kMaxFrameSeconds, in which case the caller clears the buffers.
    bool tick(std::int32_t nowMs);

    std::int32_t previousMs;
    std::int32_t currentMs;
    double frameSeconds = 0.0;
};
