#pragma once
// CMainFrame: the program's main window with its four toolbars (Standard, Camera, Display
// Style, Views), the Shadows bar, the page tabs and the status bar, the menus and the accelerator keys. It switches the toolbars between large and small buttons,
// answers the View > Toolbars commands, and keeps its placement ("MainFrame"), the bars'
// state ("Toolbars") and the button size ("IconSize" in "Toolbars-Summary") in the profile.
#include <array>

#include "app/glimrastatusbar.h"
#include "app/pagetabs.h"
#include "app/shadowtoolbar.h"
#include "app/toolbarcustom.h"
#include "platform/ui/framewnd.h"

class CMainFrame : public CFrameWnd
{
public:
    CMainFrame();
    ~CMainFrame() override;

    int OnCreate() override;
    // The Shadows bar's buttons first, then the framework's route.
    bool OnCmdMsg(UINT id, CCmdUI* ui) override;
    // The bar toggles of the View menu, with their words.
    QMenu* CreateBarsMenu() override;
    // Saves the bar state, the button size and the placement, then closes.
    void OnClose() override;
    CRect GetInitialRect() const override;

    // The stored placement, unless it lies wholly off the screens; a minimised window
    // comes back normal. False when nothing was applied.
    bool RestoreWindowPlacement();
    void SaveWindowState();

    // Helpers of the host services: pane 0 for an id of 0 or one not found.
    void SetStatusText(UINT paneId, const CString& text, bool update);
    [[nodiscard]] CString GetStatusText(UINT paneId) const;
    void SetStatusTextFromResource(UINT paneId, int stringId, bool update);
    bool SetPaneHighlight(UINT paneId, bool on);
    [[nodiscard]] bool IsValuePaneHighlighted() const;
    void ClearStatusBarText();
    void ShowPageTabs(bool show);
    // No tab selected afterwards; returns the index that was.
    int ClearPageTabSelection();
    [[nodiscard]] CPageTabs& GetPageTabs() { return m_pageTabs; }
    [[nodiscard]] CShadowToolBar& GetShadowBar() { return m_shadowBar; }

    // Flips every toolbar between small and large buttons, keeping their wrap widths.
    void ToggleButtonSize();

    [[nodiscard]] CGlimraStatusBar& GetStatusBar() { return m_statusBar; }
    // Standard, Camera, Display Style, Views.
    [[nodiscard]] CToolBarCustom& GetToolBar(int index) { return m_toolBars[static_cast<size_t>(index)]; }
    [[nodiscard]] bool HasSmallButtons() const { return m_smallButtons; }

private:
    void AddCommands();
    void AddMenus();
    void AddAccelerators();
    void ToggleBar(CControlBar& bar);
    [[nodiscard]] int PaneIndex(UINT paneId) const;

    CGlimraStatusBar m_statusBar;
    CPageTabs m_pageTabs;
    std::array<CToolBarCustom, 4> m_toolBars;
    CShadowToolBar m_shadowBar;
    bool m_smallButtons = false;
};
