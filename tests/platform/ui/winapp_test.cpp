#include "platform/ui/winapp.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QObject>
#include <QPageSetupDialog>
#include <QTimer>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>
#include <unistd.h>

#include "platform/archive.h"
#include "platform/exceptions.h"
#include "platform/quitrequest.h"
#include "platform/ui/appprinter.h"
#include "platform/ui/doctemplate.h"
#include "platform/ui/document.h"
#include "platform/ui/framewnd.h"
#include "platform/ui/modaldialog.h"
#include "platform/ui/recentfilelist.h"
#include "platform/ui/view.h"
#include "uitestsupport.h"

namespace {

// Start-up that asks the user something, as a program whose settings were reset does.
class CAskingApp : public CWinApp
{
public:
    CAskingApp() : CWinApp(CString("Asking")) {}

    bool InitInstance() override
    {
        // Should the signal be lost, the box gives up by itself and the test fails.
        QTimer::singleShot(5000, &m_timers, [this] {
            timedOut = true;
            QApplication::exit();
        });
        QTimer::singleShot(0, &m_timers, [this] {
            std::raise(SIGTERM);
            // Seen by long work before the loop reads the signal's pipe.
            requestSeenAtOnce = CQuitRequest::IsRequested() && CQuitRequest::GetSignal() == SIGTERM;
        });
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Asking"), QStringLiteral("Settings were reset."),
                        QMessageBox::Ok);
        box.exec();
        boxDismissed = true;
        return true;
    }
    int ExitInstance() override
    {
        exited = true;
        return CWinApp::ExitInstance();
    }

    bool boxDismissed = false;
    bool exited = false;
    bool timedOut = false;
    bool requestSeenAtOnce = false;

private:
    // Its timers go with the program object.
    QObject m_timers;
};

// Fixed: a termination signal while start-up showed a message box killed the program
// without its exit.
TEST(WinAppTest, ATerminationSignalDuringAStartUpMessageBoxEndsTheProgramThroughItsExit)
{
    uitest::EnsureQtApplication();
    CAskingApp app;
    char name[] = "asking";
    char* argv[] = {name, nullptr};
    EXPECT_EQ(app.Run(1, argv), 0);
    EXPECT_TRUE(app.boxDismissed);
    EXPECT_TRUE(app.IsQuitRequested());
    EXPECT_TRUE(app.exited);
    EXPECT_FALSE(app.timedOut);
    EXPECT_TRUE(app.requestSeenAtOnce);
    // A write past the file-size limit fails instead of ending the program.
    struct sigaction fileSizeAction{};
    ::sigaction(SIGXFSZ, nullptr, &fileSizeAction);
    EXPECT_EQ(fileSizeAction.sa_handler, SIG_IGN);
}

// A store that counts its writes to the file.
class CCountingStore : public CSettingsStore
{
public:
    using CSettingsStore::CSettingsStore;
    int writes = 0;

protected:
    bool ReplaceFile(const std::string& temporaryPath, const std::string& targetPath) override
    {
        ++writes;
        return CSettingsStore::ReplaceFile(temporaryPath, targetPath);
    }
};

// A frame and a program that each keep a few settings as they close.
class CSavingFrame : public CFrameWnd
{
public:
    void OnClose() override
    {
        WriteProfileInt(CString("Frame"), CString("Width"), 640);
        WriteProfileInt(CString("Frame"), CString("Height"), 480);
        CFrameWnd::OnClose();
    }
};

class CSavingApp : public CWinApp
{
public:
    CSavingApp() : CWinApp(CString("Saving")) {}

    bool InitInstance() override
    {
        if (!m_frame.LoadFrame())
            return false;
        m_pMainWnd = &m_frame;
        m_frame.GetWindow()->show();
        QTimer::singleShot(0, m_frame.GetWindow(), [this] { m_frame.GetWindow()->close(); });
        return true;
    }
    int ExitInstance() override
    {
        WriteProfileInt(CString("Exit"), CString("First"), 1);
        WriteProfileInt(CString("Exit"), CString("Second"), 2);
        return CWinApp::ExitInstance();
    }

private:
    CSavingFrame m_frame;
};

// Fixed: closing the program wrote the settings file once for every setting it kept.
TEST(WinAppTest, ClosingTheProgramWritesItsSettingsFileOnce)
{
    uitest::EnsureQtApplication();
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("glimra-exit-" + std::to_string(::getpid()));
    {
        CCountingStore store(CString::FromUtf8((folder / "registry.json").string()));
        SetProfileStore(&store);
        {
            CSavingApp app;
            char name[] = "saving";
            char* argv[] = {name, nullptr};
            EXPECT_EQ(app.Run(1, argv), 0);
        }
        SetProfileStore(nullptr);
        EXPECT_EQ(store.writes, 1);
        CCountingStore reread(CString::FromUtf8((folder / "registry.json").string()));
        SetProfileStore(&reread);
        EXPECT_EQ(GetProfileInt(CString("Frame"), CString("Height"), 0), 480);
        EXPECT_EQ(GetProfileInt(CString("Exit"), CString("Second"), 0), 2);
        SetProfileStore(nullptr);
    }
    std::filesystem::remove_all(folder);
}

// A model file that holds nothing; its writes meet the system's error given (0: none).
class CFailingDocument : public CDocument
{
public:
    void Serialize(CArchive& archive) override
    {
        if (archive.IsStoring() && failWith != 0)
            throw CFileException(CFileException::OsErrorToCause(failWith), failWith);
    }
    int failWith = 0;
};

// Opens its model in a window and, once the loop runs, does `then` (Ctrl+S, a signal); its
// exit does `atExit` before the recent files are written.
class CModelApp : public CWinApp
{
public:
    CModelApp(std::filesystem::path model, std::function<void(CModelApp&)> then)
        : CWinApp(CString("Model")), m_model(std::move(model)), m_then(std::move(then))
    {
    }

    bool InitInstance() override
    {
        LoadStdProfileSettings(4);
        AddDocTemplate(std::make_unique<CSingleDocTemplate>(
            0, [] { return new CFailingDocument; }, [] { return new CFrameWnd; }, [] { return new CView; }));
        if (OpenDocumentFile(CString::FromUtf8(m_model.string())) == nullptr)
            return false;
        m_pMainWnd->GetWindow()->show();
        QTimer::singleShot(0, m_pMainWnd->GetWindow(), [this] { m_then(*this); });
        return true;
    }
    int ExitInstance() override
    {
        if (atExit)
            atExit();
        return CWinApp::ExitInstance();
    }
    [[nodiscard]] CFailingDocument& Document() const
    {
        return static_cast<CFailingDocument&>(*GetDocTemplate()->GetDocument());
    }

    std::function<void()> atExit;

private:
    std::filesystem::path m_model;
    std::function<void(CModelApp&)> m_then;
};

// Fixed: SIGTERM while a failed save's box was up closed the box and the window, then the
// save offered Save As on its own, kept the program running, and wrote no name given there.
TEST(WinAppTest, ATerminationSignalDuringAFailedSavesBoxEndsTheProgramAndSaysTheSaveWasNotWritten)
{
    namespace fs = std::filesystem;
    const uitest::AlarmGuard alarm(60);
    uitest::EnsureQtApplication();
    uitest::MemorySettings settings;
    const fs::path folder = fs::temp_directory_path() / ("glimra-quit-save-" + std::to_string(::getpid()));
    for (const bool folderReplaced : {false, true})
    {
        SCOPED_TRACE(folderReplaced ? "its folder replaced by a file" : "a full disk");
        fs::create_directories(folder / "models");
        const fs::path model = folder / "models" / "model.twk";
        std::ofstream(model) << "old";
        int prompts = 0;
        std::vector<CString> boxes;
        // The signal comes while the box is up.
        const MessageBoxSink sink = SetMessageBoxSink([&boxes](const CMessageBoxCall& call) {
            boxes.push_back(call.text);
            std::raise(SIGTERM);
            return IDOK;
        });
        CModelApp app(model, [&](CModelApp& running) {
            running.Document().failWith = folderReplaced ? 0 : ENOSPC;
            if (folderReplaced)
            {
                fs::remove_all(folder / "models");
                std::ofstream(folder / "models") << "a file";
            }
            SetSavePathPrompt([&](CString& answer) {
                ++prompts;
                running.Document().failWith = 0;
                answer = CString::FromUtf8((folder / "elsewhere.twk").string());
                return true;
            });
            running.m_pMainWnd->SendCommand(ID_FILE_SAVE);
        });
        char name[] = "model";
        char* argv[] = {name, nullptr};
        ::testing::internal::CaptureStderr();
        const int code = app.Run(1, argv);
        const std::string said = ::testing::internal::GetCapturedStderr();
        SetSavePathPrompt({});
        SetMessageBoxSink(sink);
        EXPECT_EQ(code, 0);
        EXPECT_TRUE(app.IsQuitRequested());
        EXPECT_EQ(boxes.size(), 1u);
        EXPECT_EQ(prompts, 0) << "no Save As once the program is asked to end";
        EXPECT_FALSE(fs::exists(folder / "elsewhere.twk"));
        EXPECT_NE(said.find("Unable to save \"" + model.string() + "\"."), std::string::npos) << said;
        if (!folderReplaced)
        {
            std::ifstream old(model);
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), {}), "old");
        }
        fs::remove_all(folder);
    }
}

// Every termination signal, twice.
void RaiseBurst()
{
    for (const int signal : {SIGTERM, SIGHUP, SIGINT, SIGTERM, SIGHUP, SIGINT})
        std::raise(signal);
}

// As the program's own run: opens a model with its recent files kept in a settings file,
// is asked to end by the signal, and meets a burst of every termination signal in its exit
// before it writes the recent files, and another once the program object has gone; in a
// child, which exits 0 when the run ended through its exit and the file lists the model.
[[noreturn]] void QuitAndReadRecentFiles(int signal)
{
    namespace fs = std::filesystem;
    const uitest::AlarmGuard alarm(60);
    uitest::EnsureQtApplication();
    const fs::path folder = fs::temp_directory_path() / ("glimra-quit-recent-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const fs::path model = folder / "model.twk";
    std::ofstream(model) << "";
    const CString settingsFile = CString::FromUtf8((folder / "registry.json").string());
    int code = -1;
    {
        CSettingsStore store(settingsFile);
        SetProfileStore(&store);
        CModelApp app(model, [signal](CModelApp&) { std::raise(signal); });
        app.KeepQuitSignalsToProcessEnd();
        app.atExit = RaiseBurst;
        char name[] = "model";
        char* argv[] = {name, nullptr};
        code = app.Run(1, argv);
        SetProfileStore(nullptr);
    }
    RaiseBurst();
    CSettingsStore written(settingsFile);
    SetProfileStore(&written);
    const CString listed = GetProfileString(CString("Recent File List"), CString("File1"), CString());
    SetProfileStore(nullptr);
    fs::remove_all(folder);
    std::_Exit(code != 0 ? 2 : listed == CString::FromUtf8(model.string()) ? 0 : 3);
}

// Fixed: SIGHUP (a closed terminal) ended the program at once, losing the recent files, and
// a later SIGTERM of a burst cut the orderly exit short.
TEST(WinAppTest, AHangUpEndsTheProgramThroughItsExitAndNoLaterSignalCutsThatExit)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const int signal : {SIGHUP, SIGTERM})
    {
        SCOPED_TRACE(strsignal(signal));
        EXPECT_EXIT(QuitAndReadRecentFiles(signal), ::testing::ExitedWithCode(0), "");
    }
}

// Fixed: with no printer installed the page set-up logged that it cannot be used.
TEST(WinAppTest, PageSetUpOpensForPdfOutputWithoutAWarning)
{
    uitest::EnsureQtApplication();
    static QStringList warnings;
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext&, const QString& message) {
            if (type == QtWarningMsg)
                warnings << message;
        });
    bool shown = false;
    const ModalDialogSink sink = SetModalDialogSink([&shown](QDialog& dialog) {
        shown = qobject_cast<QPageSetupDialog*>(&dialog) != nullptr;
        return static_cast<int>(QDialog::Accepted);
    });
    EXPECT_TRUE(RunPrintSetup(nullptr));
    SetModalDialogSink(sink);
    qInstallMessageHandler(previous);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join(QStringLiteral("; ")).toStdString();
}

}  // namespace
