#include "samplegen/placementmodels.h"

#include <algorithm>
#include <cmath>

#include "document/camera.h"
#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/definitionlist.h"
#include "document/shadowinfo.h"
#include "document/tarnwickmodel.h"
#include "document/utctime.h"
#include "foundation/transformation.h"
#include "model/undosuspender.h"
#include "platform/cstring.h"
#include "samplegen/geometrybuilder.h"

namespace {

// The columns of a square field for that many things (one at least).
int ColumnsFor(int count)
{
    return static_cast<int>(std::ceil(std::sqrt(static_cast<double>(std::max(count, 1)))));
}

CComponentDefinition* AddDefinition(CTarnwickModel& model, const char* name)
{
    auto* definition = new CComponentDefinition;
    definition->SetName(CString::FromUtf8(name));
    model.GetRootComponent()->GetDefinitionList()->Add(definition);
    return definition;
}

// Places the definition that many times in the component, in a square field whose
// places lie step apart; answers the field's side.
double PlaceField(CComponent& into, CComponentDefinition& placed, int count, double step)
{
    const int columns = ColumnsFor(count);
    for (int i = 0; i < count; ++i) {
        auto* instance = new CComponentInstance;
        placed.AddInstance(instance);
        CTransformation transform;
        transform.SetTranslation(CVector3d(step * (i % columns), step * (i / columns), 0.0));
        instance->SetTransform(transform);
        into.Add(instance);
    }
    return step * columns;
}

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
    const double fieldSide = PlaceField(*field, *square, std::max(inner, 1), 2.0);
    const double side = PlaceField(*model.GetRootComponent(), *field, std::max(outer, 1), fieldSide + 2.0);
    if (shadows) {
        CShadowInfo& info = *model.GetShadowInfo();
        info.SetDateTime(CUtcTime(2020, 6, 21, 15, 0, 0));
        info.SetDisplayShadows(true);
    }
    const CPoint3d target(side / 2.0, side / 2.0, 0.0);
    CCamera camera;
    camera.SetView(CPoint3d(target.x, target.y, 2.0 * side), target, CVector3d(0.0, 1.0, 0.0), 1.0, 1000.0, true,
                   35.0, side);
    model.SetCamera(camera);
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
