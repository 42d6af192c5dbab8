#include "app/recreateglview.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

#include "app/glimradoc.h"
#include "app/mainframe.h"
#include "app/resourceids.h"
#include "document/pagelist.h"
#include "document/tarnwickmodel.h"
#include "document/viewpage.h"
#include "runningapp.h"
#include "tools/toolmanager.h"

namespace {

// Sent straight to the window: a window never shown gets no moves from the test driver.
void Mouse(QWidget* window, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, QPoint point)
{
    QMouseEvent event(type, point, window->mapToGlobal(point), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &event);
}

// What is under way on the old view when it is replaced.
enum class Under
{
    Nothing,
    LeftDrag,    // the left button held: a walk walks, an orbit orbits
    MiddleDrag,  // the middle button's orbit pushed over the tool
    BorderDrag,  // no tool and a drag held at the window's edge: the view pans by itself
    HeldKey,     // an arrow key held: a walk walks
    TypedValue,  // a value typed into the value box
    Transition,  // the camera on its way to the next page
};

class RecreateViewTest : public ::testing::Test
{
protected:
    CGlimraView& View() const { return *running.View(); }
    CToolManager& Tools() const { return View().GetGlimraDoc()->GetTools(); }
    CMainFrame& Frame() const { return *running.app.GetMainFrame(); }
    CPageList& Pages() const { return *View().GetModel()->GetPageList(); }
    void UsePerspective()
    {
        if (!View().GetViewDefinition().IsPerspective())
            Frame().SendCommand(ID_CAMERA_PERSPECTIVE);
    }

    void Begin(Under under)
    {
        QWidget* window = View().GetWidget();
        switch (under)
        {
        case Under::Nothing:
            break;
        case Under::LeftDrag:
            Mouse(window, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, QPoint(60, 60));
            Mouse(window, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, QPoint(90, 40));
            break;
        case Under::MiddleDrag:
            Mouse(window, QEvent::MouseButtonPress, Qt::MiddleButton, Qt::MiddleButton, QPoint(60, 60));
            Mouse(window, QEvent::MouseMove, Qt::NoButton, Qt::MiddleButton, QPoint(80, 50));
            break;
        case Under::BorderDrag:
            // Camera tools drag the camera themselves: the view pans only without one.
            Frame().SendCommand(ID_CAMERA_EXIT);
            Mouse(window, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, QPoint(60, 60));
            Mouse(window, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, QPoint(0, 100));
            break;
        case Under::HeldKey:
            QTest::keyPress(window, Qt::Key_Up);
            break;
        case Under::TypedValue:
            QTest::keyClicks(window, QStringLiteral("45"));
            break;
        case Under::Transition:
            // Long enough to be under way whatever a starved machine's frames take.
            for (int i = 0; i < Pages().GetCount(); ++i)
                if (auto* page = dynamic_cast<CViewPage*>(Pages().GetPage(i)))
                    page->SetTransitionTime(60.0);
            Frame().SendCommand(ID_PAGE_NEXT);
            break;
        }
        // Timers step whatever animation started.
        QTest::qWait(30);
        const bool walking = View().GetAnimation() != nullptr && !View().IsAutopanning();
        switch (under)
        {
        case Under::LeftDrag:
        case Under::HeldKey:
            EXPECT_EQ(walking, Tools().GetActiveToolId() == static_cast<int>(ID_CAMERA_WALK));
            break;
        case Under::MiddleDrag:
            EXPECT_EQ(Tools().GetToolCount(), 2);
            break;
        case Under::BorderDrag:
            EXPECT_TRUE(View().IsAutopanning());
            break;
        case Under::TypedValue:
            EXPECT_EQ(View().GetValueInputBuffer().GetText(), CString("45"));
            break;
        case Under::Transition:
            EXPECT_NE(View().GetAnimation(), nullptr);
            break;
        case Under::Nothing:
            break;
        }
    }

    // The held button let go, then a full drag and a key on the view now shown; with
    // moves, waits until the drag moved the camera and answers whether it did.
    bool UseView(Under held, bool moves = true)
    {
        QWidget* window = View().GetWidget();
        const Qt::MouseButton button = held == Under::MiddleDrag ? Qt::MiddleButton : Qt::LeftButton;
        if (held == Under::HeldKey)
            QTest::keyRelease(window, Qt::Key_Up);
        if (held == Under::LeftDrag || held == Under::MiddleDrag || held == Under::BorderDrag)
        {
            Mouse(window, QEvent::MouseMove, Qt::NoButton, button, QPoint(70, 70));
            Mouse(window, QEvent::MouseButtonRelease, button, Qt::NoButton, QPoint(70, 70));
        }
        const CViewDefinition camera = View().GetViewDefinition();
        // A move to where the pointer already is would be no move at all.
        const QPoint end(80 + 10 * (++m_drags % 3), 60);
        Mouse(window, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, QPoint(50, 50));
        Mouse(window, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, end);
        // A walk moves in timed steps. The bound only ends the wait for a drag that does
        // not move: each step waits for a frame, which on a busy machine takes seconds.
        const bool moved =
            moves && QTest::qWaitFor([&] { return !View().GetViewDefinition().IsSameCamera(camera); }, 60000);
        Mouse(window, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, end);
        QTest::keyClick(window, Qt::Key_Up);
        QTest::qWait(30);
        return moved;
    }

    apptest::RunningApp running;
    int m_drags = 0;
};

TEST_F(RecreateViewTest, WhatWorksOnTheOldViewEndsWithItAndTheSameToolThenWorksOnTheNewView)
{
    const struct
    {
        UINT tool;
        Under under;
    } cases[] = {{ID_CAMERA_ORBIT, Under::LeftDrag},         {ID_CAMERA_ORBIT, Under::BorderDrag},
                 {ID_CAMERA_WALK, Under::LeftDrag},          {ID_CAMERA_WALK, Under::HeldKey},
                 {ID_CAMERA_FIELD_OF_VIEW, Under::MiddleDrag}, {ID_CAMERA_FIELD_OF_VIEW, Under::TypedValue},
                 {ID_CAMERA_LOOK_AROUND, Under::Nothing},     {ID_CAMERA_ZOOM, Under::Transition}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << c.tool << " under " << static_cast<int>(c.under));
        UsePerspective();
        Frame().SendCommand(c.tool);
        Begin(c.under);
        const CGlimraView* before = running.View();

        ASSERT_TRUE(RecreateGLView(*running.app.GetDocTemplate()));
        ASSERT_NE(running.View(), before);
        EXPECT_EQ(Tools().GetToolCount(), 0);
        EXPECT_EQ(View().GetAnimation(), nullptr);
        EXPECT_FALSE(Frame().IsValuePaneHighlighted());

        // What the drag does with no tool chosen is not asked.
        (void)UseView(c.under, false);
        Frame().SendCommand(c.tool);
        EXPECT_EQ(Tools().GetActiveToolId(), static_cast<int>(c.tool));
        EXPECT_TRUE(UseView(Under::Nothing));
        Frame().SendCommand(ID_CAMERA_EXIT);
    }
}

}  // namespace
