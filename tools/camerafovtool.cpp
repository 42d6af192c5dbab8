#include "tools/camerafovtool.h"

#include "render/tarnisview.h"
#include "tools/cameragrab.h"
#include "tools/cameramotions.h"

void CCameraFOVTool::SetFieldOfView(CTarnisView& view, double degrees)
{
    CViewDefinition& definition = view.GetViewDefinition();
    int x = 0;
    int y = 0;
    definition.GetViewportCenter(x, y);
    bool whole = true;
    const CPoint3d reference = FindReferencePoint(view, CPoint2d(x, y), whole);
    SetReferencePoint(reference);
    ChangeFieldOfViewKeepingFraming(definition, reference, degrees);
}
