// Every drawing class weighs what drawing it costs a frame by what it holds: one row per
// class and shape, a small and a large one, and the large one must weigh more.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#include "document/component.h"
#include "document/tarnwickmodel.h"
#include "model/drawingelement.h"
#include "model/face.h"
#include "model/undosuspender.h"
#include "samplegen/geometrybuilder.h"

namespace {

using Make = std::function<CDrawingElement*(CComponent&)>;

struct SRow
{
    const char* name;
    Make makeSmall;
    Make makeLarge;
};

// Corners round a circle of radius 10, each joined to the one step places on.
Make Ring(int corners, int step)
{
    return [=](CComponent& component) -> CDrawingElement* {
        const CGeometryBuilder builder(component);
        std::vector<CVertex*> ring;
        for (int i = 0; i < corners; ++i) {
            const double angle = 6.283185307179586 * (static_cast<long long>(i) * step % corners) / corners;
            ring.push_back(builder.Vertex(CPoint3d(10.0 * std::cos(angle), 10.0 * std::sin(angle), 0.0)));
        }
        return builder.Face(ring, CVector3d(0, 0, 1));
    };
}

// A comb of that many teeth: concave at the foot of each.
Make Comb(int teeth)
{
    return [=](CComponent& component) -> CDrawingElement* {
        const CGeometryBuilder builder(component);
        std::vector<CVertex*> ring{builder.Vertex(CPoint3d(0, 0, 0)), builder.Vertex(CPoint3d(2.0 * teeth, 0, 0))};
        for (int i = teeth - 1; i >= 0; --i) {
            ring.push_back(builder.Vertex(CPoint3d(2.0 * i + 2.0, 5, 0)));
            ring.push_back(builder.Vertex(CPoint3d(2.0 * i + 1.0, 5, 0)));
            ring.push_back(builder.Vertex(CPoint3d(2.0 * i + 1.0, 1, 0)));
            ring.push_back(builder.Vertex(CPoint3d(2.0 * i, 1, 0)));
        }
        return builder.Face(ring, CVector3d(0, 0, 1));
    };
}

// A square with that many unit holes in a row, or touching its outline at a corner each.
Make Holed(int holes, bool touching)
{
    return [=](CComponent& component) -> CDrawingElement* {
        const CGeometryBuilder builder(component);
        const double side = 2.0 * holes + 1.0;
        CFace* face = builder.Face({builder.Vertex(CPoint3d(0, 0, 0)), builder.Vertex(CPoint3d(side, 0, 0)),
                                    builder.Vertex(CPoint3d(side, side, 0)), builder.Vertex(CPoint3d(0, side, 0))},
                                   CVector3d(0, 0, 1));
        for (int i = 0; i < holes; ++i) {
            const double x = 2.0 * i + 1.0;
            const double low = touching ? 0.0 : 1.0;
            (void)builder.Hole(face, {builder.Vertex(CPoint3d(x + 0.5, low, 0)), builder.Vertex(CPoint3d(x, 2, 0)),
                                      builder.Vertex(CPoint3d(x + 1, 2, 0))});
        }
        return face;
    };
}

// A loop leaving its centre and coming back to it once per petal.
Make Petals(int petals)
{
    return [=](CComponent& component) -> CDrawingElement* {
        const CGeometryBuilder builder(component);
        std::vector<CVertex*> ring;
        for (int i = 0; i < petals; ++i) {
            const double from = 6.283185307179586 * i / petals;
            const double to = 6.283185307179586 * (i + 0.5) / petals;
            ring.push_back(builder.Vertex(CPoint3d(0, 0, 0)));
            ring.push_back(builder.Vertex(CPoint3d(10.0 * std::cos(from), 10.0 * std::sin(from), 0)));
            ring.push_back(builder.Vertex(CPoint3d(10.0 * std::cos(to), 10.0 * std::sin(to), 0)));
        }
        return builder.Face(ring, CVector3d(0, 0, 1));
    };
}

const SRow kRows[] = {
    {"convex face, more corners", Ring(3, 1), Ring(100, 1)},
    {"concave face, more corners", Comb(2), Comb(50)},
    {"holed face, more holes", Holed(1, false), Holed(20, false)},
    {"holes touching the outline, more of them", Holed(1, true), Holed(20, true)},
    {"loop touching itself, more often", Petals(3), Petals(100)},
    {"crossing star, more crossings", Ring(5, 2), Ring(301, 150)},
};

std::uint64_t WeightOf(const Make& make, bool shadows)
{
    auto* model = new CTarnwickModel;
    std::uint64_t weight = 0;
    {
        const CUndoSuspender suspender;
        const CurrentModelScope scope(model);
        weight = make(*model->GetRootComponent())->GetDrawingWeight(shadows);
    }
    model->Release();
    return weight;
}

}  // namespace

TEST(DrawingWeightTest, EveryClassWeighsMoreForMoreContent)
{
    for (const SRow& row : kRows) {
        for (const bool shadows : {false, true}) {
            EXPECT_LT(WeightOf(row.makeSmall, shadows), WeightOf(row.makeLarge, shadows))
                << row.name << (shadows ? " with shadows" : "");
        }
    }
}
