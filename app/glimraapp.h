#pragma once
// CGlimraApp: the program. InitInstance brings the single-document program up in a fixed
// order (language, OpenGL configuration, profile, recent files, document template, the
// file on the command line, file association, window placement, bars, slideshow, the
// graphics-card check); ExitInstance takes the program's own objects down.
#include <chrono>
#include <memory>
#include <thread>

#include "app/langhandler.h"
#include "platform/ui/winapp.h"

class CDisplaySettingsDlg;
class CGlimraView;
class CInputProbe;
class CMainFrame;
class CModelInfoDlg;
class CShadowPS;
class QTimer;

class CGlimraApp : public CWinApp
{
public:
    CGlimraApp();
    ~CGlimraApp() override;

    bool InitInstance() override;
    // Ends the tool windows and the document, then the framework's part (recent files,
    // settings written). With the model left at exit, the document's model is not taken
    // apart: EndProcess must follow.
    int ExitInstance() override;
    // For the program's own run only (main): the model is left for the process's end,
    // which EndProcess brings once the program object is gone; so is what a read given up
    // for a quit had read.
    void LeaveModelAtExit();
    // Ends the process with the code: the settings are written, the standard streams
    // flushed, and no static object is destroyed; what a model left at exit held goes
    // with the process. Never returns.
    [[noreturn]] static void EndProcess(int code);
    // Opens the recent file, then tells the interface the model may have changed.
    bool OnOpenRecentFile(UINT id) override;
    // Every id the command registry knows is a popup-menu item and goes to its command,
    // however many menus came before; then the recent files and the application's rows.
    bool OnCmdMsg(UINT id, CCmdUI* ui) override;

    [[nodiscard]] CMainFrame* GetMainFrame() const;
    [[nodiscard]] CGlimraView* GetActiveGlimraView() const;
    [[nodiscard]] const CLangHandler& GetLangHandler() const { return m_langHandler; }
    // Starts opening the OpenGL display on a thread of its own, before anything else is
    // set up: loading the driver is the longest step of start-up and needs nothing of the
    // rest. The view's first device waits for it if it is not done.
    void StartOpeningDisplay();

    // The tool windows, made with their windows on first use; the focus stays with the
    // main window.
    CModelInfoDlg* GetModelInfoDlg();
    CDisplaySettingsDlg* GetDisplaySettingsDlg();
    CShadowPS* GetShadowSettingsWindow();
    [[nodiscard]] bool IsShadowSettingsVisible() const;
    // Shows the model info window, on the page of that title unless the id is -1.
    void ShowModelInfo(int pageTitleId);

protected:
    // The known graphics-card list's verdict on the view's renderer, asked once per
    // OpenGL configuration while it is accelerated: false makes start-up replace the view
    // by one with a newly chosen (then unaccelerated) pixel format.
    virtual bool CheckGraphicsCard(CGlimraView& view);

private:
    void AddCommands();
    void AddToolWindowCommands();
    void DestroyToolWindows();
    void OnFileOpen();
    void OnWindowPreferences();
    void OnAppAbout();
    void OnDynamicCommand(UINT id);
    // Flag grayed disables the item, flag checked checks it.
    void OnUpdateDynamicCommand(CCmdUI& ui);
    void InstallDisplayMetrics();
    // The faces and edges of a model emptied as a whole go in slices of the idle loop
    // (model/wholemodelrelease.h), from the next model's first frame on, so that model
    // shows first and the window answers meanwhile.
    void InstallIdleRelease();
    // One slice, once the view has drawn the frame that followed the wake.
    void LetGoIdleSlice();
    // Left pending at the program's end, they go with the process when the model is left
    // at exit, else now.
    void RemoveIdleRelease();
    void PostResyncUI();
    void WaitForDisplay();

    CLangHandler m_langHandler;
    std::unique_ptr<CModelInfoDlg> m_modelInfo;
    std::unique_ptr<CDisplaySettingsDlg> m_displaySettings;
    // Opens the OpenGL display while the rest of the program starts.
    std::thread m_displayOpener;
    std::unique_ptr<CShadowPS> m_shadowSettings;
    bool m_leaveModelAtExit = false;
    // Frames of the view stop for the user's input while it is installed.
    std::unique_ptr<CInputProbe> m_inputProbe;
    // Lets a model that went as a whole go in slices while the loop is idle.
    std::unique_ptr<QTimer> m_releaseTimer;
    // The view's frames drawn when the slices were woken, and when that was.
    int m_framesAtWake = 0;
    std::chrono::steady_clock::time_point m_wakeTime;
};

// The program object; null before it exists.
[[nodiscard]] CGlimraApp* GetGlimraApp();
