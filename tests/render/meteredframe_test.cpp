// A frame that passes its budget stops where it stands, keeps what it drew and says why;
// a frame of the view stops for waiting input, and a moving one draws whole unless even
// its lowest level would keep the user waiting.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "annotations/polyline3d.h"
#include "foundation/framemeter.h"
#include "render/framecost.h"
#include "render/frametimer.h"
#include "render/viewanalyzer.h"
#include "tests/render/modelframefixture.h"
#include "tests/render/workelement.h"

namespace {

constexpr int kLines = 8;
constexpr int kPointsPerLine = 1000;

class MeteredFrameTest : public ModelFrameTest
{
protected:
    void SetUp() override
    {
        ModelFrameTest::SetUp();
        Options().SetBackgroundColor(CColor(0, 0, 0, 255));
        Options().SetForegroundColor(CColor(255, 255, 255, 255));
        LookDown(CPoint3d(0, 0, 0), 20.0);
        // Lines across the view from the top down, each of many points: each costs the
        // frame what its points do, drawn in that order.
        for (int line = 0; line < kLines; ++line) {
            std::vector<CPoint3d> points;
            for (int i = 0; i < kPointsPerLine; ++i) {
                points.emplace_back(-10.0 + 20.0 * i / (kPointsPerLine - 1), LineY(line), 0.0);
            }
            Root().Add(new CPolyline3d(std::move(points)));
        }
    }

    static double LineY(int line) { return 8.0 - 2.0 * line; }
    // Whether the line shows in the middle of the frame.
    bool Shows(int line) const
    {
        const int row = static_cast<int>((10.0 - LineY(line)) / 20.0 * kHeight);
        for (int y = std::max(row - 1, 0); y <= std::min(row + 1, kHeight - 1); ++y) {
            if (Pixel(kWidth / 2, y)[0] > 128) {
                return true;
            }
        }
        return false;
    }
    // A frame under a budget for about two and a half lines.
    std::string DrawMetered()
    {
        testing::internal::CaptureStderr();
        {
            const CFrameMeter::CScope meter(kPointsPerLine * 5 / 2, true);
            Draw();
        }
        return testing::internal::GetCapturedStderr();
    }
};

TEST_F(MeteredFrameTest, AFrameOverItsBudgetStopsWithWhatItDrewAndSaysWhyEachTime)
{
    const std::string reason = CFrameMeter::kReason;
    const std::string first = DrawMetered();
    EXPECT_TRUE(Shows(0));
    EXPECT_FALSE(Shows(kLines - 1));
    EXPECT_EQ(m_view.statusText.ToUtf8(), reason);
    EXPECT_NE(first.find(reason), std::string::npos);

    // The next frame stops as well, and standard error does not hear of it again.
    m_view.statusText = CString("another text");
    const std::string second = DrawMetered();
    EXPECT_TRUE(Shows(0));
    EXPECT_FALSE(Shows(kLines - 1));
    EXPECT_EQ(m_view.statusText.ToUtf8(), reason);
    EXPECT_EQ(second.find(reason), std::string::npos);

    // A frame with its whole budget draws everything and takes the reason away: what it
    // covered (a tool's prompt) comes back.
    Draw();
    for (int line = 0; line < kLines; ++line) {
        EXPECT_TRUE(Shows(line)) << line;
    }
    EXPECT_EQ(m_view.statusText, CString("another text"));

    // A text written over the reason since stays.
    DrawMetered();
    m_view.statusText = CString("a prompt");
    Draw();
    EXPECT_EQ(m_view.statusText, CString("a prompt"));
}

std::atomic<bool> g_inputWaiting{false};

bool ProbeInput() noexcept
{
    return g_inputWaiting.load();
}

class ViewFrameTest : public ModelFrameTest
{
protected:
    void SetUp() override
    {
        ModelFrameTest::SetUp();
        LookDown(5.0);
        m_work = new CWorkElement;
        Root().Add(m_work);
        CFrameMeter::SetInputProbe(&ProbeInput);
    }
    void TearDown() override
    {
        CFrameMeter::SetInputProbe(nullptr);
        g_inputWaiting = false;
        ModelFrameTest::TearDown();
    }
    // A frame of the view as the window draws it, swapped when it is shown.
    void DrawShown()
    {
        const CurrentModelScope scope(m_model);
        m_view.DrawFrame(0, true);
    }

    CWorkElement* m_work = nullptr;
};

TEST_F(ViewFrameTest, AFrameWithInputWaitingStopsShowsNothingAndIsDrawnAgainOnceTheViewSettles)
{
    g_inputWaiting = true;
    DrawShown();
    EXPECT_LE(m_work->charged, CFrameMeter::kInputCheckUnits + CWorkElement::kStep);
    EXPECT_EQ(m_view.swaps, 0);
    EXPECT_TRUE(m_view.statusText.IsEmpty()) << "no budget was spent";
    EXPECT_EQ(m_view.settleRequests, 1);

    g_inputWaiting = false;
    m_view.invalidations = 0;
    m_view.OnViewSettled();
    EXPECT_EQ(m_view.invalidations, 1);
    DrawShown();
    EXPECT_EQ(m_work->charged, CWorkElement::kWork);
    EXPECT_EQ(m_view.swaps, 1);
    // Shown whole, the still picture needs no other frame.
    m_view.invalidations = 0;
    m_view.OnViewSettled();
    EXPECT_EQ(m_view.invalidations, 0);
}

// The feedback of a tool over a slow frame swaps to show the clean last frame, and the
// zoom window, centring and the autopan read its depths: a frame that input stopped
// after its clear must leave them the last whole frame, and stay out of the average frame
// time that the transitions and the autopan pace themselves by.
TEST_F(ViewFrameTest, AFrameInputStoppedLeavesTheLastWholeFrameToTheFeedbackSwapAndTheDepthReads)
{
    // A line across the middle, drawn after the work: a stopped frame never reaches it.
    Root().Add(new CPolyline3d({CPoint3d(-5, 0, 1), CPoint3d(5, 0, 1)}));
    Options().SetBackgroundColor(CColor(0, 0, 0, 255));
    Options().SetForegroundColor(CColor(255, 255, 255, 255));
    const auto shownLine = [this] {
        std::vector<std::uint8_t> front;
        EXPECT_TRUE(m_device->ReadFrontPixels(front));
        int lit = 0;
        for (int y = 0; y < kHeight; ++y) {
            lit += front[(static_cast<std::size_t>(y) * kWidth + kWidth / 2) * 4] > 128 ? 1 : 0;
        }
        return lit;
    };
    const auto depths = [this] {
        CViewAnalyzer analyzer(m_view);
        analyzer.AnalyzeRect(CPoint2d(0, 0), CPoint2d(kWidth, kHeight), GL_DEPTH_COMPONENT);
        return std::make_pair(analyzer.GetCount(), analyzer.GetNearest());
    };
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        g_inputWaiting = false;
        DrawShown();
        ASSERT_TRUE(m_device->Swap());
        const int line = shownLine();
        const auto whole = depths();
        ASSERT_GT(line, 0);
        ASSERT_GT(whole.first, 0);

        m_view.ResetFrameStatistics();
        m_view.RecordFrameTime(1.0);
        g_inputWaiting = true;
        DrawShown();
        ASSERT_LT(m_work->charged, CWorkElement::kWork);
        // The tool's feedback swap, then a depth read.
        ASSERT_TRUE(m_device->Swap());
        EXPECT_EQ(shownLine(), line);
        EXPECT_EQ(depths(), whole);
        EXPECT_EQ(m_view.GetAverageFrameTime(), 1.0) << "the stopped frame entered the average";
        EXPECT_EQ(m_view.GetLastFrameTime(), 1.0) << "a short stop tells nothing of a whole frame";
    }
}

// Pins a past fault: a notch's whole picture left the reason of the still frame before
// on the status line.
TEST_F(ViewFrameTest, ANotchsWholePictureTakesAwayTheReasonTheStillFrameBeforeWasCut)
{
    m_view.statusText = CString("a prompt");
    m_work->work = 2 * CFrameMeter::kBudget;
    DrawShown();
    ASSERT_EQ(m_view.statusText.ToUtf8(), CFrameMeter::kReason);

    m_work->work = CWorkElement::kWork;
    LookDown(CPoint3d(1, 0, 0), 4.0);
    DrawShown();
    EXPECT_EQ(m_work->charged, CWorkElement::kWork);
    EXPECT_EQ(m_view.statusText.ToUtf8(), "a prompt");
}

// Pins a past fault: the model before decided whether the next one's moving frames were
// timed.
TEST_F(ViewFrameTest, AnotherModelStartsWithNothingMeasured)
{
    DrawShown();
    ASSERT_GT(m_view.GetFrameCost().GetExpectedUnits(8, 0), 0U);
    m_view.SetModel(nullptr);
    m_view.SetModel(m_model);
    EXPECT_EQ(m_view.GetFrameCost().GetExpectedUnits(8, 0), 0U);
}

TEST_F(ViewFrameTest, AMovingFrameDrawsWholeUnlessItsLowestLevelWouldTakeTooLong)
{
    DrawShown();
    EXPECT_EQ(m_work->charged, CWorkElement::kWork);
    const int settles = m_view.settleRequests;

    // Each way of moving the view: a camera that changed since the frame before (a
    // notch, a transition), and an interaction that began (a drag) before the camera
    // moved.
    for (const bool interaction : {false, true}) {
        SCOPED_TRACE(interaction);
        if (interaction) {
            m_view.BeginInteraction(0);
        } else {
            LookDown(CPoint3d(1, 0, 0), 5.0);
        }
        DrawShown();
        EXPECT_EQ(m_work->charged, CWorkElement::kWork);
        // Whole at full quality outside a drag, the picture is the still one.
        EXPECT_EQ(m_view.settleRequests, settles + (interaction ? 1 : 0));
        m_view.settleRequests = settles;

        // A drag that rests with its button held draws its whole picture at full
        // quality, and goes on at the level it reached.
        if (interaction) {
            m_view.SetDrawingLevel(2);
            m_view.invalidations = 0;
            m_view.OnViewSettled();
            EXPECT_GE(m_view.invalidations, 1);
            DrawShown();
            EXPECT_EQ(m_work->charged, CWorkElement::kWork);
            EXPECT_EQ(m_view.GetLastFullFrameTime(), m_view.GetLastFrameTime());
            EXPECT_EQ(m_view.GetDrawingLevel(), 2);
            m_view.EndInteraction();
        }
    }

    // Frames of two seconds: a moving frame at its lowest level would keep the user
    // waiting, and stops once half a second has passed, where it looks for input.
    static double now = 0.0;
    CFrameTimer::SetClock([] { return now += 2.0; });
    for (int frame = 0; frame < CFrameCost::kMeasuredFrames; ++frame) {
        DrawShown();
        EXPECT_EQ(m_work->charged, CWorkElement::kWork) << "a still frame keeps the count's budget";
    }
    m_view.BeginInteraction(0);
    LookDown(CPoint3d(2, 0, 0), 5.0);
    const int swaps = m_view.swaps;
    DrawShown();
    EXPECT_GE(m_work->charged, CFrameMeter::kInputCheckUnits);
    EXPECT_LE(m_work->charged, CFrameMeter::kInputCheckUnits + CWorkElement::kStep);
    EXPECT_EQ(m_view.swaps, swaps + 1) << "what it drew is shown";
    m_view.EndInteraction();
    CFrameTimer::SetClock(nullptr);
}

// A notch on a model whose frames take seconds draws at the level a drag would reach;
// cut for time even there, its frame is not shown, never a part of it: the last whole
// picture stays until the still frame, which then follows at once. A command's camera
// (once drawn as a notch's) draws the whole picture at once.
TEST_F(ViewFrameTest, ANotchOnASlowModelShowsTheLoweredLevelOrTheLastWholePictureNeverABand)
{
    static double now = 0.0;
    CFrameTimer::SetClock([] { return now += 2.0; });
    for (int frame = 0; frame < CFrameCost::kMeasuredFrames; ++frame) {
        DrawShown();
    }
    const double x = 2.0;
    for (const int fromLevel : {0, IModelView::kFullDrawingLevel}) {
        SCOPED_TRACE(fromLevel);
        m_work->fromLevel = fromLevel;
        m_view.ZoomByWheel(1.0, CPoint2d(kWidth / 2.0, kHeight / 2.0));
        const int swaps = m_view.swaps;
        const int settles = m_view.settleRequests;
        DrawShown();
        const bool drawn = fromLevel == 0;
        if (drawn) {
            EXPECT_GT(m_work->charged, 0U);
            EXPECT_LT(m_work->charged, CWorkElement::kWork) << "cut for time";
        } else {
            EXPECT_EQ(m_work->charged, 0U) << "left out at the lowered level";
        }
        EXPECT_EQ(m_view.swaps, swaps + (drawn ? 0 : 1));
        EXPECT_EQ(m_view.settleRequests, settles + 1) << "the still frame follows";
        // Cut, it showed nothing, and the wheel has rested longer than the rest time while
        // it drew; a picture shown keeps the rest.
        EXPECT_EQ(m_view.settleSeconds, drawn ? 0.0 : CViewMotion::kSettleSeconds);
        EXPECT_EQ(m_view.GetDrawingLevel(), IModelView::kFullDrawingLevel);
        m_view.OnViewSettled();
        DrawShown();
    }
    LookDown(CPoint3d(x, 0, 0), 5.0);
    const int swaps = m_view.swaps;
    const int settles = m_view.settleRequests;
    DrawShown();
    EXPECT_EQ(m_work->charged, CWorkElement::kWork);
    EXPECT_EQ(m_view.swaps, swaps + 1);
    EXPECT_EQ(m_view.settleRequests, settles) << "the picture is the still one";
    CFrameTimer::SetClock(nullptr);
}

}  // namespace
