// Faces cut into triangles through the GLU tessellator: counts, edge flags and area.

#include "model/facemesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <utility>

#include "document/material.h"
#include "document/texture.h"
#include "foundation/boundingbox3d.h"
#include "document/component.h"
#include "foundation/polygonmesh.h"
#include "model/edge.h"
#include "model/smoothnormals.h"
#include "model/undosuspender.h"
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

TEST(FaceToMesh, TextureCoordinatesFollowTheSidesTextureSizeOrPlacementAndTheRecordsBox)
{
    topologytest::Builder build;
    CFace* face = build.Square(2.0);
    auto* texture = new CTexture;
    texture->SetWidth(2.0);
    texture->SetHeight(4.0);
    auto* material = new CMaterial;
    material->SetTexture(texture);
    // The coordinates of the square's corners along the two frame axes: width and height
    // of the span of texture coordinates.
    const auto span = [&](const std::vector<CFaceMeshTextureRecord>* records, std::uint32_t side) {
        CPolygonMesh mesh(side);
        CFaceToMesh(face, &mesh, records).Tessellate(false);
        const std::vector<CPoint3d>& uvs = side == CPolygonMesh::kFrontUVs ? mesh.GetFrontUVs() : mesh.GetBackUVs();
        CBoundingBox3d box;
        for (int i = 0; i < mesh.GetPointCount(); ++i) {
            box.Add(uvs[static_cast<std::size_t>(i)]);
        }
        return box;
    };
    EXPECT_NEAR(span(nullptr, CPolygonMesh::kFrontUVs).GetMax().x - span(nullptr, CPolygonMesh::kFrontUVs).GetMin().x,
                2.0, 1e-9);  // no material: the plane frame itself
    {
        const CUndoSuspender suspender;
        face->SetMaterial(material);
    }
    const CBoundingBox3d sized = span(nullptr, CPolygonMesh::kFrontUVs);
    EXPECT_NEAR(sized.GetMax().x - sized.GetMin().x, 1.0, 1e-9);
    EXPECT_NEAR(sized.GetMax().y - sized.GetMin().y, 0.5, 1e-9);
    EXPECT_NEAR(span(nullptr, CPolygonMesh::kBackUVs).GetMax().x - span(nullptr, CPolygonMesh::kBackUVs).GetMin().x,
                2.0, 1e-9);  // the back has no material

    CFaceMeshTextureRecord record;
    record.texture = texture;
    record.matrix = Matrix3Scale(0.5, 0.25);
    record.uMin = sized.GetMin().x;
    record.uMax = sized.GetMin().x + 2.0;
    record.vMin = sized.GetMin().y;
    record.vMax = sized.GetMin().y + 1.0;
    const std::vector<CFaceMeshTextureRecord> records{record};
    const CBoundingBox3d mapped = span(&records, CPolygonMesh::kFrontUVs);
    EXPECT_NEAR(mapped.GetMin().x, 0.0, 1e-9);
    EXPECT_NEAR(mapped.GetMax().x, 0.5, 1e-9);
    EXPECT_NEAR(mapped.GetMax().y, 0.5, 1e-9);
    const CUndoSuspender suspender;
    face->SetMaterial(nullptr);
    material->Erase();
}

TEST(FaceToMesh, KeptNormalsAreSmoothAtCornersOnASmoothEdgeOnceTheComponentWorkedThemOut)
{
    // A flat square and a square folded up from its right side, joined by a smooth edge.
    topologytest::Builder build;
    CVertex* v0 = build.Vertex(0, 0);
    CVertex* v1 = build.Vertex(1, 0);
    CVertex* v2 = build.Vertex(1, 1);
    CVertex* v3 = build.Vertex(0, 1);
    CFace* flat = build.Face({v0, v1, v2, v3}, {0, 0, 1});
    build.Face({v1, build.Vertex(2, 0, 1), build.Vertex(2, 1, 1), v2}, {-1, 0, 1});
    build.Edge(v1, v2)->SetSmooth(true);
    // The normal the mesh keeps at the flat square's corner (1, 0, 0) and at (0, 0, 0).
    const auto normalsAt = [&]() {
        CPolygonMesh mesh(CPolygonMesh::kNormals);
        CFaceToMesh(flat, &mesh).Tessellate(false);
        std::pair<CUnitVector3d, CUnitVector3d> found;
        for (int i = 1; i <= mesh.GetPointCount(); ++i) {
            const CUnitVector3d& normal = mesh.GetNormals()[static_cast<std::size_t>(i - 1)];
            if (mesh.GetPoint(i).IsEqual(CPoint3d(1, 0, 0))) {
                found.first = normal;
            } else if (mesh.GetPoint(i).IsEqual(CPoint3d(0, 0, 0))) {
                found.second = normal;
            }
        }
        return found;
    };
    EXPECT_NEAR(normalsAt().first.z, 1.0, 1e-9);  // not worked out yet: the face's own
    build.Component().GetSmoothNormals().Build(build.Component());
    const auto [onFold, offFold] = normalsAt();
    EXPECT_LT(onFold.x, -0.1);
    EXPECT_LT(onFold.z, 0.99);
    EXPECT_NEAR(offFold.z, 1.0, 1e-9);
}
