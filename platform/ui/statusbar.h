#pragma once
// CStatusBar: the frame's bottom bar of text panes. Each pane has an id, a style and a
// width; pane 0 usually stretches and carries prompts.
#include <vector>

#include "platform/ui/controlbar.h"
#include "platform/ui/uitypes.h"

inline constexpr UINT SBPS_NORMAL = 0x0000;
inline constexpr UINT SBPS_NOBORDERS = 0x0100;
inline constexpr UINT SBPS_POPOUT = 0x0200;
inline constexpr UINT SBPS_DISABLED = 0x04000000;
inline constexpr UINT SBPS_STRETCH = 0x08000000;
inline constexpr UINT AFX_IDW_STATUS_BAR = 59393;

class CStatusBar : public CControlBar
{
public:
    bool Create(CFrameWnd& frame, UINT id = AFX_IDW_STATUS_BAR);
    // One pane per id, its text the string of the id (none for id 0); pane 0 stretches.
    virtual bool SetIndicators(const UINT* ids, int count);
    [[nodiscard]] int GetCount() const { return static_cast<int>(m_panes.size()); }
    // -1 when no pane has the id.
    [[nodiscard]] int CommandToIndex(UINT id) const;
    [[nodiscard]] UINT GetItemID(int index) const;
    void SetPaneInfo(int index, UINT id, UINT style, int width);
    void GetPaneInfo(int index, UINT& id, UINT& style, int& width) const;
    // The text goes to the pane; `update` repaints the bar at once.
    bool SetPaneText(int index, const CString& text, bool update = true);
    [[nodiscard]] CString GetPaneText(int index) const;
    // Pane text alignment: true right-aligned.
    void SetPaneRightAligned(int index, bool right);
    // The colour the pane is filled with behind its text.
    void SetPaneFill(int index, COLORREF colour);
    void InvalidateBar();

private:
    struct Pane
    {
        UINT id = 0;
        UINT style = 0;
        int width = 0;
        bool rightAligned = false;
        COLORREF fill = 0;
        bool hasFill = false;
        CString text;
    };
    void ApplyPane(int index);

    std::vector<Pane> m_panes;
};
