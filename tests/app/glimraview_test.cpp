#include "app/glimraview.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QCursor>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMenu>
#include <QMainWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <functional>
#include <string>
#include <vector>

#include "app/glimraapp.h"
#include "app/glimradoc.h"
#include "app/hostservices.h"
#include "app/mainframe.h"
#include "app/resourceids.h"
#include "app/viewnavigation.h"
#include "animationsupport.h"
#include "apptestsupport.h"
#include "document/component.h"
#include "document/dib.h"
#include "document/tarnwickmodel.h"
#include "imaging/ilbmp.h"
#include "document/pagelist.h"
#include "document/renderingoptions.h"
#include "document/viewpage.h"
#include "foundation/framemeter.h"
#include "drawapi/animation.h"
#include "platform/quitrequest.h"
#include "platform/ui/cmdui.h"
#include "samplefiles.h"
#include "render/frametimer.h"
#include "tools/cameraorbittool.h"
#include "tools/slideshow.h"
#include "tools/tool.h"
#include "tools/toolmanager.h"

namespace {

// Counts its steps and ends after the given number.
class CountingAnimation : public IAnimation
{
public:
    explicit CountingAnimation(int length) : m_length(length) {}
    bool Step(ITarnisView* view) override
    {
        ++steps;
        view->SetAnimationInterval(0.01);
        return steps < m_length;
    }
    void Finish() override {}
    void Pause(bool) override {}
    void Release() override { released = true; }

    int steps = 0;
    bool released = false;

private:
    int m_length;
};

bool Near(const CVector3d& a, const CVector3d& b)
{
    return std::abs(a.x - b.x) < 1e-9 && std::abs(a.y - b.y) < 1e-9 && std::abs(a.z - b.z) < 1e-9;
}

// Writes down the buttons that reach it.
class CButtonRecorder : public CTool
{
public:
    explicit CButtonRecorder(std::vector<unsigned>& presses) : m_presses(presses) {}
    void OnLButtonDown(unsigned flags, int, int, ITarnisView*) override { m_presses.push_back(flags); }
    void OnLButtonUp(unsigned flags, int, int, ITarnisView*) override { m_presses.push_back(flags | 0x1000); }

private:
    std::vector<unsigned>& m_presses;
};

// An orbit tool that counts the right presses that reach it.
class CRightPressCounter : public CCameraOrbitTool
{
public:
    explicit CRightPressCounter(int& presses) : m_presses(presses) {}
    void OnRButtonDown(unsigned, int, int, ITarnisView*) override { ++m_presses; }

private:
    int& m_presses;
};

// What the next popup menu showed: per item its text ("-" for a separator), whether it was
// enabled and whether checked; and where it opened.
struct ShownMenu
{
    bool shown = false;
    std::vector<std::tuple<QString, bool, bool>> items;
    QPoint position;
};

// Once the next popup menu is up, writes it down, picks the item with that text (none for
// an empty text) as a click would, and closes the menu.
void PickFromNextMenu(ShownMenu& seen, const QString& text)
{
    QTimer::singleShot(0, [&seen, text] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr)
            return;
        seen.shown = true;
        seen.position = menu->pos();
        QAction* picked = nullptr;
        for (QAction* action : menu->actions())
        {
            seen.items.emplace_back(action->isSeparator() ? QStringLiteral("-") : action->text(), action->isEnabled(),
                                    action->isChecked());
            if (!text.isEmpty() && action->text() == text)
                picked = action;
        }
        if (picked != nullptr)
            picked->trigger();
        menu->close();
    });
}

// Counts the paints a widget gets.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget& widget) : m_widget(widget) { m_widget.installEventFilter(this); }
    ~PaintCounter() override { m_widget.removeEventFilter(this); }
    PaintCounter(const PaintCounter&) = delete;
    PaintCounter& operator=(const PaintCounter&) = delete;

    bool eventFilter(QObject* /*watched*/, QEvent* event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        ++count;
        if (onPaint)
            onPaint();
        return false;
    }
    int count = 0;
    // Called as each paint begins.
    std::function<void()> onPaint;

private:
    QWidget& m_widget;
};

class MainViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        apptest::PrepareApplication();
        dataHome = std::filesystem::temp_directory_path() / ("glimra-view-" + std::to_string(::getpid()));
        setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
        app.SetArguments({CString("glimra"), CString::FromUtf8(apptest::Samples().Path("house-5000.twk"))});
        ASSERT_TRUE(app.InitInstance());
        view = app.GetActiveGlimraView();
        frame = app.GetMainFrame();
    }
    void TearDown() override
    {
        app.ExitInstance();
        unsetenv("XDG_DATA_HOME");
        std::filesystem::remove_all(dataHome);
    }
    CString ValuePane() const
    {
        CGlimraStatusBar& bar = frame->GetStatusBar();
        return bar.GetPaneText(bar.CommandToIndex(ID_INDICATOR_VALUE));
    }
    void Type(const char* text)
    {
        for (const char* c = text; *c != '\0'; ++c)
            view->OnChar(static_cast<unsigned char>(*c), 1, false);
    }
    CCmdUI Update(UINT id)
    {
        CCmdUI ui(id);
        EXPECT_TRUE(view->OnCmdMsg(id, &ui));
        return ui;
    }
    CRenderingOptions& Options() { return *view->GetRenderingOptions(); }
    // Saves the model under `name` in the data folder and reads its stored preview back.
    std::unique_ptr<CDib> SavedPreview(const char* name)
    {
        const std::string path = (dataHome / name).string();
        std::filesystem::create_directories(dataHome);
        EXPECT_TRUE(view->GetGlimraDoc()->OnSaveDocument(CString::FromUtf8(path)));
        CDib* preview = nullptr;
        CString description;
        EXPECT_EQ(ReadModelFilePreview(CString::FromUtf8(path), preview, description), 0);
        return std::unique_ptr<CDib>(preview);
    }
    CToolManager& Tools() { return view->GetGlimraDoc()->GetTools(); }
    CString StatusPane(UINT id) const
    {
        CGlimraStatusBar& bar = frame->GetStatusBar();
        return bar.GetPaneText(id == 0 ? 0 : bar.CommandToIndex(id));
    }
    void UsePerspective(bool perspective)
    {
        if (view->GetViewDefinition().IsPerspective() != perspective)
            frame->SendCommand(ID_CAMERA_PERSPECTIVE);
    }

    std::filesystem::path dataHome;
    apptest::MemorySettings settings;
    apptest::MessageBoxRecorder boxes;
    CGlimraApp app;
    CGlimraView* view = nullptr;
    CMainFrame* frame = nullptr;
};

TEST_F(MainViewTest, TypedCharactersFillTheValueBoxOnlyWhileItIsActive)
{
    Type("12");
    EXPECT_TRUE(view->GetValueInputBuffer().GetText().IsEmpty());

    SetValueBoxActive(true);
    Type("12'");
    EXPECT_EQ(view->GetValueInputBuffer().GetText(), CString("12'"));
    EXPECT_EQ(ValuePane(), CString("12'"));
    // Esc with typed text clears only the text.
    view->OnChar(27, 1, false);
    EXPECT_TRUE(view->GetValueInputBuffer().GetText().IsEmpty());
    EXPECT_TRUE(ValuePane().IsEmpty());

    Type("3");
    view->OnChar(13, 1, false);
    EXPECT_TRUE(view->GetValueInputBuffer().GetText().IsEmpty());

    // A held key's repeats are ignored, whatever the character.
    Type("4");
    for (const UINT code : {UINT{'4'}, UINT{'x'}, UINT{' '}, UINT{13}, UINT{27}})
        view->OnChar(code, 1, true);
    EXPECT_EQ(view->GetValueInputBuffer().GetText(), CString("4"));
}

// Fixed: under an X server a held key's repeats arrived as presses Qt had not marked, and
// typed the digit again; a held edit key acted at every repeat.
TEST_F(MainViewTest, AHeldKeyActsOnceWhetherOrNotItsRepeatsAreMarked)
{
    SetValueBoxActive(true);
    enum Step
    {
        kPress,
        kMarkedRepeat,
        kRelease
    };
    const struct
    {
        Qt::Key key;
        const char* text;
        std::vector<Step> steps;
        const char* typed;
    } cases[] = {
        {Qt::Key_5, "5", {kPress, kPress, kMarkedRepeat, kPress, kRelease}, "5"},
        {Qt::Key_5, "5", {kPress, kRelease, kPress, kRelease}, "555"},
        {Qt::Key_Backspace, "\b", {kPress, kPress, kMarkedRepeat, kRelease}, "55"},
        {Qt::Key_Home, "", {kPress, kRelease}, "55"},
        {Qt::Key_Delete, "\x7f", {kPress, kPress, kMarkedRepeat, kPress, kRelease}, "5"},
        {Qt::Key_5, "5", {kPress, kRelease}, "55"},
        {Qt::Key_Home, "", {kPress, kPress, kRelease}, "55"},
        {Qt::Key_Right, "", {kPress, kPress, kPress, kRelease}, "55"},
        {Qt::Key_6, "6", {kPress, kPress, kRelease}, "565"},
    };
    for (const auto& c : cases)
    {
        for (const Step step : c.steps)
        {
            QKeyEvent event(step == kRelease ? QEvent::KeyRelease : QEvent::KeyPress, c.key, Qt::NoModifier,
                            QString::fromLatin1(c.text), step == kMarkedRepeat);
            QCoreApplication::sendEvent(view->GetWidget(), &event);
        }
        EXPECT_EQ(view->GetValueInputBuffer().GetText(), CString(c.typed)) << c.typed;
    }
}

// Fixed: Delete also typed its control text (127) into the box, and the value was refused.
// Each key goes with the text the X server's keyboard gives it; an "8" typed after it shows
// where it left the caret. The box holds "45|67" before each key.
TEST_F(MainViewTest, OnlyCharactersTypeAndTheEditingKeysMoveOrDelete)
{
    SetValueBoxActive(true);
    const auto press = [this](int key, const QString& text) {
        for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease})
        {
            QKeyEvent event(type, key, Qt::NoModifier, text);
            QCoreApplication::sendEvent(view->GetWidget(), &event);
        }
    };
    struct Case
    {
        int key;
        const char* text;
        const char* box;
    };
    std::vector<Case> cases = {
        {Qt::Key_Delete, "\x7f", "4587"}, {Qt::Key_Backspace, "\b", "4867"}, {Qt::Key_Insert, "", "45867"},
        {Qt::Key_Escape, "\x1b", "8"},    {Qt::Key_Tab, "\t", "45867"},      {Qt::Key_Home, "", "84567"},
        {Qt::Key_End, "", "45678"},        {Qt::Key_Left, "", "48567"},        {Qt::Key_Right, "", "45687"},
        {Qt::Key_9, "9", "459867"},        {Qt::Key_Period, ".", "45.867"},    {Qt::Key_Space, " ", "45 867"},
    };
    for (int f = Qt::Key_F1; f <= Qt::Key_F12; ++f)
        cases.push_back({f, "", "45867"});
    for (const auto& [key, text, box] : cases)
    {
        view->GetValueInputBuffer().SetText(CString("4567"));
        press(Qt::Key_Left, QString());
        press(Qt::Key_Left, QString());
        press(key, QString::fromLatin1(text));
        press(Qt::Key_8, QStringLiteral("8"));
        EXPECT_EQ(view->GetValueInputBuffer().GetText(), CString(box)) << "key " << std::hex << key;
        EXPECT_EQ(ValuePane(), CString(box)) << "key " << std::hex << key;
    }
}

TEST_F(MainViewTest, KeyAndWheelEventsOfTheWindowReachTheView)
{
    frame->SendCommand(ID_CAMERA_PERSPECTIVE);
    const double height = view->GetViewDefinition().GetViewHeight();
    const QPointF local(10, 10);
    QWheelEvent wheel(local, view->GetWidget()->mapToGlobal(local), QPoint(), QPoint(0, -240), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view->GetWidget(), &wheel);
    EXPECT_NEAR(view->GetViewDefinition().GetViewHeight(), height * 1.2, 1e-9);
}

TEST(HostServices, WithoutAMainWindowEveryServiceDoesNothing)
{
    EXPECT_EQ(GetActiveTarnisView(), nullptr);
    EXPECT_FALSE(IsValueBoxActive());
    SetValueBoxActive(true);
    SetStatusText(kValuePane, CString("1"), true);
    ShowPageTabs(true);
    ClearStatusBarText();
    UpdateAllViewsOfActiveDoc();
    EXPECT_FALSE(IsValueBoxActive());
}

TEST_F(MainViewTest, StatusTextForTheValuePaneIsWrittenEvenWhenTheBoxIsNotActive)
{
    SetStatusText(kValuePane, CString("7'"), true);
    EXPECT_EQ(ValuePane(), CString("7'"));
    EXPECT_FALSE(IsValueBoxActive());
    SetStatusTextFromResource(kValuePane, 0, false);
    EXPECT_TRUE(ValuePane().IsEmpty());
}

TEST_F(MainViewTest, OpeningAnotherFileStopsTheRunningAnimationFirst)
{
    auto* animation = new CountingAnimation(100);
    view->SetAnimation(animation);
    ASSERT_NE(app.OpenDocumentFile(CString::FromUtf8(apptest::Samples().Path("house-3000.twk"))), nullptr);
    EXPECT_EQ(view->GetAnimation(), nullptr);
    EXPECT_TRUE(animation->released);
    delete animation;
}

TEST_F(MainViewTest, SmallMouseJitterKeepsTypedTextAndALargerMoveDiscardsIt)
{
    SetValueBoxActive(true);
    view->OnMouseMove(0, CPoint{100, 100});
    Type("5");
    view->OnMouseMove(0, CPoint{150, 50});
    EXPECT_EQ(view->GetValueInputBuffer().GetText(), CString("5"));
    EXPECT_EQ(view->GetLastMousePosition(), (CPoint{100, 100}));
    view->OnMouseMove(0, CPoint{151, 100});
    EXPECT_TRUE(view->GetValueInputBuffer().GetText().IsEmpty());
    EXPECT_EQ(view->GetLastMousePosition(), (CPoint{151, 100}));
}

TEST_F(MainViewTest, AWheelNotchForwardZoomsInAboutThePointAndCanBeTakenBack)
{
    frame->SendCommand(ID_CAMERA_PERSPECTIVE);
    ASSERT_FALSE(view->GetViewDefinition().IsPerspective());
    const CViewDefinition before = view->GetViewDefinition();
    const CPoint corner = view->ClientToScreen(CPoint{view->GetClientRect().Width() / 4, view->GetClientRect().Height() / 4});
    EXPECT_TRUE(view->OnMouseWheel(0, CGlimraView::kWheelNotch, corner));
    EXPECT_NEAR(view->GetViewDefinition().GetViewHeight(), before.GetViewHeight() * 0.9, 1e-9);
    EXPECT_TRUE(view->GetModel()->GetCamera().IsEqual(view->GetViewDefinition().GetCamera()));

    EXPECT_TRUE(Update(ID_CAMERA_PREVIOUS).IsEnabled());
    frame->SendCommand(ID_CAMERA_PREVIOUS);
    EXPECT_TRUE(view->GetViewDefinition().IsSameCamera(before));
}

TEST_F(MainViewTest, TheTimerStepsTheAnimationOncePerTickAndReleasesItWhenItEnds)
{
    auto* animation = new CountingAnimation(2);
    view->SetAnimation(animation);
    animation->Step(view);
    view->ScheduleAnimationStep();
    EXPECT_TRUE(view->HasTimer(CGlimraView::kAnimationTimerId));

    view->OnTimer(CGlimraView::kAnimationTimerId);
    EXPECT_EQ(animation->steps, 2);
    EXPECT_FALSE(view->HasTimer(CGlimraView::kAnimationTimerId));
    EXPECT_EQ(view->GetAnimation(), nullptr);
    EXPECT_TRUE(animation->released);
    delete animation;
}

TEST_F(MainViewTest, ASlideshowWithTimesOfZeroFlipsPagesAtMostOncePerDisplayRefresh)
{
    CPageList& pages = *view->GetModel()->GetPageList();
    for (CTarnwickPage* page : pages.GetPages())
    {
        auto* viewPage = dynamic_cast<CViewPage*>(page);
        ASSERT_NE(viewPage, nullptr);
        viewPage->SetTransitionTime(0.0);
        viewPage->SetSlideTime(0.0);
    }
    // A timer that fires every millisecond of a simulated second, each step followed
    // by its frame.
    static double now = 100.0;
    CFrameTimer::SetClock([] { return now; });
    ASSERT_NE(StartSlideshow(view, true), nullptr);
    int flips = 0;
    for (int tick = 0; tick < 1000; ++tick)
    {
        now += 0.001;
        const CTarnwickPage* shown = pages.GetSelectedPage();
        if (!view->HasTimer(CGlimraView::kAnimationTimerId))
            view->ScheduleAnimationStep();
        view->OnTimer(CGlimraView::kAnimationTimerId);
        flips += pages.GetSelectedPage() != shown ? 1 : 0;
    }
    view->SetAnimation(nullptr);
    CFrameTimer::SetClock(nullptr);
    EXPECT_LE(flips, 61);
    EXPECT_GE(flips, 50);
}

TEST_F(MainViewTest, StandardViewsTurnTheCameraAndRememberThePreviousOnlyWhenItChanged)
{
    frame->SendCommand(ID_VIEW_TOP);
    EXPECT_TRUE(Near(view->GetViewDefinition().GetViewDirection(), CVector3d(0, 0, -1)));
    const CViewDefinition top = view->GetViewDefinition();
    const CViewDefinition saved = view->GetSavedViewDefinition();
    frame->SendCommand(ID_VIEW_TOP);
    EXPECT_TRUE(view->GetViewDefinition().IsSameCamera(top));
    EXPECT_TRUE(view->GetSavedViewDefinition().IsSameCamera(saved));

    // Previous twice returns to the first camera.
    frame->SendCommand(ID_VIEW_FRONT);
    frame->SendCommand(ID_CAMERA_PREVIOUS);
    EXPECT_TRUE(view->GetViewDefinition().IsSameCamera(top));
    frame->SendCommand(ID_CAMERA_PREVIOUS);
    EXPECT_TRUE(Near(view->GetViewDefinition().GetViewDirection(), CVector3d(0, 1, 0)));
}

TEST_F(MainViewTest, ZoomExtentsBringsTheWholeHouseBackIntoTheView)
{
    EXPECT_TRUE(Update(ID_CAMERA_ZOOM_EXTENTS).IsEnabled());
    CViewDefinition& definition = view->GetViewDefinition();
    const CVector3d direction = definition.GetViewDirection();
    // Far away and off to the side.
    definition.SetEyeTarget(definition.GetEye() + CVector3d(400, 0, 0), definition.GetTarget() + CVector3d(400, 0, 0),
                            definition.GetCamera().GetUp());
    const CViewDefinition away = definition;
    frame->SendCommand(ID_CAMERA_ZOOM_EXTENTS);
    EXPECT_TRUE(Near(definition.GetViewDirection(), direction));
    EXPECT_TRUE(view->GetSavedViewDefinition().IsSameCamera(away));
    CBoundingBox3d box;
    view->GetModel()->GetRootComponent()->GetBounds(box, false);
    CPoint3d centre;
    ASSERT_TRUE(definition.ProjectPoint(box.GetCentre(), centre));
    EXPECT_LT(std::abs(centre.x - definition.GetViewportWidth() / 2.0), definition.GetViewportWidth() / 4.0);
    EXPECT_LT(std::abs(centre.y - definition.GetViewportHeight() / 2.0), definition.GetViewportHeight() / 4.0);
}

TEST(IsoDirection, FromStraightDownTheFirstNearestDiagonalWinsAndPerspectiveFlattensIt)
{
    const double third = 1.0 / std::sqrt(3.0);
    EXPECT_TRUE(Near(CTarnisView::ChooseIsoDirection(CVector3d(0, 0, -1), false), CVector3d(-third, third, -third)));
    EXPECT_TRUE(Near(CTarnisView::ChooseIsoDirection(CVector3d(0, 0, -1), true), CVector3d(-2.0 / 3, 2.0 / 3, -1.0 / 3)));
    EXPECT_TRUE(Near(CTarnisView::ChooseIsoDirection(CVector3d(1, -1, 1), false), CVector3d(third, -third, third)));
}

// Pins a past fault: a new model's mode 3 (drawn as shaded) checked no style at all.
TEST_F(MainViewTest, ModesThreeAndFourCheckTheShadedStyleTheyDrawAs)
{
    for (const int mode : {3, 4}) {
        Options().SetRenderMode(mode);
        Options().SetDisplayTextures(true);
        EXPECT_TRUE(Update(ID_RENDER_TEXTURED_MENU).IsChecked()) << mode;
        Options().SetDisplayTextures(false);
        EXPECT_TRUE(Update(ID_RENDER_SHADED_MENU).IsChecked()) << mode;
        EXPECT_FALSE(Update(ID_RENDER_WIREFRAME_MENU).IsChecked()) << mode;
    }
}

TEST_F(MainViewTest, ShadedAfterTexturedTurnsTexturesOffAndKeepsTheShadedMode)
{
    frame->SendCommand(ID_RENDER_TEXTURED);
    EXPECT_TRUE(Options().IsDisplayTextures());
    EXPECT_TRUE(Update(ID_RENDER_TEXTURED_MENU).IsChecked());
    frame->SendCommand(ID_RENDER_SHADED);
    EXPECT_EQ(Options().GetRenderMode(), 2);
    EXPECT_FALSE(Options().IsDisplayTextures());
    EXPECT_TRUE(Update(ID_RENDER_SHADED).IsChecked());
    EXPECT_FALSE(Update(ID_RENDER_TEXTURED).IsChecked());
    frame->SendCommand(ID_RENDER_WIREFRAME_MENU);
    EXPECT_EQ(Options().GetRenderMode(), 0);
    frame->SendCommand(ID_RENDER_XRAY);
    EXPECT_TRUE(Options().IsTransparentDisplay());
    EXPECT_TRUE(Update(ID_RENDER_XRAY_MENU).IsChecked());
}

TEST_F(MainViewTest, PerspectiveSwitchesTheProjectionAndMarksTheDocumentModified)
{
    const bool perspective = view->GetViewDefinition().IsPerspective();
    frame->SendCommand(ID_CAMERA_PERSPECTIVE);
    EXPECT_NE(view->GetViewDefinition().IsPerspective(), perspective);
    EXPECT_TRUE(view->GetGlimraDoc()->IsModified());
    // The selected page keeps the camera when it keeps one; else the model does.
    const auto* page = dynamic_cast<CViewPage*>(view->GetModel()->GetPageList()->GetSelectedPage());
    const bool pageKeepsCamera = page != nullptr && (page->GetPropertyMask() & CViewPage::kCamera) != 0;
    const CCamera& stored = pageKeepsCamera ? page->GetCamera() : view->GetModel()->GetCamera();
    EXPECT_NE(stored.IsPerspective(), perspective);

    view->GetModel()->GetPageList()->SetSelectedPage(nullptr);
    frame->SendCommand(ID_CAMERA_PERSPECTIVE);
    EXPECT_EQ(view->GetModel()->GetCamera().IsPerspective(), perspective);
}

TEST_F(MainViewTest, PageCommandsAreGreyedWithoutPages)
{
    EXPECT_TRUE(Update(ID_PAGE_NEXT).IsEnabled());
    EXPECT_TRUE(Update(ID_VIEW_SLIDESHOW).IsEnabled());
    frame->SendCommand(ID_FILE_NEW);
    EXPECT_FALSE(Update(ID_PAGE_NEXT).IsEnabled());
    EXPECT_FALSE(Update(ID_PAGE_PREVIOUS).IsEnabled());
    EXPECT_FALSE(Update(ID_VIEW_SLIDESHOW).IsEnabled());
}

TEST_F(MainViewTest, NextAndPreviousPageWrapAndShowThePageCamera)
{
    CPageList& pages = *view->GetModel()->GetPageList();
    const CPageTabs& tabs = frame->GetPageTabs();
    const int selected = pages.IndexOf(pages.GetSelectedPage());
    const int next = selected < 0 ? 0 : (selected + 1) % 3;
    frame->SendCommand(ID_PAGE_NEXT);
    EXPECT_EQ(pages.GetSelectedPage(), pages.GetPage(next));
    EXPECT_EQ(tabs.GetCurrentTab(), next);
    apptest::RunAnimationToEnd(*view);
    const auto* shown = dynamic_cast<CViewPage*>(pages.GetPage(next));
    EXPECT_TRUE(view->GetViewDefinition().GetCamera().IsEqual(shown->GetCamera()));

    frame->SendCommand(ID_PAGE_PREVIOUS);
    EXPECT_EQ(pages.GetSelectedPage(), pages.GetPage(next == 0 ? 2 : next - 1));
    while (pages.GetSelectedPage() != pages.GetPage(2))
        frame->SendCommand(ID_PAGE_NEXT);
    frame->SendCommand(ID_PAGE_NEXT);
    EXPECT_EQ(pages.GetSelectedPage(), pages.GetPage(0));
    EXPECT_EQ(tabs.GetCurrentTab(), 0);
}

}  // namespace

TEST_F(MainViewTest, WindowButtonsReachTheActiveToolWithTheAltFlagAndAReleaseWithoutItsPressIsDropped)
{
    std::vector<unsigned> presses;
    Tools().SelectTool(new CButtonRecorder(presses), 1, true);
    QWidget* window = view->GetWidget();
    QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, QPoint(30, 30));
    QTest::mousePress(window, Qt::LeftButton, Qt::AltModifier, QPoint(20, 20));
    QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, QPoint(25, 20));
    const std::vector<unsigned> expected = {MK_LBUTTON | CGlimraView::kAltFlag, 0x1000};
    EXPECT_EQ(presses, expected);
}

TEST_F(MainViewTest, CameraCommandsSelectTheirToolsReplacingEachOtherAndCheckTheirItems)
{
    UsePerspective(true);
    for (const UINT id : {ID_CAMERA_ORBIT, ID_CAMERA_PAN, ID_CAMERA_ZOOM, ID_CAMERA_ZOOM_WINDOW, ID_CAMERA_LOOK_AROUND,
                          ID_CAMERA_FIELD_OF_VIEW, ID_CAMERA_WALK})
    {
        EXPECT_TRUE(Update(id).IsEnabled()) << id;
        frame->SendCommand(id);
        EXPECT_EQ(Tools().GetActiveToolId(), static_cast<int>(id));
        EXPECT_EQ(Tools().GetToolCount(), 1);
        EXPECT_TRUE(Update(id).IsChecked()) << id;
    }
    frame->SendCommand(ID_CAMERA_ORBIT);
    EXPECT_EQ(StatusPane(0), CString("Drag to orbit.  Shift = Pan"));
    UsePerspective(false);
    EXPECT_FALSE(Update(ID_CAMERA_FIELD_OF_VIEW).IsEnabled());
    EXPECT_FALSE(Update(ID_CAMERA_WALK).IsEnabled());
    frame->SendCommand(ID_CAMERA_EXIT);
    EXPECT_EQ(Tools().GetActiveTool(), nullptr);
}

TEST_F(MainViewTest, TheRightButtonOverACameraToolShowsTheCameraMenuWhosePickedItemRunsOnceItClosed)
{
    frame->SendCommand(ID_CAMERA_ORBIT);
    ShownMenu seen;
    PickFromNextMenu(seen, QStringLiteral("&Pan"));
    QTest::mousePress(view->GetWidget(), Qt::RightButton, Qt::NoModifier, QPoint(60, 40));
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(Tools().GetActiveToolId(), static_cast<int>(ID_CAMERA_ORBIT));
    apptest::ProcessEvents();
    EXPECT_EQ(Tools().GetActiveToolId(), static_cast<int>(ID_CAMERA_PAN));
    EXPECT_EQ(Tools().GetToolCount(), 1);

    const std::vector<std::tuple<QString, bool, bool>> expected = {
        {"E&xit", true, false},        {"-", true, false},           {"&Orbit", true, true},
        {"&Pan", true, false},         {"&Look Around", true, false}, {"W&alk", true, false},
        {"&Zoom", true, false},        {"-", true, false},           {"Zoom &Window", true, false},
        {"Zoom &Extents", true, false}};
    EXPECT_EQ(seen.items, expected);

    // A parallel view greys Walk, as the Camera menu does.
    UsePerspective(false);
    ShownMenu parallel;
    PickFromNextMenu(parallel, QString());
    QTest::mousePress(view->GetWidget(), Qt::RightButton, Qt::NoModifier, QPoint(60, 40));
    ASSERT_EQ(parallel.items.size(), expected.size());
    EXPECT_EQ(parallel.items[5], std::make_tuple(QStringLiteral("W&alk"), false, false));
    EXPECT_TRUE(std::get<1>(parallel.items[6]));
}

TEST_F(MainViewTest, TheCameraMenuPreferenceDecidesWhetherTheRightButtonOpensTheMenuOrReachesTheTool)
{
    const struct
    {
        int preference;
        bool menu;
        int presses;
    } cases[] = {{1, true, 0}, {0, false, 1}};
    for (const auto& c : cases)
    {
        WriteProfileInt(CString("Tools"), CString("CameraContextMenu"), c.preference);
        int presses = 0;
        Tools().SelectTool(new CRightPressCounter(presses), ID_CAMERA_ORBIT, true);
        ShownMenu seen;
        PickFromNextMenu(seen, QString());
        view->OnRButtonDown(MK_RBUTTON, CPoint{50, 50});
        apptest::ProcessEvents();
        EXPECT_EQ(seen.shown, c.menu) << c.preference;
        EXPECT_EQ(presses, c.presses) << c.preference;
    }
}

TEST_F(MainViewTest, TheMenuKeyOpensTheCameraMenuAtThePointerAndExitLeavesTheTool)
{
    frame->SendCommand(ID_CAMERA_ZOOM);
    const QPoint pointer = view->GetWidget()->mapToGlobal(QPoint(70, 50));
    QCursor::setPos(pointer);
    ShownMenu seen;
    PickFromNextMenu(seen, QStringLiteral("E&xit"));
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Menu, Qt::NoModifier);
    QCoreApplication::sendEvent(view->GetWidget(), &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Menu, Qt::NoModifier);
    QCoreApplication::sendEvent(view->GetWidget(), &release);
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.position, pointer);
    apptest::ProcessEvents();
    EXPECT_EQ(Tools().GetActiveTool(), nullptr);
}

TEST_F(MainViewTest, ALeftDragIntoTheBorderPansUntilAnyButtonOrTheWheelEndsIt)
{
    const CPoint border{0, 100};
    const std::function<void()> enders[] = {
        [this, border] { view->OnLButtonUp(0, border); },
        [this, border] { view->OnLButtonDown(MK_LBUTTON, border); },
        [this, border] { view->OnLButtonDblClk(MK_LBUTTON, border); },
        [this, border] { view->OnRButtonDown(MK_LBUTTON | MK_RBUTTON, border); },
        [this, border] { view->OnRButtonUp(MK_LBUTTON, border); },
        [this, border] { view->OnRButtonDblClk(MK_LBUTTON | MK_RBUTTON, border); },
        [this, border] { view->OnMButtonDown(MK_LBUTTON | MK_MBUTTON, border); },
        [this, border] { view->OnMButtonUp(MK_LBUTTON, border); },
        [this, border] { view->OnMButtonDblClk(MK_LBUTTON | MK_MBUTTON, border); },
        [this] { view->OnMouseWheel(MK_LBUTTON, 120, view->ClientToScreen(CPoint{100, 100})); }};
    // No menu may wait for a pick should a camera tool take the right button.
    WriteProfileInt(CString("Tools"), CString("CameraContextMenu"), 0);
    for (size_t i = 0; i < std::size(enders); ++i)
    {
        view->OnLButtonDown(MK_LBUTTON, CPoint{100, 100});
        const CViewDefinition before = view->GetViewDefinition();
        view->OnMouseMove(MK_LBUTTON, border);
        ASSERT_TRUE(view->IsAutopanning()) << i;
        EXPECT_FALSE(view->GetViewDefinition().IsSameCamera(before)) << i;
        enders[i]();
        EXPECT_FALSE(view->IsAutopanning()) << i;
        view->OnMButtonUp(0, border);
        view->OnLButtonUp(0, CPoint{100, 100});
        view->OnMouseMove(0, CPoint{100, 100});
    }

    // A camera tool's drag moves the camera itself.
    frame->SendCommand(ID_CAMERA_ORBIT);
    view->OnLButtonDown(MK_LBUTTON, CPoint{100, 100});
    view->OnMouseMove(MK_LBUTTON, border);
    EXPECT_FALSE(view->IsAutopanning());
    view->OnLButtonUp(0, border);
}

TEST_F(MainViewTest, TheMiddleButtonOrbitsOverTheActiveToolWhichResumesOnRelease)
{
    frame->SendCommand(ID_CAMERA_PAN);
    const CViewDefinition before = view->GetViewDefinition();
    view->OnMButtonDown(MK_MBUTTON, CPoint{100, 100});
    EXPECT_EQ(Tools().GetActiveToolId(), static_cast<int>(ID_CAMERA_ORBIT));
    EXPECT_EQ(Tools().GetToolCount(), 2);
    EXPECT_TRUE(Update(ID_CAMERA_PAN).IsChecked());
    view->OnMouseMove(MK_MBUTTON, CPoint{100, 160});
    EXPECT_FALSE(view->GetViewDefinition().IsSameCamera(before));
    view->OnMButtonUp(0, CPoint{100, 160});
    EXPECT_EQ(Tools().GetActiveToolId(), static_cast<int>(ID_CAMERA_PAN));
    EXPECT_EQ(Tools().GetToolCount(), 1);
    EXPECT_TRUE(view->GetModel()->GetCamera().IsEqual(view->GetViewDefinition().GetCamera()));

    // An orbit the user chose stays when a middle click comes and goes over it.
    frame->SendCommand(ID_CAMERA_ORBIT);
    view->OnMButtonDown(MK_MBUTTON, CPoint{100, 100});
    view->OnMButtonUp(0, CPoint{100, 100});
    view->OnMButtonUp(0, CPoint{100, 100});
    EXPECT_EQ(Tools().GetActiveToolId(), static_cast<int>(ID_CAMERA_ORBIT));
    EXPECT_EQ(Tools().GetToolCount(), 1);

    // Over the walk it looks around: the eye stays where it stands.
    UsePerspective(true);
    frame->SendCommand(ID_CAMERA_WALK);
    const CPoint3d eye = view->GetViewDefinition().GetEye();
    const CVector3d direction = view->GetViewDefinition().GetViewDirection();
    view->OnMButtonDown(MK_MBUTTON, CPoint{100, 100});
    view->OnMouseMove(MK_MBUTTON, CPoint{160, 100});
    view->OnMButtonUp(0, CPoint{160, 100});
    EXPECT_TRUE(view->GetViewDefinition().GetEye().IsEqual(eye));
    EXPECT_FALSE(view->GetViewDefinition().GetViewDirection().IsEqual(direction));
    EXPECT_EQ(Tools().GetActiveToolId(), static_cast<int>(ID_CAMERA_WALK));
}

TEST_F(MainViewTest, TheFieldOfViewToolTakesTypedFocalLengthsAndAnglesAndShowsThemAsTyped)
{
    UsePerspective(true);
    frame->SendCommand(ID_CAMERA_FIELD_OF_VIEW);
    EXPECT_TRUE(IsValueBoxActive());
    EXPECT_EQ(StatusPane(ID_INDICATOR_VALUE_LABEL), CString("Field of View"));
    Type("50mm");
    view->OnChar(13, 1, false);
    const CCamera& camera = view->GetViewDefinition().GetCamera();
    EXPECT_NEAR(camera.GetFieldOfView(), camera.FocalLengthToFieldOfView(50.0), 1e-9);
    EXPECT_EQ(ValuePane(), CString("50 mm"));
    EXPECT_EQ(StatusPane(ID_INDICATOR_VALUE_LABEL), CString("Focal Length"));

    Type("35deg");
    view->OnChar(13, 1, false);
    EXPECT_DOUBLE_EQ(view->GetViewDefinition().GetCamera().GetFieldOfView(), 35.0);
    EXPECT_EQ(ValuePane(), CString("35.00 deg."));
    Type("500");
    view->OnChar(13, 1, false);
    EXPECT_DOUBLE_EQ(view->GetViewDefinition().GetCamera().GetFieldOfView(), 120.0);
    Type("wide");
    view->OnChar(13, 1, false);
    EXPECT_DOUBLE_EQ(view->GetViewDefinition().GetCamera().GetFieldOfView(), 120.0);
}

TEST_F(MainViewTest, ZoomWindowDrawsItsRectangleIntoTheFrameAndZoomsToItOnRelease)
{
    frame->SendCommand(ID_CAMERA_ZOOM_WINDOW);
    const CViewDefinition before = view->GetViewDefinition();
    view->OnLButtonDown(MK_LBUTTON, CPoint{40, 30});
    view->OnMouseMove(MK_LBUTTON, CPoint{120, 90});
    view->OnPaint();
    const QImage* shown = view->GetPresentedFrame();
    ASSERT_NE(shown, nullptr);
    const QColor corner = shown->pixelColor(40, 60);
    const QColor inside = shown->pixelColor(41, 60);
    // The outline inverts what lies under it.
    EXPECT_GT(std::abs(corner.red() - inside.red()) + std::abs(corner.green() - inside.green()), 100);

    view->OnLButtonUp(0, CPoint{120, 90});
    EXPECT_FALSE(view->GetViewDefinition().IsSameCamera(before));
    EXPECT_EQ(Tools().GetActiveTool(), nullptr);
}

TEST_F(MainViewTest, EscapeDuringAZoomWindowDragLeavesNoOutlineBehind)
{
    // Once the cancelled rectangle stayed in the shown frame until something else drew.
    frame->SendCommand(ID_CAMERA_ZOOM_WINDOW);
    view->OnPaint();
    QCoreApplication::processEvents();
    const QImage clean = *view->GetPresentedFrame();
    view->OnLButtonDown(MK_LBUTTON, CPoint{40, 30});
    view->OnMouseMove(MK_LBUTTON, CPoint{120, 90});
    view->OnPaint();
    ASSERT_NE(*view->GetPresentedFrame(), clean);
    view->OnChar(27, 1, false);
    EXPECT_EQ(Tools().GetActiveTool(), nullptr);
    // The frame the cancel asks for, and no other, takes the outline away.
    for (int turn = 0; turn < 10 && *view->GetPresentedFrame() != clean; ++turn)
        apptest::ProcessEvents();
    EXPECT_EQ(*view->GetPresentedFrame(), clean);
}

TEST_F(MainViewTest, OverASlowFrameTheZoomWindowDragDrawsNoModelFrameUntilRelease)
{
    // The frames the window and the command asked for come first.
    const auto settle = [this] {
        for (int turn = 0, seen = -1; turn < 20 && view->GetFramesDrawn() != seen; ++turn)
        {
            seen = view->GetFramesDrawn();
            apptest::ProcessEvents();
            apptest::ProcessEvents();
        }
    };
    frame->ShowWindow(SW_SHOWNORMAL);
    frame->SendCommand(ID_CAMERA_ZOOM_WINDOW);
    settle();
    ASSERT_NE(view->GetPresentedFrame(), nullptr);
    // The view has found its frames slow: feedback goes over the frame it shows.
    view->RecordFrameTime(0.2);
    view->RecordFrameTime(0.2);
    ASSERT_TRUE(view->IsFastFeedback());
    // The frame the change of feedback asked for.
    settle();
    const int frames = view->GetFramesDrawn();
    const QImage clean = *view->GetPresentedFrame();
    const auto changed = [&clean, this](int x, int y) {
        return view->GetPresentedFrame()->pixelColor(x, y) != clean.pixelColor(x, y);
    };
    view->OnLButtonDown(MK_LBUTTON, CPoint{40, 30});
    int previous = 0;
    for (const int x : {80, 100, 120})
    {
        SCOPED_TRACE(x);
        view->OnMouseMove(MK_LBUTTON, CPoint{x, 90});
        QCoreApplication::processEvents();
        EXPECT_TRUE(changed(40, 60));
        EXPECT_TRUE(changed(x, 60));
        // The rectangle of the move before is gone.
        if (previous != 0) {
            EXPECT_FALSE(changed(previous, 60));
        }
        previous = x;
    }
    EXPECT_EQ(view->GetFramesDrawn(), frames);
    view->OnLButtonUp(0, CPoint{120, 90});
    view->OnPaint();
    EXPECT_GT(view->GetFramesDrawn(), frames);

    // Once Escape put the clean frame back only for the next paint, which the slow frame
    // it asked for came to 0.6 s later.
    frame->SendCommand(ID_CAMERA_ZOOM_WINDOW);
    settle();
    view->RecordFrameTime(0.2);
    view->RecordFrameTime(0.2);
    ASSERT_TRUE(view->IsFastFeedback());
    settle();
    const int shown = view->GetFramesDrawn();
    view->OnLButtonDown(MK_LBUTTON, CPoint{40, 30});
    view->OnMouseMove(MK_LBUTTON, CPoint{100, 90});
    QCoreApplication::processEvents();
    const QImage dragged = *view->GetPresentedFrame();
    PaintCounter paints(*view->GetWidget());
    view->OnChar(27, 1, false);
    QCoreApplication::processEvents();
    EXPECT_GT(paints.count, 0) << "the clean frame is shown at once";
    apptest::ProcessEvents();
    EXPECT_EQ(view->GetFramesDrawn(), shown);
    EXPECT_NE(view->GetPresentedFrame()->pixelColor(100, 60), dragged.pixelColor(100, 60));
    view->OnLButtonUp(0, CPoint{100, 90});
}

TEST_F(MainViewTest, ToolButtonClicksQueuedBehindAFrameAreDrawnInOneFrame)
{
    // Once every click on a tool button drew a whole frame before the next click was read.
    frame->ShowWindow(SW_SHOWNORMAL);
    frame->UpdateCommandUI();
    // The window is shown before the view's first frame, which the next turn draws.
    for (int turn = 0; turn < 10 && view->GetPresentedFrame() == nullptr; ++turn)
        apptest::ProcessEvents();
    QToolButton* button = nullptr;
    for (int bar = 0; bar < 4 && button == nullptr; ++bar)
        button = qobject_cast<QToolButton*>(
            frame->GetToolBar(bar).GetDockableBar()->widgetForAction(frame->GetAction(ID_RENDER_XRAY)));
    ASSERT_NE(button, nullptr);
    const bool xray = Options().IsTransparentDisplay();
    const int frames = view->GetFramesDrawn();
    constexpr int kClicks = 5;
    for (int i = 0; i < kClicks; ++i)
    {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(4, 4), button->mapToGlobal(QPointF(4, 4)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(button, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(4, 4), button->mapToGlobal(QPointF(4, 4)),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(button, &release);
    }
    EXPECT_EQ(view->GetFramesDrawn(), frames);
    apptest::ProcessEvents();
    apptest::ProcessEvents();
    EXPECT_EQ(view->GetFramesDrawn(), frames + 1);
    EXPECT_NE(Options().IsTransparentDisplay(), xray);
}

// Once the Camera menu stayed on the screen over a slow view until the command's whole
// frame was drawn: the frame was drawn in the pass that painted the rest of the window.
TEST_F(MainViewTest, AMenuCommandOverASlowViewShowsTheLastFrameWhereTheMenuWasBeforeItsFrame)
{
    frame->ShowWindow(SW_SHOWNORMAL);
    for (int turn = 0; turn < 10 && view->GetPresentedFrame() == nullptr; ++turn)
        apptest::ProcessEvents();
    // Under a clock that runs a second at each reading the view measures its frames slow;
    // the loop turns until it paints the view no more.
    static double now = 0.0;
    CFrameTimer::SetClock([] { return now += 1.0; });
    view->Invalidate(false);
    {
        const PaintCounter settling(*view->GetWidget());
        for (int turn = 0, seen = -1; turn < 20 && settling.count != seen; ++turn)
        {
            seen = settling.count;
            apptest::ProcessEvents();
        }
    }
    CFrameTimer::SetClock(nullptr);

    QMenu* camera = nullptr;
    for (QAction* action : frame->GetWindow()->menuBar()->actions())
        if (action->text() == QStringLiteral("&Camera"))
            camera = action->menu();
    ASSERT_NE(camera, nullptr);
    const CVector3d before = view->GetViewDefinition().GetViewDirection();
    ASSERT_FALSE(Near(before, CVector3d(0, 0, -1)));
    // Each paint of the view: the frames drawn before it, and whether the camera had turned.
    std::vector<std::pair<int, bool>> paints;
    PaintCounter counter(*view->GetWidget());
    counter.onPaint = [&] {
        paints.emplace_back(view->GetFramesDrawn(), !Near(view->GetViewDefinition().GetViewDirection(), before));
    };
    const int frames = view->GetFramesDrawn();
    camera->popup(frame->GetWindow()->mapToGlobal(QPoint(40, 30)));
    QTest::mouseClick(camera, Qt::LeftButton, Qt::NoModifier,
                      camera->actionGeometry(frame->GetAction(ID_VIEW_TOP)).center());
    for (int turn = 0; turn < 10 && view->GetFramesDrawn() == frames; ++turn)
        apptest::ProcessEvents();
    ASSERT_EQ(view->GetFramesDrawn(), frames + 1);
    EXPECT_TRUE(Near(view->GetViewDefinition().GetViewDirection(), CVector3d(0, 0, -1)));
    // The menu's area showed the last frame as it closed, before the command ran; the
    // command's frame came a turn after a paint that showed the last frame again.
    const std::vector<std::pair<int, bool>> expected = {{frames, false}, {frames, true}, {frames, true}};
    EXPECT_EQ(paints, expected);
}

TEST_F(MainViewTest, TipStylesShareTheFirstTipInTheirColoursAndDelaysAndStyleThreeUsesTheSecond)
{
    const struct
    {
        int style;
        int tip;
        COLORREF colour;
        int delay;
    } cases[] = {{0, 1, RGB(255, 0, 0), 0}, {1, 1, RGB(0, 0, 0), 0}, {2, 1, RGB(0, 0, 0), 250}, {3, 2, 0, 250}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.style);
        view->ShowTipAt(100, 100, CString("hint"), c.style);
        CTitleTip* tip = view->GetTip(c.tip);
        ASSERT_NE(tip, nullptr);
        EXPECT_EQ(tip->GetText(), CString("hint"));
        if (c.tip == 1) {
            EXPECT_EQ(tip->GetTextColor(), c.colour);
        }
        EXPECT_EQ(tip->GetShowDelay(), c.delay);
        view->HideTip(c.style);
        EXPECT_FALSE(tip->isVisible());
    }
    // A style without a tip shows nothing.
    view->ShowTipAt(100, 100, CString("other"), 4);
    EXPECT_NE(view->GetTip(1)->GetText(), CString("other"));
    EXPECT_NE(view->GetTip(2)->GetText(), CString("other"));
}

TEST_F(MainViewTest, TheViewTellsItsAccelerationResolutionAndExtentsPass)
{
    IModelView& core = *view;
    EXPECT_EQ(core.IsAccelerated(), view->CBaseGLView::IsAccelerated());
    int x = 0;
    int y = 0;
    core.GetScreenResolution(x, y);
    EXPECT_GT(x, 0);
    EXPECT_GT(y, 0);
    EXPECT_FALSE(core.GetExtentsPass());
    core.SetExtentsPass(true);
    EXPECT_TRUE(core.GetExtentsPass());
}

TEST_F(MainViewTest, SavingStoresAPreviewOfTheViewThatTheOpenDialogReadsBack)
{
    frame->SendCommand(ID_VIEW_TOP);
    const std::unique_ptr<CDib> top = SavedPreview("top.twk");
    frame->SendCommand(ID_VIEW_FRONT);
    const std::unique_ptr<CDib> front = SavedPreview("front.twk");
    ASSERT_TRUE(top != nullptr && top->HasImage());
    ASSERT_TRUE(front != nullptr && front->HasImage());
    const CRect client = view->GetClientRect();
    EXPECT_EQ(std::max(top->GetWidth(), top->GetHeight()),
              std::min(CGlimraView::kPreviewSide, std::max(client.Width(), client.Height())));
    ASSERT_EQ(top->GetWidth(), front->GetWidth());
    ASSERT_EQ(top->GetHeight(), front->GetHeight());
    int differing = 0;
    for (int y = 0; y < top->GetHeight(); ++y)
        differing += std::memcmp(top->GetImage()->GetLineArray()[y], front->GetImage()->GetLineArray()[y],
                                 static_cast<std::size_t>(top->GetWidth()) * 4) != 0
                         ? 1
                         : 0;
    EXPECT_GT(differing, top->GetHeight() / 4);

    // A model that keeps its preview is saved with the one it has.
    view->GetModel()->SetRedefineThumbnailOnSave(false);
    frame->SendCommand(ID_VIEW_TOP);
    const std::unique_ptr<CDib> kept = SavedPreview("kept.twk");
    ASSERT_TRUE(kept != nullptr && kept->HasImage());
    EXPECT_EQ(std::memcmp(kept->GetImage()->GetLineArray()[0], front->GetImage()->GetLineArray()[0],
                          static_cast<std::size_t>(front->GetWidth()) * 4),
              0);
}

// A quit signal in the middle of a save's preview gives the save up: the file and the
// model's preview stay as they were, and nothing is left beside the file.
TEST_F(MainViewTest, AQuitDuringTheSavesPreviewKeepsTheFileAndTheModelsPreview)
{
    ASSERT_NE(SavedPreview("kept.twk"), nullptr);
    const std::filesystem::path path = dataHome / "kept.twk";
    const auto bytes = [&path] {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    const std::string before = bytes();
    const CDib* preview = view->GetModel()->GetPreviewImage();
    frame->SendCommand(ID_VIEW_FRONT);
    CQuitRequest::Request(SIGTERM);
    const bool saved = view->GetGlimraDoc()->OnSaveDocument(CString::FromUtf8(path.string()));
    CQuitRequest::Clear();
    EXPECT_FALSE(saved);
    EXPECT_EQ(view->GetModel()->GetPreviewImage(), preview);
    EXPECT_EQ(bytes(), before);
    for (const auto& entry : std::filesystem::directory_iterator(dataHome))
        EXPECT_EQ(entry.path().filename().string().find(".saving-"), std::string::npos) << entry.path();
}

// A preview that passes its frame budget shows only part of the model: the save goes on
// with the preview the model has.
TEST_F(MainViewTest, APreviewCutShortByItsBudgetKeepsTheModelsPreview)
{
    ASSERT_NE(SavedPreview("kept.twk"), nullptr);
    const CDib* preview = view->GetModel()->GetPreviewImage();
    frame->SendCommand(ID_VIEW_FRONT);
    {
        const CFrameMeter::CScope meter(1, true);
        EXPECT_TRUE(view->GetGlimraDoc()->OnSaveDocument(CString::FromUtf8((dataHome / "cut.twk").string())));
    }
    EXPECT_EQ(view->GetModel()->GetPreviewImage(), preview);
    // Nor is any other picture of the view passed on in part.
    {
        const CFrameMeter::CScope meter(1, true);
        EXPECT_EQ(std::unique_ptr<CDib>(view->RenderToImage(64, 48, 1.0)), nullptr);
    }
    EXPECT_NE(std::unique_ptr<CDib>(view->RenderToImage(64, 48, 1.0)), nullptr);
}

TEST_F(MainViewTest, TheStoredPreviewIsASmoothlyShrunkCopyOfTheView)
{
    // Once it was drawn at its own size: lines, the label and fills kept their screen
    // pixels over a picture a few times smaller, and a stippled fill became a checkerboard.
    view->GetModel()->SetDisplayAxes(false);
    const auto screenAndPreview = [this](const char* name) {
        view->Invalidate(false);
        view->OnPaint();
        const QImage screen = view->GetPresentedFrame()->convertToFormat(QImage::Format_RGB32);
        const std::unique_ptr<CDib> dib = SavedPreview(name);
        QImage preview(dib->GetWidth(), dib->GetHeight(), QImage::Format_RGB32);
        for (int y = 0; y < preview.height(); ++y)
            std::memcpy(preview.scanLine(y), dib->GetImage()->GetLineArray()[y],
                        static_cast<std::size_t>(preview.width()) * 4);
        EXPECT_LT(preview.width(), screen.width() / 2);
        return std::pair{screen.scaled(preview.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation), preview};
    };
    const auto difference = [](QRgb a, QRgb b) {
        return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
    };
    // The section plane's fill left out, the preview is the view shrunk.
    Options().ToggleSectionDisplay(CRenderingOptions::kSectionPlanesShown);
    const auto [expected, preview] = screenAndPreview("plain.twk");
    double total = 0.0;
    int far = 0;
    for (int y = 0; y < preview.height(); ++y)
        for (int x = 0; x < preview.width(); ++x)
        {
            const int d = difference(preview.pixel(x, y), expected.pixel(x, y));
            total += d;
            far += d > 48 ? 1 : 0;
        }
    const int pixels = preview.width() * preview.height();
    EXPECT_LT(total / pixels, 3.0);
    EXPECT_LT(far, pixels / 200);
    // Shown, the fill tints the preview evenly: it is no rougher than the view.
    Options().ToggleSectionDisplay(CRenderingOptions::kSectionPlanesShown);
    const auto [shrunk, tinted] = screenAndPreview("tinted.twk");
    const auto roughness = [&difference](const QImage& image) {
        double sum = 0.0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 1; x < image.width(); ++x)
                sum += difference(image.pixel(x, y), image.pixel(x - 1, y));
        return sum;
    };
    EXPECT_LT(roughness(tinted), 1.5 * roughness(shrunk));
}

TEST_F(MainViewTest, TheWalkDrawsACrossAtThePressPointWhileTheButtonIsDown)
{
    UsePerspective(true);
    frame->SendCommand(ID_CAMERA_WALK);
    const auto pixel = [this](int x, int y) {
        view->OnPaint();
        return view->GetPresentedFrame()->pixelColor(x, y);
    };
    const QColor before = pixel(26, 20);
    view->OnLButtonDown(MK_LBUTTON, CPoint{20, 20});
    EXPECT_NE(pixel(26, 20), before);
    EXPECT_EQ(pixel(30, 20), before);
    // The rendering options can keep tools from drawing feedback.
    Options().SetDisplayByte(CRenderingOptions::kToolFeedback, false);
    EXPECT_EQ(pixel(26, 20), before);
    Options().SetDisplayByte(CRenderingOptions::kToolFeedback, true);
    view->OnLButtonUp(0, CPoint{20, 20});
    EXPECT_EQ(pixel(26, 20), before);
}

// Over the 1M grid the cross came with the walk's first frame, half a second after the press.
TEST_F(MainViewTest, OverASlowViewTheWalkCrossShowsAtThePressOverTheFrameAlreadyShown)
{
    UsePerspective(true);
    frame->SendCommand(ID_CAMERA_WALK);
    view->OnPaint();
    view->RecordFrameTime(0.2);
    view->RecordFrameTime(0.2);
    ASSERT_TRUE(view->IsFastFeedback());
    view->OnPaint();
    QCoreApplication::processEvents();
    const int frames = view->GetFramesDrawn();
    const QImage clean = *view->GetPresentedFrame();
    view->OnLButtonDown(MK_LBUTTON, CPoint{20, 20});
    EXPECT_EQ(view->GetFramesDrawn(), frames);
    EXPECT_NE(view->GetPresentedFrame()->pixelColor(26, 20), clean.pixelColor(26, 20));
    // The release shows the clean frame at once.
    view->OnLButtonUp(0, CPoint{20, 20});
    EXPECT_EQ(view->GetFramesDrawn(), frames);
    EXPECT_EQ(*view->GetPresentedFrame(), clean);
}

// Over the 1M grid only the first walk drag walked: the paint that showed the cross at the
// press answered the frame the walk had asked for, and the walk's steps wait for a frame.
TEST_F(MainViewTest, OverASlowViewEveryDragOfACameraToolMovesTheCameraWhileTheButtonIsHeld)
{
    UsePerspective(true);
    frame->ShowWindow(SW_SHOWNORMAL);
    QWidget* window = view->GetWidget();
    const PaintCounter paints(*window);
    // The bound only ends a wait for what never comes (a drag that does not move): a
    // sanitized frame on a machine busy far beyond its processors takes seconds.
    const auto turnUntil = [](const std::function<bool()>& condition) {
        for (QDeadlineTimer deadline(60000); !condition() && !deadline.hasExpired();)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return condition();
    };
    ASSERT_TRUE(turnUntil([this] { return view->GetPresentedFrame() != nullptr; }));
    const auto send = [window](QEvent::Type type, QPoint point, Qt::MouseButtons held) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, point, window->mapToGlobal(point), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &event);
    };
    for (const UINT tool : {ID_CAMERA_WALK, ID_CAMERA_LOOK_AROUND, ID_CAMERA_ORBIT, ID_CAMERA_PAN})
    {
        frame->SendCommand(tool);
        for (int drag = 0; drag < 2; ++drag)
        {
            SCOPED_TRACE(testing::Message() << tool << " drag " << drag);
            // The press comes over a view at rest, as a user's does: a settle still due would
            // ask for a frame of its own and stand in for one the press's paint dropped.
            ASSERT_TRUE(turnUntil([this] { return !view->HasTimer(CGlimraView::kSettleTimerId); }));
            view->RecordFrameTime(0.2);
            view->RecordFrameTime(0.2);
            ASSERT_TRUE(view->IsFastFeedback());
            const CPoint3d eye = view->GetViewDefinition().GetEye();
            const CVector3d direction = view->GetViewDefinition().GetViewDirection();
            const auto moved = [&] {
                return (view->GetViewDefinition().GetEye() - eye).GetLength() > 1e-9 ||
                       !Near(view->GetViewDefinition().GetViewDirection(), direction);
            };
            const int frames = view->GetFramesDrawn();
            send(QEvent::MouseMove, QPoint(100, 100), Qt::NoButton);
            const int paintsBefore = paints.count;
            const qint64 shown = view->GetPresentedFrame()->cacheKey();
            send(QEvent::MouseButtonPress, QPoint(100, 100), Qt::LeftButton);
            // The paint that shows the press's feedback (the walk's cross) comes before the
            // first move, as it does under a user's hand.
            if (view->GetPresentedFrame()->cacheKey() != shown)
            {
                ASSERT_TRUE(turnUntil([&] { return paints.count > paintsBefore; }));
            }
            send(QEvent::MouseMove, QPoint(130, 70), Qt::LeftButton);
            // The button stays down while the loop runs: the camera moves and is drawn.
            EXPECT_TRUE(turnUntil([&] { return moved() && view->GetFramesDrawn() >= frames + 2; }))
                << moved() << " " << view->GetFramesDrawn() - frames;
            send(QEvent::MouseButtonRelease, QPoint(130, 70), Qt::NoButton);
            turnUntil([] { return QWidget::mouseGrabber() == nullptr; });
        }
    }
}

// A resize sets the viewport at once, the view's and GL's, while the view's context is
// current (the frame buffer is made anew at the next bind).
TEST_F(MainViewTest, AResizeSetsTheViewportAtOnce)
{
    ASSERT_NE(view->MakeCurrent(), 0);
    view->OnSize(321, 123);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 321);
    EXPECT_EQ(viewport[3], 123);
    EXPECT_EQ(view->GetViewDefinition().GetViewportWidth(), 321);
    EXPECT_EQ(view->GetViewDefinition().GetViewportHeight(), 123);
}
