#pragma once
// CToolBarEx: a toolbar that switches between small and large buttons and sends the
// command of a button pressed with the mouse wherever the mouse is released.
#include <memory>

#include "platform/ui/toolbar.h"

class CToolBarPressTracker;

class CToolBarEx : public CToolBar
{
public:
    CToolBarEx();
    ~CToolBarEx() override;

    // Loads the button images of the current size from a toolbar resource; the program
    // keeps none, so only the custom toolbars below have images.
    virtual bool ApplyButtonSize() { return false; }
    [[nodiscard]] virtual int GetLargeButtonWidth() const { return 32; }
    [[nodiscard]] virtual int GetSmallButtonWidth() const { return 16; }

    // Watches the bar's buttons; called after the buttons are set.
    void TrackButtonPresses();
    // The left button went down on the button of this command (0: elsewhere).
    void OnButtonPressed(UINT command) { m_pressedCommand = command; }
    // The left button came up; a command pressed on is posted to the frame unless the
    // button itself sends it (released over it). True when a command was posted.
    bool OnButtonReleased(bool overPressedButton);

    bool m_bSmall = false;
    UINT m_smallBitmapId = 0;
    UINT m_largeBitmapId = 0;
    UINT m_pressedCommand = 0;
    bool m_wrapWhenVertical = true;

private:
    std::unique_ptr<CToolBarPressTracker> m_tracker;
};
