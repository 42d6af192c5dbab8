#include "platform/ui/framewnd.h"

#include <gtest/gtest.h>

#include <QDropEvent>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMimeData>
#include <QToolBar>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

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

// The main frame of an application whose document writes down the files it is asked to open.
class FrameDropTest : public FrameWndTest
{
protected:
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

    void SetUp() override
    {
        FrameWndTest::SetUp();
        app.AddDocTemplate(std::make_unique<CSingleDocTemplate>(
            0, [this] { return new CRecordingDocument(opened); }, [] { return new CFrameWnd; },
            [] { return new CView; }));
        ASSERT_NE(app.OpenDocumentFile(CString()), nullptr);
        main = app.GetDocTemplate()->GetFrame();
        main->DragAcceptFiles(true);
        ASSERT_TRUE(std::filesystem::create_directory(folder));
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    // Sends a drag of the files that proposes a move (a copy allowed too) into the frame,
    // over it and dropped; the events as the frame answered them.
    struct CAnswer
    {
        bool taken = false;
        Qt::DropAction action = Qt::IgnoreAction;
    };
    struct CAnswers
    {
        CAnswer enter, move, drop;
    };
    CAnswers DropWithMoveProposed(const QList<QUrl>& urls)
    {
        QMimeData data;
        data.setUrls(urls);
        const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(QPoint(5, 5), offered, &data, Qt::LeftButton, Qt::NoModifier);
        enter.setDropAction(Qt::MoveAction);
        QCoreApplication::sendEvent(main->GetWindow(), &enter);
        QDragMoveEvent move(QPoint(6, 6), offered, &data, Qt::LeftButton, Qt::NoModifier);
        move.setDropAction(Qt::MoveAction);
        QCoreApplication::sendEvent(main->GetWindow(), &move);
        QDropEvent drop(QPointF(6, 6), offered, &data, Qt::LeftButton, Qt::NoModifier);
        drop.setDropAction(Qt::MoveAction);
        QCoreApplication::sendEvent(main->GetWindow(), &drop);
        return {{enter.isAccepted(), enter.dropAction()},
                {move.isAccepted(), move.dropAction()},
                {drop.isAccepted(), drop.dropAction()}};
    }

    CWinApp app{CString("DropTest")};
    std::vector<CString> opened;
    CFrameWnd* main = nullptr;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("glimra-drop-" + std::to_string(::getpid()));
};

// A drop once took the move proposed, so that the source could remove the file, and opened the
// file before the drop returned.
TEST_F(FrameDropTest, AFileDroppedIsTakenAsACopyAndTheFirstOpensOnceTheDropHasReturned)
{
    EXPECT_TRUE(main->GetWindow()->acceptDrops());
    const QString first = QString::fromStdString((folder / "first.twk").string());
    const QString second = QString::fromStdString((folder / "second.twk").string());
    for (const QString& name : {first, second})
        std::ofstream(name.toStdString()) << "model";

    const CAnswers answers = DropWithMoveProposed({QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)});
    for (const CAnswer& answer : {answers.enter, answers.move, answers.drop})
    {
        EXPECT_TRUE(answer.taken);
        EXPECT_EQ(answer.action, Qt::CopyAction);
    }
    EXPECT_TRUE(opened.empty());
    uitest::ProcessEvents();
    EXPECT_EQ(opened, (std::vector<CString>{CString::FromUtf8(first.toStdString())}));
}

// A pipe, a folder, a missing file or a remote one was once taken and then refused by a box
// that the drag's source waited on.
TEST_F(FrameDropTest, ADropOfNoRegularFileIsRefusedAndOpensNothing)
{
    const std::filesystem::path pipe = folder / "pipe.twk";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    uitest::MessageBoxRecorder boxes;
    for (const QUrl& url : {QUrl::fromLocalFile(QString::fromStdString(pipe.string())),
                            QUrl::fromLocalFile(QString::fromStdString(folder.string())),
                            QUrl::fromLocalFile(QString::fromStdString((folder / "gone.twk").string())),
                            QUrl(QStringLiteral("https://example.org/house.twk"))})
    {
        const CAnswers answers = DropWithMoveProposed({url});
        EXPECT_FALSE(answers.enter.taken) << url.toString().toStdString();
        EXPECT_FALSE(answers.drop.taken) << url.toString().toStdString();
    }
    uitest::ProcessEvents();
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(boxes.calls.empty());
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
