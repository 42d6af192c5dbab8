#include "app/twdialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>
#include <climits>
#include <memory>
#include <vector>

#include "app/stickydragmanager.h"
#include "apptestsupport.h"
#include "platform/profile.h"
#include "platform/sysinfo.h"
#include "platform/ui/dialogtemplate.h"
#include "platform/ui/framewnd.h"
#include "platform/ui/view.h"
#include "platform/ui/winapp.h"

namespace {

constexpr int kEditId = 100;
constexpr int kCheckId = 101;

class CTestToolWindow : public CTwDialog
{
public:
    CTestToolWindow() : CTwDialog(1) {}
    [[nodiscard]] CString GetSectionName() const override { return CString("TestToolWindow"); }
    void CreateTemplateControls() override
    {
        CDialogTemplate t(*this);
        t.Edit(kEditId, 10, 10, 80, 20);
        t.Check(kCheckId, CString("Check"), 10, 40, 80, 20);
        SetClientSize(200, 150);
    }
};

// A view that notes the keys it is offered and takes none.
class CKeyRecordingView : public CView
{
public:
    bool OnKeyDown(UINT key, UINT, bool) override
    {
        keys.push_back(key);
        return false;
    }
    std::vector<UINT> keys;
};

class TwDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        apptest::PrepareApplication();
        SetDisplayMetricsProvider([] {
            DisplayMetrics metrics;
            metrics.screenWidth = metrics.virtualWidth = 1280;
            metrics.screenHeight = metrics.virtualHeight = 1024;
            return metrics;
        });
    }
    void TearDown() override { SetDisplayMetricsProvider({}); }

    static std::unique_ptr<CTestToolWindow> Open()
    {
        auto window = std::make_unique<CTestToolWindow>();
        EXPECT_TRUE(window->Create(nullptr));
        window->ShowTool(true);
        return window;
    }

    // A mouse message at a screen point, with the buttons held after it.
    static void SendMouse(QWidget* window, QEvent::Type type, QPoint global, Qt::MouseButtons held, ulong after = 1000)
    {
        static ulong time = 0;
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(window->mapFromGlobal(global)), QPointF(global), button, held, Qt::NoModifier);
        event.setTimestamp(time += after);
        QApplication::sendEvent(window, &event);
    }

    static void ClickCaption(CTwDialog& window)
    {
        QTest::mouseClick(window.GetWindow(), Qt::LeftButton, {}, QPoint(40, 8));
    }

    apptest::MemorySettings settings;
};

TEST_F(TwDialogTest, AClickOnTheCaptionRollsTheWindowUpAndTheStateSurvivesARestart)
{
    int fullHeight = 0;
    {
        auto window = Open();
        fullHeight = window->GetWindowRect().Height();
        ClickCaption(*window);
        EXPECT_TRUE(window->IsRolledUp());
        EXPECT_EQ(window->GetWindowRect().Height(), window->GetRolledUpHeight());
        ClickCaption(*window);
        EXPECT_EQ(window->GetWindowRect().Height(), fullHeight);
        ClickCaption(*window);
    }
    EXPECT_EQ(GetProfileInt(CString("TestToolWindow"), CString("Minimized"), 0), 1);
    auto again = Open();
    EXPECT_TRUE(again->IsRolledUp());
    EXPECT_EQ(again->GetWindowRect().Height(), again->GetRolledUpHeight());
    // A double click toggles once, not back again: the window system reports press,
    // release, press, double click, release.
    QWidget* window = again->GetWindow();
    const QPoint caption = window->pos() + QPoint(40, 8);
    for (const auto& [type, held] : {std::pair{QEvent::MouseButtonPress, Qt::LeftButton},
                                     {QEvent::MouseButtonRelease, Qt::NoButton},
                                     {QEvent::MouseButtonPress, Qt::LeftButton},
                                     {QEvent::MouseButtonDblClick, Qt::LeftButton},
                                     {QEvent::MouseButtonRelease, Qt::NoButton}})
        SendMouse(window, type, caption, held, 10);
    EXPECT_FALSE(again->IsRolledUp());
}

TEST_F(TwDialogTest, AStoredPlaceIsTakenAgainAndPulledBackWhereTheWindowWouldLeaveTheScreen)
{
    const struct
    {
        CPoint stored;
        CPoint expected;
    } cases[] = {{{100, 200}, {100, 200}},
                 {{1270, 100}, {1280 - 202, 100}},
                 {{100, 1000}, {100, 1024 - 169}},
                 {{-30, -50}, {30, 50}},
                 // Sums with these once overflowed.
                 {{INT_MIN, INT_MIN}, {1280 - 202, 1024 - 169}},
                 {{INT_MAX, INT_MAX}, {1280 - 202, 1024 - 169}},
                 {{INT_MIN + 1, 5}, {1280 - 202, 5}}};
    for (const auto& c : cases)
    {
        WriteProfileInt(CString("TestToolWindow"), CString("x"), c.stored.x);
        WriteProfileInt(CString("TestToolWindow"), CString("y"), c.stored.y);
        auto window = Open();
        const CRect rect = window->GetWindowRect();
        EXPECT_EQ((CPoint{rect.left, rect.top}), c.expected) << c.stored.x << "," << c.stored.y;
    }
}

TEST_F(TwDialogTest, AWindowNeverPlacedStaysWhereItsTemplatePutsItAndKeepsItsPlaceWhenClosed)
{
    auto window = Open();
    const CRect opened = window->GetWindowRect();
    window->SetWindowPos(321, 234, 0, 0, SWP_NOSIZE);
    window->Close();
    EXPECT_FALSE(window->IsWindowVisible());
    EXPECT_EQ(GetProfileInt(CString("TestToolWindow"), CString("show"), -1), 0);
    EXPECT_EQ(GetProfileInt(CString("TestToolWindow"), CString("x"), -1), 321);
    EXPECT_EQ(GetProfileInt(CString("TestToolWindow"), CString("y"), -1), 234);
    EXPECT_EQ(opened.Width(), 202);
}

TEST_F(TwDialogTest, EscapeHidesTheWindowUnlessAnEditHasTheFocusAndOtherKeysGoToTheMainView)
{
    CWinApp app(CString("Glimra"));
    CFrameWnd frame;
    ASSERT_TRUE(frame.LoadFrame());
    CKeyRecordingView view;
    frame.SetActiveView(&view);
    app.m_pMainWnd = &frame;
    const struct
    {
        int focus;
        Qt::Key key;
        bool hidden;
        std::vector<UINT> offered;
    } cases[] = {{kEditId, Qt::Key_Escape, false, {}},
                 {kCheckId, Qt::Key_Escape, true, {}},
                 {kCheckId, Qt::Key_A, false, {'A'}},
                 {kEditId, Qt::Key_A, false, {}},
                 {kCheckId, Qt::Key_Tab, false, {}}};
    for (const auto& c : cases)
    {
        auto window = Open();
        QApplication::setActiveWindow(window->GetWindow());
        QWidget* focus = window->GetDlgItem(c.focus);
        focus->setFocus();
        ASSERT_EQ(window->GetFocusControlId(), c.focus);
        view.keys.clear();
        QTest::keyClick(focus, c.key);
        EXPECT_EQ(!window->IsWindowVisible(), c.hidden) << c.focus << " " << c.key;
        EXPECT_EQ(view.keys, c.offered) << c.focus << " " << c.key;
    }
    frame.SetActiveView(nullptr);
    app.m_pMainWnd = nullptr;
}

TEST_F(TwDialogTest, ShownWindowsTakePartInGluingAndHiddenOnesLeaveTheColumn)
{
    auto first = Open();
    auto second = Open();
    CStickyDragManager& manager = GetStickyDragManager();
    const CRect top = first->GetWindowRect();
    second->SetWindowPos(top.left + 5, top.bottom + 300, 0, 0, SWP_NOSIZE);
    // Drag the second window's caption to just under the first.
    QWidget* window = second->GetWindow();
    const QPoint press = window->pos() + QPoint(40, 8);
    SendMouse(window, QEvent::MouseButtonPress, press, Qt::LeftButton);
    SendMouse(window, QEvent::MouseMove, press + QPoint(0, 10), Qt::LeftButton);
    SendMouse(window, QEvent::MouseMove, QPoint(top.left + 5 + 40, top.bottom + 10 + 8), Qt::LeftButton);
    SendMouse(window, QEvent::MouseButtonRelease, QPoint(top.left + 5 + 40, top.bottom + 8), Qt::NoButton);
    ASSERT_TRUE(manager.IsInGroup(second.get()));
    EXPECT_EQ(second->GetWindowRect().top, top.bottom);
    EXPECT_EQ(second->GetWindowRect().left, top.left);
    EXPECT_EQ(GetProfileInt(CString("TestToolWindow"), CString("sticky"), 0), 1);

    first->ShowTool(false);
    EXPECT_FALSE(manager.IsInGroup(first.get()));
    EXPECT_FALSE(manager.IsAttached(first.get()));
}

}  // namespace
