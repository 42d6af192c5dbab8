#include "samplegen/linemodels.h"

#include <algorithm>

#include "document/camera.h"
#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/tarnwickmodel.h"
#include "document/utctime.h"
#include "model/undosuspender.h"
#include "samplegen/geometrybuilder.h"
#include "samplegen/placing.h"

namespace {

// A definition named so, placed that many times (at least once) where it stands.
CComponentDefinition* AddStackedDefinition(CTarnwickModel& model, const char* name, int placements)
{
    CComponentDefinition* definition = AddDefinition(model, name);
    PlaceStacked(*model.GetRootComponent(), *definition, std::max(placements, 1));
    return definition;
}

// Straight down on the unit square, which fills most of the view's height.
void LookDownOnUnitSquare(CTarnwickModel& model)
{
    CCamera camera;
    camera.SetView(CPoint3d(0.5, 0.5, 2.0), CPoint3d(0.5, 0.5, 0.0), CVector3d(0.0, 1.0, 0.0), 1.0, 1000.0, false,
                   35.0, 1.1);
    model.SetCamera(camera);
}

}  // namespace

void BuildLongEdgesModel(CTarnwickModel& model, int edges, int placements, int profileWidth)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    CComponentDefinition* definition = AddStackedDefinition(model, "Long edges", placements);
    const CGeometryBuilder builder(*definition);
    const int count = std::max(edges, 1);
    for (int i = 0; i < count; ++i) {
        // From the lower side to the upper one, every line through the centre.
        const double t = (i + 0.5) / count;
        (void)builder.Edge(builder.Vertex(CPoint3d(t, 0.0, 0.0)), builder.Vertex(CPoint3d(1.0 - t, 1.0, 0.0)));
    }
    CRenderingOptions& options = *model.GetRenderingOptions();
    options.SetDisplayEdges(1);
    options.SetDrawProfiles(true);
    options.SetProfileWidth(std::clamp(profileWidth, 1, 100));
    LookDownOnUnitSquare(model);
}

void BuildShortEdgesModel(CTarnwickModel& model, int edges, int placements, bool jittered)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    CComponentDefinition* definition = AddStackedDefinition(model, "Short edges", placements);
    const CGeometryBuilder builder(*definition);
    const int count = std::max(edges, 1);
    const int columns = ColumnsFor(count);
    constexpr double kLength = 1.0 / 50.0;
    for (int i = 0; i < count; ++i) {
        const double x = static_cast<double>(i % columns) / columns;
        const double y = static_cast<double>(i / columns) / columns;
        (void)builder.Edge(builder.Vertex(CPoint3d(x, y, 0.0)), builder.Vertex(CPoint3d(x + kLength, y, 0.0)));
    }
    CRenderingOptions& options = *model.GetRenderingOptions();
    options.SetDisplayEdges(1);
    options.SetJitterEdges(jittered);
    options.SetDrawEndpoints(jittered);
    LookDownOnUnitSquare(model);
}

void BuildFinsModel(CTarnwickModel& model, int fins)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    const CGeometryBuilder builder(*model.GetRootComponent());
    const int count = std::max(fins, 1);
    // A unit wide, ten high, a hundredth apart along y: each stands behind the one before.
    constexpr double kStep = 0.01;
    for (int i = 0; i < count; ++i) {
        const double y = kStep * i;
        (void)builder.Face({builder.Vertex(CPoint3d(0.0, y, 0.0)), builder.Vertex(CPoint3d(1.0, y, 0.0)),
                            builder.Vertex(CPoint3d(1.0, y, 10.0)), builder.Vertex(CPoint3d(0.0, y, 10.0))},
                           CVector3d(0.0, -1.0, 0.0));
    }
    CShadowInfo& shadows = *model.GetShadowInfo();
    // A low sun across the row casts long shadows over the ground in front of the camera.
    shadows.SetDateTime(CUtcTime(2020, 6, 21, 17, 0, 0));
    shadows.SetDisplayShadows(true);
    model.GetRenderingOptions()->SetDisplayShadowsMirror(true);
    CCamera camera;
    camera.SetView(CPoint3d(0.5, -20.0, 6.0), CPoint3d(0.5, 20.0, 2.0), CVector3d(0.0, 0.0, 1.0), 1.0, 1000.0, true,
                   35.0, 10.0);
    model.SetCamera(camera);
}
