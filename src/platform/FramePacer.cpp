// Frame pacing at 60 frames per second.
#include "platform/FramePacer.h"

FramePacer::Clock::duration FramePacer::poll(Clock::time_point now) {
    if (now < nextFrame) {
        return nextFrame - now;
    }
    // Keep a steady cadence; after a stall longer than a frame, start afresh from now rather than
    // rushing to catch up.
    nextFrame += kFramePeriod;
    if (nextFrame <= now) {
        nextFrame = now + kFramePeriod;
    }
    return Clock::duration::zero();
}
