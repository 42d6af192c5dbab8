#include "app/mainframe.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QKeySequence>
#include <QMainWindow>
#include <QScreen>
#include <iterator>
#include <utility>
#include <vector>

#include "app/frameplacement.h"
#include "app/glimraview.h"
#include "app/resourceids.h"
#include "platform/profile.h"
#include "platform/ui/stringtable.h"

namespace {

const CString kSummarySection("Toolbars-Summary");
const CString kBarStateSection("Toolbars");

const CToolbarDefinition& Definition(int index)
{
    switch (index)
    {
    case 0: return GetStandardToolbar();
    case 1: return GetCameraToolbar();
    case 2: return GetDisplayStyleToolbar();
    default: return GetViewsToolbar();
    }
}

// The size of the primary screen; a common size when no screen is known.
void PrimaryScreenSize(int& width, int& height)
{
    width = 1280;
    height = 1024;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
    {
        width = screen->geometry().width();
        height = screen->geometry().height();
    }
}

// The commands that show and hide the bars, in the View menu's order.
constexpr UINT kBarToggleIds[] = {ID_VIEW_STANDARD_TOOLBAR, ID_VIEW_CAMERA_TOOLBAR, ID_VIEW_DISPLAY_MODES_TOOLBAR,
                                  ID_VIEW_VIEWS_TOOLBAR, ID_VIEW_SHADOWS_TOOLBAR, ID_VIEW_PAGE_TABS};

}  // namespace

CMainFrame::CMainFrame()
{
    AddCommands();
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::AddCommands()
{
    const struct
    {
        UINT id;
        int bar;
    } toggles[] = {{ID_VIEW_STANDARD_TOOLBAR, 0},
                   {ID_VIEW_CAMERA_TOOLBAR, 1},
                   {ID_VIEW_DISPLAY_MODES_TOOLBAR, 2},
                   {ID_VIEW_VIEWS_TOOLBAR, 3}};
    for (const auto& toggle : toggles)
    {
        CToolBarCustom& bar = m_toolBars[static_cast<size_t>(toggle.bar)];
        GetCommands().Add(
            toggle.id, GetCommandTip(static_cast<int>(toggle.id)), [this, &bar] { ToggleBar(bar); },
            [&bar](CCmdUI& ui) { ui.SetCheck(bar.IsVisible() ? 1 : 0); });
    }
    GetCommands().Add(
        ID_VIEW_PAGE_TABS, CString("Page Tabs"),
        [this] {
            ShowPageTabs(!m_pageTabs.IsVisible());
        },
        [this](CCmdUI& ui) {
            ui.Enable(m_pageTabs.GetTabCount() > 0);
            ui.SetCheck(m_pageTabs.IsVisible() ? 1 : 0);
        });
    GetCommands().Add(
        ID_VIEW_SHADOWS_TOOLBAR, CString("Shadows"), [this] { ToggleBar(m_shadowBar); },
        [this](CCmdUI& ui) { ui.SetCheck(m_shadowBar.IsVisible() ? 1 : 0); });
    GetCommands().Add(
        ID_VIEW_LARGE_BUTTONS, CString("Large Buttons"), [this] { ToggleButtonSize(); },
        [this](CCmdUI& ui) { ui.SetCheck(m_smallButtons ? 0 : 1); });
}

CRect CMainFrame::GetInitialRect() const
{
    int screenWidth = 0;
    int screenHeight = 0;
    PrimaryScreenSize(screenWidth, screenHeight);
    WINDOWPLACEMENT stored;
    const bool hasStored = ReadFramePlacement(stored);
    // Fitted before anything else: a stored size past what the screen holds leaves the
    // view without a drawing surface.
    FitPlacementToScreen(stored);
    // With nothing stored the window asks for what a desktop gives a new main window by default:
    // three quarters of the screen, set in by an eighth.
    const CRect requested{screenWidth / 8, screenHeight / 8, screenWidth / 8 + screenWidth * 3 / 4,
                          screenHeight / 8 + screenHeight * 3 / 4};
    return ComputeInitialFrameRect(hasStored ? &stored : nullptr, requested, screenWidth, screenHeight);
}

bool CMainFrame::OnCmdMsg(UINT id, CCmdUI* ui)
{
    return m_shadowBar.OnCmdMsg(id, ui) || CFrameWnd::OnCmdMsg(id, ui);
}

int CMainFrame::OnCreate()
{
    m_smallButtons = GetProfileInt(kSummarySection, CString("IconSize"), m_smallButtons ? 1 : 0) != 0;
    for (int i = 0; i < static_cast<int>(m_toolBars.size()); ++i)
    {
        const CToolbarDefinition& definition = Definition(i);
        CToolBarCustom& bar = m_toolBars[static_cast<size_t>(i)];
        if (!bar.Create(*this, definition.barId, definition.side))
            return -1;
        bar.SetupButtons(definition.titleStringId, static_cast<int>(definition.buttons.size()),
                         definition.buttons, m_smallButtons);
    }
    if (!m_shadowBar.Create(*this))
        return -1;
    if (const CString title = LoadStringResource(CShadowToolBar::kTitleStringId); !title.IsEmpty())
        m_shadowBar.SetWindowText(title);
    if (!m_smallButtons)
        m_shadowBar.ToggleLayout();
    ShowControlBar(m_shadowBar, false);
    if (!m_statusBar.Create(*this) || !m_statusBar.SetupPanes())
        return -1;
    // Standard first on top, then Views, Display Style and Shadows to its right; Camera on the left.
    DockControlBar(m_toolBars[0], CBRS_ALIGN_TOP);
    DockControlBar(m_toolBars[3], CBRS_ALIGN_TOP);
    DockControlBar(m_toolBars[2], CBRS_ALIGN_TOP);
    DockControlBar(m_shadowBar, CBRS_ALIGN_TOP);
    DockControlBar(m_toolBars[1], CBRS_ALIGN_LEFT);
    if (!m_pageTabs.Create(*this))
        return -1;
    m_pageTabs.SetClickHandler([this](int index) {
        if (auto* view = dynamic_cast<CGlimraView*>(GetActiveView()))
            view->OnPageTabClicked(m_pageTabs.GetTabInfo(index));
    });
    AddMenus();
    AddAccelerators();
    return 0;
}

void CMainFrame::AddMenus()
{
    AddMenu(CString("&File"), {ID_FILE_OPEN, 0, ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT_SETUP, 0,
                               ID_WINDOW_PREFERENCES, 0, ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE1 + 1,
                               ID_FILE_MRU_FILE1 + 2, ID_FILE_MRU_FILE1 + 3, 0, ID_APP_EXIT});
    // The bars have a submenu of their own: the Shadows bar and the shadows themselves
    // would otherwise be two items of one name.
    if (QMenu* view = AddMenu(CString("&View"), {}))
    {
        std::vector<UINT> bars(std::begin(kBarToggleIds), std::end(kBarToggleIds));
        bars.insert(bars.end(), {0, ID_VIEW_LARGE_BUTTONS});
        AddSubMenu(*view, CString("&Toolbars"), bars);
        AppendToMenu(*view, {0, ID_VIEW_HIDDEN_GEOMETRY, ID_VIEW_SECTION_PLANES, ID_VIEW_SECTION_CUTS, ID_VIEW_AXES,
                             ID_RENDER_SHADOWS_MENU, 0, ID_PAGE_NEXT, ID_PAGE_PREVIOUS, ID_VIEW_SLIDESHOW});
    }
    AddMenu(CString("&Camera"),
            {ID_CAMERA_PREVIOUS, 0, ID_VIEW_TOP, ID_VIEW_BOTTOM, ID_VIEW_FRONT, ID_VIEW_BACK, ID_VIEW_LEFT,
             ID_VIEW_RIGHT, ID_VIEW_ISO, 0, ID_CAMERA_PERSPECTIVE, 0, ID_CAMERA_ORBIT, ID_CAMERA_PAN, ID_CAMERA_ZOOM,
             ID_CAMERA_ZOOM_WINDOW, ID_CAMERA_FIELD_OF_VIEW, ID_CAMERA_ZOOM_EXTENTS, 0, ID_CAMERA_WALK,
             ID_CAMERA_LOOK_AROUND});
    AddMenu(CString("&Render"),
            {ID_RENDER_XRAY_MENU, 0, ID_RENDER_WIREFRAME_MENU, ID_RENDER_HIDDEN_LINE_MENU, ID_RENDER_SHADED_MENU,
             ID_RENDER_TEXTURED_MENU, ID_RENDER_MONOCHROME_MENU, 0, ID_EDGES, ID_EDGES_PROFILES, ID_EDGES_DEPTH_CUE,
             ID_EDGES_EXTENDED, ID_EDGES_ENDPOINTS, ID_EDGES_JITTER});
    AddMenu(CString("&Window"), {ID_WINDOW_DISPLAY_SETTINGS, ID_WINDOW_SHADOW_SETTINGS, ID_WINDOW_MODEL_INFO});
    AddMenu(CString("&Help"), {ID_APP_ABOUT});
}

QMenu* CMainFrame::CreateBarsMenu()
{
    if (GetWindow() == nullptr)
        return nullptr;
    // The bars by the names the View menu gives them (the page tabs' strip has no title).
    UpdateCommandUI();
    auto* menu = new QMenu(GetWindow());
    AppendToMenu(*menu, std::vector<UINT>(std::begin(kBarToggleIds), std::end(kBarToggleIds)));
    return menu;
}

void CMainFrame::AddAccelerators()
{
    const std::pair<UINT, QKeySequence> keys[] = {{ID_FILE_NEW, QKeySequence(Qt::CTRL | Qt::Key_N)},
                                                  {ID_FILE_OPEN, QKeySequence(Qt::CTRL | Qt::Key_O)},
                                                  {ID_FILE_SAVE, QKeySequence(Qt::CTRL | Qt::Key_S)},
                                                  {ID_FILE_PRINT, QKeySequence(Qt::CTRL | Qt::Key_P)},
                                                  {ID_APP_EXIT, QKeySequence(Qt::CTRL | Qt::Key_Q)},
                                                  {ID_PAGE_NEXT, QKeySequence(Qt::Key_PageDown)},
                                                  {ID_PAGE_PREVIOUS, QKeySequence(Qt::Key_PageUp)}};
    for (const auto& [id, key] : keys)
    {
        QAction* action = GetAction(id);
        if (action == nullptr)
            continue;
        action->setShortcut(key);
        // Reachable from the keyboard even when no menu shows the action.
        GetWindow()->addAction(action);
    }
}

void CMainFrame::ShowPageTabs(bool show)
{
    ShowControlBar(m_pageTabs, show);
    RecalcLayout();
}

int CMainFrame::ClearPageTabSelection()
{
    return m_pageTabs.SelectTab(-1);
}

void CMainFrame::ToggleBar(CControlBar& bar)
{
    ShowControlBar(bar, !bar.IsVisible());
    RecalcLayout();
}

void CMainFrame::ToggleButtonSize()
{
    for (CToolBarCustom& bar : m_toolBars)
    {
        bar.m_bSmall = !bar.m_bSmall;
        if (bar.m_nMRUWidth != kUnsetBarWidth)
        {
            const auto width = static_cast<unsigned>(bar.m_nMRUWidth);
            bar.m_nMRUWidth = bar.m_bSmall
                                  ? static_cast<int>(width / bar.GetLargeButtonWidth() * bar.GetSmallButtonWidth())
                                  : static_cast<int>(width / bar.GetSmallButtonWidth() * bar.GetLargeButtonWidth());
        }
        bar.ApplyButtonSize();
    }
    m_shadowBar.ToggleLayout();
    for (CToolBarCustom& bar : m_toolBars)
        ShowControlBar(bar, bar.IsVisible());
    ShowControlBar(m_shadowBar, m_shadowBar.IsVisible());
    RecalcLayout();
    m_smallButtons = !m_smallButtons;
}

bool CMainFrame::RestoreWindowPlacement()
{
    WINDOWPLACEMENT placement;
    if (!ReadFramePlacement(placement))
        return false;
    FitPlacementToScreen(placement);
    if (!IsPlacementOnScreen(placement))
        return false;
    if (placement.showCmd != SW_SHOWMAXIMIZED)
        placement.showCmd = SW_SHOWNORMAL;
    return SetWindowPlacement(placement);
}

void CMainFrame::SaveWindowState()
{
    SaveBarState(kBarStateSection);
    WriteProfileInt(kSummarySection, CString("IconSize"), m_smallButtons ? 1 : 0);
    WINDOWPLACEMENT placement;
    if (GetWindowPlacement(placement))
        WriteFramePlacement(placement);
}

void CMainFrame::OnClose()
{
    SaveWindowState();
    CFrameWnd::OnClose();
}

int CMainFrame::PaneIndex(UINT paneId) const
{
    const int index = paneId == 0 ? 0 : m_statusBar.CommandToIndex(paneId);
    return index < 0 ? 0 : index;
}

void CMainFrame::SetStatusText(UINT paneId, const CString& text, bool update)
{
    m_statusBar.SetPaneText(PaneIndex(paneId), text, update);
}

CString CMainFrame::GetStatusText(UINT paneId) const
{
    return m_statusBar.GetPaneText(PaneIndex(paneId));
}

void CMainFrame::SetStatusTextFromResource(UINT paneId, int stringId, bool update)
{
    SetStatusText(paneId, LoadStringResource(stringId), update);
}

bool CMainFrame::SetPaneHighlight(UINT paneId, bool on)
{
    const int index = m_statusBar.CommandToIndex(paneId);
    if (index >= 0)
        m_statusBar.SetPaneBackground(index, on ? m_statusBar.m_highlightColour : m_statusBar.m_normalColour);
    m_statusBar.InvalidateBar();
    return true;
}

bool CMainFrame::IsValuePaneHighlighted() const
{
    const int index = m_statusBar.CommandToIndex(ID_INDICATOR_VALUE);
    return index >= 0 && m_statusBar.GetPaneBackground(index) == m_statusBar.m_highlightColour;
}

void CMainFrame::ClearStatusBarText()
{
    m_statusBar.ClearAllPanes();
}
