#include "platform/ui/view.h"

#include <gtest/gtest.h>

#include <QEvent>
#include <QPaintEvent>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

#include "uitestsupport.h"

namespace {

// Presents a frame of one grey per frame drawn; may call itself slow. Writes down each
// paint of its window: whether it covered the window whole, and the frames drawn before it.
class CCountingView : public CView, public QObject
{
public:
    void OnDraw() override
    {
        ++draws;
        drawnWhole.push_back(paints.back().first);
        const QWidget* window = GetWidget();
        std::vector<std::uint8_t> rgba(static_cast<size_t>(window->width() * window->height()) * 4,
                                       static_cast<std::uint8_t>(draws * 20));
        PresentFrame(window->width(), window->height(), rgba);
    }
    [[nodiscard]] bool IsNextFrameSlow() const override { return slow; }
    bool eventFilter(QObject* /*watched*/, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
        {
            const auto* paint = static_cast<QPaintEvent*>(event);
            paints.emplace_back((QRegion(GetWidget()->rect()) - paint->region()).isEmpty(), draws);
        }
        return false;
    }

    int draws = 0;
    bool slow = false;
    std::vector<std::pair<bool, int>> paints;
    std::vector<bool> drawnWhole;
};

class ViewPaintTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        uitest::EnsureQtApplication();
        view.Create(nullptr);
        view.GetWidget()->installEventFilter(&view);
        view.GetWidget()->resize(64, 48);
        view.GetWidget()->show();
        ASSERT_TRUE(TurnUntil([this] { return view.draws == 1; }));
    }
    void TearDown() override { view.DestroyWindow(); }

    // Turns the event loop until the condition holds, a bounded number of times.
    bool TurnUntil(const std::function<bool()>& condition)
    {
        for (int turn = 0; turn < 200 && !condition(); ++turn)
            uitest::ProcessEvents();
        return condition();
    }
    // Turns the loop until it paints no more.
    void Settle()
    {
        for (size_t seen = SIZE_MAX, turn = 0; turn < 50 && seen != view.paints.size(); ++turn)
        {
            seen = view.paints.size();
            for (int quiet = 0; quiet < 3; ++quiet)
                uitest::ProcessEvents();
        }
    }

    CCountingView view;
};

// Once the walk's cross, shown over the last frame at the press, answered the frame the
// walk had asked for, and the walk waited for that frame until the button was let go.
TEST_F(ViewPaintTest, FeedbackShownWhileAFrameIsWantedIsShownFirstAndTheFrameFollows)
{
    view.paints.clear();
    view.Invalidate();
    view.ShowPresentedFrame();
    Settle();
    ASSERT_GE(view.paints.size(), 2U);
    EXPECT_EQ(view.paints.front(), std::make_pair(true, 1));
    EXPECT_EQ(view.draws, 2);
}

TEST_F(ViewPaintTest, FeedbackShownBeforeTheDeferredPaintOfASlowFrameLeavesThatFrameToBeDrawn)
{
    view.slow = true;
    view.paints.clear();
    view.Invalidate();
    // The paint that shows the window whole before the slow frame.
    ASSERT_TRUE(TurnUntil([this] { return !view.paints.empty(); }));
    EXPECT_EQ(view.draws, 1);
    view.ShowPresentedFrame();
    Settle();
    EXPECT_EQ(view.draws, 2);
}

TEST_F(ViewPaintTest, ARepaintOfAPartWhileAFrameIsWantedDrawsItInAWholePaintOnce)
{
    for (const bool slow : {false, true})
    {
        SCOPED_TRACE(slow);
        view.slow = slow;
        const int before = view.draws;
        view.paints.clear();
        view.drawnWhole.clear();
        view.Invalidate();
        // A menu closed over the view: its area is repainted at once.
        view.GetWidget()->repaint(QRect(4, 4, 20, 10));
        ASSERT_EQ(view.paints.size(), 1U);
        EXPECT_EQ(view.draws, before);
        Settle();
        EXPECT_EQ(view.draws, before + 1);
        EXPECT_EQ(view.drawnWhole, std::vector<bool>{true});
    }
}

}  // namespace
