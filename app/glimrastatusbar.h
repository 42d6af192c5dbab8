#pragma once
// CGlimraStatusBar: the main window's status bar: the message pane, the label of the typed
// value and the typed value, which turns white while value entry is active.
#include "app/statusbarex.h"

class CGlimraStatusBar : public CStatusBarEx
{
public:
    CGlimraStatusBar();

    [[nodiscard]] virtual int GetIndicatorCount() const { return 3; }
    [[nodiscard]] virtual const UINT* GetIndicators() const;
    // Indicators from the table, panes 1 and 2 at their styles and widths, empty.
    bool SetupPanes();

    COLORREF m_highlightColour = 0xFFFFFF;
    COLORREF m_normalColour;
};
