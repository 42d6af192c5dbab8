#include "platform/ui/framewnd.h"

#include <QAction>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QToolBar>
#include <QWindow>

#include "platform/profile.h"
#include "platform/ui/controlbar.h"
#include "platform/ui/coveredarea.h"
#include "platform/ui/document.h"
#include "platform/ui/framewidget.h"
#include "platform/ui/stringtable.h"
#include "platform/ui/view.h"
#include "platform/ui/winapp.h"

namespace {

QString ToQString(const CString& text)
{
    return QString::fromStdString(text.ToUtf8());
}

Qt::ToolBarArea AreaOf(DWORD side)
{
    if (side & CBRS_ALIGN_TOP)
        return Qt::TopToolBarArea;
    if (side & CBRS_ALIGN_BOTTOM)
        return Qt::BottomToolBarArea;
    if (side & CBRS_ALIGN_LEFT)
        return Qt::LeftToolBarArea;
    return Qt::RightToolBarArea;
}

// The version of the bar-state bytes this program writes.
constexpr int kBarStateVersion = 1;

}  // namespace

CFrameWnd::CFrameWnd() = default;

CFrameWnd::~CFrameWnd()
{
    DestroyWindow();
}

bool CFrameWnd::LoadFrame()
{
    if (m_window != nullptr)
        return true;
    m_window = new CFrameWidget(*this);
    const CRect rect = GetInitialRect();
    if (!rect.IsRectEmpty())
        m_window->setGeometry(rect.left, rect.top, rect.Width(), rect.Height());
    if (OnCreate() == -1)
    {
        DestroyWindow();
        return false;
    }
    return true;
}

QMainWindow* CFrameWnd::GetWindow() const
{
    return m_window;
}

void CFrameWnd::DestroyWindow()
{
    if (m_window == nullptr)
        return;
    m_window->Detach();
    // The view outlives the window when it belongs to someone else.
    if (m_activeView != nullptr && m_activeView->GetWidget() != nullptr)
    {
        m_activeView->GetWidget()->setParent(nullptr);
        m_activeView->SetParentFrame(nullptr);
    }
    delete m_window;
    m_window = nullptr;
    m_actions.clear();
}

void CFrameWnd::SetActiveView(CView* view)
{
    if (m_activeView != nullptr && m_activeView != view)
        m_activeView->SetParentFrame(nullptr);
    m_activeView = view;
    if (view == nullptr || m_window == nullptr)
        return;
    view->Create(m_window);
    view->SetParentFrame(this);
    m_window->setCentralWidget(view->GetWidget());
    view->GetWidget()->setFocus(Qt::OtherFocusReason);
    // Menus are built with the frame, before its view exists: the view's commands only
    // now have their texts.
    for (auto& [id, action] : m_actions)
        action->setText(ToQString(GetCommandText(id)));
}

CDocument* CFrameWnd::GetActiveDocument() const
{
    return m_activeView != nullptr ? m_activeView->GetDocument() : nullptr;
}

bool CFrameWnd::OnCmdMsg(UINT id, CCmdUI* ui)
{
    if (m_activeView != nullptr && m_activeView->OnCmdMsg(id, ui))
        return true;
    if (HandleOwnCommand(id, ui))
        return true;
    CWinApp* app = AfxGetApp();
    return app != nullptr && app->OnCmdMsg(id, ui);
}

bool CFrameWnd::SendCommand(UINT id)
{
    return OnCmdMsg(id, nullptr);
}

void CFrameWnd::PostCommand(UINT id)
{
    if (m_window == nullptr)
        return;
    QMetaObject::invokeMethod(m_window, [this, id] { SendCommand(id); }, Qt::QueuedConnection);
}

QAction* CFrameWnd::GetAction(UINT id)
{
    const auto found = m_actions.find(id);
    if (found != m_actions.end())
        return found->second;
    if (m_window == nullptr)
        return nullptr;
    auto* action = new QAction(ToQString(GetCommandText(id)), m_window);
    action->setData(static_cast<uint>(id));
    action->setStatusTip(ToQString(GetCommandPrompt(static_cast<int>(id))));
    action->setToolTip(ToQString(GetCommandTip(static_cast<int>(id))));
    QObject::connect(action, &QAction::triggered, m_window, [this, id] { SendCommand(id); });
    m_actions[id] = action;
    return action;
}

CString CFrameWnd::GetCommandText(UINT id) const
{
    const CDocument* document = GetActiveDocument();
    const CCmdTarget* route[] = {m_activeView, document, this, AfxGetApp()};
    for (const CCmdTarget* target : route)
    {
        const CCommandRow* row = target != nullptr ? target->GetCommands().Find(id) : nullptr;
        if (row != nullptr && !row->text.IsEmpty())
            return row->text;
    }
    return GetCommandTip(static_cast<int>(id));
}

void CFrameWnd::UpdateCommandUI()
{
    for (auto& [id, action] : m_actions)
    {
        CCmdUI ui(id);
        // A command nobody handles is greyed, as the framework does.
        const bool handled = OnCmdMsg(id, &ui);
        action->setEnabled(handled && ui.IsEnabled());
        // An item with a picture takes a check box only while it is checked: the box
        // would take the picture's place.
        action->setCheckable(ui.IsChecked() || (action->isCheckable() && action->icon().isNull()));
        action->setChecked(ui.IsChecked());
        // A menu shows a picture or a check mark in one place; the check tells more.
        action->setIconVisibleInMenu(!action->isCheckable());
        if (ui.HasText())
            action->setText(ToQString(ui.GetText()));
        if (ui.HasVisibility())
            action->setVisible(ui.IsVisible());
    }
}

bool CFrameWnd::PreTranslateKey(const CKeyMessage& key)
{
    if (m_activeView != nullptr && key.key != 0 && m_activeView->OnKeyDown(key.key, 1, false))
        return true;
    if (key.event == nullptr)
        return false;
    const QKeySequence pressed(key.event->keyCombination());
    for (auto& [id, action] : m_actions)
    {
        if (action->shortcut().isEmpty() || action->shortcut() != pressed)
            continue;
        UpdateCommandUI();
        if (!action->isEnabled())
            return false;
        action->trigger();
        return true;
    }
    return false;
}

QMenu* CFrameWnd::AddMenu(const CString& title, const std::vector<UINT>& ids)
{
    if (m_window == nullptr)
        return nullptr;
    QMenu* menu = m_window->menuBar()->addMenu(ToQString(title));
    AppendToMenu(*menu, ids);
    QObject::connect(menu, &QMenu::aboutToShow, m_window, [this] { UpdateCommandUI(); });
    QObject::connect(menu, &QMenu::aboutToHide, menu, [menu] { RepaintCoveredArea(*menu); });
    return menu;
}

void CFrameWnd::AppendToMenu(QMenu& menu, const std::vector<UINT>& ids)
{
    for (UINT id : ids)
    {
        if (id == 0)
            menu.addSeparator();
        else
            menu.addAction(GetAction(id));
    }
}

QMenu* CFrameWnd::AddSubMenu(QMenu& menu, const CString& title, const std::vector<UINT>& ids)
{
    QMenu* submenu = menu.addMenu(ToQString(title));
    AppendToMenu(*submenu, ids);
    QObject::connect(submenu, &QMenu::aboutToShow, submenu, [this] { UpdateCommandUI(); });
    QObject::connect(submenu, &QMenu::aboutToHide, submenu, [submenu] { RepaintCoveredArea(*submenu); });
    return submenu;
}

void CFrameWnd::DockControlBar(CControlBar& bar, DWORD side)
{
    if (m_window != nullptr && bar.GetDockableBar() != nullptr)
        m_window->addToolBar(AreaOf(side), bar.GetDockableBar());
}

void CFrameWnd::ShowControlBar(CControlBar& bar, bool show)
{
    if (bar.GetBarWidget() != nullptr)
        bar.GetBarWidget()->setVisible(show);
}

void CFrameWnd::RecalcLayout()
{
    if (m_window != nullptr && m_window->layout() != nullptr)
        m_window->layout()->activate();
}

void CFrameWnd::SaveBarState(const CString& section) const
{
    if (m_window == nullptr)
        return;
    const QByteArray state = m_window->saveState(kBarStateVersion);
    WriteProfileBinary(section, CString("BarState"), std::vector<uint8_t>(state.begin(), state.end()));
}

bool CFrameWnd::LoadBarState(const CString& section)
{
    std::vector<uint8_t> bytes;
    if (m_window == nullptr || !GetProfileBinary(section, CString("BarState"), bytes))
        return false;
    const QByteArray state(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    return m_window->restoreState(state, kBarStateVersion);
}

bool CFrameWnd::GetWindowPlacement(WINDOWPLACEMENT& placement) const
{
    if (m_window == nullptr)
        return false;
    const QRect normal = m_window->isMaximized() || m_window->isMinimized() ? m_window->normalGeometry()
                                                                            : m_window->geometry();
    placement = WINDOWPLACEMENT{};
    placement.showCmd = m_window->isMinimized()   ? SW_SHOWMINIMIZED
                        : m_window->isMaximized() ? SW_SHOWMAXIMIZED
                                                  : SW_SHOWNORMAL;
    placement.rcNormalPosition = CRect{normal.left(), normal.top(), normal.left() + normal.width(),
                                       normal.top() + normal.height()};
    return true;
}

bool CFrameWnd::SetWindowPlacement(const WINDOWPLACEMENT& placement)
{
    if (m_window == nullptr)
        return false;
    const CRect& r = placement.rcNormalPosition;
    m_window->setGeometry(r.left, r.top, std::max(r.Width(), 1), std::max(r.Height(), 1));
    ShowWindow(static_cast<int>(placement.showCmd));
    return true;
}

void CFrameWnd::ShowWindow(int showCommand)
{
    if (m_window == nullptr)
        return;
    switch (showCommand)
    {
    case SW_HIDE: m_window->hide(); break;
    case SW_SHOWMINIMIZED: m_window->showMinimized(); break;
    case SW_SHOWMAXIMIZED: m_window->showMaximized(); break;
    default: m_window->showNormal(); break;
    }
}

bool CFrameWnd::IsWindowVisible() const
{
    return m_window != nullptr && m_window->isVisible();
}

void CFrameWnd::SetFocus()
{
    if (m_window == nullptr)
        return;
    m_window->activateWindow();
    // Keys typed now (a value for the tool a menu just chose) belong to the view.
    if (m_activeView != nullptr && m_activeView->GetWidget() != nullptr)
        m_activeView->GetWidget()->setFocus(Qt::OtherFocusReason);
}

void CFrameWnd::UpdateWindow()
{
    if (m_window != nullptr)
        m_window->repaint();
}

void CFrameWnd::SetWindowText(const CString& text)
{
    if (m_window != nullptr)
        m_window->setWindowTitle(ToQString(text));
}

void CFrameWnd::DragAcceptFiles(bool accept)
{
    if (m_window != nullptr)
        m_window->setAcceptDrops(accept);
}

void CFrameWnd::OnDropFiles(const std::vector<CString>& paths)
{
    CWinApp* app = AfxGetApp();
    if (app != nullptr && !paths.empty())
        app->OpenDocumentFile(paths.front());
}

void CFrameWnd::OnClose()
{
    m_closing = true;
}

void CFrameWnd::HandleCloseRequest(bool& accept)
{
    // The main window's close begins the program's exit.
    CWinApp* app = AfxGetApp();
    const bool exiting = app != nullptr && app->m_pMainWnd == this;
    if (exiting)
        app->HoldSettingsUntilExit();
    m_closing = false;
    OnClose();
    accept = m_closing;
    if (exiting && !accept)
        app->ReleaseSettings();
}
