#include "foundation/polygon2d.h"

#include <gtest/gtest.h>

#include "foundation/point3d.h"

namespace {

const CPoint2d kSquare[] = {{0.0, 0.0}, {10.0, 0.0}, {10.0, 10.0}, {0.0, 10.0}};

int ClassifyInSquare(double x, double y)
{
    return ClassifyPointInPolygon2d(CPoint2d(x, y), kSquare, 4);
}

TEST(PointOnSegment2d, ReportsTheUnclampedParameter)
{
    const CPoint2d a(0.0, 0.0);
    const CPoint2d b(10.0, 0.0);
    double t = -1.0;
    EXPECT_TRUE(IsPointOnSegment2d(a, b, CPoint2d(2.5, 0.0005), &t));
    EXPECT_DOUBLE_EQ(t, 0.25);
    // Beyond the end, still on the line: the caller tests t itself.
    EXPECT_TRUE(IsPointOnSegment2d(a, b, CPoint2d(15.0, 0.0), &t));
    EXPECT_DOUBLE_EQ(t, 1.5);
    EXPECT_FALSE(IsPointOnSegment2d(a, b, CPoint2d(5.0, 0.01)));
    // A segment shorter than the tolerance projects everything onto its start.
    EXPECT_FALSE(IsPointOnSegment2d(a, CPoint2d(0.0005, 0.0), CPoint2d(3.0, 0.0), &t));
    EXPECT_EQ(t, 0.0);
}

TEST(PointInPolygon2d, ClassifiesTheSquareExamples)
{
    EXPECT_EQ(ClassifyInSquare(5.0, 5.0), kPointInPolygon);
    EXPECT_EQ(ClassifyInSquare(10.0, 5.0), kPointOnPolygonEdge);
    EXPECT_EQ(ClassifyInSquare(10.0, 10.0), kPointOnPolygonVertex);
    EXPECT_EQ(ClassifyInSquare(15.0, 5.0), kPointOutsidePolygon);
    EXPECT_EQ(ClassifyInSquare(5.0, 10.0005), kPointOnPolygonEdge);
    EXPECT_EQ(ClassifyInSquare(-5.0, 0.0), kPointOutsidePolygon);
}

TEST(PointInPolygon2d, PointsLevelWithAVertexAreCountedOnce)
{
    // A diamond whose left and right vertices lie on the test point's line.
    const CPoint2d diamond[] = {{5.0, 0.0}, {10.0, 5.0}, {5.0, 10.0}, {0.0, 5.0}};
    EXPECT_EQ(ClassifyPointInPolygon2d(CPoint2d(5.0, 5.0), diamond, 4), kPointInPolygon);
    EXPECT_EQ(ClassifyPointInPolygon2d(CPoint2d(-1.0, 5.0), diamond, 4), kPointOutsidePolygon);
    EXPECT_EQ(ClassifyPointInPolygon2d(CPoint2d(11.0, 5.0), diamond, 4), kPointOutsidePolygon);
    EXPECT_EQ(ClassifyPointInPolygon2d(CPoint2d(0.0, 5.0), diamond, 4), kPointOnPolygonVertex);
    EXPECT_EQ(ClassifyPointInPolygon2d(CPoint2d(2.5, 2.5), diamond, 4), kPointOnPolygonEdge);
}

TEST(PointInPolygon2d, ConcaveNotchesAreOutside)
{
    // A U shape open at the top between x = 3 and x = 7.
    const CPoint2d shape[] = {{0.0, 0.0}, {10.0, 0.0}, {10.0, 10.0}, {7.0, 10.0},
                              {7.0, 3.0}, {3.0, 3.0},  {3.0, 10.0},  {0.0, 10.0}};
    EXPECT_EQ(ClassifyPointInPolygon2d(CPoint2d(5.0, 6.0), shape, 8), kPointOutsidePolygon);
    EXPECT_EQ(ClassifyPointInPolygon2d(CPoint2d(1.5, 6.0), shape, 8), kPointInPolygon);
    EXPECT_EQ(ClassifyPointInPolygon2d(CPoint2d(5.0, 1.0), shape, 8), kPointInPolygon);
    EXPECT_EQ(ClassifyPointInPolygon2d(CPoint2d(5.0, 3.0), shape, 8), kPointOnPolygonEdge);
}

TEST(PointInPolygon2d, AnEmptyPolygonLeavesEveryPointOutsideWithoutReadingVertices)
{
    EXPECT_EQ(ClassifyPointInPolygon2d(CPoint2d(0.0, 0.0), nullptr, 0), kPointOutsidePolygon);
    EXPECT_EQ(ClassifyPointInPolygon2d(CPoint2d(0.0, 0.0), kSquare, 0), kPointOutsidePolygon);
    EXPECT_EQ(ClassifyPointInPolygon2d(CPoint2d(0.0, 0.0), kSquare, -3), kPointOutsidePolygon);
}

TEST(ProjectPerspective, DividesByTheDepth)
{
    CPoint3d p(2.0, 4.0, -2.0);
    ASSERT_TRUE(ProjectPerspective(p, 2.0, true));
    EXPECT_EQ(p, CPoint3d(2.0, 4.0, -2.0));
    CPoint3d q(2.0, 4.0, -4.0);
    ASSERT_TRUE(ProjectPerspective(q, 2.0, true));
    EXPECT_EQ(q, CPoint3d(1.0, 2.0, -2.0));

    CPoint3d r(3.0, 6.0, -1.0);
    ASSERT_TRUE(ProjectPerspective(r, 2.0, false));
    EXPECT_EQ(r, CPoint3d(2.0, 4.0, -2.0 / 3.0));
}

TEST(ProjectPerspective, FailsWithoutChangeWhenTheDivisorVanishes)
{
    for (const bool onImagePlane : {false, true}) {
        CPoint3d p(1.0, 2.0, 5e-11);
        EXPECT_FALSE(ProjectPerspective(p, 2.0, onImagePlane));
        EXPECT_EQ(p.x, 1.0);
        EXPECT_EQ(p.y, 2.0);
        EXPECT_EQ(p.z, 5e-11);
    }
    // At the focal distance itself the first form would divide by zero.
    CPoint3d atFocus(1.0, 2.0, 2.0);
    EXPECT_FALSE(ProjectPerspective(atFocus, 2.0, false));
    EXPECT_EQ(atFocus.z, 2.0);
}

}  // namespace
