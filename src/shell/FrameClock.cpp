// Frame length from millisecond readings.
#include "shell/FrameClock.h"

bool FrameClock::tick(std::int32_t nowMs) {
    currentMs = nowMs;
    // Unsigned subtraction gives the true small difference even across a wrap of the counter.
    const std::uint32_t elapsedMs = std::uint32_t(nowMs) - std::uint32_t(previousMs);
    frameSeconds = double(elapsedMs) * 0.001;
    bool clamped = false;
    if (frameSeconds > kMaxFrameSeconds) {
        frameSeconds = kMaxFrameSeconds;
        clamped = true;
    }
    previousMs = currentMs;
    return clamped;
}
