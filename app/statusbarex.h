#pragma once
// CStatusBarEx: a status bar whose panes each have a background colour of their own.
#include <vector>

#include "platform/ui/statusbar.h"

class CStatusBarEx : public CStatusBar
{
public:
    // Every pane starts on the button-face colour.
    bool SetIndicators(const UINT* ids, int count) override;
    // A negative or unknown index is ignored.
    void SetPaneBackground(int index, COLORREF colour);
    // A negative index answers itself; an unknown one 0.
    [[nodiscard]] COLORREF GetPaneBackground(int index) const;
    // Empties every pane, the message pane last.
    void ClearAllPanes();

private:
    std::vector<COLORREF> m_backgrounds;
};
