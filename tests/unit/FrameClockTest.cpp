// The frame clock's arithmetic and the frame pacer, fed readings as data.
#include <gtest/gtest.h>

#include "platform/FramePacer.h"
#include "shell/FrameClock.h"

#include <cstdint>
#include <limits>

TEST(FrameClock, MeasuresFramesAndClampsLongOnesToTwelveHundredths) {
    FrameClock clock(1000);
    EXPECT_FALSE(clock.tick(1016));
    EXPECT_DOUBLE_EQ(clock.frameSeconds, 0.016);
    EXPECT_EQ(clock.previousMs, 1016);

    // A frame of exactly 120 ms is not clamped; one of 200 ms is, and asks for a clear.
    EXPECT_FALSE(clock.tick(1136));
    EXPECT_DOUBLE_EQ(clock.frameSeconds, 0.12);
    EXPECT_TRUE(clock.tick(1336));
    EXPECT_DOUBLE_EQ(clock.frameSeconds, 0.12);

    // Two readings within the same millisecond give a frame of no time at all.
    EXPECT_FALSE(clock.tick(1336));
    EXPECT_EQ(clock.frameSeconds, 0.0);
}

TEST(FrameClock, WrapOfTheCounterStillGivesTheTrueDifference) {
    FrameClock clock(std::numeric_limits<std::int32_t>::max() - 5);
    EXPECT_FALSE(clock.tick(std::numeric_limits<std::int32_t>::min() + 10));
    EXPECT_DOUBLE_EQ(clock.frameSeconds, 0.016);
    EXPECT_EQ(clock.currentMs, std::numeric_limits<std::int32_t>::min() + 10);
}

TEST(FramePacer, SpacesFramesOneSixtiethApartWithoutBursts) {
    using namespace std::chrono;
    FramePacer pacer;
    const FramePacer::Clock::time_point start{seconds(100)};
    const auto period = FramePacer::kFramePeriod;

    EXPECT_EQ(pacer.poll(start), FramePacer::Clock::duration::zero());
    EXPECT_EQ(pacer.poll(start + milliseconds(5)), period - milliseconds(5));
    EXPECT_EQ(pacer.poll(start + period), FramePacer::Clock::duration::zero());

    // A late frame keeps the cadence: the next one is still due on the original beat.
    EXPECT_EQ(pacer.poll(start + 2 * period + milliseconds(3)),
              FramePacer::Clock::duration::zero());
    EXPECT_EQ(pacer.poll(start + 2 * period + milliseconds(4)), period - milliseconds(4));

    // After a long stall there is one frame, then the pacer waits a whole period again.
    const auto late = start + seconds(2);
    EXPECT_EQ(pacer.poll(late), FramePacer::Clock::duration::zero());
    EXPECT_EQ(pacer.poll(late), period);
}
