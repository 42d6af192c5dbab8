// A walk over the model's points is charged as vertices and stops where a frame would:
// a drag that takes hold of a huge model finds its pivot in a moving frame's time.

#include <gtest/gtest.h>

#include <cstdint>

#include "document/component.h"
#include "document/tarnwickmodel.h"
#include "foundation/framemeter.h"
#include "model/undosuspender.h"
#include "render/modelpointwalk.h"
#include "samplegen/geometrybuilder.h"

namespace {

class CCountingWalk : public CModelPointWalk
{
public:
    CCountingWalk() : CModelPointWalk(nullptr) {}
    std::uint64_t points = 0;

protected:
    void AddPoint(const CPoint3d& /*point*/) override { ++points; }
};

TEST(ModelPointWalkTest, AWalkIsChargedItsPointsAndStopsIncompleteWhereItsBudgetEnds)
{
    const CUndoSuspender suspender;
    auto* model = new CTarnwickModel();
    CComponent& root = *model->GetRootComponent();
    const CGeometryBuilder builder(root);
    constexpr int kEdges = 5000;
    for (int i = 0; i < kEdges; ++i) {
        builder.Edge(builder.Vertex(CPoint3d(i, 0, 0)), builder.Vertex(CPoint3d(i, 1, 0)));
    }
    {
        CCountingWalk walk;
        const CFrameMeter::CScope meter;
        EXPECT_TRUE(walk.WalkComponent(root));
        EXPECT_EQ(walk.points, 2u * kEdges);
        EXPECT_EQ(meter.GetUsed(), 2u * kEdges);
    }
    {
        CCountingWalk walk;
        const CFrameMeter::CScope meter(1000);
        EXPECT_FALSE(walk.WalkComponent(root));
        EXPECT_LE(walk.points, 1002u);
    }
    model->Release();
}

}  // namespace
