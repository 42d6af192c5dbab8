#include "foundation/point3d.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "foundation/line3d.h"
#include "foundation/plane3d.h"

namespace {

TEST(Point3d, EqualityIsASphereOfTheToleranceNotACube)
{
    const CPoint3d origin(0.0, 0.0, 0.0);
    // Every per-axis difference is inside the tolerance, the distance (about 0.00156) is not.
    const CPoint3d corner(0.0009, 0.0009, 0.0009);
    EXPECT_FALSE(origin == corner);
    EXPECT_TRUE(origin != corner);
    EXPECT_TRUE(origin == CPoint3d(0.0009, 0.0, 0.0));
    EXPECT_FALSE(origin == CPoint3d(0.001, 0.0, 0.0));
    EXPECT_TRUE(origin.IsEqual(CPoint3d(0.0, 0.04, 0.0), 0.05));
}

TEST(Point3d, DistancesBelowTheZeroLengthAreZero)
{
    const CPoint3d a(1.0, 2.0, 3.0);
    EXPECT_DOUBLE_EQ(a.Distance(CPoint3d(4.0, 6.0, 3.0)), 5.0);
    EXPECT_DOUBLE_EQ(a.DistanceSquared(CPoint3d(4.0, 6.0, 3.0)), 25.0);
    EXPECT_EQ(a.Distance(CPoint3d(1.0 + 1e-11, 2.0, 3.0)), 0.0);
}

TEST(Point3d, ArithmeticWithVectorsMovesThePoint)
{
    const CPoint3d a(1.0, 2.0, 3.0);
    const CPoint3d b(4.0, 6.0, 8.0);
    const CVector3d ab = b - a;
    EXPECT_EQ(ab, CVector3d(3.0, 4.0, 5.0));
    EXPECT_EQ(a + ab, b);

    CPoint3d result;
    a.Offset(2.0, ab, result);
    EXPECT_EQ(result, CPoint3d(7.0, 10.0, 13.0));
    result.SetOffset(b, -1.0, ab);
    EXPECT_EQ(result, a);
    result.SetSum(a, CVector3d(1.0, 1.0, 1.0));
    EXPECT_EQ(result, CPoint3d(2.0, 3.0, 4.0));
}

TEST(Point3d, NearerPointPrefersTheFirstOnATie)
{
    const CPoint3d origin(0.0, 0.0, 0.0);
    const CPoint3d left(-1.0, 0.0, 0.0);
    const CPoint3d right(1.0, 0.0, 0.0);
    const CPoint3d farRight(2.0, 0.0, 0.0);
    EXPECT_EQ(&origin.GetNearerPoint(left, right), &left);
    EXPECT_EQ(&origin.GetNearerPoint(farRight, right), &right);
}

TEST(Point3d, RelatesToPlanesAndLines)
{
    const CPlane3d plane(0.0, 0.0, 1.0, -5.0);
    const CPoint3d above(1.0, 2.0, 5.0009);
    EXPECT_TRUE(above.IsOnPlane(plane));
    EXPECT_FALSE(CPoint3d(1.0, 2.0, 5.001).IsOnPlane(plane));
    CPoint3d projected;
    CPoint3d(1.0, 2.0, 9.0).ProjectToPlane(plane, projected);
    EXPECT_EQ(projected, CPoint3d(1.0, 2.0, 5.0));

    const CLine3d xAxis(CPoint3d(0.0, 0.0, 0.0), CUnitVector3d(1.0, 0.0, 0.0));
    const CPoint3d p(3.0, 4.0, 0.0);
    EXPECT_DOUBLE_EQ(p.DistanceToLine(xAxis), 4.0);
    EXPECT_DOUBLE_EQ(p.DistanceSquaredToLine(xAxis), 16.0);
    EXPECT_FALSE(p.IsOnLine(xAxis));
    EXPECT_TRUE(CPoint3d(7.0, 0.0, 0.0009).IsOnLine(xAxis));
    p.ProjectToLine(xAxis, projected);
    EXPECT_EQ(projected, CPoint3d(3.0, 0.0, 0.0));
}

TEST(Point3d, IsValidRejectsNonFiniteCoordinates)
{
    EXPECT_TRUE(CPoint3d(1.0, 2.0, 3.0).IsValid());
    EXPECT_FALSE(CPoint3d(1.0, std::numeric_limits<double>::quiet_NaN(), 3.0).IsValid());
    EXPECT_FALSE(CPoint3d(1.0, 2.0, std::numeric_limits<double>::infinity()).IsValid());
}

}  // namespace
