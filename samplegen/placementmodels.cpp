#include "samplegen/placementmodels.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "document/camera.h"
#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/shadowinfo.h"
#include "document/tarnwickmodel.h"
#include "document/utctime.h"
#include "foundation/transformation.h"
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

namespace {

// Looks at the whole of the placements, which reach from the origin to the extent.
void LookAtPlacements(CTarnwickModel& model, const CVector3d& extent)
{
    const double size = std::max({extent.x, extent.y, extent.z});
    const CPoint3d target(extent.x / 2.0, extent.y / 2.0, extent.z / 2.0);
    CCamera camera;
    camera.SetView(target + CVector3d(0.5, -2.0, 1.0) * size, target, CVector3d(0, 0, 1), 1.0, 1000.0, true, 35.0,
                   size);
    model.SetCamera(camera);
}

// Places the definition in the root, moved so that the shape's box starts at the origin
// and then by the offset.
void PlaceShaped(CTarnwickModel& model, CComponentDefinition& definition, const CTransformation& shape,
                 const CBoundingBox3d& shaped, const CVector3d& offset)
{
    CTransformation move;
    move.SetTranslation(offset - CVector3d(shaped.xmin, shaped.ymin, shaped.zmin));
    auto* instance = new CComponentInstance;
    definition.AddInstance(instance);
    instance->SetTransform(move * shape);
    model.GetRootComponent()->Add(instance);
}

}  // namespace

void BuildShapedBoxesModel(CTarnwickModel& model, const CTransformation& shape, int count, double gap)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    CComponentDefinition* box = AddDefinition(model, "Box");
    (void)CGeometryBuilder(*box).Box(CPoint3d(0, 0, 0), CPoint3d(1, 1, 1));
    const CBoundingBox3d shaped = shape * CBoundingBox3d(0.0, 1.0, 0.0, 1.0, 0.0, 1.0);
    const double step = shaped.xmax - shaped.xmin + gap;
    const int copies = std::max(count, 1);
    for (int i = 0; i < copies; ++i) {
        PlaceShaped(model, *box, shape, shaped, CVector3d(step * i, 0.0, 0.0));
    }
    LookAtPlacements(model, CVector3d(step * copies - gap, shaped.ymax - shaped.ymin, shaped.zmax - shaped.zmin));
}

void BuildStackedShapesModel(CTarnwickModel& model, const CTransformation& shape, int count, bool squares, bool made)
{
    constexpr double kStep = 0.001;
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    CComponentDefinition* definition = AddDefinition(model, squares ? "Square" : "Box");
    const CBoundingBox3d unit(0.0, 1.0, 0.0, 1.0, 0.0, squares ? 0.0 : 1.0);
    const CBoundingBox3d shaped = shape * unit;
    const CBoundingBox3d drawn = made ? shaped : unit;
    const CGeometryBuilder builder(*definition);
    if (squares) {
        (void)builder.Face({builder.Vertex(drawn.GetMin()), builder.Vertex(CPoint3d(drawn.xmax, drawn.ymin, drawn.zmin)),
                            builder.Vertex(CPoint3d(drawn.xmax, drawn.ymax, drawn.zmin)),
                            builder.Vertex(CPoint3d(drawn.xmin, drawn.ymax, drawn.zmin))},
                           CVector3d(0, 0, 1));
    } else {
        (void)builder.Box(drawn.GetMin(), drawn.GetMax());
    }
    const CTransformation placed = made ? CTransformation() : shape;
    const int copies = std::max(count, 1);
    for (int i = 0; i < copies; ++i) {
        PlaceShaped(model, *definition, placed, shaped, CVector3d(0.0, 0.0, kStep * i));
    }
    LookAtPlacements(model, CVector3d(shaped.xmax - shaped.xmin, shaped.ymax - shaped.ymin,
                                      shaped.zmax - shaped.zmin + kStep * (copies - 1)));
}

void BuildPlacedThroughModel(CTarnwickModel& model, const std::vector<StoredPlacement>& path)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    CComponentDefinition* placed = AddDefinition(model, "Box");
    (void)CGeometryBuilder(*placed).Box(CPoint3d(0, 0, 0), CPoint3d(1, 1, 1));
    for (auto stored = path.rbegin(); stored != path.rend(); ++stored) {
        auto* instance = new CComponentInstance;
        placed->AddInstance(instance);
        // The matrix, the origin, the scale.
        const double numbers[CTransformation::kStoredNumberCount] = {1, 0, 0, 0, 1, 0, 0, 0, 1,
                                                                     stored->origin, 0, 0, stored->scale};
        CTransformation transform;
        transform.SetFromStoredNumbers(numbers);
        instance->SetTransform(transform);
        if (std::next(stored) == path.rend()) {
            model.GetRootComponent()->Add(instance);
        } else {
            placed = AddDefinition(model, "Path#" + std::to_string(path.rend() - stored - 1));
            placed->Add(instance);
        }
    }
}
