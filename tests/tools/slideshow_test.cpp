#include "tools/slideshow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/animationseconds.h"
#include "document/optionsmanager.h"
#include "document/pageoptions.h"
#include "document/slideshowoptions.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/uitypes.h"
#include "tests/tools/animationtestsupport.h"
#include "tools/pagetransition.h"

namespace {

using animationtest::MakeCamera;

// Pages "a", "b" (left out of the slideshow) and "c", each with its own slide time.
class SlideshowTest : public animationtest::ModelFixture
{
protected:
    void SetUp() override
    {
        ModelFixture::SetUp();
        options.MakeCurrent();
        const char* names[] = {"a", "b", "c"};
        for (int i = 0; i < 3; ++i)
        {
            CViewPage* page = AddPage(names[i], MakeCamera({10.0 * i, -10, 1}, {0, 0, 1}));
            page->SetSlideTime(2.0 + i);
        }
        Page(1)->SetIncludedInAnimation(false);
    }
    [[nodiscard]] CViewPage* Page(int index) const { return dynamic_cast<CViewPage*>(Pages().GetPage(index)); }
    void SetTransitionTime(double seconds) const
    {
        for (int i = 0; i < 3; ++i)
            Page(i)->SetTransitionTime(seconds);
    }
    // The names of the pages shown one after another (the first `count`), stepping as
    // the timer would; "end" when the slideshow stops on its own.
    std::string Play(int count)
    {
        std::string shown;
        const CTarnwickPage* last = nullptr;
        for (int step = 0; step < 1000; ++step)
        {
            const bool goesOn = step == 0 || view.GetAnimation()->Step(&view);
            const CTarnwickPage* selected = Pages().GetSelectedPage();
            if (selected != last)
            {
                shown += selected->GetName().ToUtf8();
                last = selected;
            }
            if (!goesOn)
            {
                view.SetAnimation(nullptr);
                return shown + "end";
            }
            if (static_cast<int>(shown.size()) == count)
                return shown;
            clock.Advance(0.25);
        }
        return shown;
    }

    animationtest::ManualClock clock;
    CSlideshowOptions options;
};

TEST_F(SlideshowTest, ShowsThePagesThatTakePartInTurnAndLoopsOnlyWhenAsked)
{
    const struct
    {
        bool loop;
        double transition;
        int start;
        const char* shown;
    } cases[] = {
        {true, 0.0, 0, "acac"},  {false, 0.0, 0, "acend"}, {true, 1.0, 0, "acac"},
        {false, 1.0, 0, "acend"}, {true, 0.0, 1, "caca"},
    };
    for (const auto& c : cases)
    {
        orvell::utils::CTypedValue loop;
        loop.SetBool(c.loop);
        (void)options.SetValue("LoopSlideshow", loop);
        SetTransitionTime(c.transition);
        Pages().SetSelectedPage(Page(c.start));
        ASSERT_NE(StartSlideshow(&view, true), nullptr);
        EXPECT_EQ(Play(4), c.shown) << c.loop << " " << c.transition << " from " << c.start;
        view.SetAnimation(nullptr);
    }
}

TEST_F(SlideshowTest, APageIsHeldForItsSlideTimeOnceItIsReached)
{
    SetTransitionTime(0.0);
    Pages().SetSelectedPage(Page(0));
    ASSERT_NE(StartSlideshow(&view, true), nullptr);
    EXPECT_TRUE(view.GetViewDefinition().GetCamera().IsEqual(Page(0)->GetCamera()));
    EXPECT_EQ(view.GetAnimationInterval(), 2.0);
    SetTransitionTime(1.0);
    ASSERT_TRUE(view.GetAnimation()->Step(&view));
    EXPECT_NE(dynamic_cast<CSlideshow*>(view.GetAnimation()), nullptr);
    while (view.GetAnimationInterval() != 4.0)
    {
        clock.Advance(0.25);
        ASSERT_TRUE(view.GetAnimation()->Step(&view));
    }
    EXPECT_TRUE(view.GetViewDefinition().GetCamera().IsEqual(Page(2)->GetCamera()));
}

TEST_F(SlideshowTest, HugePageTimesPlayBoundedWhileThePageKeepsThem)
{
    SetTransitionTime(1800.0);
    Page(0)->SetSlideTime(3600.0);
    Pages().SetSelectedPage(Page(0));
    ASSERT_NE(StartSlideshow(&view, true), nullptr);
    double played = 0.0;
    while (view.GetAnimationInterval() != kMaxSlideSeconds)
    {
        clock.Advance(0.25);
        played += 0.25;
        ASSERT_LE(played, kMaxTransitionSeconds + 0.25);
        ASSERT_TRUE(view.GetAnimation()->Step(&view));
    }
    EXPECT_GT(played, kMaxTransitionSeconds - 0.5);
    EXPECT_TRUE(view.GetViewDefinition().GetCamera().IsEqual(Page(0)->GetCamera()));
    EXPECT_EQ(Page(0)->GetOwnTransitionTime(), 1800.0);
    EXPECT_EQ(Page(0)->GetOwnSlideTime(), 3600.0);
}

TEST_F(SlideshowTest, ANegativeStoredSlideTimeHoldsASlideWithoutTransitionForTheTransitionTime)
{
    // The options record as a model file holds it: "SlideTime" -1, "TransitionTime" 2.5.
    const auto withProviders = [](COptionsManager& manager) {
        manager.AddProvider(new CPageOptions);
        manager.AddProvider(new CSlideshowOptions);
    };
    COptionsManager written;
    withProviders(written);
    orvell::utils::CTypedValue value;
    value.SetDouble(-1.0);
    ASSERT_TRUE(written.SetValue(CString(CSlideshowOptions::kName), "SlideTime", value));
    value.SetDouble(2.5);
    ASSERT_TRUE(written.SetValue(CString(CPageOptions::kName), "TransitionTime", value));
    const entitytest::Bytes bytes = entitytest::Store([&](CArchive& ar) { written.Serialize(ar); });
    COptionsManager read;
    withProviders(read);
    entitytest::Load(bytes, [&](CArchive& ar) { read.Serialize(ar); });
    read.MakeCurrent();
    ASSERT_EQ(GetSlideTime(), -1.0);

    SetTransitionTime(0.0);
    for (int i = 0; i < 3; ++i)
        Page(i)->SetSlideTime(-1.0);
    Pages().SetSelectedPage(Page(0));
    ASSERT_NE(StartSlideshow(&view, true), nullptr);
    EXPECT_EQ(view.GetAnimationInterval(), 2.5);
    view.SetAnimation(nullptr);
    options.MakeCurrent();
}

TEST_F(SlideshowTest, TheCommandGivenAgainOrFinishingStopsIt)
{
    SetTransitionTime(1.0);
    ASSERT_NE(StartSlideshow(&view, true), nullptr);
    ASSERT_NE(view.GetAnimation(), nullptr);
    EXPECT_EQ(StartSlideshow(&view, true), nullptr);
    EXPECT_EQ(view.GetAnimation(), nullptr);

    CSlideshow* slideshow = StartSlideshow(&view, false);
    ASSERT_NE(slideshow, nullptr);
    EXPECT_EQ(view.GetAnimation(), nullptr);
    EXPECT_TRUE(slideshow->Step(&view));
    slideshow->Finish();
    EXPECT_EQ(slideshow->GetCurrentPage(), nullptr);
    EXPECT_FALSE(slideshow->Step(&view));
    slideshow->Release();
}

TEST_F(SlideshowTest, WithoutAPageThatTakesPartTheUserIsToldAndNothingStarts)
{
    std::vector<CMessageBoxCall> calls;
    const MessageBoxSink previous = SetMessageBoxSink([&](const CMessageBoxCall& call) {
        calls.push_back(call);
        return IDOK;
    });
    for (int i = 0; i < 3; ++i)
        Page(i)->SetIncludedInAnimation(false);
    EXPECT_EQ(StartSlideshow(&view, true), nullptr);
    EXPECT_EQ(view.GetAnimation(), nullptr);
    EXPECT_EQ(calls.size(), 1u);
    SetMessageBoxSink(previous);
}

}  // namespace
