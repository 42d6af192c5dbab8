#include "samplegen/placementmodels.h"

#include <algorithm>

#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/shadowinfo.h"
#include "document/tarnwickmodel.h"
#include "document/utctime.h"
#include "model/undosuspender.h"
#include "samplegen/geometrybuilder.h"
#include "samplegen/placing.h"

namespace {

void BuildSquares(CTarnwickModel& model, int outer, int inner, bool shadows)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    CComponentDefinition* square = AddDefinition(model, "Square");
    const CGeometryBuilder builder(*square);
    (void)builder.Face({builder.Vertex(CPoint3d(0, 0, 0)), builder.Vertex(CPoint3d(1, 0, 0)),
                        builder.Vertex(CPoint3d(1, 1, 0)), builder.Vertex(CPoint3d(0, 1, 0))},
                       CVector3d(0, 0, 1));
    CComponentDefinition* field = AddDefinition(model, "Squares");
    // A unit's gap between neighbours, so that each shows.
    const double fieldSide = 2.0 * PlaceField(*field, *square, std::max(inner, 1), CVector3d(2.0, 2.0, 0.0));
    const CVector3d step(fieldSide + 2.0, fieldSide + 2.0, 0.0);
    const double side = step.x * PlaceField(*model.GetRootComponent(), *field, std::max(outer, 1), step);
    if (shadows) {
        CShadowInfo& info = *model.GetShadowInfo();
        info.SetDateTime(CUtcTime(2020, 6, 21, 15, 0, 0));
        info.SetDisplayShadows(true);
    }
    LookDownOnField(model, side);
}

}  // namespace

void BuildNestedSquaresModel(CTarnwickModel& model, int outer, int inner)
{
    BuildSquares(model, outer, inner, false);
}

void BuildShadowedNestedSquaresModel(CTarnwickModel& model, int outer, int inner)
{
    BuildSquares(model, outer, inner, true);
}
