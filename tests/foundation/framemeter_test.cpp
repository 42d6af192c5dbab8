#include "foundation/framemeter.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>

#include "platform/quitrequest.h"

namespace {

TEST(FrameMeterTest, AScopeStopsPastItsBudgetAndAnInnerScopeGivesTheOuterItsStateBack)
{
    EXPECT_FALSE(CFrameMeter::IsMetering());
    // Outside every scope nothing is counted and nothing stops.
    EXPECT_TRUE(CFrameMeter::Charge(UINT64_MAX));
    EXPECT_EQ(CFrameMeter::GetUsed(), 0u);
    {
        const CFrameMeter::CScope outer(10, true);
        EXPECT_TRUE(CFrameMeter::Charge(10));
        EXPECT_FALSE(outer.IsExhausted());
        {
            const CFrameMeter::CScope inner(5);
            EXPECT_FALSE(CFrameMeter::IsShared());
            EXPECT_EQ(inner.GetUsed(), 0u);
            EXPECT_FALSE(CFrameMeter::Charge(6));
            EXPECT_TRUE(CFrameMeter::ShouldStop());
        }
        EXPECT_TRUE(CFrameMeter::IsShared());
        EXPECT_EQ(outer.GetUsed(), 10u);
        EXPECT_FALSE(CFrameMeter::ShouldStop());
        EXPECT_FALSE(CFrameMeter::Charge(1));
        EXPECT_TRUE(outer.IsExhausted());
    }
    EXPECT_FALSE(CFrameMeter::IsMetering());
    EXPECT_FALSE(CFrameMeter::IsShared());
    EXPECT_FALSE(CFrameMeter::ShouldStop());
}

TEST(FrameMeterTest, ChargesSaturateInsteadOfWrappingRound)
{
    const CFrameMeter::CScope scope(UINT64_MAX - 1);
    EXPECT_TRUE(CFrameMeter::Charge(UINT64_MAX - 2));
    EXPECT_FALSE(CFrameMeter::Charge(UINT64_MAX));
    EXPECT_EQ(scope.GetUsed(), UINT64_MAX);
    EXPECT_FALSE(CFrameMeter::Charge(1));
    EXPECT_TRUE(scope.IsExhausted());
}

TEST(FrameMeterTest, AQuitStopsEveryFrameWithoutSpendingItsBudget)
{
    CQuitRequest::Request(SIGTERM);
    EXPECT_TRUE(CFrameMeter::ShouldStop());
    {
        const CFrameMeter::CScope scope;
        EXPECT_FALSE(CFrameMeter::Charge(1));
        EXPECT_FALSE(scope.IsExhausted());
    }
    CQuitRequest::Clear();
    EXPECT_FALSE(CFrameMeter::ShouldStop());
}

}  // namespace
