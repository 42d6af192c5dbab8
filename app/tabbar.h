#pragma once
// CTabBar: a bar of the frame holding one strip of tabs. Each tab shows the tab text of
// the ITabInfo it carries (owned elsewhere, never by the tab) and its tool-tip text. The
// bar keeps its own current tab, which may be none while tabs exist; the current tab is
// the one highlighted.
#include <functional>
#include <vector>

#include "platform/ui/controlbar.h"

class ITabInfo;
class QTabBar;

class CTabBar : public CControlBar
{
public:
    // Tool-tip texts are cut to this many characters.
    static constexpr int kMaxTipLength = 79;

    // A bar docked at the top of the frame, on a line of its own below the toolbars.
    bool Create(CFrameWnd& frame, UINT id);

    [[nodiscard]] int GetTabCount() const;
    // -1 when no tab is current.
    [[nodiscard]] int GetCurrentTab() const { return m_current; }
    // Highlights exactly that tab (none for -1) and returns the former current index.
    int SelectTab(int index);
    // An index below 0 or past the last tab appends. The new tab becomes current.
    // Returns its index, negative on failure.
    int InsertTab(ITabInfo* info, int index);
    bool DeleteTab(int index);
    [[nodiscard]] ITabInfo* GetTabInfo(int index) const;
    bool RefreshTabText(int index);
    // -1 when no tab carries that info.
    [[nodiscard]] int FindTab(const ITabInfo* info) const;
    // The tab's new index; -1 when an index is negative or the tab has no info.
    int MoveTab(int from, int to);
    void DeleteAllTabs();
    // Replaces every tab by one per info, in order, none current; null infos are left
    // out. The strip lays out once, not once per tab.
    void SetTabs(const std::vector<ITabInfo*>& infos);

    // Called with the tab index when the user clicks a tab.
    void SetClickHandler(std::function<void(int)> handler) { m_onClick = std::move(handler); }
    [[nodiscard]] QTabBar* GetTabControl() const { return m_tabs; }

private:
    void ApplyTexts(int index, const ITabInfo& info);
    void RelayOut();

    QTabBar* m_tabs = nullptr;
    int m_current = -1;
    std::function<void(int)> m_onClick;
};
