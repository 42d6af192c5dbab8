#pragma once
// CToolBarEx: a toolbar that switches between small and large buttons and remembers the
// command of a button held down.
#include "platform/ui/toolbar.h"

class CToolBarEx : public CToolBar
{
public:
    // Loads the button images of the current size from a toolbar resource; the program
    // keeps none, so only the custom toolbars below have images.
    virtual bool ApplyButtonSize() { return false; }
    [[nodiscard]] virtual int GetLargeButtonWidth() const { return 32; }
    [[nodiscard]] virtual int GetSmallButtonWidth() const { return 16; }

    bool m_bSmall = false;
    UINT m_smallBitmapId = 0;
    UINT m_largeBitmapId = 0;
    UINT m_pressedCommand = 0;
    bool m_wrapWhenVertical = true;
};
