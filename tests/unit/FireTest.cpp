// The fire's steering, speed cap, arrival brake, clamp and flame column, and the entity's
// lifetime and blinking.
#include <gtest/gtest.h>

#include "support/Scenario.h"

#include <cmath>

namespace {

float speed(const Fire& f) {
    return std::hypot(f.vx(), f.vy());
}

} // namespace

TEST(FireSteering, SpeedGrowsOneUnitPerUpdateUpToTheCapOfFourteen) {
    // The growth is per update: the frame's seconds do not change it.
    for (float seconds : {0.0f, 1.0f / 60.0f, 0.12f}) {
        Fire& f = placeFire(-40.0f, 40.0f, 1000.0f, 40.0f);
        for (int n = 1; n <= 14; ++n) {
            f.update(seconds);
            ASSERT_FLOAT_EQ(speed(f), float(n)) << "update " << n << " at " << seconds << " s";
        }
        f.update(seconds);
        EXPECT_FLOAT_EQ(speed(f), 14.0f);
        EXPECT_FLOAT_EQ(f.vy(), 0.0f);
    }
}

TEST(FireSteering, ArrivalBrakeTakesOneUnitAndStopsNegativeComponents) {
    const float s = 1.0f / 60.0f;
    Fire& f = placeFire(0.0f, 10.0f, 0.3f, 10.0f, 14.0f, 0.0f);
    f.update(s);
    EXPECT_FLOAT_EQ(f.vx(), 13.0f);
    EXPECT_FLOAT_EQ(f.vy(), 0.0f);
    EXPECT_NEAR(f.x(), 0.21667f, 1e-5f);

    // Heading toward -x the brake stops the fire dead instead of slowing it.
    Fire& mirror = placeFire(0.0f, 10.0f, -0.3f, 10.0f, -14.0f, 0.0f);
    mirror.update(s);
    EXPECT_EQ(mirror.vx(), 0.0f);
    EXPECT_EQ(mirror.x(), 0.0f);

    // Far from the target the brake stays off.
    Fire& far = placeFire(0.0f, 10.0f, 10.0f, 10.0f, 5.0f, 0.0f);
    far.update(s);
    EXPECT_FLOAT_EQ(far.vx(), 6.0f);
}

TEST(FireSteering, EdgesHoldThePositionButKeepTheVelocity) {
    Fire& f = placeFire(20.0f, 40.0f, 100.0f, 40.0f, 10.0f, 0.0f);
    for (int i = 0; i < 30; ++i) {
        f.update(0.1f);
        ASSERT_EQ(f.x(), 21.0f);
    }
    EXPECT_FLOAT_EQ(f.vx(), 14.0f);

    // Turning back first has to cancel the built-up speed, one unit per update.
    f.setTargetX(-40.0f);
    f.update(0.0f);
    EXPECT_FLOAT_EQ(f.vx(), 13.0f);
    EXPECT_EQ(f.x(), 21.0f);

    // The first update from the start lifts the fire onto the bottom row.
    fire.layOut();
    fire.update(0.0f);
    EXPECT_EQ(fire.y(), 4.5f);
}

TEST(FireSteering, FlameColumnRisesAboveTheClampedPosition) {
    Fire& f = placeFire(30.0f, 80.0f, 30.0f, 80.0f);
    f.update(1.0f / 60.0f);
    EXPECT_EQ(f.x(), 21.0f);
    EXPECT_EQ(f.y(), 70.5f);
    for (int k = 0; k < Fire::kColumnLayers; ++k) {
        EXPECT_EQ(f.columnX(k), 21.0f);
        EXPECT_FLOAT_EQ(f.columnY(k), 70.5f + 0.3f * float(k + 1));
    }
    EXPECT_FLOAT_EQ(f.columnY(4), 72.0f);
}

TEST(FireSteering, StandingOnTheTargetNeverYieldsNotANumber) {
    Fire& f = placeFire(0.0f, 10.0f, 0.0f, 10.0f);
    for (int i = 0; i < 5; ++i) {
        f.update(1.0f / 60.0f);
        ASSERT_TRUE(std::isfinite(f.vx()) && std::isfinite(f.vy()));
        ASSERT_TRUE(std::isfinite(f.x()) && std::isfinite(f.y()));
    }
    EXPECT_EQ(f.vx(), 0.0f);
    EXPECT_EQ(f.vy(), 0.0f);
    EXPECT_EQ(f.x(), 0.0f);
    EXPECT_EQ(f.y(), 10.0f);
}

TEST(EntityLifetime, EndlessEntitiesNeverBlink) {
    Entity e;
    e.setVx(2.0f);
    for (int i = 0; i < 100; ++i) {
        e.update(0.1f);
    }
    EXPECT_EQ(e.lifetime(), -1.0f);
    EXPECT_EQ(e.alpha(), 1.0f);
    EXPECT_NEAR(e.x(), 20.0f, 1e-3f);
}

TEST(EntityLifetime, LastThreeSecondsToggleOpacityEveryTenth) {
    Entity e;
    e.setLifetime(3.05f);
    e.update(0.04f); // 3.01 left: no blinking yet
    EXPECT_EQ(e.alpha(), 1.0f);
    EXPECT_FLOAT_EQ(e.blinkTimer(), 0.1f);

    e.update(0.05f); // below 3: the timer starts running down
    EXPECT_EQ(e.alpha(), 1.0f);
    EXPECT_FLOAT_EQ(e.blinkTimer(), 0.05f);
    e.update(0.05f);
    EXPECT_EQ(e.blinkTimer(), 0.0f);
    EXPECT_EQ(e.alpha(), 1.0f);
    e.update(0.05f); // the timer has run out: toggle and restart it
    EXPECT_EQ(e.alpha(), 0.0f);
    EXPECT_FLOAT_EQ(e.blinkTimer(), 0.1f);

    // The toggles go on until the lifetime runs out.
    int toggles = 0;
    float previous = e.alpha();
    while (e.lifetime() > 0.0f) {
        e.update(0.05f);
        toggles += e.alpha() != previous;
        previous = e.alpha();
    }
    EXPECT_GE(toggles, 8);
}
