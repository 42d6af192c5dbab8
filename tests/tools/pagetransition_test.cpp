#include "tools/pagetransition.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "annotations/sectionplane.h"
#include "document/shadowinfo.h"
#include "document/tarnwickpage.h"
#include "foundation/notificationcenter.h"
#include "tests/tools/animationtestsupport.h"

namespace {

using animationtest::MakeCamera;

// Collects the positions "PageFrameNotification" reports.
class FrameRecorder : public IObserver
{
public:
    FrameRecorder() { GetNotificationCenter().AddObserver(kPageFrameNotification, this); }
    ~FrameRecorder() override { GetNotificationCenter().RemoveObserver(this); }
    FrameRecorder(const FrameRecorder&) = delete;
    FrameRecorder& operator=(const FrameRecorder&) = delete;
    void OnNotify(const std::string& /*name*/, void* data) override
    {
        positions.push_back(static_cast<PageFrameData*>(data)->time);
    }
    std::vector<double> positions;
};

class PageTransitionTest : public animationtest::ModelFixture
{
protected:
    void SetUp() override
    {
        ModelFixture::SetUp();
        from = AddPage("front", MakeCamera({0, -10, 1}, {0, 0, 1}));
        to = AddPage("side", MakeCamera({10, 0, 1}, {0, 0, 1}));
        view.SetCamera(from->GetCamera(), 0.0);
    }
    // Steps until the transition says it is over, the clock moving by the frame time
    // after each step; pausing for ten seconds after the second step when asked. The
    // number of steps that went on, and the unpaused time at the step that ended it.
    std::pair<int, double> RunToEnd(CPageTransition& transition, double frameTime, bool pause)
    {
        int steps = 0;
        double running = 0.0;
        double atEnd = -1.0;
        while (transition.Step(&view))
        {
            if (atEnd < 0.0 && transition.GetPosition() == 1.0)
                atEnd = running;
            if (++steps == 2 && pause)
            {
                transition.Pause(true);
                clock.Advance(10.0);
                transition.Pause(false);
            }
            clock.Advance(frameTime);
            running += frameTime;
        }
        return {steps, atEnd};
    }

    animationtest::ManualClock clock;
    CViewPage* from = nullptr;
    CViewPage* to = nullptr;
};

TEST_F(PageTransitionTest, KeepsItsDurationWhateverTheFrameRateAndLeavesPausesOut)
{
    constexpr double kSeconds = 1.5;
    for (const double frameTime : {0.01, 0.04, 0.1, 0.35})
    {
        view.SetCamera(from->GetCamera(), 0.0);
        CPageTransition steady(&view, from, to, kSeconds);
        const auto [steps, atEnd] = RunToEnd(steady, frameTime, false);
        // It ends at the last frame that would not overrun the duration.
        EXPECT_LT(atEnd, kSeconds) << frameTime;
        EXPECT_GT(atEnd + std::max(frameTime, 0.04), kSeconds - 0.001) << frameTime;
        view.SetCamera(from->GetCamera(), 0.0);
        CPageTransition paused(&view, from, to, kSeconds);
        EXPECT_EQ(RunToEnd(paused, frameTime, true).first, steps) << frameTime;
    }
}

TEST_F(PageTransitionTest, EndsExactlyOnThePagesCameraAndReportsEachFrame)
{
    FrameRecorder frames;
    CPageTransition transition(&view, from, to, 1.0);
    while (transition.Step(&view))
    {
        if (transition.GetPosition() < 1.0)
        {
            EXPECT_FALSE(view.GetViewDefinition().GetCamera().IsEqual(to->GetCamera()));
        }
        clock.Advance(0.1);
    }
    EXPECT_TRUE(view.GetViewDefinition().GetCamera().IsEqual(to->GetCamera()));
    EXPECT_TRUE(Model().GetCamera().IsEqual(to->GetCamera()));
    ASSERT_GE(frames.positions.size(), 3u);
    EXPECT_EQ(frames.positions.front(), 0.0);
    EXPECT_EQ(frames.positions.back(), 1.0);
    EXPECT_TRUE(std::is_sorted(frames.positions.begin(), frames.positions.end()));
}

TEST_F(PageTransitionTest, ATransitionShorterThanAFrameEndsInItsFirstStep)
{
    CPageTransition transition(&view, from, to, 0.03);
    EXPECT_TRUE(transition.Step(&view));
    EXPECT_TRUE(view.GetViewDefinition().GetCamera().IsEqual(to->GetCamera()));
    EXPECT_FALSE(transition.Step(&view));
}

TEST_F(PageTransitionTest, TheShadowTimeTakesTheShortWayAcrossMidnight)
{
    const struct
    {
        CUtcTime start;
        CUtcTime end;
        int seconds;
        int days;
    } cases[] = {
        {CUtcTime(2024, 6, 21, 22, 0, 0), CUtcTime(2024, 6, 22, 2, 0, 0), 4 * 3600, 0},
        {CUtcTime(2024, 6, 22, 2, 0, 0), CUtcTime(2024, 6, 21, 22, 0, 0), -4 * 3600, 0},
        {CUtcTime(2024, 6, 21, 10, 0, 0), CUtcTime(2024, 7, 1, 14, 30, 0), 4 * 3600 + 1800, 10},
    };
    for (const auto& c : cases)
    {
        Model().GetShadowInfo()->SetDateTime(c.start);
        CShadowInfo target(*Model().GetShadowInfo());
        target.SetDateTime(c.end);
        to->SetPropertyMask(CViewPage::kShadowSettings);
        to->SetShadowInfo(target);
        CPageTransition transition(&view, from, to, 1.0);
        std::int64_t last = c.start.GetTime();
        while (transition.Step(&view))
        {
            const std::int64_t now = Model().GetShadowInfo()->GetDateTime().GetTime();
            EXPECT_TRUE(c.seconds > 0 ? now >= last : now <= last) << now;
            last = now;
            clock.Advance(0.1);
        }
        EXPECT_EQ(transition.GetShadowSecondOffset(), c.seconds);
        EXPECT_EQ(transition.GetShadowDayOffset(), c.days);
        EXPECT_EQ(Model().GetShadowInfo()->GetDateTime(), c.end);
    }
}

TEST_F(PageTransitionTest, ASectionPlaneGlidesToWhereTheNextPageCuts)
{
    auto* low = new CSectionPlane(CPlane3d(0, 0, 1, -0.5));
    auto* high = new CSectionPlane(CPlane3d(0, 0, 1, -1.5));
    Root().Add(low);
    Root().Add(high);
    Root().SetActiveSectionPlane(low);
    to->SetPropertyMask(CViewPage::kSectionPlanes);
    to->AddSectionPlane(high);
    // As a page is shown: the transition is made, then the page applied.
    IAnimation* transition = to->CreateTransition(&view, from);
    ASSERT_NE(transition, nullptr);
    to->Activate();
    EXPECT_EQ(Root().GetActiveSectionPlane(), high);
    view.SetAnimation(transition);
    bool glided = false;
    while (transition->Step(&view))
    {
        const double d = high->GetPlane().d;
        glided = glided || (d < -0.6 && d > -1.4);
        clock.Advance(0.1);
    }
    EXPECT_TRUE(glided);
    EXPECT_DOUBLE_EQ(high->GetPlane().d, -1.5);
    EXPECT_DOUBLE_EQ(low->GetPlane().d, -0.5);
    view.SetAnimation(nullptr);
}

}  // namespace
