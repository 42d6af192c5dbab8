#include "app/mainframe.h"

#include <gtest/gtest.h>

#include <QMainWindow>
#include <algorithm>
#include <QMouseEvent>
#include <QToolBar>
#include <QToolButton>

#include "app/frameplacement.h"
#include "app/resourceids.h"
#include "apptestsupport.h"
#include "platform/profile.h"
#include "platform/sysinfo.h"

namespace {

// A stored normal rectangle and the one the window gets from it.
struct StoredAndFitted
{
    CRect stored;
    CRect expected;
};

class MainFrameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        apptest::PrepareApplication();
        SetDisplayMetricsProvider([] {
            DisplayMetrics metrics;
            metrics.screenWidth = 1280;
            metrics.screenHeight = 1024;
            metrics.virtualWidth = 1280;
            metrics.virtualHeight = 1024;
            return metrics;
        });
    }
    void TearDown() override { SetDisplayMetricsProvider({}); }

    // The frame's window, made now (after the test stored its settings).
    CMainFrame& Frame()
    {
        if (!m_created)
        {
            EXPECT_TRUE(m_frame.LoadFrame());
            m_created = true;
        }
        return m_frame;
    }

    static void StorePlacement(UINT showCmd, CRect rect)
    {
        WINDOWPLACEMENT placement;
        placement.showCmd = showCmd;
        placement.rcNormalPosition = rect;
        WriteFramePlacement(placement);
    }

    apptest::MemorySettings settings;

private:
    CMainFrame m_frame;
    bool m_created = false;
};

TEST_F(MainFrameTest, TheFourToolbarsHoldTheirButtonsTitlesAndImages)
{
    const struct
    {
        int index;
        UINT barId;
        const char* title;
        std::vector<UINT> ids;
    } bars[] = {
        {0, 303, "Standard", {57601, 0, 57607, 0, 10538}},
        {1, 360, "Camera", {10508, 10523, 10509, 10526, 10527, 10529, 10520, 10525}},
        {2, 355, "Display Style", {10513, 0, 10510, 10511, 10512, 10539}},
        {3, 362, "Views", {10507, 10501, 10502, 10503, 10505, 10504}},
    };
    for (const auto& expected : bars)
    {
        CToolBarCustom& bar = Frame().GetToolBar(expected.index);
        EXPECT_EQ(bar.GetDlgCtrlID(), expected.barId);
        EXPECT_EQ(bar.GetWindowText(), CString(expected.title));
        std::vector<UINT> ids;
        for (int i = 0; i < bar.GetCount(); ++i)
            ids.push_back(bar.GetItemID(i));
        EXPECT_EQ(ids, expected.ids) << expected.title;
        const int images = static_cast<int>(std::count_if(ids.begin(), ids.end(), [](UINT id) { return id != 0; }));
        EXPECT_EQ(bar.GetLargeColourImages().GetImageCount(), images) << expected.title;
        EXPECT_EQ(bar.GetSmallGreyImages().GetImageCount(), images) << expected.title;
        EXPECT_EQ(bar.GetButtonWidth(), 31);
        EXPECT_EQ(bar.GetImageWidth(), 24);
    }
}

TEST_F(MainFrameTest, StandardViewsAndDisplayStyleShareTheTopRowAndCameraDocksLeft)
{
    QMainWindow* window = Frame().GetWindow();
    EXPECT_EQ(Frame().GetToolBar(0).GetBarAlignment(), CBRS_ALIGN_TOP);
    EXPECT_EQ(Frame().GetToolBar(1).GetBarAlignment(), CBRS_ALIGN_LEFT);
    EXPECT_EQ(Frame().GetToolBar(2).GetBarAlignment(), CBRS_ALIGN_TOP);
    EXPECT_EQ(Frame().GetToolBar(3).GetBarAlignment(), CBRS_ALIGN_TOP);
    EXPECT_FALSE(window->toolBarBreak(Frame().GetToolBar(3).GetDockableBar()));
    EXPECT_FALSE(window->toolBarBreak(Frame().GetToolBar(2).GetDockableBar()));
}

TEST_F(MainFrameTest, TheStatusBarHasTheMessagePaneTheValueLabelAndTheValue)
{
    CGlimraStatusBar& bar = Frame().GetStatusBar();
    ASSERT_EQ(bar.GetCount(), 3);
    const struct
    {
        UINT id;
        UINT style;
        int width;
    } panes[] = {{0, SBPS_NOBORDERS | SBPS_STRETCH, 0},
                 {ID_INDICATOR_VALUE_LABEL, SBPS_NOBORDERS, 100},
                 {ID_INDICATOR_VALUE, SBPS_NORMAL, 100}};
    for (int i = 0; i < 3; ++i)
    {
        UINT id = 99;
        UINT style = 99;
        int width = -1;
        bar.GetPaneInfo(i, id, style, width);
        EXPECT_EQ(id, panes[i].id) << i;
        EXPECT_EQ(style, panes[i].style) << i;
        EXPECT_EQ(width, panes[i].width) << i;
        EXPECT_TRUE(bar.GetPaneText(i).IsEmpty()) << i;
    }
}

TEST_F(MainFrameTest, StatusTextGoesToThePaneOfItsIdAndUnknownIdsToTheMessagePane)
{
    Frame().SetStatusText(ID_INDICATOR_VALUE, CString("3.5m"), true);
    Frame().SetStatusText(4242, CString("fallback"), false);
    Frame().SetStatusTextFromResource(ID_INDICATOR_VALUE_LABEL, ID_INDICATOR_VALUE_LABEL, false);
    EXPECT_EQ(Frame().GetStatusBar().GetPaneText(2), CString("3.5m"));
    EXPECT_EQ(Frame().GetStatusBar().GetPaneText(0), CString("fallback"));
    EXPECT_EQ(Frame().GetStatusBar().GetPaneText(1), CString("Length"));

    Frame().ClearStatusBarText();
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(Frame().GetStatusBar().GetPaneText(i).IsEmpty()) << i;
}

TEST_F(MainFrameTest, TheValuePaneIsWhiteExactlyWhileHighlighted)
{
    EXPECT_FALSE(Frame().IsValuePaneHighlighted());
    EXPECT_TRUE(Frame().SetPaneHighlight(ID_INDICATOR_VALUE, true));
    EXPECT_TRUE(Frame().IsValuePaneHighlighted());
    EXPECT_EQ(Frame().GetStatusBar().GetPaneBackground(2), 0xFFFFFFu);
    Frame().SetPaneHighlight(ID_INDICATOR_VALUE, false);
    EXPECT_FALSE(Frame().IsValuePaneHighlighted());
    EXPECT_TRUE(Frame().SetPaneHighlight(4242, true));
}

TEST_F(MainFrameTest, ToggleCommandsHideAndShowTheirBarsAndCheckWhatIsShown)
{
    Frame().ShowWindow(SW_SHOWNORMAL);
    CCmdUI before(ID_VIEW_CAMERA_TOOLBAR);
    ASSERT_TRUE(Frame().OnCmdMsg(before.GetID(), &before));
    EXPECT_TRUE(before.IsChecked());

    ASSERT_TRUE(Frame().SendCommand(ID_VIEW_CAMERA_TOOLBAR));
    EXPECT_FALSE(Frame().GetToolBar(1).IsVisible());
    CCmdUI after(ID_VIEW_CAMERA_TOOLBAR);
    Frame().OnCmdMsg(after.GetID(), &after);
    EXPECT_FALSE(after.IsChecked());

    Frame().SendCommand(ID_VIEW_CAMERA_TOOLBAR);
    EXPECT_TRUE(Frame().GetToolBar(1).IsVisible());

    CCmdUI tabs(ID_VIEW_PAGE_TABS);
    Frame().OnCmdMsg(tabs.GetID(), &tabs);
    EXPECT_FALSE(tabs.IsEnabled());
}

TEST_F(MainFrameTest, TogglingTheButtonSizeTwiceRestoresEveryToolbar)
{
    CToolBarCustom& camera = Frame().GetToolBar(1);
    camera.m_nMRUWidth = 62;
    Frame().SendCommand(ID_VIEW_LARGE_BUTTONS);
    EXPECT_TRUE(Frame().HasSmallButtons());
    EXPECT_EQ(camera.GetButtonWidth(), 23);
    EXPECT_EQ(camera.GetImageWidth(), 16);
    // 62 / 31 × 23
    EXPECT_EQ(camera.m_nMRUWidth, 46);
    EXPECT_EQ(Frame().GetToolBar(0).m_nMRUWidth, kUnsetBarWidth);
    CCmdUI check(ID_VIEW_LARGE_BUTTONS);
    Frame().OnCmdMsg(check.GetID(), &check);
    EXPECT_FALSE(check.IsChecked());

    Frame().SendCommand(ID_VIEW_LARGE_BUTTONS);
    EXPECT_FALSE(Frame().HasSmallButtons());
    EXPECT_EQ(camera.GetButtonWidth(), 31);
    EXPECT_EQ(camera.m_nMRUWidth, 62);
    EXPECT_EQ(Frame().GetToolBar(0).m_nMRUWidth, kUnsetBarWidth);
}

TEST_F(MainFrameTest, AButtonPressedAndReleasedAnywhereSendsItsCommandOnce)
{
    int orbits = 0;
    Frame().GetCommands().Add(10508, CString("Orbit"), [&] { ++orbits; });
    Frame().ShowWindow(SW_SHOWNORMAL);
    Frame().UpdateCommandUI();
    QToolBar* camera = Frame().GetToolBar(1).GetDockableBar();
    auto* button = qobject_cast<QToolButton*>(camera->widgetForAction(Frame().GetAction(10508)));
    ASSERT_NE(button, nullptr);
    const auto click = [button](QPointF releaseAt) {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(4, 4), button->mapToGlobal(QPointF(4, 4)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(button, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, releaseAt, button->mapToGlobal(releaseAt), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(button, &release);
        apptest::ProcessEvents();
    };
    click(QPointF(400, 300));
    EXPECT_EQ(orbits, 1);
    click(QPointF(4, 4));
    EXPECT_EQ(orbits, 2);
}

TEST_F(MainFrameTest, SmallButtonsStoredInTheProfileAreUsedFromTheStart)
{
    WriteProfileInt(CString("Toolbars-Summary"), CString("IconSize"), 1);
    EXPECT_TRUE(Frame().HasSmallButtons());
    EXPECT_EQ(Frame().GetToolBar(2).GetButtonWidth(), 23);
}

TEST_F(MainFrameTest, APlacementStoredOnCloseIsRestoredAtTheNextStart)
{
    Frame().SetWindowPlacement(WINDOWPLACEMENT{sizeof(WINDOWPLACEMENT), 0, SW_SHOWNORMAL, {}, {}, {50, 60, 850, 660}});
    Frame().SendCommand(ID_VIEW_LARGE_BUTTONS);
    Frame().SaveWindowState();
    EXPECT_EQ(GetProfileInt(CString("MainFrame"), CString("wp.right"), 0), 850);
    EXPECT_EQ(GetProfileInt(CString("Toolbars-Summary"), CString("IconSize"), 0), 1);

    CMainFrame next;
    ASSERT_TRUE(next.LoadFrame());
    ASSERT_TRUE(next.RestoreWindowPlacement());
    WINDOWPLACEMENT restored;
    ASSERT_TRUE(next.GetWindowPlacement(restored));
    EXPECT_EQ(restored.rcNormalPosition, (CRect{50, 60, 850, 660}));
    EXPECT_TRUE(next.HasSmallButtons());
}

TEST_F(MainFrameTest, AStoredPlacementIsFittedToTheScreenBeforeTheWindowIsMade)
{
    // A screen of 800 x 600 whose panels leave 800 x 570 below them.
    SetDisplayMetricsProvider([] {
        DisplayMetrics metrics;
        metrics.screenWidth = metrics.virtualWidth = 800;
        metrics.screenHeight = metrics.virtualHeight = 600;
        metrics.workTop = 30;
        metrics.workWidth = 800;
        metrics.workHeight = 570;
        return metrics;
    });
    const StoredAndFitted cases[] = {
        {{0, 0, 17000, 17000}, {0, 30, 800, 600}},
        {{3000, 100, 3600, 500}, {170, 100, 800, 540}},
        {{2147483000, 2147483000, 2147483600, 2147483600}, {170, 30, 800, 600}},
    };
    for (const auto& c : cases)
    {
        StorePlacement(SW_SHOWNORMAL, c.stored);
        CMainFrame frame;
        ASSERT_TRUE(frame.LoadFrame());
        const QRect made = frame.GetWindow()->geometry();
        EXPECT_EQ((CRect{made.left(), made.top(), made.right() + 1, made.bottom() + 1}), c.expected);
        ASSERT_TRUE(frame.RestoreWindowPlacement());
        WINDOWPLACEMENT restored;
        ASSERT_TRUE(frame.GetWindowPlacement(restored));
        EXPECT_EQ(restored.rcNormalPosition, c.expected);
    }
}

TEST_F(MainFrameTest, AMinimisedPlacementComesBackAsANormalWindow)
{
    StorePlacement(SW_SHOWMINIMIZED, CRect{10, 20, 710, 520});
    ASSERT_TRUE(Frame().RestoreWindowPlacement());
    WINDOWPLACEMENT restored;
    ASSERT_TRUE(Frame().GetWindowPlacement(restored));
    EXPECT_EQ(restored.showCmd, static_cast<UINT>(SW_SHOWNORMAL));
}

TEST(FramePlacementTest, AStoredRectangleIsAtLeastTheMinimumAtMostTheAreaAndWhollyOnIt)
{
    constexpr int kMax = 2147483647;
    constexpr int kMin = -kMax - 1;
    const CRect area{0, 30, 1280, 1024};
    const StoredAndFitted cases[] = {
        {{50, 60, 850, 660}, {50, 60, 850, 660}},
        {{100, 100, 200, 150}, {100, 100, 730, 540}},
        {{-500, -500, 300, 300}, {0, 30, 800, 830}},
        {{kMin, kMin, kMax, kMax}, {0, 30, 1280, 1024}},
        {{kMax, kMax, kMin, kMin}, {650, 584, 1280, 1024}},
        {{900, 900, 1000, 1000}, {650, 584, 1280, 1024}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitFrameRect(c.stored, area), c.expected) << c.stored.left << "," << c.stored.top;
    // An area smaller than the minimum is filled.
    EXPECT_EQ(FitFrameRect(CRect{0, 0, 100, 100}, CRect{0, 0, 600, 400}), (CRect{0, 0, 600, 400}));
}

TEST(FramePlacementTest, TheStartingRectangleFollowsTheStoredPlacementOrTheMinimumSize)
{
    WINDOWPLACEMENT maximised;
    maximised.showCmd = SW_SHOWMAXIMIZED;
    maximised.rcNormalPosition = CRect{10, 10, 500, 400};
    WINDOWPLACEMENT normal;
    normal.showCmd = SW_SHOWNORMAL;
    normal.rcNormalPosition = CRect{10, 10, 500, 400};
    const struct
    {
        const WINDOWPLACEMENT* stored;
        CRect requested;
        int screenWidth;
        int screenHeight;
        CRect expected;
    } cases[] = {
        {&maximised, {}, 1280, 1024, {0, 0, 1280, 1024}},
        {&normal, {}, 1280, 1024, {10, 10, 500, 400}},
        {nullptr, {0, 0, 0, 0}, 1280, 1024, {0, 0, 630, 440}},
        {nullptr, {900, 800, 1300, 1000}, 1280, 1024, {650, 584, 1280, 1024}},
        {nullptr, {0, 0, 0, 0}, 600, 400, {0, 0, 600, 400}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ComputeInitialFrameRect(c.stored, c.requested, c.screenWidth, c.screenHeight), c.expected);
}

}  // namespace
