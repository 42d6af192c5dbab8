#pragma once
// CPageTabs: the main frame's page tabs, one per page of the model, kept equal to the
// model's page list by observing "Page Notification" for as long as the bar exists.
#include "app/tabbar.h"
#include "foundation/notificationcenter.h"

class CPageList;

class CPageTabs : public CTabBar, public IObserver
{
public:
    // The control id of the tab strip, which also names the bar.
    static constexpr UINT kTabControlId = 59402;

    CPageTabs() = default;
    // Stops observing before the bar goes.
    ~CPageTabs() override;

    // The bar, then the observer registration.
    bool Create(CFrameWnd& frame);
    // Kinds: 0 added, 1 removed, 2 moved, 3 current page changed, 4 renamed, 5 all
    // removed; a null record or another kind does nothing.
    void OnNotify(const std::string& name, void* data) override;
    // One tab per page, in the list's order, the selected page's tab selected. A model
    // read holds page notifications back, so the tabs are rebuilt from the list after it.
    void Rebuild(const CPageList* pages);

private:
    bool m_observing = false;
};
