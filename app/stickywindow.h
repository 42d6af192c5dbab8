#pragma once
// IStickyWindow: what the sticky-window manager needs of a tool window: its rectangle on
// the screen, its width rules, its "sticky" setting, and moving and widening it in place.
#include "platform/ui/uitypes.h"

class IStickyWindow
{
public:
    virtual ~IStickyWindow() = default;

    // Screen pixels.
    [[nodiscard]] virtual CRect GetStickyRect() const = 0;
    [[nodiscard]] virtual int GetWindowWidth() const = 0;
    [[nodiscard]] virtual int GetMinWidth() const = 0;
    [[nodiscard]] virtual bool IsFixedWidth() const = 0;
    // Stored as the window's "sticky" setting.
    virtual void WriteSticky(bool sticky) = 0;
    // The stored setting: the window was glued when it was last put away (at the end of
    // the last run), unless it was hidden or torn off since.
    [[nodiscard]] virtual bool ReadSticky() const { return false; }
    // The top-left corner to that point; size, stacking and activation unchanged.
    virtual void MoveStickyWindow(int x, int y) = 0;
    // The width; place and height unchanged.
    virtual void SetStickyWidth(int width) = 0;
};
