#pragma once
// CFrameWnd: the program's main window. It holds the active view in its middle, its menus,
// toolbars and status bar, routes commands (view and document first, then its own rows,
// then the application), refreshes the commands' enabled and checked states from their
// update rules, keeps its placement, docks bars, saves the bars' state, and takes files
// dropped on it.
#include <map>
#include <vector>

#include "platform/cstring.h"
#include "platform/ui/cmdtarget.h"
#include "platform/ui/uitypes.h"

class CControlBar;
class CDocument;
class CFrameWidget;
class CView;
class QAction;
class QMainWindow;
class QMenu;

// Sides a bar docks to, and the alignment flags of a bar.
inline constexpr DWORD CBRS_ALIGN_LEFT = 0x1000;
inline constexpr DWORD CBRS_ALIGN_TOP = 0x2000;
inline constexpr DWORD CBRS_ALIGN_RIGHT = 0x4000;
inline constexpr DWORD CBRS_ALIGN_BOTTOM = 0x8000;
inline constexpr DWORD CBRS_ALIGN_ANY = 0xF000;

class CFrameWnd : public CCmdTarget
{
public:
    CFrameWnd();
    ~CFrameWnd() override;

    // Makes the window at the initial rectangle, then OnCreate; false (and no window)
    // when OnCreate answers -1.
    bool LoadFrame();
    [[nodiscard]] QMainWindow* GetWindow() const;

    // Puts the view in the middle of the frame and makes it the active view.
    void SetActiveView(CView* view);
    [[nodiscard]] CView* GetActiveView() const { return m_activeView; }
    [[nodiscard]] CDocument* GetActiveDocument() const;

    bool OnCmdMsg(UINT id, CCmdUI* ui) override;
    // Runs a command now, as a menu choice would.
    bool SendCommand(UINT id);
    // Runs a command once the message loop runs again.
    void PostCommand(UINT id);
    // The menu and toolbar action of a command, made on first use with its command text,
    // its string's prompt as status tip and its string's tool tip, sending the command
    // when chosen.
    QAction* GetAction(UINT id);
    // The text of the first row along the command route (active view, its document, the
    // frame, the application) that has one; else the tool tip of the command's string.
    [[nodiscard]] CString GetCommandText(UINT id) const;
    // Fills every action's state from the update rules, as the idle update does.
    void UpdateCommandUI();
    // A key pressed in another of the program's windows: the active view takes it
    // first, then the frame's accelerator keys. True when one of them used it.
    bool PreTranslateKey(const CKeyMessage& key);
    // A menu of commands, 0 for a separator.
    QMenu* AddMenu(const CString& title, const std::vector<UINT>& ids);
    // Appends commands (0 for a separator) to a menu, or a submenu of them.
    void AppendToMenu(QMenu& menu, const std::vector<UINT>& ids);
    QMenu* AddSubMenu(QMenu& menu, const CString& title, const std::vector<UINT>& ids);
    // The menu that a right click on the bars' area shows (owned by the caller); null
    // leaves it to the window, which lists its bars by their titles.
    virtual QMenu* CreateBarsMenu() { return nullptr; }

    // Docking: the bar goes to that side (one of the CBRS_ALIGN_ flags), after the bars
    // already there.
    void DockControlBar(CControlBar& bar, DWORD side);
    void ShowControlBar(CControlBar& bar, bool show);
    void RecalcLayout();
    // The bars' docking and visibility under this profile section; a state that cannot be
    // read leaves the bars as they are and answers false.
    void SaveBarState(const CString& section) const;
    bool LoadBarState(const CString& section);

    [[nodiscard]] bool GetWindowPlacement(WINDOWPLACEMENT& placement) const;
    // Moves the window to the normal rectangle and shows it in the stored state.
    bool SetWindowPlacement(const WINDOWPLACEMENT& placement);
    void ShowWindow(int showCommand);
    [[nodiscard]] bool IsWindowVisible() const;
    // Activates the window with the keyboard in its active view.
    void SetFocus();
    void UpdateWindow();
    void SetWindowText(const CString& text);

    void DragAcceptFiles(bool accept = true);
    // Files dropped on the frame; the base opens the first through the application.
    virtual void OnDropFiles(const std::vector<CString>& paths);

    // Window events.
    virtual int OnCreate() { return 0; }
    // The base closes the window.
    virtual void OnClose();
    virtual void OnSize(int type, int width, int height) {}
    // The rectangle the window is made at; the base keeps Qt's choice (an empty rectangle).
    virtual CRect GetInitialRect() const { return {}; }
    void DestroyWindow();

    // Called by the window.
    void HandleCloseRequest(bool& accept);

private:
    CFrameWidget* m_window = nullptr;
    CView* m_activeView = nullptr;
    std::map<UINT, QAction*> m_actions;
    bool m_closing = false;
};
