#include "foundation/point3d.h"

#include <gtest/gtest.h>

#include "foundation/line3d.h"
#include "foundation/plane3d.h"

namespace {

TEST(Point3d, EqualityIsASphereOfTheToleranceNotACube)
{
    const CPoint3d origin(0.0, 0.0, 0.0);
    // Every per-axis difference is inside the tolerance, the distance (about 0.00156) is not.
    EXPECT_TRUE(origin != CPoint3d(0.0009, 0.0009, 0.0009));
    EXPECT_TRUE(origin == CPoint3d(0.0009, 0.0, 0.0));
    EXPECT_FALSE(origin == CPoint3d(0.001, 0.0, 0.0));
    EXPECT_TRUE(origin.IsEqual(CPoint3d(0.0, 0.04, 0.0), 0.05));
}

TEST(Point3d, DistancesBelowTheZeroLengthAreZero)
{
    const CPoint3d a(1.0, 2.0, 3.0);
    EXPECT_DOUBLE_EQ(a.Distance(CPoint3d(4.0, 6.0, 3.0)), 5.0);
    EXPECT_EQ(a.Distance(CPoint3d(1.0 + 1e-11, 2.0, 3.0)), 0.0);
}

TEST(Point3d, NearerPointPrefersTheFirstOnATie)
{
    const CPoint3d origin(0.0, 0.0, 0.0);
    const CPoint3d left(-1.0, 0.0, 0.0);
    const CPoint3d right(1.0, 0.0, 0.0);
    EXPECT_EQ(&origin.GetNearerPoint(left, right), &left);
    EXPECT_EQ(&origin.GetNearerPoint(CPoint3d(2.0, 0.0, 0.0), right), &right);
}

TEST(Point3d, RelatesToPlanesAndLinesWithinTheTolerance)
{
    const CPlane3d plane(0.0, 0.0, 1.0, -5.0);
    EXPECT_TRUE(CPoint3d(1.0, 2.0, 5.0009).IsOnPlane(plane));
    EXPECT_FALSE(CPoint3d(1.0, 2.0, 5.002).IsOnPlane(plane));

    const CLine3d xAxis(CPoint3d(0.0, 0.0, 0.0), CUnitVector3d(1.0, 0.0, 0.0));
    const CPoint3d p(3.0, 4.0, 0.0);
    EXPECT_DOUBLE_EQ(p.DistanceToLine(xAxis), 4.0);
    EXPECT_TRUE(CPoint3d(7.0, 0.0, 0.0009).IsOnLine(xAxis));
    CPoint3d foot;
    p.ProjectToLine(xAxis, foot);
    EXPECT_EQ(foot, CPoint3d(3.0, 0.0, 0.0));
}

}  // namespace
