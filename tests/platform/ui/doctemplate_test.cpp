#include "platform/ui/doctemplate.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMainWindow>
#include <QPointer>
#include <QWidget>
#include <cstring>
#include <filesystem>
#include <string>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/archive.h"
#include "platform/ui/document.h"
#include "platform/ui/framewnd.h"
#include "platform/ui/recentfilelist.h"
#include "platform/ui/view.h"
#include "platform/ui/winapp.h"
#include "uitestsupport.h"

namespace {

// Writes down, when its window goes, whether it still had its document then.
class CDestroyRecordingView : public CView
{
public:
    explicit CDestroyRecordingView(std::vector<bool>& destroyed) : m_destroyed(destroyed) {}
    ~CDestroyRecordingView() override { DestroyWindow(); }
    void OnDestroy() override { m_destroyed.push_back(GetDocument() != nullptr && GetWidget() != nullptr); }

private:
    std::vector<bool>& m_destroyed;
};

TEST(DocTemplateTest, AReplacedViewLosesItsWindowOnceWhileItStillHasItsDocumentAndTheNewOneTakesItsFocus)
{
    uitest::EnsureQtApplication();
    uitest::MemorySettings settings;
    std::vector<bool> destroyed;
    CWinApp app(CString("ReplaceTest"));
    app.AddDocTemplate(std::make_unique<CSingleDocTemplate>(
        0, [] { return new CDocument; }, [] { return new CFrameWnd; },
        [&destroyed] { return new CDestroyRecordingView(destroyed); }));
    ASSERT_NE(app.OpenDocumentFile(CString()), nullptr);
    CSingleDocTemplate& docTemplate = *app.GetDocTemplate();
    const QPointer<QWidget> oldWindow = docTemplate.GetView()->GetWidget();
    ASSERT_FALSE(oldWindow.isNull());
    docTemplate.GetFrame()->GetWindow()->show();
    oldWindow->setFocus();
    // The view is replaced from a dialog over the frame.
    QWidget dialog;
    dialog.show();
    QApplication::setActiveWindow(&dialog);

    auto view = std::make_unique<CDestroyRecordingView>(destroyed);
    view->Create(docTemplate.GetFrame()->GetWindow());
    CView* replacement = view.get();
    docTemplate.ReplaceView(std::move(view));
    EXPECT_EQ(destroyed, std::vector<bool>{true});
    EXPECT_TRUE(oldWindow.isNull());
    EXPECT_EQ(docTemplate.GetView(), replacement);
    EXPECT_EQ(replacement->GetDocument(), docTemplate.GetDocument());
    // Keys go on reaching the view.
    EXPECT_EQ(replacement->GetWidget()->window()->focusWidget(), replacement->GetWidget());

    docTemplate.CloseAll();
    EXPECT_EQ(destroyed, (std::vector<bool>{true, true}));
}

// Keeps one number, read and written whole.
class CNumberDocument : public CDocument
{
public:
    void DeleteContents() override { number = 0; }
    void Serialize(CArchive& archive) override
    {
        if (archive.IsStoring())
            archive << number;
        else
            archive >> number;
    }
    int number = 0;
};

// A socket bound to the name for the life of the object.
class CBoundSocket
{
public:
    explicit CBoundSocket(const std::string& path) : m_fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        bound = m_fd >= 0 && ::bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~CBoundSocket() { ::close(m_fd); }
    CBoundSocket(const CBoundSocket&) = delete;
    CBoundSocket& operator=(const CBoundSocket&) = delete;
    bool bound = false;

private:
    int m_fd;
};

// Fixed: opening a pipe whose writer never wrote waited in the read for good, deaf to a quit.
TEST(DocTemplateTest, ANameThatIsNoFileIsRefusedBeforeAnythingIsReadAndALinkToAModelOpens)
{
    // Should a read wait after all, the test fails instead of hanging.
    const uitest::AlarmGuard alarm(60);
    namespace fs = std::filesystem;
    uitest::EnsureQtApplication();
    uitest::MemorySettings settings;
    uitest::MessageBoxRecorder boxes;
    const fs::path folder = fs::temp_directory_path() / ("glimra-open-" + std::to_string(::getpid()));
    fs::create_directories(folder / "folder.twk");
    CWinApp app(CString("OpenTest"));
    app.LoadStdProfileSettings(4);
    app.AddDocTemplate(std::make_unique<CSingleDocTemplate>(
        0, [] { return new CNumberDocument; }, [] { return new CFrameWnd; }, [] { return new CView; }));
    ASSERT_NE(app.OpenDocumentFile(CString()), nullptr);
    auto& document = static_cast<CNumberDocument&>(*app.GetDocTemplate()->GetDocument());
    document.number = 7;
    ASSERT_TRUE(document.OnSaveDocument(CString((folder / "model.twk").string())));
    fs::create_symlink(folder / "model.twk", folder / "link.twk");
    const CString link((folder / "link.twk").string());
    // The pipe's writer, this test, holds it open and never writes.
    ASSERT_EQ(::mkfifo((folder / "pipe.twk").c_str(), 0600), 0);
    const int writer = ::open((folder / "pipe.twk").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    fs::create_symlink(folder / "pipe.twk", folder / "pipe-link.twk");
    const CBoundSocket socket((folder / "socket.twk").string());
    ASSERT_TRUE(socket.bound);

    const struct
    {
        std::string path;
        const char* kind;
    } rows[] = {{(folder / "pipe.twk").string(), "a pipe"},
                {(folder / "pipe-link.twk").string(), "a pipe"},
                {(folder / "socket.twk").string(), "a socket"},
                {(folder / "folder.twk").string(), "a folder"},
                {"/dev/null", "a device"}};
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.path);
        ASSERT_NE(app.OpenDocumentFile(link), nullptr);
        EXPECT_EQ(document.number, 7);
        EXPECT_EQ(document.GetPathName(), link);
        boxes.calls.clear();
        const CString path(row.path);
        app.AddToRecentFileList(path);
        EXPECT_TRUE(app.OnCmdMsg(ID_FILE_MRU_FILE1, nullptr));
        ASSERT_EQ(boxes.calls.size(), 1u);
        EXPECT_EQ(boxes.calls[0].text, CString("Unable to open \"") + path + CString("\".\nIt is ") +
                                           CString(row.kind) +
                                           CString(", not a file: only model files can be opened."));
        // As after any open that failed before it read: the model shown stays, and the entry
        // leaves the list.
        EXPECT_EQ(document.number, 7);
        EXPECT_EQ(document.GetPathName(), link);
        ASSERT_EQ(app.GetRecentFileList()->GetCount(), 1);
        EXPECT_EQ((*app.GetRecentFileList())[0], link);
    }
    ::close(writer);
    app.GetDocTemplate()->CloseAll();
    fs::remove_all(folder);
}

}  // namespace
