#include "foundation/line3d.h"

#include <gtest/gtest.h>

#include <cmath>

#include "foundation/boundingbox3d.h"
#include "foundation/plane3d.h"
#include "foundation/transformation.h"

namespace {

const CLine3d kXAxis(CPoint3d(0.0, 0.0, 0.0), CUnitVector3d(1.0, 0.0, 0.0));
const CBoundingBox3d kUnitBox(0.0, 1.0, 0.0, 1.0, 0.0, 1.0);

TEST(Line3d, ParametersMeasureAlongTheDirection)
{
    const CLine3d line(CPoint3d(1.0, 1.0, 1.0), CPoint3d(1.0, 1.0, 5.0));
    EXPECT_EQ(CVector3d(line.direction), CVector3d(0.0, 0.0, 1.0));
    EXPECT_EQ(line.GetPoint(2.0), CPoint3d(1.0, 1.0, 3.0));
    EXPECT_DOUBLE_EQ(line.GetParameter(CPoint3d(7.0, 0.0, -1.0)), -2.0);
    double t = 0.0;
    ASSERT_TRUE(line.Intersect(CPlane3d(0.0, 0.0, 1.0, -4.0), t));
    EXPECT_DOUBLE_EQ(t, 3.0);
}

TEST(Line3d, TransformingMovesTheOriginAndRenormalizesTheDirection)
{
    CLine3d line = kXAxis;
    line.Transform(CTransformation::Scaling(3.0, 1.0, 1.0) *
                   CTransformation::Rotation(CPoint3d(0.0, 0.0, 0.0), CUnitVector3d(0.0, 0.0, 1.0), kPi / 4.0));
    const double k = 3.0 / std::sqrt(10.0);
    EXPECT_NEAR(line.direction.x, k, 1e-12);
    EXPECT_NEAR(line.direction.y, 1.0 / std::sqrt(10.0), 1e-12);
    EXPECT_TRUE(line.IsValid());
}

TEST(Line3d, ClosestPointsOfSkewLines)
{
    const CPoint3d p1(0.0, 0.0, 0.0);
    const CUnitVector3d d1(1.0, 0.0, 0.0);
    const CPoint3d p2(5.0, -3.0, 2.0);
    const CUnitVector3d d2(0.0, 1.0, 0.0);
    double t1 = 0.0;
    double t2 = 0.0;
    ASSERT_TRUE(GetClosestLineParameters(p1, d1, p2, d2, t1, t2));
    EXPECT_DOUBLE_EQ(t1, 5.0);
    EXPECT_DOUBLE_EQ(t2, 3.0);
    CPoint3d q1;
    CPoint3d q2;
    ASSERT_TRUE(GetClosestPoints(p1, d1, p2, d2, q1, q2));
    EXPECT_EQ(q1, CPoint3d(5.0, 0.0, 0.0));
    EXPECT_EQ(q2, CPoint3d(5.0, 0.0, 2.0));

    // Slanted: the segment joining the closest points is perpendicular to both lines.
    const CLine3d a(CPoint3d(1.0, 2.0, 3.0), CUnitVector3d(1.0, 1.0, 0.0));
    const CLine3d b(CPoint3d(-2.0, 0.0, 7.0), CUnitVector3d(0.0, 1.0, 2.0));
    ASSERT_TRUE(a.GetClosestPoints(b, q1, q2));
    EXPECT_NEAR(DotProduct(q2 - q1, a.direction), 0.0, 1e-12);
    EXPECT_NEAR(DotProduct(q2 - q1, b.direction), 0.0, 1e-12);
}

TEST(Line3d, ParallelLinesHaveNoUniqueClosestPoints)
{
    double t1 = -1.0;
    double t2 = -1.0;
    EXPECT_FALSE(GetClosestLineParameters(CPoint3d(2.0, 0.0, 0.0), CUnitVector3d(1.0, 0.0, 0.0),
                                          CPoint3d(0.0, 1.0, 0.0), CUnitVector3d(-1.0, 0.0, 0.0), t1, t2));
    EXPECT_EQ(t1, 0.0);
    EXPECT_DOUBLE_EQ(t2, -2.0);
    CPoint3d point;
    EXPECT_FALSE(kXAxis.IntersectLine(CLine3d(CPoint3d(0.0, 0.0, 0.0), CUnitVector3d(-1.0, 0.0, 0.0)), point));
}

TEST(Line3d, SkewLinesIntersectOnlyWhenTheyPassWithinTheTolerance)
{
    CPoint3d point;
    EXPECT_TRUE(kXAxis.IntersectLine(CLine3d(CPoint3d(3.0, 0.0, 0.0005), CUnitVector3d(0.0, 1.0, 0.0)), point));
    EXPECT_NEAR(point.x, 3.0, 1e-12);
    EXPECT_NEAR(point.z, 0.00025, 1e-12);
    EXPECT_FALSE(kXAxis.IntersectLine(CLine3d(CPoint3d(3.0, 0.0, 0.002), CUnitVector3d(0.0, 1.0, 0.0)), point));
}

TEST(Line3d, SegmentIntersectionAcceptsEndsWithinTheTolerance)
{
    double t = 0.0;
    EXPECT_TRUE(kXAxis.IntersectSegment(CPoint3d(4.0, -1.0, 0.0), CPoint3d(4.0, 1.0, 0.0), t));
    EXPECT_DOUBLE_EQ(t, 4.0);
    // The crossing lies just beyond the end b, within the tolerance.
    EXPECT_TRUE(kXAxis.IntersectSegment(CPoint3d(4.0, -1.0, 0.0), CPoint3d(4.0, -0.0005, 0.0), t));
    EXPECT_FALSE(kXAxis.IntersectSegment(CPoint3d(4.0, -1.0, 0.0), CPoint3d(4.0, -0.5, 0.0), t));
    // Crossing over the line at a distance of 1: seen along the line they cross, yet
    // they do not meet.
    EXPECT_FALSE(kXAxis.IntersectSegment(CPoint3d(4.0, -1.0, 1.0), CPoint3d(4.0, 1.0, 1.0), t));
    // A segment along the line, and one shorter than the tolerance.
    EXPECT_TRUE(kXAxis.IntersectSegment(CPoint3d(2.0, 0.0, 0.0), CPoint3d(3.0, 0.0, 0.0), t));
    EXPECT_DOUBLE_EQ(t, 2.0);
    EXPECT_TRUE(kXAxis.IntersectSegment(CPoint3d(6.0, 0.0, 0.0), CPoint3d(6.0, 0.0005, 0.0), t));
    EXPECT_NEAR(t, 6.0, 1e-12);
    EXPECT_FALSE(kXAxis.IntersectSegment(CPoint3d(6.0, 0.0, 1.0), CPoint3d(6.0, 0.0005, 1.0), t));
}

TEST(Line3d, RayEntersABoxThroughTheFaceItMeetsLast)
{
    CPoint3d point;
    int face = -1;
    const CLine3d inside(CPoint3d(0.5, 0.5, 0.5), CUnitVector3d(1.0, 0.0, 0.0));
    ASSERT_TRUE(inside.IntersectBox(kUnitBox, point, face));
    EXPECT_EQ(face, 0);
    EXPECT_EQ(point, inside.origin);

    const CLine3d fromBelow(CPoint3d(0.5, 0.25, -2.0), CUnitVector3d(0.0, 0.0, 1.0));
    ASSERT_TRUE(fromBelow.IntersectBox(kUnitBox, point, face));
    EXPECT_EQ(face, 5);
    EXPECT_EQ(point, CPoint3d(0.5, 0.25, 0.0));

    const CLine3d diagonal(CPoint3d(2.0, -1.0, 0.5), CUnitVector3d(-1.0, 1.5, 0.0));
    ASSERT_TRUE(diagonal.IntersectBox(kUnitBox, point, face));
    // It reaches y = 0 before x = 1, so it enters through the maximum x face.
    EXPECT_EQ(face, 2);
    EXPECT_EQ(point, CPoint3d(1.0, 0.5, 0.5));

    const CLine3d away(CPoint3d(0.5, 0.5, -2.0), CUnitVector3d(0.0, 0.0, -1.0));
    EXPECT_FALSE(away.IntersectBox(kUnitBox, point, face));
    const CLine3d beside(CPoint3d(3.0, 0.5, -2.0), CUnitVector3d(0.0, 0.0, 1.0));
    EXPECT_FALSE(beside.IntersectBox(kUnitBox, point, face));
    EXPECT_FALSE(fromBelow.IntersectBox(CBoundingBox3d(), point, face));
}

TEST(LineHelpers, SegmentPointNearestALineNamesItsCase)
{
    const CPoint3d b(0.0, 0.0, 1.0);
    const CUnitVector3d d(0.0, 1.0, 0.0);
    CPoint3d q;
    EXPECT_EQ(IntersectLineSegment(CPoint3d(-1.0, 5.0, 0.0), CPoint3d(1.0, 5.0, 0.0), b, d, q),
              kSegmentNearestInside);
    EXPECT_EQ(q, CPoint3d(0.0, 5.0, 0.0));
    EXPECT_EQ(IntersectLineSegment(CPoint3d(1.0, 0.0, 0.0), CPoint3d(2.0, 0.0, 0.0), b, d, q),
              kSegmentNearestAtStart);
    EXPECT_EQ(q, CPoint3d(1.0, 0.0, 0.0));
    EXPECT_EQ(IntersectLineSegment(CPoint3d(-2.0, 0.0, 0.0), CPoint3d(-1.0, 0.0, 0.0), b, d, q),
              kSegmentNearestAtEnd);
    EXPECT_EQ(q, CPoint3d(-1.0, 0.0, 0.0));
    // Parallel to the line: the end nearer to b.
    EXPECT_EQ(IntersectLineSegment(CPoint3d(3.0, 9.0, 0.0), CPoint3d(3.0, 1.0, 0.0), b, d, q), kSegmentParallel);
    EXPECT_EQ(q, CPoint3d(3.0, 1.0, 0.0));
}

TEST(LineHelpers, PointNearLineAndOnSegmentUseTheGivenTolerance)
{
    const CPoint3d a(0.0, 0.0, 0.0);
    const CPoint3d b(10.0, 0.0, 0.0);
    EXPECT_TRUE(IsPointNearLine(a, b, CPoint3d(50.0, 0.09, 0.0), 0.1));
    EXPECT_FALSE(IsPointNearLine(a, b, CPoint3d(5.0, 0.11, 0.0), 0.1));
    EXPECT_TRUE(IsPointNearLine(a, CPoint3d(0.05, 0.0, 0.0), CPoint3d(99.0, 99.0, 0.0), 0.1));

    EXPECT_TRUE(IsPointOnSegment(a, b, CPoint3d(5.0, 0.0005, 0.0)));
    EXPECT_FALSE(IsPointOnSegment(a, b, CPoint3d(5.0, 0.002, 0.0)));
    EXPECT_TRUE(IsPointOnSegment(a, b, CPoint3d(10.0005, 0.0, 0.0)));
    EXPECT_FALSE(IsPointOnSegment(a, b, CPoint3d(10.5, 0.0, 0.0)));
    EXPECT_TRUE(IsPointOnSegment(a, b, CPoint3d(10.5, 0.0, 0.0), 1.0));
}

}  // namespace
