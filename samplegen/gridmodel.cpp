#include "samplegen/gridmodel.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "document/camera.h"
#include "document/component.h"
#include "document/tarnwickmodel.h"
#include "model/undosuspender.h"
#include "model/vertex.h"
#include "samplegen/geometrybuilder.h"

namespace {

const CVector3d kUp(0.0, 0.0, 1.0);

// A slanted perspective view from the south that shows the whole grid, so that a viewer
// that frames the model by itself draws the same triangles.
CCamera FramingCamera(int columns, int rows)
{
    const double size = std::max(columns, rows);
    const CPoint3d target(columns / 2.0, rows / 2.0, 0.0);
    const CPoint3d eye(target.x, target.y - 1.2 * size, 1.2 * size);
    CCamera camera;
    camera.SetView(eye, target, kUp, 1.0, 1000.0, true, 35.0, size);
    return camera;
}

}  // namespace

std::pair<int, int> AddTriangleGrid(CComponent& component, int triangleCount)
{
    if (triangleCount <= 0) {
        return {0, 0};
    }
    const CGeometryBuilder builder(component);
    const int cells = (triangleCount + 1) / 2;
    const int columns = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(cells))));
    const int rows = (cells + columns - 1) / columns;
    // Vertices are made when a face first needs them: a vertex belongs to its edges, so
    // one that no face uses would belong to nothing.
    std::vector<CVertex*> below(static_cast<std::size_t>(columns) + 1);
    std::vector<CVertex*> above(below.size());
    const auto at = [&](std::vector<CVertex*>& row, std::size_t x, int rowY) {
        if (row[x] == nullptr) {
            row[x] = builder.Vertex(CPoint3d(static_cast<double>(x), rowY, 0));
        }
        return row[x];
    };
    int made = 0;
    for (int y = 0; y < rows && made < triangleCount; ++y) {
        std::fill(above.begin(), above.end(), nullptr);
        for (std::size_t x = 0; x < static_cast<std::size_t>(columns) && made < triangleCount; ++x) {
            builder.Face({at(below, x, y), at(below, x + 1, y), at(above, x + 1, y + 1)}, kUp);
            if (++made < triangleCount) {
                builder.Face({at(below, x, y), at(above, x + 1, y + 1), at(above, x, y + 1)}, kUp);
                ++made;
            }
        }
        below.swap(above);
    }
    return {columns, rows};
}

void BuildGridModel(CTarnwickModel& model, int triangleCount)
{
    if (triangleCount <= 0) {
        return;
    }
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    const auto [columns, rows] = AddTriangleGrid(*model.GetRootComponent(), triangleCount);
    model.SetCamera(FramingCamera(columns, rows));
}
