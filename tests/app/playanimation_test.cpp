#include "app/playanimation.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <functional>

#include "drawapi/animation.h"
#include "runningapp.h"

namespace {

// Writes down what the dialog and the view do to it.
class CSlideshowSpy : public IAnimation
{
public:
    explicit CSlideshowSpy(int& steps, int& finishes, int& releases)
        : m_steps(steps), m_finishes(finishes), m_releases(releases)
    {
    }
    bool Step(ITarnisView* view) override
    {
        ++m_steps;
        view->SetAnimationInterval(1.0);
        return true;
    }
    void Finish() override { ++m_finishes; }
    void Pause(bool) override {}
    void Release() override
    {
        ++m_releases;
        delete this;
    }

private:
    int& m_steps;
    int& m_finishes;
    int& m_releases;
};

class PlayAnimationTest : public ::testing::Test
{
protected:
    apptest::RunningApp running;
    int steps = 0;
    int finishes = 0;
    int releases = 0;
};

TEST_F(PlayAnimationTest, ShowingStartsTheSlideshowAndPauseAndPlayTakeTurns)
{
    CGlimraView* view = running.View();
    auto* slideshow = new CSlideshowSpy(steps, finishes, releases);
    CPlayAnimation dialog(view, slideshow, view->GetWidget());
    dialog.show();
    EXPECT_EQ(view->GetAnimation(), slideshow);
    EXPECT_EQ(steps, 1);
    EXPECT_EQ(dialog.pos(), view->GetWidget()->mapToGlobal(QPoint(0, 0)));

    const struct
    {
        bool paused;
        const char* button;
        int steps;
    } clicks[] = {{true, "Play", 1}, {false, "Pause", 2}, {true, "Play", 2}};
    for (const auto& click : clicks)
    {
        dialog.GetPauseButton()->click();
        EXPECT_EQ(view->IsAnimationPaused(), click.paused);
        EXPECT_EQ(dialog.GetPauseButton()->text(), QString::fromLatin1(click.button));
        EXPECT_EQ(dialog.GetPauseButton()->toolTip(), QString::fromLatin1(click.button));
        // Resuming moves the slideshow on at once.
        EXPECT_EQ(steps, click.steps);
    }
    dialog.GetStopButton()->click();
    EXPECT_EQ(view->GetAnimation(), nullptr);
    EXPECT_EQ(releases, 1);
}

TEST_F(PlayAnimationTest, StopEscapeAndClosingEachEndTheSlideshowOnce)
{
    CGlimraView* view = running.View();
    const std::pair<const char*, std::function<void(CPlayAnimation&)>> ways[] = {
        {"Stop", [](CPlayAnimation& dialog) { dialog.GetStopButton()->click(); }},
        {"Escape", [](CPlayAnimation& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); }},
        {"closing", [](CPlayAnimation& dialog) { dialog.close(); }},
        // The view frees a slideshow that came to its end; the dialog must not reach it.
        {"after the end", [view](CPlayAnimation& dialog) {
             view->SetAnimation(nullptr);
             dialog.GetStopButton()->click();
         }}};
    for (const auto& [way, end] : ways)
    {
        SCOPED_TRACE(way);
        steps = finishes = releases = 0;
        auto* slideshow = new CSlideshowSpy(steps, finishes, releases);
        CPlayAnimation dialog(view, slideshow, view->GetWidget());
        dialog.show();
        end(dialog);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(view->GetAnimation(), nullptr);
        EXPECT_GE(finishes, 1);
        EXPECT_EQ(releases, 1);
    }
}

TEST_F(PlayAnimationTest, ASlideshowThatNeverStartedIsFreedWithTheDialog)
{
    {
        CPlayAnimation dialog(running.View(), new CSlideshowSpy(steps, finishes, releases), nullptr);
    }
    EXPECT_EQ(steps, 0);
    EXPECT_EQ(releases, 1);
}

}  // namespace
