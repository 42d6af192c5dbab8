#include "platform/ui/winapp.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QObject>
#include <QPageSetupDialog>
#include <QTimer>
#include <csignal>
#include <filesystem>
#include <unistd.h>

#include "platform/quitrequest.h"
#include "platform/ui/appprinter.h"
#include "platform/ui/framewnd.h"
#include "platform/ui/modaldialog.h"
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
