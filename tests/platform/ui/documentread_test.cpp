// A long read on the interface thread: the wait cursor shows and the windows go on painting.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMouseEvent>
#include <QWidget>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>
#include <unistd.h>

#include "platform/archive.h"
#include "platform/quitrequest.h"
#include "platform/ui/document.h"
#include "platform/ui/framewnd.h"
#include "platform/ui/winapp.h"
#include "uitestsupport.h"

namespace {

class CPaintCountingWidget : public QWidget
{
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
};

class CPressCountingWidget : public QWidget
{
public:
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
    void keyPressEvent(QKeyEvent*) override { ++presses; }
};

class CByteDocument : public CDocument
{
public:
    void Serialize(CArchive& archive) override { archive >> byte; }
    BYTE byte = 0;
};

// Reads the file in chunks slower than the windows' repaint pace, asking for a repaint
// before each and noting what the user would see meanwhile.
class CSlowDocument : public CDocument
{
public:
    static constexpr int kChunks = 3;
    // Past the document's buffer, so that every chunk is read from the file.
    static constexpr UINT kChunkBytes = 2 * CArchive::kDocumentBufferSize;

    void Serialize(CArchive& archive) override
    {
        for (int i = 0; i < kChunks; ++i)
        {
            window->update();
            std::this_thread::sleep_for(std::chrono::milliseconds(120));
            std::vector<char> chunk(kChunkBytes);
            archive.Read(chunk.data(), kChunkBytes);
        }
        const QCursor* cursor = QApplication::overrideCursor();
        waitCursorShown = cursor != nullptr && cursor->shape() == Qt::WaitCursor;
        loadingSeen = IsLoading();
        paintsDuringRead = window->paints;
    }

    CPaintCountingWidget* window = nullptr;
    bool waitCursorShown = false;
    bool loadingSeen = false;
    int paintsDuringRead = 0;
};

// Holds parts of what it let go of, which a long read lets go first, a part per call.
class CHoldingDocument : public CSlowDocument
{
public:
    static constexpr int kParts = 4;

    bool OnLongRead() override
    {
        paintsAtParts.push_back(window->paints);
        window->update();
        if (++parts == quitAtPart)
            QCoreApplication::postEvent(quitWindow, new QKeyEvent(QEvent::KeyPress, Qt::Key_Q, Qt::ControlModifier));
        return parts < kParts;
    }
    void Serialize(CArchive& archive) override
    {
        CSlowDocument::Serialize(archive);
        partsWhenRead = parts;
    }

    int parts = 0;
    int partsWhenRead = -1;
    int quitAtPart = 0;
    QWidget* quitWindow = nullptr;
    std::vector<int> paintsAtParts;
};

// What a read let go of first went in one piece, the window frozen and deaf to a quit.
TEST(DocumentReadTest, WhatALongReadLetsGoOfFirstGoesInPartsWithTheWindowsPaintedAndAQuitHeard)
{
    uitest::EnsureQtApplication();
    uitest::MemorySettings settings;
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("glimra-holding-" + std::to_string(::getpid()) + ".bin");
    std::ofstream(path, std::ios::binary) << std::string(CSlowDocument::kChunks * CSlowDocument::kChunkBytes, 'x');
    CWinApp app(CString("Reader"));
    CFrameWnd frame;
    ASSERT_TRUE(frame.LoadFrame());
    app.m_pMainWnd = &frame;
    frame.GetAction(ID_APP_EXIT)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    CPaintCountingWidget window;
    window.resize(64, 64);
    window.show();
    uitest::ProcessEvents();

    CHoldingDocument document;
    document.window = &window;
    EXPECT_TRUE(document.OnOpenDocument(CString(path.string())));
    // Every part went before the read ended, the window painted after each.
    EXPECT_EQ(document.partsWhenRead, CHoldingDocument::kParts);
    ASSERT_EQ(document.paintsAtParts.size(), static_cast<std::size_t>(CHoldingDocument::kParts));
    for (int part = 1; part < CHoldingDocument::kParts; ++part)
        EXPECT_GT(document.paintsAtParts[part], document.paintsAtParts[part - 1]);

    CHoldingDocument quitting;
    quitting.window = &window;
    quitting.quitAtPart = 2;
    quitting.quitWindow = frame.GetWindow();
    EXPECT_FALSE(quitting.OnOpenDocument(CString(path.string())));
    EXPECT_TRUE(CQuitRequest::IsRequested());
    EXPECT_EQ(quitting.parts, 2);
    CQuitRequest::Clear();
    app.m_pMainWnd = nullptr;
    std::filesystem::remove(path);
}

TEST(DocumentReadTest, ALongReadShowsTheWaitCursorAndKeepsTheWindowsPainted)
{
    uitest::EnsureQtApplication();
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("glimra-slow-" + std::to_string(::getpid()) + ".bin");
    std::ofstream(path, std::ios::binary) << std::string(CSlowDocument::kChunks * CSlowDocument::kChunkBytes, 'x');
    CPaintCountingWidget window;
    window.resize(64, 64);
    window.show();
    uitest::ProcessEvents();
    const int paintsBefore = window.paints;

    CSlowDocument document;
    document.window = &window;
    EXPECT_TRUE(document.OnOpenDocument(CString(path.string())));
    EXPECT_TRUE(document.waitCursorShown);
    EXPECT_TRUE(document.loadingSeen);
    EXPECT_GE(document.paintsDuringRead - paintsBefore, CSlowDocument::kChunks - 1);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(document.IsLoading());
    std::filesystem::remove(path);
}

// Ctrl+Q and the window's close during a read waited for the read to end; input meant
// for the windows is dropped meanwhile, the gestures that end the program are heard.
TEST(DocumentReadTest, TheExitKeyAndTheMainWindowsCloseEndARead)
{
    uitest::EnsureQtApplication();
    uitest::MemorySettings settings;
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("glimra-gesture-" + std::to_string(::getpid()) + ".bin");
    std::ofstream(path, std::ios::binary) << std::string(16, 'x');
    CWinApp app(CString("Reader"));
    CFrameWnd frame;
    ASSERT_TRUE(frame.LoadFrame());
    app.m_pMainWnd = &frame;
    frame.GetAction(ID_APP_EXIT)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    CPressCountingWidget target;
    target.show();
    uitest::ProcessEvents();

    for (const bool key : {true, false})
    {
        SCOPED_TRACE(key ? "the exit key" : "the close");
        const QPointF at(4, 4);
        QCoreApplication::postEvent(&target, new QMouseEvent(QEvent::MouseButtonPress, at, at, Qt::LeftButton,
                                                             Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(&target, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier));
        if (key)
            QCoreApplication::postEvent(frame.GetWindow(),
                                        new QKeyEvent(QEvent::KeyPress, Qt::Key_Q, Qt::ControlModifier));
        else
            QCoreApplication::postEvent(frame.GetWindow(), new QCloseEvent);
        CByteDocument document;
        EXPECT_FALSE(document.OnOpenDocument(CString(path.string())));
        EXPECT_TRUE(CQuitRequest::IsRequested());
        EXPECT_EQ(document.byte, 0);
        CQuitRequest::Clear();
        uitest::ProcessEvents();
        EXPECT_EQ(target.presses, 0);
    }
    app.m_pMainWnd = nullptr;
    std::filesystem::remove(path);
}

}  // namespace
