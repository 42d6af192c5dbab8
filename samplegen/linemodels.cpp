#include "samplegen/linemodels.h"

#include <algorithm>
#include <utility>

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

// A definition named so, placed that many times (at least once) where it stands, holding
// free edges: that many (at least one), edge i running between the two points ends(i, count)
// answers. Edges are shown and the unit square, which fills most of the view's height, is
// looked straight down on. Answers the options, for the rest of the edges' look.
template <typename Ends>
CRenderingOptions& AddPlacedEdges(CTarnwickModel& model, const char* name, int edges, int placements, Ends ends)
{
    CComponentDefinition* definition = AddDefinition(model, name);
    PlaceStacked(*model.GetRootComponent(), *definition, std::max(placements, 1));
    const CGeometryBuilder builder(*definition);
    const int count = std::max(edges, 1);
    for (int i = 0; i < count; ++i) {
        const auto [from, to] = ends(i, count);
        (void)builder.Edge(builder.Vertex(from), builder.Vertex(to));
    }
    CCamera camera;
    camera.SetView(CPoint3d(0.5, 0.5, 2.0), CPoint3d(0.5, 0.5, 0.0), CVector3d(0.0, 1.0, 0.0), 1.0, 1000.0, false,
                   35.0, 1.1);
    model.SetCamera(camera);
    CRenderingOptions& options = *model.GetRenderingOptions();
    options.SetDisplayEdges(1);
    return options;
}

}  // namespace

void BuildLongEdgesModel(CTarnwickModel& model, int edges, int placements, int profileWidth)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    CRenderingOptions& options = AddPlacedEdges(model, "Long edges", edges, placements, [](int i, int count) {
        // From the lower side to the upper one, every line through the centre.
        const double t = (i + 0.5) / count;
        return std::pair(CPoint3d(t, 0.0, 0.0), CPoint3d(1.0 - t, 1.0, 0.0));
    });
    options.SetDrawProfiles(true);
    options.SetProfileWidth(std::clamp(profileWidth, 1, 100));
}

void BuildShortEdgesModel(CTarnwickModel& model, int edges, int placements, bool jittered)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    const int columns = ColumnsFor(std::max(edges, 1));
    CRenderingOptions& options = AddPlacedEdges(model, "Short edges", edges, placements, [columns](int i, int) {
        constexpr double kLength = 1.0 / 50.0;
        const double x = static_cast<double>(i % columns) / columns;
        const double y = static_cast<double>(i / columns) / columns;
        return std::pair(CPoint3d(x, y, 0.0), CPoint3d(x + kLength, y, 0.0));
    });
    options.SetJitterEdges(jittered);
    options.SetDrawEndpoints(jittered);
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
