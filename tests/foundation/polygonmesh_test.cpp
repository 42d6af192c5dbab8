// The indexed polygon mesh: shared points, rejected polygons and per-point data.

#include "foundation/polygonmesh.h"

#include <gtest/gtest.h>

namespace {

using orvell::geometry::CPolygonMesh;

TEST(PolygonMesh, PointsWithinToleranceShareOneIndex)
{
    CPolygonMesh mesh;
    EXPECT_EQ(mesh.AddPoint({0, 0, 0}), 1);
    EXPECT_EQ(mesh.AddPoint({1, 0, 0}), 2);
    EXPECT_EQ(mesh.AddPoint({0.0005, -0.0005, 0.0005}), 1);
    EXPECT_EQ(mesh.AddPoint({1.0011, 0, 0}), 3);
}

TEST(PolygonMesh, PolygonsWithTooFewCornersOrBadIndicesAreRejected)
{
    CPolygonMesh mesh;
    for (int i = 0; i < 4; ++i) {
        mesh.AddPoint({static_cast<double>(i), static_cast<double>(i * i), 0});
    }
    const struct {
        std::vector<int> corners;
        int answer;
    } cases[] = {{{1, 2}, 0}, {{1, 0, 2}, 0}, {{1, 2, 5}, 0}, {{1, -5, 2}, 0}, {{1, -2, 3}, 1}, {{4, 3, -2, 1}, 2}};
    for (const auto& c : cases) {
        EXPECT_EQ(mesh.AddPolygon(static_cast<int>(c.corners.size()), c.corners.data()), c.answer);
    }
    EXPECT_EQ(mesh.GetPolygonCount(), 2);
    EXPECT_EQ(mesh.GetPolygonPointCount(1), 3);
    EXPECT_EQ(mesh.GetPolygonPointCount(2), 4);
    EXPECT_EQ(mesh.GetPolygonPointCount(3), 0);
    EXPECT_EQ(mesh.GetPolygonIndex(1, 2), -2);
    EXPECT_EQ(mesh.GetPolygonPoint(2, 3), CPoint3d(1, 1, 0));
    EXPECT_EQ(mesh.GetPolygonPoint(2, 5), CPoint3d(0, 0, 0));
}

TEST(PolygonMesh, PerPointDataIsOverwrittenInPlaceOrAppended)
{
    CPolygonMesh mesh(CPolygonMesh::kNormals | CPolygonMesh::kFrontUVs);
    mesh.Reserve(2, 1);
    ASSERT_EQ(mesh.GetNormals().size(), 2U);
    mesh.SetNormal(-2, CUnitVector3d(0, 0, 1));
    mesh.SetNormal(0, CUnitVector3d(1, 0, 0));
    mesh.SetFrontUV(7, CPoint3d(0.5, 0.5, 1));
    ASSERT_EQ(mesh.GetNormals().size(), 3U);
    EXPECT_DOUBLE_EQ(mesh.GetNormals()[1].z, 1.0);
    EXPECT_DOUBLE_EQ(mesh.GetNormals()[2].x, 1.0);
    EXPECT_EQ(mesh.GetFrontUVs().size(), 3U);
    EXPECT_TRUE(mesh.GetBackUVs().empty());
}

} // namespace
