#include "render/framecost.h"

#include <gtest/gtest.h>

namespace {

TEST(FrameCost, AMovingFrameIsTooSlowOnlyWhereItsLowestLevelWouldTakeMoreThanHalfASecond)
{
    CFrameCost cost;
    // Nothing measured: the count at opening at the nominal rate.
    EXPECT_FALSE(cost.IsTooSlowToMove(2, 5'000'000));
    EXPECT_TRUE(cost.IsTooSlowToMove(2, 50'000'000));

    // Whole frames of 10 M units in 0.4 s at full quality, 4 M units at level 2.
    cost.RecordWhole(8, 10'000'000, 0.4);
    EXPECT_NEAR(cost.GetSecondsPerUnit(), 4e-8, 1e-15);
    EXPECT_EQ(cost.GetExpectedUnits(2, 0), 10'000'000U) << "a lower level draws no more";
    EXPECT_FALSE(cost.IsTooSlowToMove(0, 0));
    cost.RecordWhole(2, 4'000'000, 0.16);
    EXPECT_EQ(cost.GetExpectedUnits(0, 0), 4'000'000U);
    EXPECT_EQ(cost.GetExpectedUnits(8, 0), 10'000'000U);

    // Slower frames: at full quality a frame would take 1.2 s, at level 2 0.48 s; only
    // a view that can go no lower than full quality is too slow.
    for (int frame = 0; frame < CFrameCost::kMeasuredFrames; ++frame) {
        cost.RecordWhole(8, 10'000'000, 1.2);
    }
    cost.RecordWhole(2, 4'000'000, 0.48);
    EXPECT_FALSE(cost.IsTooSlowToMove(2, 0));
    EXPECT_TRUE(cost.IsTooSlowToMove(8, 0));

    cost.Forget();
    EXPECT_EQ(cost.GetExpectedUnits(8, 7), 7U);
    EXPECT_DOUBLE_EQ(cost.GetSecondsPerUnit(), CFrameCost::kNominalSecondsPerUnit);
}

}  // namespace
