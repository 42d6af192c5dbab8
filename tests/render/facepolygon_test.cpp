#include "render/facepolygon.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "foundation/transformation.h"
#include "model/face.h"
#include "model/keptfacetriangles.h"
#include "tests/model/topologytestsupport.h"
#include "tests/render/feedbackcapture.h"

namespace {

using topologytest::Builder;

using feedbacktest::Centroid;
using feedbacktest::Polygon2;
using feedbacktest::SignedArea;
using feedbacktest::TotalArea;

class FacePolygonDrawing : public feedbacktest::FeedbackContext
{
protected:
    static std::vector<Polygon2> Capture(CFacePolygon& polygon, bool reverse)
    {
        return FeedbackContext::Capture([&] { polygon.Draw(reverse); });
    }
};

}  // namespace

TEST_F(FacePolygonDrawing, ASquareWithAHoleFillsExactlyTheRing)
{
    Builder build;
    CFace* face = build.SquareWithHole();
    CFacePolygon polygon;
    polygon.Build(*face, nullptr, false);
    EXPECT_FALSE(polygon.IsSimple());
    ASSERT_EQ(polygon.GetLoopCount(), 2);

    const std::vector<Polygon2> triangles = Capture(polygon, false);
    EXPECT_NEAR(TotalArea(triangles), 12.0, 1e-3);
    for (const Polygon2& triangle : triangles) {
        EXPECT_EQ(triangle.size(), 3U);
        EXPECT_GT(SignedArea(triangle), 0.0);
        const CPoint2d centre = Centroid(triangle);
        EXPECT_FALSE(centre.x > 1.0 && centre.x < 3.0 && centre.y > 1.0 && centre.y < 3.0);
    }
}

TEST_F(FacePolygonDrawing, APlacedFaceKeepsItsCutWithTheFaceAsTheBatchDoesAndAClippedOneCutsAnew)
{
    Builder build;
    CFace* face = build.SquareWithHole();
    CTransformation shift;
    shift.SetTranslation(CVector3d(8.0, 0.0, 0.0));
    const CTransformation mirror = shift * CTransformation::Scaling(-1.0, 1.0, 1.0);
    CFacePolygon placed;
    placed.Build(*face, &mirror, false);
    EXPECT_NEAR(std::abs(TotalArea(Capture(placed, false))), 12.0, 1e-3);
    const std::int32_t number = face->GetDisplayCache();
    const CKeptFaceTriangles::SEntry* kept = CKeptFaceTriangles::Find(number);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->corners, 8U);
    EXPECT_EQ(kept->triangles.size(), 3U * 8U);
    // Drawn again unplaced, from what was kept (in the batch's order of corners).
    CFacePolygon plain;
    plain.Build(*face, nullptr, false);
    const std::vector<Polygon2> again = Capture(plain, false);
    EXPECT_NEAR(TotalArea(again), 12.0, 1e-3);
    EXPECT_EQ(again.size(), 8U);
    EXPECT_EQ(face->GetDisplayCache(), number);
    // Clipped, the polygon no longer holds the face's loops.
    CFacePolygon clipped;
    clipped.Build(*face, nullptr, false);
    ASSERT_TRUE(clipped.ClipByPlane(CPlane3d(1.0, 0.0, 0.0, -2.0)));
    EXPECT_NEAR(TotalArea(Capture(clipped, false)), 6.0, 1e-3);
    EXPECT_EQ(face->GetDisplayCache(), number);
}

TEST_F(FacePolygonDrawing, MirroredAndReversedHolesStillTurnTheirTrianglesWithTheNormal)
{
    // Caps of shadow volumes and culled faces rely on the triangles' turn, also where a
    // mirroring placement turns the loops the other way.
    Builder build;
    CFace* face = build.SquareWithHole();
    for (const double mirror : {1.0, -1.0}) {
        CTransformation shift;
        shift.SetTranslation(CVector3d(8.0, 0.0, 0.0));
        const CTransformation transform = shift * CTransformation::Scaling(mirror, 1.0, 1.0);
        CFacePolygon polygon;
        polygon.Build(*face, &transform, false);
        for (const bool reverse : {false, true}) {
            const double sign = (reverse ? -1.0 : 1.0) * (polygon.GetPlane().c > 0.0 ? 1.0 : -1.0);
            const std::vector<Polygon2> triangles = Capture(polygon, reverse);
            EXPECT_NEAR(TotalArea(triangles), 12.0 * sign, 1e-3) << mirror << reverse;
            for (const Polygon2& triangle : triangles) {
                EXPECT_GT(SignedArea(triangle) * sign, 0.0) << mirror << reverse;
            }
        }
    }
}

TEST_F(FacePolygonDrawing, FacesTheSweepRefusesAreFilledTurnedWithTheNormalUnlessACornerIsNotFinite)
{
    // Pins a fault: the winding was taken from the plane's normal under a mirroring
    // placement, and a hole touching the outline then filled nothing; a corner that was
    // not a number reached the tessellator.
    const double nan = std::nan("");
    const double inf = INFINITY;
    const struct
    {
        const char* name;
        std::vector<CPoint2d> hole;
        double area;
    } cases[] = {
        // A hole whose corner lies on the outline: its loops touch, and still it fills.
        {"touching hole", {{0, 2}, {2, 3}, {3, 2}, {2, 1}}, 13.0},
        {"hole with a corner not a number", {{1, 1}, {1, nan}, {3, 3}, {3, 1}}, 0.0},
        {"hole with an infinite corner", {{1, 1}, {1, 3}, {inf, 3}, {3, 1}}, 0.0},
    };
    for (const auto& c : cases) {
        Builder build;
        CFace* face = build.Square(4.0);
        std::vector<CVertex*> ring;
        for (const CPoint2d& p : c.hole) {
            ring.push_back(build.Vertex(p.x, p.y));
        }
        build.Hole(face, ring);
        for (const double mirror : {1.0, -1.0}) {
            CTransformation shift;
            shift.SetTranslation(CVector3d(8.0, 0.0, 0.0));
            const CTransformation transform = shift * CTransformation::Scaling(mirror, 1.0, 1.0);
            CFacePolygon polygon;
            polygon.Build(*face, &transform, false);
            const double sign = polygon.GetPlane().c > 0.0 ? 1.0 : -1.0;
            const std::vector<Polygon2> triangles = Capture(polygon, false);
            EXPECT_NEAR(TotalArea(triangles), c.area * sign, 1e-3) << c.name << " mirror " << mirror;
            // Slivers of no area may lie where the loops touch; none turns the wrong way.
            for (const Polygon2& triangle : triangles) {
                EXPECT_GE(SignedArea(triangle) * sign, 0.0) << c.name << " mirror " << mirror;
            }
        }
    }
}

TEST_F(FacePolygonDrawing, AConcaveLShapeIsTessellatedWithinItsOutline)
{
    Builder build;
    CFace* face = build.Face({build.Vertex(0, 0), build.Vertex(2, 0), build.Vertex(2, 1), build.Vertex(1, 1),
                              build.Vertex(1, 2), build.Vertex(0, 2)},
                             CVector3d(0, 0, 1));
    CFacePolygon polygon;
    polygon.Build(*face, nullptr, false);
    ASSERT_FALSE(polygon.IsSimple());

    const std::vector<Polygon2> triangles = Capture(polygon, false);
    EXPECT_NEAR(TotalArea(triangles), 3.0, 1e-3);
    for (const Polygon2& triangle : triangles) {
        const CPoint2d centre = Centroid(triangle);
        EXPECT_FALSE(centre.x > 1.0 && centre.y > 1.0);
    }
}

TEST_F(FacePolygonDrawing, SimpleLoopsDrawAtOnceAndReversedDrawingTurnsPointsAndNormal)
{
    struct Case
    {
        std::vector<CPoint3d> points;
        double area;
    };
    const std::vector<Case> cases = {
        {{{0, 0, 0}, {2, 0, 0}, {0, 2, 0}}, 2.0},
        {{{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}}, 4.0},
        {{{0, 0, 0}, {2, 0, 0}, {3, 1, 0}, {2, 2, 0}, {0, 2, 0}}, 5.0},
    };
    for (const Case& c : cases) {
        Builder build;
        std::vector<CVertex*> ring;
        for (const CPoint3d& p : c.points) {
            ring.push_back(build.Vertex(p.x, p.y, p.z));
        }
        CFacePolygon polygon;
        polygon.Build(*build.Face(ring, CVector3d(0, 0, 1)), nullptr, false);
        ASSERT_TRUE(polygon.IsSimple()) << c.points.size();
        for (const bool reverse : {false, true}) {
            const std::vector<Polygon2> drawn = Capture(polygon, reverse);
            EXPECT_NEAR(TotalArea(drawn), reverse ? -c.area : c.area, 1e-3) << c.points.size();
            GLdouble normal[3] = {};
            glGetDoublev(GL_CURRENT_NORMAL, normal);
            EXPECT_DOUBLE_EQ(normal[2], reverse ? -1.0 : 1.0);
        }
    }
}

TEST(FacePolygon, ADirectlyDrawnFaceReadsNoMorePointsThanItsOuterLoopHas)
{
    // Pins a fault: a stale point count in the display cache read past the loop.
    Builder build;
    CFace* face = build.SquareWithHole();
    struct Case
    {
        std::int32_t cache;
        int points;
    };
    for (const Case c : {Case{-4, 4}, Case{-3, 3}, Case{-9, 4}, Case{INT32_MIN, 4}, Case{-2, 0}}) {
        face->SetDisplayCache(c.cache);
        CFacePolygon polygon;
        polygon.Build(*face, nullptr, false);
        EXPECT_EQ(polygon.GetPointCount(), c.points) << c.cache;
        EXPECT_EQ(polygon.IsSimple(), c.points > 0) << c.cache;
    }
    face->SetDisplayCache(0);
}

TEST(FacePolygon, BuildingThroughATransformationMovesPointsAndPlane)
{
    Builder build;
    CFace* face = build.Square(1.0);
    const CTransformation rotation =
        CTransformation::Rotation(CPoint3d(0, 0, 0), CUnitVector3d(1, 0, 0), std::acos(-1.0) / 2.0);
    CFacePolygon polygon;
    polygon.Build(*face, &rotation, false);
    EXPECT_NEAR(polygon.GetPlane().b, -1.0, 1e-9);
    for (const CPoint3d& p : polygon.GetPoints()) {
        EXPECT_NEAR(polygon.GetPlane().GetSignedDistance(p), 0.0, 1e-9);
        EXPECT_NEAR(p.y, 0.0, 1e-9);
    }
    CPoint3d previous;
    CPoint3d point;
    CEdgeUse* use = polygon.GetLoopEdge(0, 0, previous, point);
    ASSERT_NE(use, nullptr);
    EXPECT_TRUE((rotation * use->GetEndVertex()->GetPosition()).IsEqual(point));
    EXPECT_TRUE((rotation * use->GetStartVertex()->GetPosition()).IsEqual(previous));
}

TEST(FacePolygon, ClippingKeepsTheNonNegativeSide)
{
    struct Case
    {
        const char* name;
        CPlane3d plane;
        bool left;
        bool cut;
        int loops;
        double minX;
    };
    const std::vector<Case> cases = {
        {"through the hole", CPlane3d(1, 0, 0, -2), true, true, 2, 2.0},
        {"touching the outer edge", CPlane3d(1, 0, 0, -0.0005), true, false, 2, 0.0},
        {"wholly negative", CPlane3d(-1, 0, 0, -0.5), false, false, 0, 0.0},
        {"keeping only the edge on the plane", CPlane3d(-1, 0, 0, 0), false, false, 0, 0.0},
    };
    for (const Case& c : cases) {
        Builder build;
        CFacePolygon polygon;
        polygon.Build(*build.SquareWithHole(), nullptr, false);
        bool cut = false;
        EXPECT_EQ(polygon.ClipByPlane(c.plane, cut), c.left) << c.name;
        EXPECT_EQ(cut, c.cut) << c.name;
        ASSERT_EQ(polygon.GetLoopCount(), c.loops) << c.name;
        for (const CPoint3d& p : polygon.GetPoints()) {
            EXPECT_GE(p.x, c.minX - 0.001) << c.name;
        }
    }
}

TEST(FacePolygon, AClippedLoopCarriesTheCrossedEdgeOnlyWhereTheFaceRuns)
{
    Builder build;
    CFacePolygon polygon;
    polygon.Build(*build.Square(2.0), nullptr, false);
    bool cut = false;
    ASSERT_TRUE(polygon.ClipByPlane(CPlane3d(1, 0, 0, -1), cut));
    ASSERT_EQ(polygon.LoopPointCount(0), 4);
    int cutEdges = 0;
    for (int i = 0; i < 4; ++i) {
        CPoint3d previous;
        CPoint3d point;
        CEdgeUse* use = polygon.GetLoopEdge(0, i, previous, point);
        if (use == nullptr) {
            // The new edge runs along the plane x = 1.
            EXPECT_NEAR(previous.x, 1.0, 1e-9);
            EXPECT_NEAR(point.x, 1.0, 1e-9);
            ++cutEdges;
        } else {
            const CVector3d along = use->GetDirection();
            const CVector3d drawn = point - previous;
            EXPECT_NEAR(std::fabs(DotProduct(along, drawn)), along.GetLength() * drawn.GetLength(), 1e-9);
        }
    }
    EXPECT_EQ(cutEdges, 1);
}

TEST(FacePolygon, ContainsOnlyPointsStrictlyInsideTheRing)
{
    Builder build;
    CFacePolygon polygon;
    polygon.Build(*build.SquareWithHole(), nullptr, false);
    EXPECT_TRUE(polygon.ContainsPoint(CPoint3d(0.5, 0.5, 0)));
    EXPECT_TRUE(polygon.ContainsPoint(CPoint3d(3.5, 2.0, 5)));  // seen along the normal
    EXPECT_FALSE(polygon.ContainsPoint(CPoint3d(2, 2, 0)));     // in the hole
    EXPECT_FALSE(polygon.ContainsPoint(CPoint3d(5, 2, 0)));
    EXPECT_FALSE(polygon.ContainsPoint(CPoint3d(0, 2, 0)));     // on the outer edge
    EXPECT_FALSE(polygon.ContainsPoint(CPoint3d(1, 2, 0)));     // on the hole's edge
}

TEST(FacePolygon, CuttingByAPlaneGivesTheStretchesInsideTheFace)
{
    struct Case
    {
        const char* name;
        CPlane3d plane;
        std::vector<double> xs;  // start and end x of each stretch along x
    };
    const std::vector<Case> cases = {
        {"across the hole", CPlane3d(0, 1, 0, -2), {0, 1, 3, 4}},
        {"below the hole", CPlane3d(0, 1, 0, -0.5), {0, 4}},
        {"along the hole's edge", CPlane3d(0, 1, 0, -1), {0, 1, 3, 4}},
        {"touching a corner", CPlane3d(CPoint3d(0, 0, 0), CVector3d(1, 1, 0)), {}},
        {"parallel", CPlane3d(0, 0, 1, -1), {}},
    };
    for (const Case& c : cases) {
        Builder build;
        CFacePolygon polygon;
        polygon.Build(*build.SquareWithHole(), nullptr, false);
        std::vector<CFaceSegment> segments;
        polygon.IntersectWithPlane(c.plane, segments);
        ASSERT_EQ(segments.size() * 2, c.xs.size()) << c.name;
        for (std::size_t i = 0; i < segments.size(); ++i) {
            const double lo = std::min(segments[i].start.x, segments[i].end.x);
            const double hi = std::max(segments[i].start.x, segments[i].end.x);
            const std::size_t k = segments[0].start.x <= segments[0].end.x ? i : segments.size() - 1 - i;
            EXPECT_NEAR(lo, c.xs[2 * k], 1e-9) << c.name;
            EXPECT_NEAR(hi, c.xs[2 * k + 1], 1e-9) << c.name;
        }
    }
}
