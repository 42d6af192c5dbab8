#pragma once
// CWinApp: the program object. Run makes the Qt application, calls InitInstance, runs the
// message loop while InitInstance answered true, then calls ExitInstance. It keeps the
// document template, the recent-file list and the application-level commands. From before
// InitInstance on, SIGTERM, SIGINT and SIGHUP (unless the program was started ignoring it)
// dismiss an open message box and close the main window as the user would (at once in the
// loop, else once start-up is over, without entering the loop), so the program ends through
// ExitInstance; until that is over a further signal only asks again, so that none cuts the
// end short (in a process that ends after its run, until the process ends). Should the
// interface thread be stuck where it hears no signal (a read that never returns, an exit
// that stands still), a watchdog (CQuitWatchdog) ends the process by the signal once that
// thread has stood still for a few seconds.
#include <memory>
#include <vector>

#include "platform/cstring.h"
#include "platform/settingsstore.h"
#include "platform/ui/cmdtarget.h"

class CCommandLineInfo;
class CDocument;
class CFrameWnd;
class CQuitWatchdog;
class CRecentFileList;
class CSingleDocTemplate;
class QApplication;
class QKeyEvent;
class QSocketNotifier;

class CWinApp : public CCmdTarget
{
public:
    // The application name names the profile's key.
    explicit CWinApp(const CString& appName);
    ~CWinApp() override;

    // The program's entry: the exit code; 1 when InitInstance answered false.
    int Run(int argc, char** argv);
    virtual bool InitInstance() { return true; }
    virtual int ExitInstance();

    // The profile moves to "Software\<company>\<application name>".
    void SetRegistryKey(const CString& company);
    // Reads the recent-file list of that many entries (section "Recent File List").
    void LoadStdProfileSettings(int recentFileCount);
    void AddToRecentFileList(const CString& path);
    [[nodiscard]] CRecentFileList* GetRecentFileList() const { return m_recentFiles.get(); }

    void AddDocTemplate(std::unique_ptr<CSingleDocTemplate> docTemplate);
    [[nodiscard]] CSingleDocTemplate* GetDocTemplate() const { return m_docTemplate.get(); }
    // Opens the file (a relative path taken whole) in the template's document; adds it to
    // the recent files on success.
    virtual CDocument* OpenDocumentFile(const CString& path);
    void OnFileNew();
    // The printer set-up dialog over the main window.
    void OnFilePrintSetup();
    // The recent-file command of that id (from 57616); a file that fails to open leaves
    // the list. True: the command was handled.
    virtual bool OnOpenRecentFile(UINT id);

    // The arguments Run was given.
    void ParseCommandLine(CCommandLineInfo& info) const;
    // A new document or the file the command line names; false when that fails.
    bool ProcessShellCommand(CCommandLineInfo& info);

    // Recent files, then the application's own rows.
    bool OnCmdMsg(UINT id, CCmdUI* ui) override;

    [[nodiscard]] const CString& GetAppName() const { return m_appName; }
    [[nodiscard]] const std::vector<CString>& GetArguments() const { return m_arguments; }
    void SetArguments(std::vector<CString> arguments) { m_arguments = std::move(arguments); }

    CFrameWnd* m_pMainWnd = nullptr;

    // From the main window's close to the end of ExitInstance the program writes many
    // settings; they reach the file in one write, when the hold ends.
    void HoldSettingsUntilExit();
    // Ends the hold, writing what is pending; ExitInstance does it last.
    void ReleaseSettings();

    // What a termination signal does once the loop sees it: it sets the quit request
    // (CQuitRequest), which the run reads.
    void OnQuitRequested();
    // Whether the key is the main window's exit key (its Exit command's shortcut); windows
    // that hold the keyboard away from the main window hand it on with OnQuitRequested.
    [[nodiscard]] bool IsExitKey(const QKeyEvent& key) const;
    // Whether the last run ended because the program was asked to end.
    [[nodiscard]] bool IsQuitRequested() const { return m_quitRequested; }
    // The process ends once the program object has gone (the program's own run): the
    // termination signals keep their handler after the run, so that a later one of a burst
    // does not cut that end short either.
    void KeepQuitSignalsToProcessEnd() { m_keepQuitSignals = true; }

private:
    bool InstallQuitSignals();
    void RemoveQuitSignals();
    void CloseMainWindow();

    CString m_appName;
    std::vector<CString> m_arguments;
    std::unique_ptr<CRecentFileList> m_recentFiles;
    std::unique_ptr<CSingleDocTemplate> m_docTemplate;
    // Qt keeps a reference to the argument count for the application's life.
    int m_argc = 0;
    std::unique_ptr<QApplication> m_qtApp;
    std::unique_ptr<QSocketNotifier> m_quitNotifier;
    std::unique_ptr<CQuitWatchdog> m_quitWatchdog;
    // Kept from the quit request when a run ends, which forgets the request itself.
    bool m_quitRequested = false;
    std::unique_ptr<CSettingsStore::CBatch> m_settingsHold;
    bool m_inMessageLoop = false;
    bool m_keepQuitSignals = false;
};

// The one program object (the most recently constructed); null before it exists.
[[nodiscard]] CWinApp* AfxGetApp();
