#include "app/twdialog.h"

#include <QLineEdit>
#include <QMainWindow>
#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "app/buttonimagest.h"
#include "app/stickydragmanager.h"
#include "foundation/notificationcenter.h"
#include "foundation/syshelpers.h"
#include "platform/profile.h"
#include "platform/sysinfo.h"
#include "platform/ui/framewnd.h"
#include "platform/ui/winapp.h"

namespace {

constexpr UINT kInPlace = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;

bool IsTopOrLeftEdge(UINT edge)
{
    return edge == WMSZ_TOP || edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT;
}

bool MovesTopEdge(UINT edge)
{
    return edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT;
}

// Windows with no stored place open in a cascade from the main window's top right,
// each a step left of and below the one opened before it.
constexpr int kFirstPlaceTop = 80;
constexpr int kFirstPlaceMargin = 8;
constexpr int kFirstPlaceStep = 28;
constexpr int kFirstPlaceSlots = 6;

// The windows that hold each place of the cascade; a window gives its place up when it goes.
std::array<const CTwDialog*, kFirstPlaceSlots>& FirstPlaceHolders()
{
    static std::array<const CTwDialog*, kFirstPlaceSlots> holders{};
    return holders;
}

int TakeFreeFirstPlace(const CTwDialog* window)
{
    auto& holders = FirstPlaceHolders();
    const auto free = std::find(holders.begin(), holders.end(), nullptr);
    if (free == holders.end())
        return 0;
    *free = window;
    return static_cast<int>(free - holders.begin());
}

// One coordinate of a stored place kept reachable: on one monitor a negative one is taken
// as positive; one that leaves less than the margin on the screen is pulled back so that
// the window ends at the screen's edge. The stored value may be anything the settings
// hold, so the sums are made in 64 bits.
int KeepReachable(int stored, int size, int screenSize, int margin, bool singleMonitor)
{
    int64_t place = singleMonitor ? std::abs(static_cast<int64_t>(stored)) : stored;
    if (place + margin > screenSize)
        place = static_cast<int64_t>(screenSize) - size;
    return static_cast<int>(std::clamp<int64_t>(place, INT_MIN, INT_MAX));
}

constexpr int kExpandedImage = 463;
constexpr int kCollapsedImage = 464;
constexpr int kExpandedTip = 21882;
constexpr int kCollapsedTip = 21883;

}  // namespace

CTwDialog::CTwDialog(UINT templateId) : CDialog(templateId) {}

CTwDialog::~CTwDialog()
{
    DestroyWindow();
    StopFollowingNotices();
    GetStickyDragManager().DetachWindow(this);
    for (const CTwDialog*& holder : FirstPlaceHolders())
        if (holder == this)
            holder = nullptr;
}

int CTwDialog::GetFullHeight(bool expanded) const
{
    if (m_expandButtonId == 0)
        return m_fullHeight;
    return expanded ? m_expandedHeight : m_collapsedHeight;
}

void CTwDialog::FollowNoticesWhileShown(IObserver* observer, std::vector<std::string> names)
{
    m_noticeObserver = observer;
    m_noticeNames = std::move(names);
}

void CTwDialog::StartFollowingNotices()
{
    if (m_following || m_noticeObserver == nullptr)
        return;
    CNotificationCenter& center = GetNotificationCenter();
    for (const std::string& name : m_noticeNames)
        center.AddObserver(name, m_noticeObserver);
    m_following = true;
}

void CTwDialog::StopFollowingNotices()
{
    if (!m_following)
        return;
    GetNotificationCenter().RemoveObserver(m_noticeObserver);
    m_following = false;
}

void CTwDialog::ConnectEdit(int editId, std::function<void(bool typed)> done)
{
    auto* edit = static_cast<QLineEdit*>(GetDlgItem(editId));
    QObject::connect(edit, &QLineEdit::textEdited, [this, editId] {
        if (!m_updating)
            m_typed.insert(editId);
    });
    QObject::connect(edit, &QLineEdit::editingFinished, [this, editId, done = std::move(done)] {
        if (!m_updating)
            done(IsTyped(editId));
    });
}

void CTwDialog::SetUpExpandButton(int buttonId, int separatorId)
{
    m_expandButtonId = buttonId;
    const CRect window = GetWindowRect();
    m_expandedHeight = window.Height();
    m_collapsedHeight = GetDlgItemScreenRect(separatorId).bottom - window.top;
    SetExpanded(IsExpanded());
    ShowExpandButton();
}

void CTwDialog::ToggleExpanded()
{
    SetExpanded(!IsExpanded());
    ShowExpandButton();
}

void CTwDialog::ShowExpandButton()
{
    auto* expand = static_cast<CButtonImageST*>(GetDlgItem(m_expandButtonId));
    (void)expand->LoadImages("SVG", IsExpanded() ? kExpandedImage : kCollapsedImage, 16);
    expand->SetTooltipText(IsExpanded() ? kExpandedTip : kCollapsedTip);
}

const CString& CTwDialog::Section() const
{
    // Kept from the first use: a base destructor no longer reaches the window's own name.
    if (m_section.IsEmpty())
        m_section = GetSectionName();
    return m_section;
}

int CTwDialog::ReadSetting(const char* entry, int defaultValue) const
{
    return GetProfileInt(Section(), CString(entry), defaultValue);
}

void CTwDialog::WriteSetting(const char* entry, int value) const
{
    WriteProfileInt(Section(), CString(entry), value);
}

bool CTwDialog::WantsKey(int controlId, UINT key) const
{
    return key == VK_TAB || IsEditableEdit(controlId);
}

bool CTwDialog::OnInitDialog()
{
    m_section = GetSectionName();
    if (HasOwnSection())
    {
        m_expanded = ReadSetting("Expand", 1) != 0;
        m_rolledUp = ReadSetting("Minimized", 0) != 0;
    }
    const CRect rect = GetWindowRect();
    m_currentHeight = rect.Height();
    m_fullHeight = rect.Height();
    m_initialWidth = rect.Width();
    m_rolledUpHeight = kSmallCaptionHeight + 3 * kDialogBorderWidth;
    return true;
}

void CTwDialog::ShowTool(bool show)
{
    CStickyDragManager& manager = GetStickyDragManager();
    if (show)
    {
        // Read before the window is shown: a window glued when the last run ended goes
        // back into the column it stood in.
        const bool wasGlued = CanStick() && ReadSticky();
        ShowWindow(SW_SHOW);
        WriteSetting("show", 1);
        if (wasGlued)
            manager.RejoinWindow(this);
        else if (CanStick())
            manager.AttachWindow(this);
        return;
    }
    const bool glued = manager.IsInGroup(this);
    ShowWindow(SW_HIDE);
    WriteSetting("show", 0);
    WriteSetting("sticky", 0);
    if (glued)
    {
        manager.RelayoutGroup();
        manager.EqualizeWidths();
    }
}

void CTwDialog::SetRolledUp(bool rolledUp)
{
    m_rolledUp = rolledUp;
    const int height = rolledUp ? m_rolledUpHeight : GetFullHeight(m_expanded);
    if (!IsFixedWidth() || !IsFixedHeight())
    {
        if (rolledUp)
            ModifyStyle(WS_THICKFRAME, WS_CAPTION);
        else
            ModifyStyle(DS_MODALFRAME, WS_CAPTION | WS_THICKFRAME);
    }
    if (height != m_currentHeight)
    {
        SetWindowPos(0, 0, GetWindowRect().Width(), height, kInPlace);
        m_currentHeight = height;
    }
    WriteSetting("Minimized", rolledUp ? 1 : 0);
}

void CTwDialog::SetExpanded(bool expanded)
{
    m_expanded = expanded;
    WriteSetting("Expand", expanded ? 1 : 0);
    const int height = GetFullHeight(expanded);
    if (height != m_currentHeight)
    {
        SetWindowPos(0, 0, GetWindowRect().Width(), height, kInPlace);
        m_currentHeight = height;
    }
}

void CTwDialog::WriteCurrentPage()
{
    WriteSetting("curPage", m_currentPage);
}

void CTwDialog::ReadCurrentPage()
{
    m_currentPage = ReadSetting("curPage", -1);
}

void CTwDialog::WriteSticky(bool sticky)
{
    WriteSetting("sticky", sticky ? 1 : 0);
}

bool CTwDialog::ReadSticky() const
{
    return ReadSetting("sticky", 0) != 0;
}

void CTwDialog::MoveStickyWindow(int x, int y)
{
    SetWindowPos(x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CTwDialog::SetStickyWidth(int width)
{
    SetWindowPos(0, 0, width, GetWindowRect().Height(), kInPlace);
}

void CTwDialog::WriteSize()
{
    if (!IsFixedWidth())
        WriteSetting("cx", m_cx);
    if (!IsFixedHeight())
        WriteSetting("cy", m_cy);
}

void CTwDialog::WritePlacement()
{
    if (m_positionKnown)
    {
        WriteSetting("x", m_x);
        WriteSetting("y", m_y);
    }
    if (!IsFixedWidth() || !IsFixedHeight())
        WriteSize();
}

void CTwDialog::OnShowWindow(bool show)
{
    if (show)
        StartFollowingNotices();
    else
        StopFollowingNotices();
    if (!show)
    {
        m_placed = false;
        m_shown = false;
        if (CanStick())
            GetStickyDragManager().DetachWindow(this);
        return;
    }
    if (Section().IsEmpty())
        return;
    ApplyStoredPlacement();
}

void CTwDialog::ApplyStoredPlacement()
{
    if (!m_positionKnown)
    {
        m_x = ReadSetting("x", -1);
        m_y = ReadSetting("y", -1);
        m_positionKnown = m_x != -1 && m_y != -1;
    }
    int storedCx = IsFixedWidth() ? -1 : ReadSetting("cx", -1);
    if (storedCx < 1)
        storedCx = -1;
    int storedCy = IsFixedHeight() ? -1 : ReadSetting("cy", -1);
    if (storedCy < GetMinHeight())
        storedCy = -1;
    const CRect rect = GetWindowRect();
    int width = rect.Width();
    int height = rect.Height();
    if (!m_positionKnown)
    {
        TakeFirstPlace();
        BringWindowToTop();
    }
    else
    {
        width = storedCx != -1 ? storedCx : width;
        height = storedCy != -1 ? storedCy : height;
        // Enough of the window stays on the screens to take hold of it.
        int screenWidth = 0;
        int screenHeight = 0;
        GetVirtualScreenSize(screenWidth, screenHeight);
        const bool singleMonitor = GetSystemMetrics(SM_CMONITORS) <= 1;
        const int x = KeepReachable(m_x, width, screenWidth, 20, singleMonitor);
        const int y = KeepReachable(m_y, height, screenHeight, 40, singleMonitor);
        if (storedCx != -1 || storedCy != -1)
            SetWindowPos(x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        else
            SetWindowPos(x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (m_rolledUp)
            SetRolledUp(true);
    }
    m_placed = true;
    m_shown = true;
    m_cx = width;
    m_cy = height;
    WriteSize();
    if (!IsFixedHeight())
        m_fullHeight = height;
}

void CTwDialog::TakeFirstPlace()
{
    const CWinApp* app = AfxGetApp();
    const CFrameWnd* frame = app != nullptr ? app->m_pMainWnd : nullptr;
    const QWidget* main = frame != nullptr ? frame->GetWindow() : nullptr;
    if (main == nullptr)
        return;
    if (m_firstPlaceSlot < 0)
        m_firstPlaceSlot = TakeFreeFirstPlace(this);
    const QRect mainRect = main->frameGeometry();
    const int shift = m_firstPlaceSlot * kFirstPlaceStep;
    const int x = std::max(mainRect.left(), mainRect.right() - kFirstPlaceMargin - GetWindowRect().Width() - shift);
    SetWindowPos(x, mainRect.top() + kFirstPlaceTop + shift, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CTwDialog::OnMove(int x, int y)
{
    if (IsIconic() || !m_placed)
        return;
    m_x = x;
    m_y = y;
    m_positionKnown = true;
}

void CTwDialog::OnSize(UINT /*type*/, int width, int height)
{
    CStickyDragManager& manager = GetStickyDragManager();
    if (m_currentHeight != -1 && CanStick())
    {
        manager.SetDragWindow(this);
        manager.RelayoutBelow(this, true);
    }
    m_currentHeight = height;
    if ((!IsFixedWidth() || !IsFixedHeight()) && m_positionKnown)
    {
        m_cx = width;
        if (!m_rolledUp)
        {
            m_cy = height;
            WriteSize();
            m_fullHeight = height;
        }
        else if (!IsFixedWidth())
            WriteSetting("cx", m_cx);
    }
    if (m_sizing && manager.IsInGroup(this))
        manager.SetGroupWidth(width);
}

void CTwDialog::OnSizing(UINT edge, CRect& rect)
{
    if (!CanStick())
        return;
    m_sizing = true;
    const CRect current = GetWindowRect();
    if (IsFixedWidth())
    {
        rect.left = current.left;
        rect.right = current.right;
    }
    if (GetStickyDragManager().IsInGroup(this))
    {
        // A glued window grows only to the right and downward.
        if (IsTopOrLeftEdge(edge))
        {
            rect.top = rect.bottom - m_cy;
            rect.left = rect.right - m_cx;
        }
        else if (edge == WMSZ_BOTTOMLEFT)
            rect.left = rect.right - m_cx;
        return;
    }
    if (rect.Height() < GetMinHeight())
    {
        if (MovesTopEdge(edge))
            rect.top = rect.bottom - GetMinHeight();
        else
            rect.bottom = rect.top + GetMinHeight();
    }
    if (rect.Width() < GetMinWidth())
        rect.right = rect.left + GetMinWidth();
}

void CTwDialog::OnExitSizeMove()
{
    m_sizing = false;
}

void CTwDialog::OnMoving(CRect& rect)
{
    // Only a window that glues is dragged through the manager, and only by its own drag.
    CStickyDragManager& manager = GetStickyDragManager();
    if (!CanStick() || manager.GetDragWindow() != this)
        return;
    const CPoint cursor = GetMessageCursorPos();
    manager.MoveTo(cursor.x, cursor.y, rect);
    m_dragging = true;
}

bool CTwDialog::OnNcLButtonDown(UINT hit, CPoint screen)
{
    m_press = screen;
    if (!CanStick() || hit != HTCAPTION)
        return false;
    SetCapture();
    m_captionCaptured = true;
    const CRect rect = GetWindowRect();
    m_dragOffset = CPoint{screen.x - rect.left, screen.y - rect.top};
    CStickyDragManager& manager = GetStickyDragManager();
    manager.SetDragWindow(this);
    manager.StartMove(screen.x, screen.y, m_dragOffset.x, m_dragOffset.y);
    return false;
}

void CTwDialog::OnNcLButtonDblClk(UINT /*hit*/, CPoint /*screen*/)
{
    // The double-click's first click has rolled the window up or down already on its
    // release; a second toggle would undo it.
}

void CTwDialog::OnMouseMove(UINT flags, CPoint /*client*/)
{
    if (!HasCapture() || !m_captionCaptured)
        return;
    const CPoint cursor = GetMessageCursorPos();
    const bool held = (flags & MK_LBUTTON) != 0;
    if (!m_dragging && held &&
        (std::abs(cursor.x - m_press.x) >= kDragThreshold || std::abs(cursor.y - m_press.y) >= kDragThreshold))
        m_dragging = true;
    if (m_dragging && held)
    {
        CRect rect = GetWindowRect();
        GetStickyDragManager().MoveTo(cursor.x, cursor.y, rect);
    }
}

void CTwDialog::EndDrag()
{
    m_dragging = false;
    m_captionCaptured = false;
    ReleaseCapture();
    CStickyDragManager& manager = GetStickyDragManager();
    if (manager.IsInGroup(this))
        manager.EqualizeWidths();
    else if (IsFixedWidth() && GetWindowRect().Width() != GetMinWidth())
        SetWindowPos(0, 0, GetMinWidth(), m_rolledUp ? m_rolledUpHeight : m_fullHeight, kInPlace);
    else if (!IsFixedWidth())
        manager.EqualizeWidths();
}

void CTwDialog::OnLButtonUp(UINT /*flags*/, CPoint /*client*/)
{
    if (m_dragging)
        EndDrag();
    else if (m_captionCaptured)
    {
        // A click on the caption that did not drag.
        m_captionCaptured = false;
        SetRolledUp(!m_rolledUp);
        ReleaseCapture();
    }
    m_sizing = false;
}

void CTwDialog::Close()
{
    StopFollowingNotices();
    WritePlacement();
    m_placed = false;
    m_shown = false;
    WriteSetting("show", 0);
    WriteSetting("sticky", 0);
    CStickyDragManager& manager = GetStickyDragManager();
    if (CanStick())
    {
        const bool glued = manager.IsInGroup(this);
        manager.DetachWindow(this);
        if (glued)
            manager.RelayoutGroup();
    }
    if (!IsFixedWidth())
        manager.EqualizeWidths();
    ShowWindow(SW_HIDE);
}

void CTwDialog::OnClose()
{
    Close();
}

void CTwDialog::OnDestroy()
{
    StopFollowingNotices();
    const CRect rect = GetWindowRect();
    m_x = rect.left;
    m_y = rect.top;
    WriteSetting("x", m_x);
    WriteSetting("y", m_y);
    if (!IsFixedWidth() || !IsFixedHeight())
        WriteSize();
    GetStickyDragManager().DetachWindow(this);
}

bool CTwDialog::PreTranslateKeyDown(const CKeyMessage& key)
{
    if (WantsKey(GetFocusControlId(), key.key))
        return false;
    if (key.key == VK_ESCAPE)
    {
        ShowTool(false);
        return true;
    }
    CWinApp* app = AfxGetApp();
    CFrameWnd* frame = app != nullptr ? app->m_pMainWnd : nullptr;
    return frame != nullptr && frame->PreTranslateKey(key);
}
