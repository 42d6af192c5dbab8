#include "samplegen/sectionmodels.h"

#include <algorithm>
#include <vector>

#include "annotations/sectionplane.h"
#include "document/camera.h"
#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/tarnwickmodel.h"
#include "foundation/transformation.h"
#include "model/undosuspender.h"
#include "samplegen/geometrybuilder.h"
#include "samplegen/placing.h"
#include "samplegen/gridmodel.h"

namespace {

const CVector3d kUp(0.0, 0.0, 1.0);
constexpr double kPi = 3.141592653589793;
// Model units are inches.
constexpr double kMillimetre = 1.0 / 25.4;
// Placements a fifth of a degree apart see a plane through the origin differently by
// more than the cut's tolerance.
constexpr double kTiltStep = 0.2 * kPi / 180.0;

void LookAt(CTarnwickModel& model, const CPoint3d& centre, double size)
{
    CCamera camera;
    camera.SetView(centre + CVector3d(0.0, -1.2 * size, 0.8 * size), centre, kUp, 1.0, 1000.0, true, 35.0, size);
    model.SetCamera(camera);
}

// Upright planes x = constant, from low to high, facing +x.
void AddUprightPlanes(CComponent& component, int count, double low, double high)
{
    for (int i = 0; i < count; ++i) {
        const double x = low + (high - low) * (i + 0.5) / count;
        component.Add(new CSectionPlane(CPlane3d(CPoint3d(x, 0.0, 0.0), CVector3d(1.0, 0.0, 0.0))));
    }
}

void Place(CComponent& holder, CComponentDefinition* definition, const CTransformation& transform)
{
    auto* instance = new CComponentInstance;
    definition->AddInstance(instance);
    instance->SetTransform(transform);
    holder.Add(instance);
}

CTransformation Turned(const CVector3d& offset, const CUnitVector3d& axis, double angle)
{
    CTransformation shift;
    shift.SetTranslation(offset);
    return shift * CTransformation::Rotation(CPoint3d(), axis, angle);
}

// An upright quad in the plane y = 0, one wide, from z = low to z = high.
void AddUprightQuad(CComponent& component, double low, double high)
{
    const CGeometryBuilder builder(component);
    (void)builder.Face({builder.Vertex(CPoint3d(-0.5, 0, low)), builder.Vertex(CPoint3d(0.5, 0, low)),
                        builder.Vertex(CPoint3d(0.5, 0, high)), builder.Vertex(CPoint3d(-0.5, 0, high))},
                       CVector3d(0, -1, 0));
}

void Activate(CComponent& component, const CPlane3d& equation)
{
    auto* plane = new CSectionPlane(equation);
    component.Add(plane);
    component.SetActiveSectionPlane(plane);
}

}  // namespace

void BuildGridPlanesModel(CTarnwickModel& model, int planeCount, int triangleCount)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    CComponent& root = *model.GetRootComponent();
    const auto [columns, rows] = AddTriangleGrid(root, std::max(triangleCount, 1));
    AddUprightPlanes(root, std::max(planeCount, 0), 0.0, columns);
    const double size = std::max(columns, rows);
    LookAt(model, CPoint3d(columns / 2.0, rows / 2.0, 0.0), size);
}

void BuildBoxPlanesModel(CTarnwickModel& model, int planeCount)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    CComponent& root = *model.GetRootComponent();
    (void)CGeometryBuilder(root).Box(CPoint3d(0, 0, 0), CPoint3d(1, 1, 1));
    AddUprightPlanes(root, std::max(planeCount, 0), 0.0, 1.0);
    LookAt(model, CPoint3d(0.5, 0.5, 0.5), 2.0);
}

void BuildTiltedCutModel(CTarnwickModel& model, int count)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    const int placements = std::max(count, 1);
    CComponentDefinition* quad = AddDefinition(model, "Quad");
    AddUprightQuad(*quad, -1.0, 1.0);
    CComponentDefinition* row = AddDefinition(model, "Row");
    // Turned in their own plane: each still stands across the ground.
    for (int i = 0; i < placements; ++i) {
        Place(*row, quad, Turned(CVector3d(2.0 * i, 0, 0), CUnitVector3d(0, 1, 0), kTiltStep * i));
    }
    CComponent& root = *model.GetRootComponent();
    // Turned about a line on the ground: each row still crosses it.
    for (int j = 0; j < placements; ++j) {
        Place(root, row, Turned(CVector3d(0, 3.0 * j, 0), CUnitVector3d(1, 0, 0), kTiltStep * j));
    }
    Activate(root, CPlane3d(CPoint3d(0, 0, 0), kUp));
    LookAt(model, CPoint3d(placements, 1.5 * placements, 0.0), 3.0 * placements);
}

void BuildRisingCutModel(CTarnwickModel& model, int count)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    const int placements = std::max(count, 1);
    const double step = kRisingStepMillimetres * kMillimetre;
    CComponentDefinition* quad = AddDefinition(model, "Rising quad");
    AddUprightQuad(*quad, -1.0, 1.0);
    CComponent& root = *model.GetRootComponent();
    const int columns = ColumnsFor(placements);
    for (int k = 0; k < placements; ++k) {
        CTransformation shift;
        shift.SetTranslation(CVector3d(2.0 * (k % columns), 2.0 * (k / columns), step * k));
        Place(root, quad, shift);
    }
    Activate(root, CPlane3d(CPoint3d(0, 0, 0), kUp));
    LookAt(model, CPoint3d(columns, columns, 0.0), 2.0 * columns);
}

void BuildCrossingCutModel(CTarnwickModel& model, int crossings)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    CComponent& root = *model.GetRootComponent();
    const CGeometryBuilder builder(root);
    const int notches = std::max(crossings / 2, 1);
    const double width = 2.0 * notches + 1.0;
    CFace* face = builder.Face({builder.Vertex(CPoint3d(-1, -1, 0)), builder.Vertex(CPoint3d(width + 1, -1, 0)),
                                builder.Vertex(CPoint3d(width + 1, 1, 0)), builder.Vertex(CPoint3d(-1, 1, 0))},
                               kUp);
    // Counter-clockwise: along the plane left to right, dipping into each notch, then back
    // along the top.
    std::vector<CVertex*> ring{builder.Vertex(CPoint3d(0, 0, 0))};
    for (int k = 0; k < notches; ++k) {
        const double x = 2.0 * k + 1.0;
        for (const CPoint3d& corner : {CPoint3d(x, 0, 0), CPoint3d(x, -0.5, 0), CPoint3d(x + 1, -0.5, 0),
                                       CPoint3d(x + 1, 0, 0), CPoint3d(x + 1.5, 0, 0)}) {
            ring.push_back(builder.Vertex(corner));
        }
    }
    ring.push_back(builder.Vertex(CPoint3d(width, 0, 0)));
    ring.push_back(builder.Vertex(CPoint3d(width, 0.5, 0)));
    ring.push_back(builder.Vertex(CPoint3d(0, 0.5, 0)));
    std::reverse(ring.begin(), ring.end());
    (void)builder.Hole(face, ring);
    // Cuts the notches away: the plane is crossed where each dips below it.
    Activate(root, CPlane3d(CPoint3d(0, 0, 0), CVector3d(0, 1, 0)));
    LookAt(model, CPoint3d(width / 2.0, 0.0, 0.0), width);
}
