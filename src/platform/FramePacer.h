// Spaces frames 1/60 s apart, so that play runs at the same speed on any machine and a waiting
// game gives the processor back instead of spinning.
#pragma once

#include <chrono>

class FramePacer {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr Clock::duration kFramePeriod = std::chrono::nanoseconds(16'666'667);

    // Asked on every idle turn. Returns zero when a frame is due now (and books it as begun),
    // otherwise how long until the next one is due.
    Clock::duration poll(Clock::time_point now);

  private:
    // The epoch: the very first poll is always due.
    Clock::time_point nextFrame{};
};
