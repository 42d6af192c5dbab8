#include "app/pagetabs.h"

#include <vector>

#include "document/pagelist.h"
#include "document/tarnwickpage.h"

namespace {


enum PageTabKind : std::int32_t
{
    kAdded = 0,
    kRemoved = 1,
    kMoved = 2,
    kCurrentChanged = 3,
    kRenamed = 4,
    kAllRemoved = 5
};

}  // namespace

CPageTabs::~CPageTabs()
{
    if (m_observing)
        GetNotificationCenter().RemoveObserver(kPageNotification, this);
}

bool CPageTabs::Create(CFrameWnd& frame)
{
    if (!CTabBar::Create(frame, kTabControlId))
        return false;
    GetNotificationCenter().AddObserver(kPageNotification, this);
    m_observing = true;
    return true;
}

void CPageTabs::OnNotify(const std::string& name, void* data)
{
    const auto* record = static_cast<const PageNotificationData*>(data);
    if (name != kPageNotification || record == nullptr)
        return;
    CTarnwickPage* page = record->page;
    ITabInfo* info = page;
    switch (record->code)
    {
    case kAdded:
        if (page != nullptr)
            SelectTab(InsertTab(info, page->GetIndex()));
        break;
    case kRemoved:
        if (const int index = FindTab(info); index >= 0)
            DeleteTab(index);
        break;
    case kMoved:
        if (page != nullptr)
            MoveTab(FindTab(info), page->GetIndex());
        break;
    case kCurrentChanged: SelectTab(page == nullptr ? -1 : FindTab(info)); break;
    case kRenamed:
        if (const int index = FindTab(info); index >= 0)
            RefreshTabText(index);
        break;
    case kAllRemoved:
        SelectTab(-1);
        DeleteAllTabs();
        break;
    default: break;
    }
}

void CPageTabs::Rebuild(const CPageList* pages)
{
    if (pages == nullptr) {
        SetTabs({});
        return;
    }
    SetTabs(std::vector<ITabInfo*>(pages->GetPages().begin(), pages->GetPages().end()));
    CTarnwickPage* selected = pages->GetSelectedPage();
    SelectTab(selected != nullptr ? FindTab(selected) : -1);
}
