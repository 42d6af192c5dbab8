#include "tools/cameragrab.h"

#include <optional>

#include "foundation/framemeter.h"
#include "foundation/line3d.h"
#include "render/tarnisview.h"
#include "render/viewcenterfinder.h"
#include "render/viewdefinition.h"

namespace {

bool IsBehindEye(const CViewDefinition& view, const CPoint3d& point)
{
    return DotProduct(point - view.GetEye(), view.GetViewDirection()) < 0.0;
}

}  // namespace

CPoint3d FindOrbitPivot(CTarnisView& view, const CPoint2d& pixel, bool& whole)
{
    CPoint3d pivot;
    whole = CViewCenterFinder(view).GetPivot(pixel, pivot);
    const CViewDefinition& definition = view.GetViewDefinition();
    return IsBehindEye(definition, pivot) ? definition.GetTarget() : pivot;
}

CPoint3d FindReferencePoint(CTarnisView& view, const CPoint2d& pixel, bool& whole)
{
    const CViewDefinition& definition = view.GetViewDefinition();
    CPoint3d point;
    bool found = false;
    {
        std::optional<CFrameMeter::CScope> meter;
        view.OpenQueryMeter(meter, false);
        found = view.FindPointUnder(pixel, point);
        whole = !CFrameMeter::ShouldStop();
    }
    if (!found)
        view.GetPickRay(pixel).ProjectPoint(definition.GetTarget(), point);
    return IsBehindEye(definition, point) ? definition.GetTarget() : point;
}
