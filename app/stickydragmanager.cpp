#include "app/stickydragmanager.h"

#include <QMainWindow>
#include <algorithm>
#include <cstdlib>

#include "foundation/syshelpers.h"
#include "platform/sysinfo.h"
#include "platform/ui/framewnd.h"
#include "platform/ui/winapp.h"

namespace {

bool Near(int a, int b)
{
    return std::abs(a - b) < CStickyDragManager::kSnapDistance;
}

CRect Offset(const CRect& rect, int x, int y)
{
    return CRect{x, y, x + rect.Width(), y + rect.Height()};
}

CRect Grown(const CRect& rect, int by)
{
    return CRect{rect.left - by, rect.top - by, rect.right + by, rect.bottom + by};
}

bool MainFrameRect(CRect& rect)
{
    const CWinApp* app = AfxGetApp();
    const CFrameWnd* frame = app != nullptr ? app->m_pMainWnd : nullptr;
    const QMainWindow* window = frame != nullptr ? frame->GetWindow() : nullptr;
    if (window == nullptr || !window->isVisible())
        return false;
    const QRect outer = window->frameGeometry();
    rect = CRect{outer.left(), outer.top(), outer.left() + outer.width(), outer.top() + outer.height()};
    return true;
}

}  // namespace

CStickyDragManager& GetStickyDragManager()
{
    static CStickyDragManager manager;
    return manager;
}

CStickyDragManager::CStickyDragManager() : m_frameRect(MainFrameRect) {}

CStickyDragManager::~CStickyDragManager() = default;

int CStickyDragManager::AttachWindow(IStickyWindow* window)
{
    const auto found = std::find(m_attached.begin(), m_attached.end(), window);
    if (found != m_attached.end())
        return static_cast<int>(found - m_attached.begin());
    if (!m_column.empty() && FindInsertIndex(window) >= 0)
    {
        m_pending.clear();
        InsertIntoColumn(window, static_cast<int>(m_column.size()));
        ApplyPendingMoves();
        EqualizeWidths();
    }
    else if (!m_column.empty())
        m_free.push_back(window);
    m_attached.push_back(window);
    return static_cast<int>(m_attached.size()) - 1;
}

int CStickyDragManager::RejoinWindow(IStickyWindow* window)
{
    const auto found = std::find(m_attached.begin(), m_attached.end(), window);
    if (found != m_attached.end())
        return static_cast<int>(found - m_attached.begin());
    m_attached.push_back(window);
    std::vector<IStickyWindow*> group{window};
    if (m_column.empty())
    {
        // The glued partners it touches, and theirs, in their stored order.
        std::vector<bool> marked(m_attached.size(), false);
        Touching(window, marked);
        for (size_t i = 0; i < m_attached.size(); ++i)
            if (marked[i] && m_attached[i] != window && m_attached[i]->ReadSticky())
                group.push_back(m_attached[i]);
        std::sort(group.begin(), group.end(), [this](const IStickyWindow* a, const IStickyWindow* b) {
            return PlannedRect(a).top < PlannedRect(b).top;
        });
        if (group.size() < 2)
            group.clear();
    }
    m_pending.clear();
    for (IStickyWindow* member : group)
    {
        const int index = FindInsertIndex(member);
        if (index >= 0)
            InsertIntoColumn(member, index);
    }
    ApplyPendingMoves();
    if (ColumnIndex(window) >= 0)
        EqualizeWidths();
    else if (!m_column.empty())
        m_free.push_back(window);
    return static_cast<int>(m_attached.size()) - 1;
}

void CStickyDragManager::DetachWindow(IStickyWindow* window)
{
    for (auto* list : {&m_attached, &m_column, &m_free})
    {
        const auto found = std::find(list->begin(), list->end(), window);
        if (found != list->end())
            list->erase(found);
    }
    m_pending.erase(std::remove_if(m_pending.begin(), m_pending.end(),
                                   [window](const PendingMove& move) { return move.window == window; }),
                    m_pending.end());
    if (m_dragWindow == window)
        m_dragWindow = nullptr;
}

bool CStickyDragManager::IsAttached(const IStickyWindow* window) const
{
    return std::find(m_attached.begin(), m_attached.end(), window) != m_attached.end();
}

bool CStickyDragManager::IsInGroup(const IStickyWindow* window) const
{
    return ColumnIndex(window) >= 0;
}

int CStickyDragManager::ColumnIndex(const IStickyWindow* window) const
{
    const auto found = std::find(m_column.begin(), m_column.end(), window);
    return found != m_column.end() ? static_cast<int>(found - m_column.begin()) : -1;
}

const CStickyDragManager::PendingMove* CStickyDragManager::FindPending(const IStickyWindow* window) const
{
    for (const PendingMove& move : m_pending)
        if (move.window == window)
            return &move;
    return nullptr;
}

CRect CStickyDragManager::PlannedRect(const IStickyWindow* window) const
{
    const CRect current = window->GetStickyRect();
    const PendingMove* move = FindPending(window);
    return move != nullptr ? Offset(current, move->target.x, move->target.y) : current;
}

int CStickyDragManager::FindInsertIndex(const IStickyWindow* window) const
{
    if (m_column.empty())
        return 0;
    const CRect rect = PlannedRect(window);
    if (!Near(rect.left, PlannedRect(m_column.front()).left))
        return -1;
    int index = -1;
    for (int i = 0; i < static_cast<int>(m_column.size()); ++i)
    {
        if (m_column[static_cast<size_t>(i)] == window)
            continue;
        const int top = PlannedRect(m_column[static_cast<size_t>(i)]).top;
        if (Near(top, rect.top))
            index = rect.top >= top ? i + 1 : i;
    }
    if (index >= 0)
        return index;
    if (Near(rect.bottom, PlannedRect(m_column.front()).top))
        return 0;
    if (Near(rect.top, PlannedRect(m_column.back()).bottom))
        return static_cast<int>(m_column.size());
    return -1;
}

void CStickyDragManager::InsertIntoColumn(IStickyWindow* window, int index)
{
    window->WriteSticky(true);
    const auto free = std::find(m_free.begin(), m_free.end(), window);
    if (free != m_free.end())
        m_free.erase(free);
    if (m_column.empty())
    {
        m_column.push_back(window);
        return;
    }
    int from = index;
    const int current = ColumnIndex(window);
    if (current >= 0)
    {
        m_column.erase(m_column.begin() + current);
        from = std::min(current, index);
    }
    index = std::clamp(index, 0, static_cast<int>(m_column.size()));
    m_column.insert(m_column.begin() + index, window);
    LayOutFrom(std::clamp(from, 0, static_cast<int>(m_column.size()) - 1));
}

void CStickyDragManager::RemoveFromColumn(IStickyWindow* window)
{
    const int index = ColumnIndex(window);
    if (index < 0)
        return;
    m_column.erase(m_column.begin() + index);
    window->WriteSticky(false);
    if (IsAttached(window))
        m_free.push_back(window);
}

void CStickyDragManager::LayOutFrom(int index)
{
    for (int i = std::max(0, index); i < static_cast<int>(m_column.size()); ++i)
        LayOutMember(m_column[static_cast<size_t>(i)], i);
}

void CStickyDragManager::LayOutMember(IStickyWindow* window, int index)
{
    const CRect planned = PlannedRect(window);
    CPoint target{planned.left, planned.top};
    if (index == 0)
    {
        int virtualWidth = 0;
        int virtualHeight = 0;
        GetVirtualScreenSize(virtualWidth, virtualHeight);
        if (planned.top + kKeepVisible > virtualHeight)
            target.y = virtualHeight - planned.Height();
        else if (m_column.size() >= 2)
        {
            const CRect second = PlannedRect(m_column[1]);
            target = CPoint{second.left, second.top - planned.Height()};
        }
        else
            return;
    }
    else
    {
        const CRect above = PlannedRect(m_column[static_cast<size_t>(index) - 1]);
        target = CPoint{above.left, above.bottom};
    }
    const bool moves = std::abs(target.x - planned.left) > 1 || std::abs(target.y - planned.top) > 1;
    if (moves || (!window->IsFixedWidth() && window->GetWindowWidth() != window->GetMinWidth()))
        QueueMove(window, target.x, target.y);
}

void CStickyDragManager::QueueMove(IStickyWindow* window, int x, int y)
{
    m_pending.erase(std::remove_if(m_pending.begin(), m_pending.end(),
                                   [window](const PendingMove& move) { return move.window == window; }),
                    m_pending.end());
    m_pending.push_back(PendingMove{window, CPoint{x, y}});
}

void CStickyDragManager::ApplyPendingMoves()
{
    // One batch: the windows stand in their final places before anything repaints.
    const std::vector<PendingMove> moves = std::move(m_pending);
    m_pending.clear();
    for (const PendingMove& move : moves)
        move.window->MoveStickyWindow(move.target.x, move.target.y);
}

void CStickyDragManager::StartMove(int pressX, int pressY, int offsetX, int offsetY)
{
    m_dragOffset = CPoint{offsetX, offsetY};
    m_press = CPoint{pressX, pressY};
    if (m_column.size() == 1)
        RemoveFromColumn(m_column.front());
}

void CStickyDragManager::MoveDragWindowTo(const CRect& planned, int x, int y)
{
    if (x != planned.left || y != planned.top)
        QueueMove(m_dragWindow, x, y);
}

void CStickyDragManager::SnapToDesktop()
{
    const CRect rect = PlannedRect(m_dragWindow);
    const CRect desktop{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    int x = rect.left;
    int y = rect.top;
    if (Near(rect.left, desktop.left))
        x = desktop.left;
    if (Near(rect.right, desktop.right))
        x = desktop.right - rect.Width();
    if (Near(rect.top, desktop.top))
        y = desktop.top;
    if (GetSystemMetrics(SM_CMONITORS) <= 1)
    {
        x = std::min(x, desktop.right - rect.Width());
        x = std::max(x, desktop.left);
    }
    y = std::min(y, desktop.bottom - rect.Height());
    y = std::max(y, desktop.top);
    MoveDragWindowTo(rect, x, y);
}

void CStickyDragManager::LiftWindowsAbove()
{
    const int index = ColumnIndex(m_dragWindow);
    if (index <= 0)
        return;
    const int overlap = PlannedRect(m_column[static_cast<size_t>(index) - 1]).bottom - PlannedRect(m_dragWindow).top;
    if (overlap <= 0)
        return;
    // The screen's edge held the dragged window up over the one it is glued under: the
    // windows above rise instead, as far as the screen's top lets them, and the column
    // closes up below them, so that no member covers another.
    const CRect first = PlannedRect(m_column.front());
    const int rise = std::clamp(overlap, 0, std::max(0, first.top));
    QueueMove(m_column.front(), first.left, first.top - rise);
    LayOutFrom(1);
}

void CStickyDragManager::SnapToFrame()
{
    CRect frame;
    if (!m_frameRect || !m_frameRect(frame))
        return;
    const CRect rect = PlannedRect(m_dragWindow);
    int x = rect.left;
    int y = rect.top;
    if (Near(rect.left, frame.right))
        x = frame.right;
    if (Near(rect.right, frame.left))
        x = frame.left - rect.Width();
    if (Near(rect.top, frame.bottom))
        y = frame.bottom;
    MoveDragWindowTo(rect, x, y);
}

bool CStickyDragManager::Touches(const IStickyWindow* a, const IStickyWindow* b) const
{
    const CRect first = PlannedRect(a);
    const CRect second = PlannedRect(b);
    return Near(first.left, second.left) && Grown(first, kTouchMargin).Intersects(Grown(second, kTouchMargin));
}

void CStickyDragManager::Touching(IStickyWindow* from, std::vector<bool>& marked) const
{
    for (size_t i = 0; i < m_attached.size(); ++i)
    {
        if (marked[i] || m_attached[i] == from || !Touches(from, m_attached[i]))
            continue;
        marked[i] = true;
        Touching(m_attached[i], marked);
    }
}

void CStickyDragManager::FormColumn()
{
    std::vector<bool> marked(m_attached.size(), false);
    Touching(m_dragWindow, marked);
    std::vector<IStickyWindow*> connected;
    for (size_t i = 0; i < m_attached.size(); ++i)
        if (marked[i] && m_attached[i] != m_dragWindow)
            connected.push_back(m_attached[i]);
    // The windows the drag meets stay where they are and form the column; the dragged
    // window then joins them. Alone it forms none.
    std::sort(connected.begin(), connected.end(), [this](const IStickyWindow* a, const IStickyWindow* b) {
        return PlannedRect(a).top < PlannedRect(b).top;
    });
    for (IStickyWindow* window : connected)
    {
        const int index = FindInsertIndex(window);
        if (index >= 0)
            InsertIntoColumn(window, index);
    }
    if (!m_column.empty())
    {
        const int index = FindInsertIndex(m_dragWindow);
        if (index >= 0)
            InsertIntoColumn(m_dragWindow, index);
    }
}

void CStickyDragManager::JoinColumn()
{
    const CRect rect = PlannedRect(m_dragWindow);
    if (!Near(rect.left, PlannedRect(m_column.front()).left))
        return;
    const int member = ColumnIndex(m_dragWindow);
    if (Near(rect.top, PlannedRect(m_column.back()).bottom) && m_column.back() != m_dragWindow)
        InsertIntoColumn(m_dragWindow, static_cast<int>(m_column.size()));
    else if (Near(rect.bottom, PlannedRect(m_column.front()).top) && m_column.front() != m_dragWindow)
        InsertIntoColumn(m_dragWindow, 0);
    else if (member < 0)
    {
        for (size_t i = 1; i < m_column.size(); ++i)
            if (PlannedRect(m_column[i - 1]).top < rect.top && PlannedRect(m_column[i]).top >= rect.top)
            {
                InsertIntoColumn(m_dragWindow, static_cast<int>(i));
                break;
            }
    }
    else
        LayOutMember(m_dragWindow, member);
}

void CStickyDragManager::MoveTo(int cursorX, int cursorY, CRect& rect)
{
    if (m_dragWindow == nullptr)
        return;
    m_cursor = CPoint{cursorX, cursorY};
    m_pending.clear();
    QueueMove(m_dragWindow, cursorX - m_dragOffset.x, cursorY - m_dragOffset.y);
    const int index = ColumnIndex(m_dragWindow);
    if (m_column.empty())
    {
        FormColumn();
        SnapToDesktop();
        SnapToFrame();
        LiftWindowsAbove();
    }
    else if (index == 0)
    {
        SnapToDesktop();
        SnapToFrame();
        RelayoutBelow(m_dragWindow, false);
    }
    else if (index < 0 || Near(PlannedRect(m_dragWindow).left, PlannedRect(m_column.front()).left))
    {
        JoinColumn();
        if (ColumnIndex(m_dragWindow) > 0)
        {
            SnapToDesktop();
            SnapToFrame();
            LiftWindowsAbove();
        }
    }
    else
    {
        RemoveFromColumn(m_dragWindow);
        LayOutFrom(index);
    }
    const PendingMove* move = FindPending(m_dragWindow);
    if (move != nullptr)
        rect = Offset(rect, move->target.x, move->target.y);
    else if (m_cursor.x != m_press.x || m_cursor.y != m_press.y)
        rect = Offset(rect, rect.left + m_cursor.x - m_press.x, rect.top + m_cursor.y - m_press.y);
    const bool moved = move != nullptr;
    ApplyPendingMoves();
    if (moved)
        rect = m_dragWindow->GetStickyRect();
}

void CStickyDragManager::RelayoutGroup()
{
    LayOutFrom(0);
    ApplyPendingMoves();
}

void CStickyDragManager::RelayoutBelow(IStickyWindow* window, bool apply)
{
    const int index = ColumnIndex(window);
    if (index < 0)
        return;
    LayOutFrom(index + 1);
    if (apply)
        ApplyPendingMoves();
}

void CStickyDragManager::SetGroupWidth(int width)
{
    for (IStickyWindow* window : m_column)
        if (window->GetWindowWidth() != width)
            window->SetStickyWidth(width);
}

void CStickyDragManager::EqualizeWidths()
{
    if (m_column.empty())
        return;
    int widest = 0;
    bool allFixed = true;
    bool allEqual = true;
    const int first = m_column.front()->GetWindowWidth();
    for (const IStickyWindow* window : m_column)
    {
        widest = std::max(widest, window->GetWindowWidth());
        allFixed = allFixed && window->IsFixedWidth();
        allEqual = allEqual && window->GetWindowWidth() == first;
    }
    const int ownWidth = m_column.front()->GetMinWidth();
    if (allFixed && widest != ownWidth)
        SetGroupWidth(ownWidth);
    else if (!allEqual)
        SetGroupWidth(widest);
}
