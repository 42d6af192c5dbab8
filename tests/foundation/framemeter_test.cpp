#include "foundation/framemeter.h"

#include <gtest/gtest.h>

#include <atomic>
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

std::atomic<bool> g_inputWaiting{false};
std::atomic<int> g_probes{0};

bool ProbeInput() noexcept
{
    ++g_probes;
    return g_inputWaiting.load();
}

TEST(FrameMeterTest, AFrameOfTheViewStopsForWaitingInputWhileOtherWorkGoesOnAndNestedStateComesBack)
{
    CFrameMeter::SetInputProbe(&ProbeInput);
    g_inputWaiting = true;
    g_probes = 0;
    {
        // A picture away from the window is not stopped by input.
        const CFrameMeter::CScope band(1'000'000'000, true);
        EXPECT_TRUE(CFrameMeter::Charge(CFrameMeter::kInputCheckUnits * 4));
        EXPECT_EQ(g_probes.load(), 0);
    }
    {
        const CFrameMeter::CScope frame(1'000'000'000, false, CFrameMeter::EInput::kStops);
        // The probe is asked only every so many units.
        EXPECT_TRUE(CFrameMeter::Charge(CFrameMeter::kInputCheckUnits - 1));
        EXPECT_EQ(g_probes.load(), 0);
        {
            const CFrameMeter::CScope thumbnail;
            EXPECT_TRUE(CFrameMeter::Charge(CFrameMeter::kInputCheckUnits * 2));
        }
        EXPECT_FALSE(frame.WasInterrupted());
        EXPECT_FALSE(CFrameMeter::Charge(1));
        EXPECT_EQ(g_probes.load(), 1);
        EXPECT_TRUE(frame.WasInterrupted());
        EXPECT_FALSE(frame.IsExhausted());
        EXPECT_TRUE(CFrameMeter::ShouldStop());
    }
    EXPECT_FALSE(CFrameMeter::WasInterrupted());
    g_inputWaiting = false;
    {
        const CFrameMeter::CScope frame(1'000'000'000, false, CFrameMeter::EInput::kStops);
        EXPECT_TRUE(CFrameMeter::Charge(CFrameMeter::kInputCheckUnits * 3));
        EXPECT_FALSE(frame.WasInterrupted());
    }
    CFrameMeter::SetInputProbe(nullptr);
}

TEST(FrameMeterTest, AFrameGivenATimeStopsWhereItLooksForInputOnceTheTimeHasCome)
{
    static double now = 0.0;
    now = 0.0;
    {
        const CFrameMeter::CScope frame(1'000'000'000, false, CFrameMeter::EInput::kStops);
        CFrameMeter::SetDeadline([] { return now; }, 0.5);
        EXPECT_TRUE(CFrameMeter::Charge(CFrameMeter::kInputCheckUnits));
        {
            // A picture drawn inside it has no time of its own.
            const CFrameMeter::CScope thumbnail(1'000'000'000, false, CFrameMeter::EInput::kStops);
            now = 1.0;
            EXPECT_TRUE(CFrameMeter::Charge(CFrameMeter::kInputCheckUnits * 2));
        }
        EXPECT_TRUE(CFrameMeter::Charge(CFrameMeter::kInputCheckUnits / 2));
        EXPECT_FALSE(CFrameMeter::Charge(CFrameMeter::kInputCheckUnits));
        EXPECT_TRUE(frame.IsExhausted());
        EXPECT_FALSE(frame.WasInterrupted());
    }
    const CFrameMeter::CScope next(1'000'000'000, false, CFrameMeter::EInput::kStops);
    EXPECT_TRUE(CFrameMeter::Charge(CFrameMeter::kInputCheckUnits * 3)) << "the next frame has no time set";
}

TEST(FrameMeterTest, PixelsCostLessWithMoreRasteriserThreadsUpToTheMeasuredEight)
{
    constexpr double kPixels = 4'000'000;
    const auto unitsWith = [](unsigned threads) {
        CFrameMeter::SetRasterThreads(threads);
        return CFrameMeter::RasterUnits(kPixels, CFrameMeter::kFilledPixelsPerUnit);
    };
    EXPECT_EQ(unitsWith(2), CFrameMeter::PixelUnits(4'000'000, CFrameMeter::kFilledPixelsPerUnit));
    EXPECT_EQ(unitsWith(0), unitsWith(1));
    EXPECT_GT(unitsWith(1), unitsWith(2));
    EXPECT_LT(unitsWith(8), unitsWith(2) / 2);
    EXPECT_EQ(unitsWith(64), unitsWith(8));
    EXPECT_EQ(CFrameMeter::RasterUnits(0.0, CFrameMeter::kFilledPixelsPerUnit), 0u);
    EXPECT_GT(CFrameMeter::RasterUnits(1e300, CFrameMeter::kFilledPixelsPerUnit), CFrameMeter::kBudget);
    CFrameMeter::SetRasterThreads(2);
}

TEST(FrameMeterTest, AStillFrameBudgetCoversWhatTheCountAdmittedWithAMargin)
{
    EXPECT_EQ(CFrameMeter::StillFrameBudget(0), CFrameMeter::kBudget);
    EXPECT_GE(CFrameMeter::StillFrameBudget(200'000'000), 300'000'000u);
    EXPECT_EQ(CFrameMeter::StillFrameBudget(UINT64_MAX), UINT64_MAX);
}

}  // namespace
