#pragma once
// CStickyDragManager: glues the shown tool windows into one vertical column and snaps a
// dragged window to the screen's edges and to the outside edges of the main window. A
// window joins the column when its left edge lines up with the column's and its top or
// bottom meets a member's edge, each within the snap distance; the members stack
// without gaps, share one width and move as one when the top member is dragged; a lower
// member dragged sideways tears off and the column closes the gap. All moves of one drag
// step are collected first and then applied together. User-interface thread only.
#include <functional>
#include <vector>

#include "app/stickywindow.h"

class CStickyDragManager
{
public:
    // A distance below this snaps.
    static constexpr int kSnapDistance = 20;
    // Rectangles grown by this much on every side touch.
    static constexpr int kTouchMargin = 10;
    // A window keeps at least this much of its top on the screen.
    static constexpr int kKeepVisible = 40;

    CStickyDragManager();
    virtual ~CStickyDragManager();
    CStickyDragManager(const CStickyDragManager&) = delete;
    CStickyDragManager& operator=(const CStickyDragManager&) = delete;

    // The main window's rectangle; false when there is none to snap to. The default
    // asks the program's main frame.
    void SetFrameRectSource(std::function<bool(CRect&)> source) { m_frameRect = std::move(source); }

    // Lists the window (its index); one that fits into the column joins it at the end.
    int AttachWindow(IStickyWindow* window);
    // Lists a window that was glued when the last run ended (ReadSticky), at its stored
    // place: it goes back into the column where that place puts it, or with an empty
    // column forms one with the listed windows it touches that were glued as well.
    // Nothing moves that stands in its stored place. Its index.
    int RejoinWindow(IStickyWindow* window);
    void DetachWindow(IStickyWindow* window);
    [[nodiscard]] bool IsAttached(const IStickyWindow* window) const;
    [[nodiscard]] bool IsInGroup(const IStickyWindow* window) const;
    [[nodiscard]] const std::vector<IStickyWindow*>& GetColumn() const { return m_column; }

    void SetDragWindow(IStickyWindow* window) { m_dragWindow = window; }
    [[nodiscard]] IStickyWindow* GetDragWindow() const { return m_dragWindow; }
    // The press and the cursor's offset from the drag window's top-left corner; a column
    // of one window dissolves.
    void StartMove(int pressX, int pressY, int offsetX, int offsetY);
    // One drag step with the cursor in screen pixels. The rectangle is the one proposed
    // for the drag window; it ends as the window's final rectangle.
    void MoveTo(int cursorX, int cursorY, CRect& rect);

    // Every member in place under the one above it.
    void RelayoutGroup();
    // The members below the window follow it; the moves are applied when asked.
    void RelayoutBelow(IStickyWindow* window, bool apply);
    void SetGroupWidth(int width);
    // The members take the first member's own width when all are fixed in width, else
    // the widest member's.
    void EqualizeWidths();

private:
    struct PendingMove
    {
        IStickyWindow* window;
        CPoint target;
    };

    // Where the window stands now or is about to.
    [[nodiscard]] CRect PlannedRect(const IStickyWindow* window) const;
    [[nodiscard]] const PendingMove* FindPending(const IStickyWindow* window) const;
    [[nodiscard]] int ColumnIndex(const IStickyWindow* window) const;
    [[nodiscard]] int FindInsertIndex(const IStickyWindow* window) const;
    void InsertIntoColumn(IStickyWindow* window, int index);
    void RemoveFromColumn(IStickyWindow* window);
    void LayOutMember(IStickyWindow* window, int index);
    void LayOutFrom(int index);
    void QueueMove(IStickyWindow* window, int x, int y);
    void ApplyPendingMoves();
    void SnapToDesktop();
    // Moves the windows above the dragged one up where a snap left it over them.
    void LiftWindowsAbove();
    void SnapToFrame();
    void FormColumn();
    void JoinColumn();
    void Touching(IStickyWindow* from, std::vector<bool>& marked) const;
    [[nodiscard]] bool Touches(const IStickyWindow* a, const IStickyWindow* b) const;
    void MoveDragWindowTo(const CRect& planned, int x, int y);

    IStickyWindow* m_dragWindow = nullptr;
    CPoint m_dragOffset;
    CPoint m_press;
    CPoint m_cursor;
    std::vector<IStickyWindow*> m_attached;
    std::vector<IStickyWindow*> m_column;
    std::vector<IStickyWindow*> m_free;
    std::vector<PendingMove> m_pending;
    std::function<bool(CRect&)> m_frameRect;
};

// The program's one manager.
[[nodiscard]] CStickyDragManager& GetStickyDragManager();
