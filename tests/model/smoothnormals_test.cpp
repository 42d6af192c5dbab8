#include "model/smoothnormals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

#include "foundation/transformation.h"
#include "tests/model/topologytestsupport.h"

namespace {

using topologytest::Builder;
using topologytest::RingOf;

const double kHalfTurn = std::acos(-1.0);

struct Solid
{
    std::vector<CFace*> sides;
    std::vector<CFace*> caps;
};

// A cylinder of radius 1 and height 1 about the z axis, its side split into n faces
// joined by smooth edges, closed by two flat caps.
Solid Cylinder(Builder& build, int n)
{
    std::vector<CVertex*> bottom;
    std::vector<CVertex*> top;
    for (int i = 0; i < n; ++i) {
        const double angle = 2.0 * kHalfTurn * i / n;
        bottom.push_back(build.Vertex(std::cos(angle), std::sin(angle), 0.0));
        top.push_back(build.Vertex(std::cos(angle), std::sin(angle), 1.0));
    }
    Solid solid;
    for (int i = 0; i < n; ++i) {
        const int j = (i + 1) % n;
        const double middle = 2.0 * kHalfTurn * (i + 0.5) / n;
        solid.sides.push_back(
            build.Face({bottom[i], bottom[j], top[j], top[i]}, CVector3d(std::cos(middle), std::sin(middle), 0)));
        build.Edge(bottom[i], top[i])->SetSmooth(true);
    }
    solid.caps.push_back(build.Face(top, CVector3d(0, 0, 1)));
    solid.caps.push_back(build.Face(std::vector<CVertex*>(bottom.rbegin(), bottom.rend()), CVector3d(0, 0, -1)));
    return solid;
}

// n triangles around an apex at the given height over a unit circle, joined by smooth
// edges, without a base.
std::vector<CFace*> Cone(Builder& build, int n, double height)
{
    CVertex* apex = build.Vertex(0, 0, height);
    std::vector<CVertex*> base;
    for (int i = 0; i < n; ++i) {
        const double angle = 2.0 * kHalfTurn * i / n;
        base.push_back(build.Vertex(std::cos(angle), std::sin(angle), 0.0));
    }
    std::vector<CFace*> faces;
    for (int i = 0; i < n; ++i) {
        CVertex* a = base[i];
        CVertex* b = base[(i + 1) % n];
        const CVector3d normal = (b->GetPosition() - a->GetPosition()).CrossProduct(apex->GetPosition() - a->GetPosition());
        faces.push_back(build.Face({a, b, apex}, normal));
        build.Edge(a, apex)->SetSmooth(true);
    }
    return faces;
}

std::vector<CEdgeUse*> UsesOf(const std::vector<CFace*>& faces)
{
    std::vector<CEdgeUse*> uses;
    for (CFace* face : faces) {
        for (CEdgeUse* use : RingOf(face->GetOuterLoop())) {
            uses.push_back(use);
        }
    }
    return uses;
}

}  // namespace

TEST(SmoothNormals, ACylinderSideGetsOneAveragedNormalPerVertexAndItsCapsStayFlat)
{
    Builder build;
    const Solid cylinder = Cylinder(build, 24);
    CSmoothNormals normals;
    normals.Build(build.Component());

    EXPECT_TRUE(normals.IsBuilt());
    EXPECT_EQ(normals.GetCount(), 48);
    std::set<int> entries;
    for (CEdgeUse* use : UsesOf(cylinder.sides)) {
        ASSERT_GE(use->GetSmoothNormalIndex(), 1);
        entries.insert(use->GetSmoothNormalIndex());
        const CPoint3d at = use->GetStartVertex()->GetPosition();
        const CUnitVector3d normal = normals.GetNormal(*use, nullptr);
        EXPECT_NEAR(normal.x, at.x, 1e-9);
        EXPECT_NEAR(normal.y, at.y, 1e-9);
        EXPECT_NEAR(normal.z, 0.0, 1e-9);
        EXPECT_TRUE(use->GetFace()->HasFlag(CSmoothNormals::kFlagSmoothSurface));
    }
    EXPECT_EQ(entries.size(), 48U);
    for (CEdgeUse* use : UsesOf(cylinder.caps)) {
        EXPECT_EQ(use->GetSmoothNormalIndex(), 0);
        EXPECT_NEAR(normals.GetNormal(*use, nullptr).z, use->GetFace()->GetNormal().z, 1e-12);
        EXPECT_FALSE(use->GetFace()->HasFlag(CSmoothNormals::kFlagSmoothSurface));
    }
}

TEST(SmoothNormals, ABuiltTableIsKeptUntilClearedAndNormalsFollowATransformation)
{
    Builder build;
    const Solid cylinder = Cylinder(build, 8);
    CSmoothNormals normals;
    normals.Build(build.Component());
    ASSERT_EQ(normals.GetCount(), 16);
    CEdgeUse* use = RingOf(cylinder.sides[0]->GetOuterLoop())[0];
    use->SetSmoothNormalIndex(0);
    normals.Build(build.Component());
    EXPECT_EQ(use->GetSmoothNormalIndex(), 0);

    // Clearing sets every use back, so none keeps an index into the emptied table.
    normals.Clear(build.Component());
    EXPECT_EQ(RingOf(cylinder.sides[1]->GetOuterLoop())[0]->GetSmoothNormalIndex(), 0);
    normals.Build(build.Component());
    EXPECT_EQ(normals.GetCount(), 16);

    const CTransformation turn = CTransformation::Rotation(CPoint3d(0, 0, 0), CUnitVector3d(0, 0, 1), kHalfTurn / 2);
    const CPoint3d at = use->GetStartVertex()->GetPosition();
    const CUnitVector3d turned = normals.GetNormal(*use, &turn);
    EXPECT_NEAR(turned.x, -at.y, 1e-9);
    EXPECT_NEAR(turned.y, at.x, 1e-9);
}

TEST(SmoothNormals, AConeApexOfEqualTrianglesStaysFlatUnlessTheFacesSpreadWidely)
{
    struct Case
    {
        double height;
        bool apexSmooth;
    };
    // A height of 0.2 tilts the faces about 12 degrees from the apex normal, 2 about 64.
    for (const Case c : {Case{0.2, false}, Case{2.0, true}}) {
        Builder build;
        const std::vector<CFace*> cone = Cone(build, 12, c.height);
        CSmoothNormals normals;
        normals.Build(build.Component());
        int apexCorners = 0;
        for (CEdgeUse* use : UsesOf(cone)) {
            if (use->GetStartVertex()->GetPosition().z > 0.0) {
                ++apexCorners;
                EXPECT_EQ(use->GetSmoothNormalIndex() >= 1, c.apexSmooth) << c.height;
                EXPECT_EQ(use->GetSmoothNormalIndex() == -1, !c.apexSmooth) << c.height;
            } else {
                // The open base: two faces meet at each base vertex.
                EXPECT_GE(use->GetSmoothNormalIndex(), 1) << c.height;
            }
        }
        EXPECT_EQ(apexCorners, 12);
        EXPECT_EQ(normals.GetCount(), c.apexSmooth ? 13 : 12) << c.height;
    }
}

TEST(SmoothNormals, FacesWithoutSmoothEdgesAreNotVisited)
{
    Builder build;
    const std::vector<CFace*> cube = build.Cube();
    CSmoothNormals normals;
    normals.Build(build.Component());
    EXPECT_EQ(normals.GetCount(), 0);
    for (CEdgeUse* use : UsesOf(cube)) {
        EXPECT_EQ(use->GetSmoothNormalIndex(), 0);
    }
}

TEST(SmoothNormals, FacesOrientedAgainstEachOtherShareOneSurfaceTurnedToEachFace)
{
    // Two squares folded 90 degrees along a smooth edge that both run the same way:
    // the wall faces inwards, so its corners are averaged with its normal negated.
    Builder build;
    CVertex* a = build.Vertex(0, 0, 0);
    CVertex* b = build.Vertex(0, 1, 0);
    CFace* floor = build.Face({a, build.Vertex(1, 0, 0), build.Vertex(1, 1, 0), b}, CVector3d(0, 0, 1));
    CFace* wall = build.Face({a, build.Vertex(0, 0, 1), build.Vertex(0, 1, 1), b}, CVector3d(-1, 0, 0));
    build.Edge(a, b)->SetSmooth(true);
    CSmoothNormals normals;
    normals.Build(build.Component());
    ASSERT_EQ(normals.GetCount(), 2);
    const double half = std::sqrt(0.5);
    for (const auto& [face, sign] : {std::pair{floor, 1.0}, std::pair{wall, -1.0}}) {
        for (CEdgeUse* use : RingOf(face->GetOuterLoop())) {
            const CVertex* v = use->GetStartVertex();
            if (v != a && v != b) {
                continue;
            }
            const CUnitVector3d normal = normals.GetNormal(*use, nullptr);
            EXPECT_NEAR(normal.x, sign * half, 1e-9);
            EXPECT_NEAR(normal.z, sign * half, 1e-9);
        }
    }
}

namespace {

// A list long enough to be looked over in chunks: the one smooth edge, far down it, is found.
TEST(SmoothNormals, ASmoothEdgeFarDownALongListIsFound)
{
    Builder build;
    CVertex* previous = build.Vertex(0, 0, -1);
    for (int i = 1; i <= 70000; ++i) {
        CVertex* next = build.Vertex(i, 0, -1);
        build.Edge(previous, next);
        previous = next;
    }
    const Solid cylinder = Cylinder(build, 8);
    CSmoothNormals normals;
    normals.Build(build.Component());
    EXPECT_EQ(normals.GetCount(), 16);
    EXPECT_TRUE(cylinder.sides.front()->HasFlag(CSmoothNormals::kFlagSmoothSurface));
}

}  // namespace
