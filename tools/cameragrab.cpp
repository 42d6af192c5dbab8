#include "tools/cameragrab.h"

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

CPoint3d FindOrbitPivot(CTarnisView& view, const CPoint2d& pixel)
{
    CPoint3d pivot;
    CViewCenterFinder(view).GetPivot(pixel, pivot);
    const CViewDefinition& definition = view.GetViewDefinition();
    return IsBehindEye(definition, pivot) ? definition.GetTarget() : pivot;
}

CPoint3d FindReferencePoint(CTarnisView& view, const CPoint2d& pixel)
{
    const CViewDefinition& definition = view.GetViewDefinition();
    CPoint3d point;
    if (!view.FindPointUnder(pixel, point))
        view.GetPickRay(pixel).ProjectPoint(definition.GetTarget(), point);
    return IsBehindEye(definition, point) ? definition.GetTarget() : point;
}
