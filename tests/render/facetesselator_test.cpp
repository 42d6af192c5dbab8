#include "render/facetesselator.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "model/smoothnormals.h"
#include "render/displaytesselator.h"
#include "tests/model/topologytestsupport.h"
#include "tests/render/feedbackcapture.h"

namespace {

using feedbacktest::Centroid;
using feedbacktest::Polygon2;
using feedbacktest::TotalArea;
using topologytest::Builder;

// Collects the triangles, and the normal announced before each vertex.
class CollectingTesselator : public CFaceTesselator
{
public:
    using CFaceTesselator::CFaceTesselator;

    void Begin(unsigned primitive) override { primitives.push_back(primitive); }
    void Vertex(const double* position) override
    {
        points.emplace_back(position[0], position[1], position[2]);
        normals.push_back(pendingNormal);
    }
    void VertexExtra(const double* normal) override { pendingNormal = CVector3d(normal[0], normal[1], normal[2]); }

    [[nodiscard]] std::vector<Polygon2> Triangles() const
    {
        std::vector<Polygon2> triangles;
        for (std::size_t i = 0; i + 2 < points.size(); i += 3) {
            triangles.push_back({{points[i].x, points[i].y}, {points[i + 1].x, points[i + 1].y},
                                 {points[i + 2].x, points[i + 2].y}});
        }
        return triangles;
    }

    std::vector<unsigned> primitives;
    std::vector<CPoint3d> points;
    std::vector<CVector3d> normals;
    CVector3d pendingNormal{0, 0, 0};
};

bool InAnyHole(const CPoint2d& p, const std::vector<CPoint2d>& holeCorners)
{
    for (const CPoint2d& low : holeCorners) {
        if (p.x > low.x && p.x < low.x + 1.0 && p.y > low.y && p.y < low.y + 1.0) {
            return true;
        }
    }
    return false;
}

}  // namespace

TEST(FaceTesselator, HolesOfAnyNumberAreLeftOutOfTheTriangles)
{
    struct Case
    {
        int holes;
        double area;
    };
    for (const Case c : {Case{1, 19.0}, Case{4, 16.0}}) {
        Builder build;
        CFace* face = build.Face({build.Vertex(0, 0), build.Vertex(10, 0), build.Vertex(10, 2), build.Vertex(0, 2)},
                                 CVector3d(0, 0, 1));
        std::vector<CPoint2d> holeCorners;
        for (int k = 0; k < c.holes; ++k) {
            const double x = 0.5 + 2.5 * k;
            holeCorners.emplace_back(x, 0.5);
            build.Hole(face, {build.Vertex(x, 0.5), build.Vertex(x, 1.5), build.Vertex(x + 1, 1.5),
                              build.Vertex(x + 1, 0.5)});
        }
        CollectingTesselator tesselator(face);
        tesselator.Tessellate(false);

        ASSERT_EQ(tesselator.GetLoopCount(), c.holes + 1);
        for (int loop = 0; loop <= c.holes; ++loop) {
            EXPECT_EQ(tesselator.GetLoopVertexCount(loop), 4);
        }
        for (const unsigned primitive : tesselator.primitives) {
            EXPECT_EQ(primitive, static_cast<unsigned>(GL_TRIANGLES));
        }
        const std::vector<Polygon2> triangles = tesselator.Triangles();
        EXPECT_NEAR(TotalArea(triangles), c.area, 1e-9) << c.holes;
        for (const Polygon2& triangle : triangles) {
            EXPECT_FALSE(InAnyHole(Centroid(triangle), holeCorners));
        }
    }
}

TEST(FaceTesselator, CarriedNormalsAreTheSmoothNormalsOfEachCorner)
{
    // A floor folded up into a wall along a smooth edge on the y axis.
    Builder build;
    CVertex* a = build.Vertex(0, 0, 0);
    CVertex* b = build.Vertex(0, 1, 0);
    CFace* floor = build.Face({a, build.Vertex(1, 0, 0), build.Vertex(1, 1, 0), b}, CVector3d(0, 0, 1));
    build.Face({a, b, build.Vertex(0, 1, 1), build.Vertex(0, 0, 1)}, CVector3d(1, 0, 0));
    build.Edge(a, b)->SetSmooth(true);
    CSmoothNormals smooth;
    smooth.Build(build.Component());

    CollectingTesselator tesselator(floor, &smooth);
    tesselator.Tessellate(true);
    ASSERT_FALSE(tesselator.points.empty());
    const double half = std::sqrt(0.5);
    for (std::size_t i = 0; i < tesselator.points.size(); ++i) {
        const bool onFold = tesselator.points[i].x == 0.0;
        EXPECT_NEAR(tesselator.normals[i].x, onFold ? half : 0.0, 1e-9);
        EXPECT_NEAR(tesselator.normals[i].z, onFold ? half : 1.0, 1e-9);
    }
}

TEST(FaceTesselator, ACrossingPointWeighsTheNormalsOfItsNeighboursUpToTheFirstMissing)
{
    Builder build;
    CFaceTesselator tesselator(build.Square());
    tesselator.SetupLoops(true);
    double first[6] = {0, 0, 0, 1, 0, 0};
    double second[6] = {1, 0, 0, 0, 1, 0};
    double ignored[6] = {0, 1, 0, 0, 0, 1};
    void* const neighbours[4] = {first, second, nullptr, ignored};
    const float weights[4] = {0.25F, 0.75F, 0.0F, 1.0F};
    const double coordinates[3] = {0.5, 0.5, 0.0};
    void* out = nullptr;
    tesselator.Combine(coordinates, neighbours, weights, &out);
    ASSERT_NE(out, nullptr);
    const auto* vertex = static_cast<const double*>(out);
    const double length = std::hypot(0.25, 0.75);
    EXPECT_DOUBLE_EQ(vertex[0], 0.5);
    EXPECT_DOUBLE_EQ(vertex[1], 0.5);
    EXPECT_NEAR(vertex[3], 0.25 / length, 1e-7);
    EXPECT_NEAR(vertex[4], 0.75 / length, 1e-7);
    EXPECT_DOUBLE_EQ(vertex[5], 0.0);
}

using DisplayTesselatorDrawing = feedbacktest::FeedbackContext;

TEST_F(DisplayTesselatorDrawing, SendsTheRingAsSeparateTrianglesWithTheFaceNormal)
{
    Builder build;
    CFace* face = build.SquareWithHole();
    CDisplayTesselator tesselator(face);
    const std::vector<Polygon2> triangles = Capture([&] { tesselator.Tessellate(true); });
    EXPECT_NEAR(TotalArea(triangles), 12.0, 1e-3);
    for (const Polygon2& triangle : triangles) {
        EXPECT_EQ(triangle.size(), 3U);
    }
    GLdouble normal[3] = {};
    glGetDoublev(GL_CURRENT_NORMAL, normal);
    EXPECT_DOUBLE_EQ(normal[2], 1.0);
}
