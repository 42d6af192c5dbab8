#include "render/framecost.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint64_t kStill = 100'000'000;

TEST(FrameCost, AMovingFrameIsCutOnlyWhereItsLowestLevelWouldTakeTooLong)
{
    CFrameCost cost;
    // Nothing measured: the count at opening at the nominal rate.
    EXPECT_EQ(cost.GetMovingBudget(8, 2, 5'000'000, kStill), kStill);
    EXPECT_LT(cost.GetMovingBudget(8, 2, 50'000'000, kStill), kStill);

    // Whole frames of 10 M units in 0.4 s at full quality, 4 M units at level 2.
    cost.RecordWhole(8, 10'000'000, 0.4);
    EXPECT_DOUBLE_EQ(cost.GetSecondsPerUnit(), 4e-8);
    EXPECT_EQ(cost.GetExpectedUnits(2, 0), 10'000'000U) << "a lower level draws no more";
    EXPECT_EQ(cost.GetMovingBudget(8, 0, 0, kStill), kStill);
    cost.RecordWhole(2, 4'000'000, 0.16);
    EXPECT_EQ(cost.GetExpectedUnits(0, 0), 4'000'000U);
    EXPECT_EQ(cost.GetExpectedUnits(8, 0), 10'000'000U);

    // Slower frames: at full quality a frame would take 1.2 s, at level 2 0.48 s; only
    // a drag that can go no lower than full quality is cut, after 0.5 s of units.
    for (int frame = 0; frame < CFrameCost::kMeasuredFrames; ++frame) {
        cost.RecordWhole(8, 10'000'000, 1.2);
    }
    cost.RecordWhole(2, 4'000'000, 0.48);
    EXPECT_EQ(cost.GetMovingBudget(8, 2, 0, kStill), kStill);
    const std::uint64_t cut = cost.GetMovingBudget(8, 8, 0, kStill);
    EXPECT_NEAR(static_cast<double>(cut), 0.5 / 1.2e-7, 10.0);
    EXPECT_EQ(cost.GetMovingBudget(8, 8, 0, cut / 2), cut / 2) << "never more than the still budget";
    // The faces that come first drew faster than the frame's average: the next cut at
    // that level draws as many as half a second holds.
    cost.RecordCut(8, cut, 0.2);
    EXPECT_NEAR(static_cast<double>(cost.GetMovingBudget(8, 8, 0, kStill)), 2.5 * static_cast<double>(cut), 10.0);
    EXPECT_NEAR(static_cast<double>(cost.GetMovingBudget(7, 7, 0, kStill)), static_cast<double>(cut), 10.0);

    cost.Forget();
    EXPECT_EQ(cost.GetExpectedUnits(8, 7), 7U);
    EXPECT_DOUBLE_EQ(cost.GetSecondsPerUnit(), CFrameCost::kNominalSecondsPerUnit);
}

}  // namespace
