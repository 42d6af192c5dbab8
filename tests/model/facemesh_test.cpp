// Faces cut into triangles through the GLU tessellator: counts, edge flags and area.

#include "model/facemesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "foundation/polygonmesh.h"
#include "tests/model/topologytestsupport.h"

namespace {

using orvell::geometry::CPolygonMesh;

double TriangleArea(const CPolygonMesh& mesh, int polygon)
{
    const CVector3d u = mesh.GetPolygonPoint(polygon, 2) - mesh.GetPolygonPoint(polygon, 1);
    const CVector3d v = mesh.GetPolygonPoint(polygon, 3) - mesh.GetPolygonPoint(polygon, 1);
    return u.CrossProduct(v).GetLength() / 2.0;
}

TEST(FaceToMesh, FacesBecomeTrianglesCoveringTheirArea)
{
    topologytest::Builder build;
    const struct {
        CFace* face;
        int points, triangles;
        double area;
    } cases[] = {{build.Square(2.0), 4, 2, 4.0}, {build.SquareWithHole(), 8, 8, 12.0}};
    for (const auto& c : cases) {
        CPolygonMesh mesh;
        CFaceToMesh(c.face, &mesh).Tessellate(false);
        EXPECT_EQ(mesh.GetPointCount(), c.points);
        ASSERT_EQ(mesh.GetPolygonCount(), c.triangles);
        double area = 0.0;
        for (int p = 1; p <= mesh.GetPolygonCount(); ++p) {
            EXPECT_EQ(mesh.GetPolygonPointCount(p), 3);
            area += TriangleArea(mesh, p);
        }
        EXPECT_NEAR(area, c.area, 1e-9);
    }
}

TEST(FaceToMesh, OnlyTheDiagonalOfASquareCarriesNegativeCorners)
{
    topologytest::Builder build;
    CPolygonMesh mesh;
    CFaceToMesh(build.Square(), &mesh).Tessellate(false);
    ASSERT_EQ(mesh.GetPolygonCount(), 2);
    int inner = 0;
    for (int p = 1; p <= 2; ++p) {
        for (int corner = 1; corner <= 3; ++corner) {
            const int index = mesh.GetPolygonIndex(p, corner);
            if (index < 0) {
                ++inner;
                // The edge to the next corner crosses the square: its ends are opposite.
                const CPoint3d from = mesh.GetPoint(-index);
                const CPoint3d to = mesh.GetPolygonPoint(p, corner % 3 + 1);
                EXPECT_NEAR(from.Distance(to), std::sqrt(2.0), 1e-9);
            }
        }
    }
    EXPECT_EQ(inner, 2);
}

TEST(FaceToMesh, KeptNormalsAndTextureCoordinatesFollowThePoints)
{
    topologytest::Builder build;
    CPolygonMesh mesh(CPolygonMesh::kNormals | CPolygonMesh::kFrontUVs);
    CFaceToMesh(build.Square(), &mesh).Tessellate(true);
    ASSERT_EQ(mesh.GetPointCount(), 4);
    EXPECT_EQ(mesh.GetNormals().size(), 4U);
    EXPECT_DOUBLE_EQ(mesh.GetNormals()[0].z, 1.0);
    EXPECT_EQ(mesh.GetFrontUVs().size(), 4U);
}

} // namespace
