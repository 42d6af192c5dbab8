#include "app/viewnavigation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "document/basedoc.h"
#include "document/component.h"
#include "document/pagelist.h"
#include "document/renderingoptions.h"
#include "document/tarnwickpage.h"
#include "document/viewpage.h"
#include "drawapi/animation.h"
#include "foundation/boundingbox3d.h"
#include "foundation/notificationcenter.h"
#include "model/drawingelement.h"
#include "model/undosuspender.h"
#include "render/tarnisview.h"

namespace {

constexpr double kDirectionTolerance = 0.001;
// "Page Notification" kind of an activated page.
constexpr std::int32_t kPageActivated = 6;

bool SameDirection(const CVector3d& a, const CVector3d& b)
{
    return std::abs(a.x - b.x) <= kDirectionTolerance && std::abs(a.y - b.y) <= kDirectionTolerance &&
           std::abs(a.z - b.z) <= kDirectionTolerance;
}

CVector3d Normalised(CVector3d v)
{
    const double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return length > 0.0 ? CVector3d(v.x / length, v.y / length, v.z / length) : v;
}

double AngleBetween(const CVector3d& a, const CVector3d& b)
{
    const CVector3d u = Normalised(a);
    const CVector3d v = Normalised(b);
    return std::acos(std::clamp(u.x * v.x + u.y * v.y + u.z * v.z, -1.0, 1.0));
}

// The model point the view is centred on: what the core finds there, else the target.
CPoint3d ViewPivot(CTarnisView& view)
{
    CPoint3d pivot;
    if (view.FindViewCenter(pivot))
        return pivot;
    return view.GetViewDefinition().GetTarget();
}

void SaveWhenChanged(CTarnisView& view, const CViewDefinition& before)
{
    if (!view.GetViewDefinition().IsSameCamera(before))
        view.SaveViewDefinition(&before);
}

CPageList* PagesOf(const CTarnisView& view)
{
    return view.GetModel() != nullptr ? view.GetModel()->GetPageList() : nullptr;
}

// Depth along the view direction of the model's centre, at least the near distance.
double ZoomDistance(const CTarnisView& view)
{
    const CViewDefinition& definition = view.GetViewDefinition();
    if (!definition.IsPerspective())
        return 1.0;
    double depth = definition.GetTargetDistance();
    if (view.GetModel() != nullptr && view.GetModel()->GetRootComponent() != nullptr)
    {
        const CPoint3d centre = view.GetModel()->GetRootComponent()->GetBoundsCenter();
        const CVector3d direction = definition.GetViewDirection();
        const CVector3d toCentre = centre - definition.GetEye();
        depth = toCentre.x * direction.x + toCentre.y * direction.y + toCentre.z * direction.z;
    }
    return std::max(depth, definition.GetNear());
}

}  // namespace

void SetStandardView(CTarnisView& view, const CVector3d& direction, const CVector3d& up)
{
    const CViewDefinition before = view.GetViewDefinition();
    if (SameDirection(before.GetViewDirection(), direction) && SameDirection(before.GetCamera().GetUp(), up))
        return;
    const CPoint3d pivot = ViewPivot(view);
    const CVector3d offset = before.GetEye() - pivot;
    const double distance = std::sqrt(offset.x * offset.x + offset.y * offset.y + offset.z * offset.z);
    const CPoint3d eye = pivot + direction * -distance;
    view.GetViewDefinition().SetEyeTarget(eye, pivot, up);
    view.StoreCamera();
    view.Invalidate(false);
    SaveWhenChanged(view, before);
}

void ViewTop(CTarnisView& view)
{
    SetStandardView(view, CVector3d(0, 0, -1), CVector3d(0, 1, 0));
}

void ViewBottom(CTarnisView& view)
{
    SetStandardView(view, CVector3d(0, 0, 1), CVector3d(0, 1, 0));
}

void ViewFront(CTarnisView& view)
{
    SetStandardView(view, CVector3d(0, 1, 0), CVector3d(0, 0, 1));
}

void ViewBack(CTarnisView& view)
{
    SetStandardView(view, CVector3d(0, -1, 0), CVector3d(0, 0, 1));
}

void ViewLeft(CTarnisView& view)
{
    SetStandardView(view, CVector3d(1, 0, 0), CVector3d(0, 0, 1));
}

void ViewRight(CTarnisView& view)
{
    SetStandardView(view, CVector3d(-1, 0, 0), CVector3d(0, 0, 1));
}

CVector3d ChooseIsoDirection(const CVector3d& current, bool perspective)
{
    CVector3d best;
    double bestAngle = 10.0;
    for (const double x : {-1.0, 1.0})
        for (const double y : {1.0, -1.0})
            for (const double z : {-1.0, 1.0})
            {
                const CVector3d candidate(x, y, z);
                const double angle = AngleBetween(candidate, current);
                // A later candidate must be clearly nearer to win.
                if (angle < bestAngle - kDirectionTolerance)
                {
                    best = candidate;
                    bestAngle = angle;
                }
            }
    if (perspective)
        best = CVector3d(2 * best.x, 2 * best.y, best.z);
    return Normalised(best);
}

void ViewIso(CTarnisView& view)
{
    const CViewDefinition& definition = view.GetViewDefinition();
    SetStandardView(view, ChooseIsoDirection(definition.GetViewDirection(), definition.IsPerspective()),
                    CVector3d(0, 0, 1));
}

void WheelZoom(CTarnisView& view, double amount, const CPoint2d& point)
{
    const CViewDefinition before = view.GetViewDefinition();
    view.SaveViewDefinition(&before);
    view.GetViewDefinition().ZoomAtPixel(point, ZoomDistance(view), -amount * 0.1);
    view.Invalidate(false);
    view.StoreCamera();
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
