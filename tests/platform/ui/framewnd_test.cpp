#include "platform/ui/framewnd.h"

#include <gtest/gtest.h>

#include <QDropEvent>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMimeData>
#include <QToolBar>
#include <QUrl>

#include "platform/ui/doctemplate.h"
#include "platform/ui/document.h"
#include "platform/ui/toolbar.h"
#include "platform/ui/view.h"
#include "platform/ui/winapp.h"
#include "uitestsupport.h"

namespace {

class FrameWndTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        uitest::EnsureQtApplication();
        ASSERT_TRUE(frame.LoadFrame());
    }

    uitest::MemorySettings settings;
    CFrameWnd frame;
};

TEST_F(FrameWndTest, APlacementAppliedIsThePlacementReadBack)
{
    WINDOWPLACEMENT placement;
    placement.showCmd = SW_SHOWNORMAL;
    placement.rcNormalPosition = CRect{40, 30, 640, 480};
    ASSERT_TRUE(frame.SetWindowPlacement(placement));

    WINDOWPLACEMENT read;
    ASSERT_TRUE(frame.GetWindowPlacement(read));
    EXPECT_EQ(read.showCmd, static_cast<UINT>(SW_SHOWNORMAL));
    EXPECT_EQ(read.rcNormalPosition, placement.rcNormalPosition);
    EXPECT_TRUE(frame.IsWindowVisible());
}

// A frame that refuses to be made.
class CFailingFrame : public CFrameWnd
{
public:
    int OnCreate() override { return -1; }
};

TEST_F(FrameWndTest, AFrameWhoseCreationFailsHasNoWindow)
{
    CFailingFrame failing;
    EXPECT_FALSE(failing.LoadFrame());
    EXPECT_EQ(failing.GetWindow(), nullptr);
}

TEST_F(FrameWndTest, TheBarStateRestoresAHiddenBar)
{
    CToolBar bar;
    ASSERT_TRUE(bar.Create(frame, 303, CBRS_ALIGN_TOP));
    frame.ShowWindow(SW_SHOWNORMAL);
    frame.ShowControlBar(bar, false);
    frame.SaveBarState(CString("Toolbars"));

    frame.ShowControlBar(bar, true);
    ASSERT_TRUE(frame.LoadBarState(CString("Toolbars")));
    EXPECT_FALSE(bar.IsVisible());
    EXPECT_FALSE(frame.LoadBarState(CString("NoSuchSection")));
}

TEST_F(FrameWndTest, ToolbarButtonsFollowTheIdArrayWithSeparatorsForZero)
{
    CToolBar bar;
    ASSERT_TRUE(bar.Create(frame, 360, CBRS_ALIGN_LEFT));
    bar.SetButtons({11, 0, 12, 13});
    ASSERT_EQ(bar.GetCount(), 4);
    EXPECT_EQ(bar.GetDockableBar()->actions().size(), 4);
    EXPECT_TRUE(bar.GetDockableBar()->actions()[1]->isSeparator());
    EXPECT_EQ(bar.GetImageIndex(0), 0);
    EXPECT_EQ(bar.GetImageIndex(1), -1);
    EXPECT_EQ(bar.GetImageIndex(3), 2);
    EXPECT_EQ(bar.GetBarAlignment(), CBRS_ALIGN_LEFT);
}

TEST_F(FrameWndTest, FilesDroppedOnTheFrameOpenTheFirstThroughTheApplication)
{
    CWinApp app(CString("DropTest"));
    std::vector<CString> opened;
    class CRecordingDocument : public CDocument
    {
    public:
        explicit CRecordingDocument(std::vector<CString>& opened) : m_opened(opened) {}
        bool OnOpenDocument(const CString& path) override
        {
            m_opened.push_back(path);
            return true;
        }

    private:
        std::vector<CString>& m_opened;
    };
    app.AddDocTemplate(std::make_unique<CSingleDocTemplate>(
        0, [&] { return new CRecordingDocument(opened); }, [] { return new CFrameWnd; }, [] { return new CView; }));
    ASSERT_NE(app.OpenDocumentFile(CString()), nullptr);
    CFrameWnd* main = app.GetDocTemplate()->GetFrame();
    main->DragAcceptFiles(true);
    EXPECT_TRUE(main->GetWindow()->acceptDrops());

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/tmp/first.twk"), QUrl::fromLocalFile("/tmp/second.twk")});
    // A drop goes to the widget the drag entered.
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(main->GetWindow(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(main->GetWindow(), &drop);
    EXPECT_EQ(opened, (std::vector<CString>{CString("/tmp/first.twk")}));
}

class CTimedView : public CView
{
public:
    void OnTimer(UINT id) override
    {
        ticks.push_back(id);
        KillTimer(id);
    }
    std::vector<UINT> ticks;
};

TEST_F(FrameWndTest, AViewTimerTicksWithTheCallersIdUntilKilled)
{
    CTimedView view;
    frame.SetActiveView(&view);
    EXPECT_EQ(view.SetTimer(123, 1), 123u);
    EXPECT_TRUE(view.HasTimer(123));
    QElapsedTimer clock;
    clock.start();
    while (view.ticks.empty() && clock.elapsed() < 2000)
        uitest::ProcessEvents();
    EXPECT_EQ(view.ticks, (std::vector<UINT>{123}));
    EXPECT_FALSE(view.HasTimer(123));
    EXPECT_FALSE(view.KillTimer(123));
    frame.SetActiveView(nullptr);
    frame.DestroyWindow();
}

}  // namespace
