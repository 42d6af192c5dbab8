#include "platform/ui/winapp.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QFileInfo>
#include <QMainWindow>
#include <QSocketNotifier>
#include <QWidget>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include "platform/profile.h"
#include "platform/quitrequest.h"
#include "platform/ui/appprinter.h"
#include "platform/ui/commandlineinfo.h"
#include "platform/ui/doctemplate.h"
#include "platform/ui/document.h"
#include "platform/ui/framewnd.h"
#include "platform/ui/heldkeys.h"
#include "platform/ui/quitwatchdog.h"
#include "platform/ui/recentfilelist.h"
#include "platform/ui/uitypes.h"

namespace {

CWinApp*& CurrentApp()
{
    static CWinApp* app = nullptr;
    return app;
}

// The write end of the pipe through which a termination signal reaches the loop; a
// signal handler may do no more than write to it and set the quit request, which long
// work polls while the loop waits for it. An interface thread stuck where it polls nothing
// (a read that never returns) hears neither: the watchdog, woken too, ends the process then.
int g_quitSignalPipe[2] = {-1, -1};

// A closed terminal or a dropped session (SIGHUP) asks the program to end as `kill` does.
constexpr int kQuitSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Whether the signal's current action is the one given.
bool HasAction(int signal, void (*handler)(int))
{
    struct sigaction current{};
    return ::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == handler;
}

extern "C" void OnQuitSignal(int signal)
{
    // The interrupted code may be about to read errno, which a failed write here would set.
    const int interruptedError = errno;
    CQuitRequest::Request(signal);
    const char byte = 1;
    (void)!::write(g_quitSignalPipe[1], &byte, 1);
    CQuitWatchdog::Wake(signal);
    errno = interruptedError;
}

CString AbsolutePath(const CString& path)
{
    return CString::FromUtf8(QFileInfo(QString::fromStdString(path.ToUtf8())).absoluteFilePath().toStdString());
}

}  // namespace

CWinApp* AfxGetApp()
{
    return CurrentApp();
}

CWinApp::CWinApp(const CString& appName) : m_appName(appName), m_quitWatchdog(std::make_unique<CQuitWatchdog>())
{
    CurrentApp() = this;
}

CWinApp::~CWinApp()
{
    m_docTemplate.reset();
    if (CurrentApp() == this)
        CurrentApp() = nullptr;
}

int CWinApp::Run(int argc, char** argv)
{
    m_arguments.clear();
    for (int i = 0; i < argc; ++i)
        m_arguments.push_back(CString::FromUtf8(argv[i]));
    m_argc = argc;
    if (QApplication::instance() == nullptr)
        m_qtApp = std::make_unique<QApplication>(m_argc, argv);
    CHeldKeys::ReportRepeatsAsPressesOnly();
    QApplication::setApplicationName(QString::fromStdString(m_appName.ToUtf8()));
    // Installed before start-up, whose message boxes run loops of their own.
    CQuitRequest::Clear();
    // A write past the file-size limit then fails with an error that the save reports,
    // instead of killing the program with its changes and a half-written file.
    std::signal(SIGXFSZ, SIG_IGN);
    const bool quitOnSignal = InstallQuitSignals();
    const bool started = InitInstance();
    // A signal taken during start-up's own long work (the first read or frame) has only
    // set the request so far: its pipe is read in the loop, which is then not entered.
    if (started && !CQuitRequest::IsRequested())
    {
        m_inMessageLoop = true;
        QApplication::exec();
        m_inMessageLoop = false;
    }
    else if (started)
    {
        CloseMainWindow();
    }
    // The handler stays through the exit, so that a later signal of a burst, or a hang-up
    // after a kill, only asks again instead of cutting the exit short before it has written
    // the settings; the watchdog still ends an exit that stands still.
    HoldSettingsUntilExit();
    const int code = ExitInstance();
    m_docTemplate.reset();
    if (quitOnSignal && !m_keepQuitSignals)
        RemoveQuitSignals();
    // No loop hears the pipe any more; a signal now only asks again, until the process ends.
    m_quitNotifier.reset();
    // The request ends with the run, so that later work in the process is drawn and saved
    // whole; the program object keeps whether it came.
    m_quitRequested = CQuitRequest::IsRequested();
    CQuitRequest::Clear();
    // A start-up that failed (a model it could not read, no view) is a failed run; one
    // that gave up because the program was asked to end is not.
    return started || m_quitRequested ? code : 1;
}

void CWinApp::CloseMainWindow()
{
    if (m_pMainWnd != nullptr && m_pMainWnd->GetWindow() != nullptr)
        m_pMainWnd->GetWindow()->close();
}

void CWinApp::OnQuitRequested()
{
    CQuitRequest::Request();
    // Message boxes open at that moment give way, as if they were dismissed; one that
    // cannot be dismissed (no Cancel of its own) stays.
    constexpr int kMaxNestedBoxes = 16;
    for (int i = 0; i < kMaxNestedBoxes; ++i)
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->close())
            break;
    }
    if (!m_inMessageLoop)
        return;
    // Closing the main window saves what closing by hand saves, then ends the loop.
    if (m_pMainWnd != nullptr && m_pMainWnd->GetWindow() != nullptr)
        CloseMainWindow();
    else
        QApplication::quit();
}

bool CWinApp::IsExitKey(const QKeyEvent& key) const
{
    const QAction* exit = m_pMainWnd != nullptr ? m_pMainWnd->GetAction(ID_APP_EXIT) : nullptr;
    return exit != nullptr && !exit->shortcut().isEmpty() &&
           QKeySequence(key.keyCombination()) == exit->shortcut();
}

bool CWinApp::InstallQuitSignals()
{
    if (::pipe2(g_quitSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    m_quitNotifier = std::make_unique<QSocketNotifier>(g_quitSignalPipe[0], QSocketNotifier::Read);
    QObject::connect(m_quitNotifier.get(), &QSocketNotifier::activated, [this] {
        char byte = 0;
        while (::read(g_quitSignalPipe[0], &byte, 1) > 0)
        {
        }
        OnQuitRequested();
    });
    // Without its watcher a signal still reaches a loop that runs.
    (void)m_quitWatchdog->Start();
    struct sigaction action{};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kQuitSignals)
    {
        // A program started to outlive its terminal (nohup) keeps ignoring the hang-up.
        if (signal != SIGHUP || !HasAction(SIGHUP, SIG_IGN))
            ::sigaction(signal, &action, nullptr);
    }
    return true;
}

void CWinApp::RemoveQuitSignals()
{
    for (const int signal : kQuitSignals)
        if (HasAction(signal, OnQuitSignal))
            std::signal(signal, SIG_DFL);
    m_quitWatchdog->Stop();
    m_quitNotifier.reset();
    ::close(g_quitSignalPipe[0]);
    ::close(g_quitSignalPipe[1]);
    g_quitSignalPipe[0] = g_quitSignalPipe[1] = -1;
}

int CWinApp::ExitInstance()
{
    if (m_recentFiles != nullptr)
        m_recentFiles->WriteList();
    ReleaseSettings();
    return 0;
}

void CWinApp::HoldSettingsUntilExit()
{
    if (m_settingsHold == nullptr)
        m_settingsHold = std::make_unique<CSettingsStore::CBatch>(GetProfileStore());
}

void CWinApp::ReleaseSettings()
{
    m_settingsHold.reset();
}

void CWinApp::SetRegistryKey(const CString& company)
{
    SetProfileRoot(company, m_appName);
}

void CWinApp::LoadStdProfileSettings(int recentFileCount)
{
    m_recentFiles = std::make_unique<CRecentFileList>(CString("Recent File List"), CString("File%d"),
                                                      recentFileCount);
    m_recentFiles->ReadList();
}

void CWinApp::AddToRecentFileList(const CString& path)
{
    if (m_recentFiles != nullptr)
        m_recentFiles->Add(path);
}

void CWinApp::AddDocTemplate(std::unique_ptr<CSingleDocTemplate> docTemplate)
{
    m_docTemplate = std::move(docTemplate);
}

CDocument* CWinApp::OpenDocumentFile(const CString& path)
{
    if (m_docTemplate == nullptr)
        return nullptr;
    // A path relative to the folder the program was started in names nothing once the
    // recent-file list reads it elsewhere: the document and the list get the whole path.
    const CString whole = path.IsEmpty() ? path : AbsolutePath(path);
    CDocument* document = m_docTemplate->OpenDocumentFile(whole);
    if (m_pMainWnd == nullptr)
        m_pMainWnd = m_docTemplate->GetFrame();
    if (document != nullptr && !whole.IsEmpty())
        AddToRecentFileList(whole);
    return document;
}

void CWinApp::OnFileNew()
{
    OpenDocumentFile(CString());
}

void CWinApp::OnFilePrintSetup()
{
    RunPrintSetup(m_pMainWnd != nullptr ? m_pMainWnd->GetWindow() : nullptr);
}

bool CWinApp::OnOpenRecentFile(UINT id)
{
    if (m_recentFiles == nullptr)
        return false;
    const int index = static_cast<int>(id - ID_FILE_MRU_FILE1);
    if (index < 0 || index >= m_recentFiles->GetCount())
        return false;
    const CString path = (*m_recentFiles)[index];
    if (OpenDocumentFile(path) == nullptr)
        m_recentFiles->Remove(index);
    return true;
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info) const
{
    ParseCommandLineArguments(m_arguments, info);
}

bool CWinApp::ProcessShellCommand(CCommandLineInfo& info)
{
    switch (info.m_nShellCommand)
    {
    case CCommandLineInfo::FileNew: return OpenDocumentFile(CString()) != nullptr;
    case CCommandLineInfo::FileOpen: return OpenDocumentFile(info.m_strFileName) != nullptr;
    default: return true;
    }
}

bool CWinApp::OnCmdMsg(UINT id, CCmdUI* ui)
{
    if (id >= ID_FILE_MRU_FILE1 && id <= ID_FILE_MRU_LAST && m_recentFiles != nullptr &&
        !GetCommands().Find(id))
    {
        const int index = static_cast<int>(id - ID_FILE_MRU_FILE1);
        if (ui != nullptr)
        {
            // An empty list shows one greyed "Recent File" item; unused items hide.
            const bool used = index < m_recentFiles->GetCount();
            ui->Enable(used);
            ui->SetVisible(used || index == 0);
            ui->SetText(used ? CString::Formatted("&%d %s", index + 1, (*m_recentFiles)[index])
                             : CString("Recent File"));
            return true;
        }
        return OnOpenRecentFile(id);
    }
    return HandleOwnCommand(id, ui);
}
