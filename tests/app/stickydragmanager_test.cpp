#include "app/stickydragmanager.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/sysinfo.h"

namespace {

class FakeWindow : public IStickyWindow
{
public:
    FakeWindow(int x, int y, int width, int height) : rect{x, y, x + width, y + height}, ownWidth(width) {}

    [[nodiscard]] CRect GetStickyRect() const override { return rect; }
    [[nodiscard]] int GetWindowWidth() const override { return rect.Width(); }
    [[nodiscard]] int GetMinWidth() const override { return ownWidth; }
    [[nodiscard]] bool IsFixedWidth() const override { return fixedWidth; }
    void WriteSticky(bool on) override { sticky = on; }
    [[nodiscard]] bool ReadSticky() const override { return sticky; }
    void MoveStickyWindow(int x, int y) override { rect = CRect{x, y, x + rect.Width(), y + rect.Height()}; }
    void SetStickyWidth(int width) override { rect.right = rect.left + width; }

    [[nodiscard]] CPoint TopLeft() const { return CPoint{rect.left, rect.top}; }

    CRect rect;
    int ownWidth;
    bool fixedWidth = true;
    bool sticky = false;
};

DisplayMetrics Monitors(int count)
{
    DisplayMetrics metrics;
    metrics.screenWidth = 1280;
    metrics.screenHeight = 1024;
    metrics.virtualWidth = 1280 * count;
    metrics.virtualHeight = 1024;
    metrics.monitorCount = count;
    return metrics;
}

class StickyDragManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetDisplayMetricsProvider([] { return Monitors(1); });
        manager.SetFrameRectSource([](CRect&) { return false; });
    }
    void TearDown() override { SetDisplayMetricsProvider({}); }

    // Takes the window by its caption, 10 pixels into it, and drags its corner to (x, y)
    // in one step.
    void Drag(FakeWindow& window, int x, int y)
    {
        const CPoint press{window.rect.left + 10, window.rect.top + 5};
        manager.SetDragWindow(&window);
        manager.StartMove(press.x, press.y, 10, 5);
        CRect rect = window.rect;
        manager.MoveTo(x + 10, y + 5, rect);
    }

    // Glues the windows into one column, top first, by dragging each under the last.
    void Stack(const std::vector<FakeWindow*>& windows)
    {
        for (FakeWindow* window : windows)
            manager.AttachWindow(window);
        for (size_t i = 1; i < windows.size(); ++i)
            Drag(*windows[i], windows[i - 1]->rect.left, windows[i - 1]->rect.bottom);
        ASSERT_EQ(manager.GetColumn(), std::vector<IStickyWindow*>(windows.begin(), windows.end()));
    }

    CStickyDragManager manager;
};

TEST_F(StickyDragManagerTest, WindowsGluedWhenTheLastRunEndedFormTheirColumnAgainWhereTheyStand)
{
    // Stored top to bottom: a, b, c; shown c, b, a, with a glued window far off and a
    // free one touching the column.
    FakeWindow a(700, 60, 332, 317);
    FakeWindow b(700, 377, 332, 377);
    FakeWindow c(700, 754, 332, 100);
    FakeWindow elsewhere(100, 100, 332, 100);
    FakeWindow free(700, 854, 332, 100);
    for (FakeWindow* window : {&a, &b, &c, &elsewhere})
        window->sticky = true;
    const std::vector<CRect> stored{a.rect, b.rect, c.rect, elsewhere.rect, free.rect};
    manager.AttachWindow(&free);
    manager.RejoinWindow(&c);
    EXPECT_TRUE(manager.GetColumn().empty());
    manager.RejoinWindow(&elsewhere);
    manager.RejoinWindow(&b);
    EXPECT_EQ(manager.GetColumn(), (std::vector<IStickyWindow*>{&b, &c}));
    manager.RejoinWindow(&a);
    EXPECT_EQ(manager.GetColumn(), (std::vector<IStickyWindow*>{&a, &b, &c}));
    EXPECT_EQ((std::vector<CRect>{a.rect, b.rect, c.rect, elsewhere.rect, free.rect}), stored);
    EXPECT_FALSE(free.sticky);

    // The column moves as one again.
    Drag(a, 400, 100);
    EXPECT_EQ(b.TopLeft(), (CPoint{400, 417}));
    EXPECT_EQ(c.TopLeft(), (CPoint{400, 794}));
}

TEST_F(StickyDragManagerTest, AWindowDraggedWithinNineteenPixelsGluesAndAtTwentyStaysFree)
{
    const struct
    {
        int gap;
        int sideways;
        bool above;
        bool glues;
    } cases[] = {{19, 19, false, true},  {19, -19, false, true}, {20, 0, false, false}, {0, 20, false, false},
                 {19, 19, true, true},   {20, 0, true, false},   {-19, 0, false, true}};
    for (const auto& c : cases)
    {
        CStickyDragManager fresh;
        fresh.SetFrameRectSource([](CRect&) { return false; });
        FakeWindow standing(300, 200, 200, 200);
        FakeWindow dragged(800, 600, 200, 150);
        fresh.AttachWindow(&standing);
        fresh.AttachWindow(&dragged);
        const int x = standing.rect.left + c.sideways;
        const int y = c.above ? standing.rect.top - c.gap - 150 : standing.rect.bottom + c.gap;
        fresh.SetDragWindow(&dragged);
        fresh.StartMove(810, 605, 10, 5);
        CRect rect = dragged.rect;
        fresh.MoveTo(x + 10, y + 5, rect);

        const CPoint expected = c.glues ? CPoint{300, c.above ? 50 : 400} : CPoint{x, y};
        EXPECT_EQ(dragged.TopLeft(), expected) << c.gap << " " << c.sideways;
        EXPECT_EQ(rect, dragged.rect);
        EXPECT_EQ(fresh.IsInGroup(&dragged), c.glues) << c.gap << " " << c.sideways;
        EXPECT_EQ(dragged.sticky, c.glues);
        EXPECT_EQ(standing.TopLeft(), (CPoint{300, 200})) << "the window met stays where it is";
    }
}

// Fixed: a window glued under another near the screen's bottom was held up over it.
TEST_F(StickyDragManagerTest, AWindowGluedUnderAnotherNearTheScreensBottomLiftsTheWindowsAboveInsteadOfCoveringThem)
{
    const struct
    {
        int standingTop;
        int standingHeight;
        int standingTopAfter;
    } cases[] = {{500, 300, 324}, {20, 700, 0}};
    for (const auto& c : cases)
    {
        CStickyDragManager fresh;
        fresh.SetFrameRectSource([](CRect&) { return false; });
        FakeWindow standing(300, c.standingTop, 200, c.standingHeight);
        FakeWindow dragged(800, 100, 200, 400);
        fresh.AttachWindow(&standing);
        fresh.AttachWindow(&dragged);
        fresh.SetDragWindow(&dragged);
        fresh.StartMove(810, 105, 10, 5);
        CRect rect = dragged.rect;
        fresh.MoveTo(standing.rect.left + 10, standing.rect.bottom + 5, rect);
        EXPECT_TRUE(fresh.IsInGroup(&dragged)) << c.standingTop;
        EXPECT_EQ(standing.rect.top, c.standingTopAfter);
        EXPECT_EQ(dragged.rect.top, standing.rect.bottom) << c.standingTop;
        EXPECT_EQ(rect, dragged.rect);
    }
}

TEST_F(StickyDragManagerTest, DraggingTheTopWindowMovesTheWholeColumn)
{
    FakeWindow top(300, 200, 200, 100);
    FakeWindow middle(0, 0, 200, 120);
    FakeWindow bottom(600, 600, 200, 80);
    Stack({&top, &middle, &bottom});

    Drag(top, 400, 250);
    EXPECT_EQ(top.TopLeft(), (CPoint{400, 250}));
    EXPECT_EQ(middle.TopLeft(), (CPoint{400, 350}));
    EXPECT_EQ(bottom.TopLeft(), (CPoint{400, 470}));
}

TEST_F(StickyDragManagerTest, ALowerMemberDraggedSidewaysTearsOffAndTheColumnClosesTheGap)
{
    FakeWindow top(300, 200, 200, 100);
    FakeWindow middle(0, 0, 200, 120);
    FakeWindow bottom(600, 600, 200, 80);
    Stack({&top, &middle, &bottom});

    // Less than the snap distance sideways: it stays in its place.
    Drag(middle, 319, 330);
    EXPECT_EQ(middle.TopLeft(), (CPoint{300, 300}));
    EXPECT_TRUE(manager.IsInGroup(&middle));

    Drag(middle, 320, 330);
    EXPECT_EQ(middle.TopLeft(), (CPoint{320, 330}));
    EXPECT_FALSE(manager.IsInGroup(&middle));
    EXPECT_FALSE(middle.sticky);
    EXPECT_EQ(bottom.TopLeft(), (CPoint{300, 300}));
    EXPECT_EQ(manager.GetColumn(), (std::vector<IStickyWindow*>{&top, &bottom}));
}

TEST_F(StickyDragManagerTest, AColumnOfOneDissolvesWhenADragStarts)
{
    FakeWindow a(300, 200, 200, 100);
    FakeWindow b(0, 0, 200, 100);
    Stack({&a, &b});
    Drag(b, 700, 500);
    ASSERT_EQ(manager.GetColumn(), std::vector<IStickyWindow*>{&a});
    EXPECT_TRUE(a.sticky);

    manager.SetDragWindow(&a);
    manager.StartMove(a.rect.left + 5, a.rect.top + 5, 5, 5);
    EXPECT_TRUE(manager.GetColumn().empty());
    EXPECT_FALSE(a.sticky);
}

TEST_F(StickyDragManagerTest, AttachingAWindowThatFitsAppendsItUnderTheLastMember)
{
    FakeWindow a(300, 200, 200, 100);
    FakeWindow b(0, 0, 200, 100);
    Stack({&a, &b});
    FakeWindow fits(310, 410, 200, 50);
    FakeWindow apart(900, 100, 200, 50);
    manager.AttachWindow(&fits);
    manager.AttachWindow(&apart);
    EXPECT_EQ(manager.GetColumn(), (std::vector<IStickyWindow*>{&a, &b, &fits}));
    EXPECT_EQ(fits.TopLeft(), (CPoint{300, 400}));
    EXPECT_EQ(apart.TopLeft(), (CPoint{900, 100}));
}

TEST_F(StickyDragManagerTest, MembersTakeTheFirstMembersOwnWidthWhenAllAreFixedElseTheWidest)
{
    for (const bool fixed : {true, false})
    {
        CStickyDragManager fresh;
        fresh.SetFrameRectSource([](CRect&) { return false; });
        FakeWindow a(300, 200, 200, 100);
        FakeWindow b(300, 300, 260, 100);
        b.fixedWidth = fixed;
        fresh.AttachWindow(&a);
        fresh.AttachWindow(&b);
        fresh.SetDragWindow(&b);
        fresh.StartMove(310, 305, 10, 5);
        CRect rect = b.rect;
        fresh.MoveTo(310, 305, rect);
        ASSERT_TRUE(fresh.IsInGroup(&b));
        fresh.EqualizeWidths();
        EXPECT_EQ(a.rect.Width(), fixed ? 200 : 260);
        EXPECT_EQ(b.rect.Width(), fixed ? 200 : 260);
    }
}

TEST_F(StickyDragManagerTest, OneMonitorKeepsADraggedWindowOnItAndSeveralOnlyBetweenTopAndBottom)
{
    const struct
    {
        int monitors;
        CPoint to;
        CPoint expected;
    } cases[] = {{1, {1200, 300}, {1080, 300}}, {1, {-50, 300}, {0, 300}},  {2, {1200, 300}, {1200, 300}},
                 {2, {-50, 300}, {-50, 300}},  {2, {500, -60}, {500, 0}}, {2, {500, 990}, {500, 874}},
                 {1, {12, 15}, {0, 0}},        {1, {1065, 300}, {1080, 300}}};
    for (const auto& c : cases)
    {
        SetDisplayMetricsProvider([monitors = c.monitors] { return Monitors(monitors); });
        FakeWindow window(300, 300, 200, 150);
        manager.AttachWindow(&window);
        Drag(window, c.to.x, c.to.y);
        EXPECT_EQ(window.TopLeft(), c.expected) << c.monitors << " " << c.to.x << "," << c.to.y;
        manager.DetachWindow(&window);
    }
}

TEST_F(StickyDragManagerTest, ADraggedWindowSnapsToTheOutsideEdgesOfTheMainWindow)
{
    manager.SetFrameRectSource([](CRect& frame) {
        frame = CRect{100, 100, 700, 600};
        return true;
    });
    FakeWindow window(900, 300, 200, 150);
    manager.AttachWindow(&window);
    Drag(window, 715, 300);
    EXPECT_EQ(window.TopLeft(), (CPoint{700, 300}));
    Drag(window, 300, 612);
    EXPECT_EQ(window.TopLeft(), (CPoint{300, 600}));
}

}  // namespace
