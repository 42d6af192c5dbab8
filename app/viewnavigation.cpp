#include "app/viewnavigation.h"

#include <cstdint>
#include <vector>

#include "document/basedoc.h"
#include "document/pagelist.h"
#include "document/renderingoptions.h"
#include "document/tarnwickpage.h"
#include "document/viewpage.h"
#include "drawapi/animation.h"
#include "foundation/notificationcenter.h"
#include "model/drawingelement.h"
#include "model/undosuspender.h"
#include "render/tarnisview.h"

namespace {

// "Page Notification" kind of an activated page.
constexpr std::int32_t kPageActivated = 6;

void SaveWhenChanged(CTarnisView& view, const CViewDefinition& before)
{
    if (!view.GetViewDefinition().IsSameCamera(before))
        view.SaveViewDefinition(&before);
}

CPageList* PagesOf(const CTarnisView& view)
{
    return view.GetModel() != nullptr ? view.GetModel()->GetPageList() : nullptr;
}

}  // namespace

void WheelZoom(CTarnisView& view, double amount, const CPoint2d& point)
{
    view.ZoomByWheel(amount, point);
}

void ActivatePage(CTarnisView& view, CTarnwickPage* page)
{
    if (page == nullptr)
        return;
    CUndoSuspender suspender(true);
    const CViewDefinition before = view.GetViewDefinition();
    view.SetAnimation(nullptr);
    CPageList* pages = page->GetPageList();
    CTarnwickPage* previous = pages != nullptr ? pages->GetSelectedPage() : nullptr;
    IAnimation* transition = page->CreateTransition(&view, previous);
    page->Activate();
    if (transition != nullptr)
    {
        view.SetAnimation(transition);
        if (!transition->Step(&view))
            view.SetAnimation(nullptr);
    }
    else
    {
        auto* viewPage = dynamic_cast<CViewPage*>(page);
        if (viewPage != nullptr && (viewPage->GetPropertyMask() & CViewPage::kCamera) != 0)
            view.SetCamera(viewPage->GetCamera(), 0.0);
        else if (view.GetModel() != nullptr)
            view.SetCamera(view.GetModel()->GetCamera(), 0.0);
        if (viewPage != nullptr)
            NotifyPageFrame(0, 0, 1.0);
        view.Invalidate(false);
    }
    SaveWhenChanged(view, before);
    PageNotificationData record{kPageActivated, page};
    GetNotificationCenter().Post("Page Notification", &record);
    if (pages != nullptr)
        pages->SetSelectedPage(page);
}

void NextPage(CTarnisView& view)
{
    CPageList* pages = PagesOf(view);
    const int count = pages != nullptr ? static_cast<int>(pages->GetPages().size()) : 0;
    if (count == 0)
        return;
    const int selected = pages->IndexOf(pages->GetSelectedPage());
    const int next = count == 1 || selected < 0 ? 0 : (selected + 1) % count;
    // Activation selects the page, after its transition was made from the one before.
    ActivatePage(view, pages->GetPage(next));
}

void PreviousPage(CTarnisView& view)
{
    CPageList* pages = PagesOf(view);
    const int count = pages != nullptr ? static_cast<int>(pages->GetPages().size()) : 0;
    if (count == 0)
        return;
    const int selected = pages->IndexOf(pages->GetSelectedPage());
    const int previous = count == 1 ? 0 : (selected <= 0 ? count - 1 : selected - 1);
    ActivatePage(view, pages->GetPage(previous));
}

bool HasSeveralPages(const CTarnisView& view)
{
    const CPageList* pages = PagesOf(view);
    return pages != nullptr && pages->GetPages().size() > 1;
}

void ShowHiddenGeometry(CTarnisView& view, CBaseDoc* document, bool show)
{
    CRenderingOptions* options = view.GetRenderingOptions();
    if (options == nullptr)
        return;
    options->SetShowHiddenGeometry(show);
    if (document != nullptr)
        document->DeleteSectionCuts();
    if (!show && view.GetModel() != nullptr)
    {
        CSelectionSet& selection = view.GetModel()->GetSelectionSet();
        std::vector<CEntity*> members;
        selection.ToVector(members);
        for (CEntity* entity : members)
            if (const auto* element = dynamic_cast<CDrawingElement*>(entity);
                element != nullptr && element->IsHiddenFlagSet())
                selection.Remove(entity, true);
    }
    view.Invalidate(false);
}
