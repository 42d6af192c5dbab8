#include "tools/transitionclock.h"

#include <gtest/gtest.h>

#include "tests/tools/animationtestsupport.h"

namespace {

TEST(TransitionClock, TimeHeldDoesNotCountAHoldRepeatedKeepsItsStartAndStartForgetsHolds)
{
    animationtest::ManualClock time;
    CTransitionClock clock;
    clock.Start();
    time.Advance(1.0);
    clock.Pause(true);
    time.Advance(5.0);
    clock.Pause(true);
    time.Advance(5.0);
    clock.Pause(false);
    clock.Pause(false);
    time.Advance(0.5);
    EXPECT_DOUBLE_EQ(clock.GetElapsedSeconds(), 1.5);

    clock.Start();
    time.Advance(2.0);
    EXPECT_DOUBLE_EQ(clock.GetElapsedSeconds(), 2.0);
}

}  // namespace
