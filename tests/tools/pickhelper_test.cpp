#include "tools/pickhelper.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "model/edge.h"
#include "model/vertex.h"
#include "tests/tools/viewfixture.h"

namespace {

class PickTest : public ViewFixture
{
protected:
    // A point pick at the window point with the default aperture.
    int Pick(CPickHelper& picker, const CPoint2d& point)
    {
        picker.Attach(&m_view, point, 0);
        const CurrentModelScope scope(m_model);
        return picker.Pick();
    }

    const CPoint2d kCentre{kWidth / 2.0, kHeight / 2.0};
};

TEST_F(PickTest, TheFaceUnderTheCursorComesFirstAndHidesWhatLiesBehindIt)
{
    CFace* lower = Square(Root(), 5.0, 0.0);
    // Drawn after the lower face, inside an instance lifted by 3.
    CComponentDefinition* definition = Place(Root(), nullptr, Shift(0, 0, 3));
    CFace* upper = Square(*definition, 4.0, 2.0);
    CPickHelper picker;
    picker.SetFaceTracking(false);
    ASSERT_EQ(Pick(picker, kCentre), 2);
    EXPECT_EQ(picker.GetHit(0).GetPickedEntity(), upper);
    EXPECT_EQ(picker.GetHit(0).GetEntityCount(), 2);  // the instance, then the face
    EXPECT_EQ(picker.GetHit(1).GetPickedEntity(), lower);
    EXPECT_LT(picker.GetHit(0).GetMinDepth(), picker.GetHit(1).GetMinDepth());

    picker.SetFaceTracking(true);
    ASSERT_EQ(Pick(picker, kCentre), 1);
    EXPECT_EQ(picker.GetNearestFace(), upper);
    EXPECT_NEAR(picker.GetNearestFacePlane().GetSignedDistance(CPoint3d(0, 0, 6)), 1.0, 1e-9);

    CPoint3d nearest;
    ASSERT_TRUE(picker.FindNearestHitPoint(nearest));
    EXPECT_LT(nearest.Distance(CPoint3d(0, 0, 5)), 1e-9);
}

TEST_F(PickTest, AnEdgeComesBeforeItsFaceAtTheSameDepth)
{
    CFace* face = Square(Root(), 5.0, 0.0);
    // The left side: 12 pixels left of the centre at 2.4 pixels per unit.
    CPickHelper picker;
    ASSERT_EQ(Pick(picker, CPoint2d(kCentre.x - 12, kCentre.y)), 2);
    auto* edge = dynamic_cast<CEdge*>(picker.GetHit(0).GetPickedEntity());
    ASSERT_NE(edge, nullptr);
    EXPECT_NEAR(edge->GetStartVertex()->GetPosition().x, -5.0, 1e-9);
    EXPECT_EQ(picker.GetHit(1).GetPickedEntity(), face);
    EXPECT_EQ(picker.GetFirstEdge(), edge);
    EXPECT_LT(picker.GetFirstEdgeDistance(), 1e-9);
}

TEST_F(PickTest, MoreHitsThanTheSelectionBufferHoldsKeepThoseThatFitInDepthOrder)
{
    const CGeometryBuilder builder(Root());
    constexpr int kEdges = 600;
    for (int i = 0; i < kEdges; ++i) {
        // Depths in a shuffled order.
        const double z = (i * 37 % kEdges) * 0.1;
        builder.Edge(builder.Vertex(CPoint3d(-5, 0, z)), builder.Vertex(CPoint3d(5, 0, z)));
    }
    CPickHelper picker;
    // Each record holds its count, two depths, the pick's base name and the edge's.
    EXPECT_EQ(Pick(picker, kCentre), CPickHelper::kBufferSize / 5);
    for (int i = 1; i < picker.GetHitCount(); ++i) {
        EXPECT_LE(picker.GetHit(i - 1).GetMinDepth(), picker.GetHit(i).GetMinDepth()) << i;
    }
}

// A definition holding its own instance once sent the drawing walk round for ever.
TEST_F(PickTest, AComponentThatPlacesItselfEndsEveryWalk)
{
    CComponentDefinition* definition = Place(Root(), nullptr, Shift(0, 0, 0));
    Square(*definition, 3.0, 0.0);
    Place(*definition, definition, Shift(4, 0, 1));
    Draw();
    CPickHelper picker;
    EXPECT_EQ(Pick(picker, kCentre), 1);
    CPoint3d point;
    EXPECT_TRUE(m_view.FindViewCenter(point));
    EXPECT_LT(point.Distance(CPoint3d(0, 0, 0)), 1e-9);
    m_view.ZoomToExtents(nullptr);
    EXPECT_NEAR(m_view.GetViewDefinition().GetViewHeight(), 6.0 / 0.95, 1e-9);
}

}  // namespace
