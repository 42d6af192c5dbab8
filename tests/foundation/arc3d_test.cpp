#include "foundation/arc3d.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "foundation/transformation.h"

namespace {

void ExpectNearPoint(const CPoint3d& actual, const CPoint3d& expected, double tolerance = 1e-9)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// The circle of radius r about the origin in the XY plane, from angle 0 to end.
CArc3d CircleArc(double r, double end)
{
    CArc3d arc;
    arc.xAxis = CVector3d(r, 0.0, 0.0);
    arc.Update(true);
    arc.endAngle = end;
    return arc;
}

TEST(Arc3d, ThreePointsOnACircleGiveItsCentreAndRadius)
{
    const CArc3d arc(CPoint3d(7.0, 2.0, 1.0), CPoint3d(5.0, 4.0, 1.0), CPoint3d(3.0, 2.0, 1.0));
    ExpectNearPoint(arc.centre, CPoint3d(5.0, 2.0, 1.0));
    EXPECT_NEAR(arc.radius, 2.0, 1e-12);
    EXPECT_EQ(arc.startAngle, 0.0);
    EXPECT_NEAR(arc.endAngle, kPi, 1e-12);
    EXPECT_TRUE(arc.HasValidAxes());
    CPoint3d end;
    arc.GetEndPoint(end);
    ExpectNearPoint(end, CPoint3d(3.0, 2.0, 1.0));
}

TEST(Arc3d, ThreePointsAlwaysRunFromTheFirstThroughTheSecondToTheThird)
{
    // p2 lies on the long way round from p1 to p3 about the first normal.
    const CPoint3d p1(1.0, 0.0, 0.0);
    const CPoint3d p2(0.0, -1.0, 0.0);
    const CPoint3d p3(0.0, 1.0, 0.0);
    const CArc3d arc(p1, p2, p3);
    EXPECT_TRUE(arc.HasValidAxes());
    const double p2Angle = arc.GetAngleOfPoint(p2);
    EXPECT_GT(p2Angle, arc.startAngle);
    EXPECT_LT(p2Angle, arc.endAngle);
    CPoint3d start;
    CPoint3d end;
    arc.GetStartPoint(start);
    arc.GetEndPoint(end);
    ExpectNearPoint(start, p1);
    ExpectNearPoint(end, p3);
    EXPECT_NEAR(arc.endAngle, 3.0 * kPi / 2.0, 1e-12);
    CPoint3d through;
    arc.GetPointAtAngle(p2Angle, through);
    ExpectNearPoint(through, p2);
}

TEST(Arc3d, CollinearPointsGiveAHugeCircleNeverAFailure)
{
    const CPoint3d p1(0.0, 0.0, 0.0);
    const CPoint3d p2(1.0, 0.0, 0.0);
    const CPoint3d p3(2.0, 0.0, 0.0);
    const CArc3d arc(p1, p2, p3);
    EXPECT_NEAR(arc.radius, 1e9, 1.0);
    CPoint3d end;
    arc.GetEndPoint(end);
    ExpectNearPoint(end, p3, 1e-6);
    EXPECT_GT(arc.GetAngleOfPoint(p2), 0.0);
    EXPECT_LT(arc.GetAngleOfPoint(p2), arc.endAngle);
    // A vertical chord uses the fixed y normal.
    const CArc3d vertical(CPoint3d(0.0, 0.0, 0.0), CPoint3d(0.0, 0.0, 1.0), CPoint3d(0.0, 0.0, 3.0));
    EXPECT_NEAR(vertical.radius, 1e9, 1.0);
    EXPECT_NEAR(std::fabs(vertical.plane.b), 1.0, 1e-12);
    // Coincident points collapse to a point.
    const CArc3d point(p2, p2, p2);
    EXPECT_EQ(point.radius, 0.0);
    EXPECT_TRUE(point.IsValid());
}

TEST(Arc3d, AnglesWrapOnlyBeyondTheUnitTolerance)
{
    const CArc3d arc = CircleArc(1.0, kTwoPi);
    CPoint3d p;
    arc.GetPointAtAngle(-2e-6, p);
    ExpectNearPoint(p, CPoint3d(std::cos(kTwoPi - 2e-6), std::sin(kTwoPi - 2e-6), 0.0), 1e-15);
    EXPECT_NEAR(arc.GetAngleOfPoint(CPoint3d(std::cos(-2e-6), std::sin(-2e-6), 0.0)), kTwoPi - 2e-6, 1e-12);
    // Within the tolerance a small negative angle stays as it is.
    EXPECT_NEAR(arc.GetAngleOfPoint(CPoint3d(std::cos(-5e-7), std::sin(-5e-7), 0.0)), -5e-7, 1e-12);
    EXPECT_NEAR(arc.GetAngleOfPoint(CPoint3d(0.0, -3.0, 7.0)), 3.0 * kPi / 2.0, 1e-12);
    arc.GetPointAtAngle(5.0 * kTwoPi + kPi / 2.0, p);
    ExpectNearPoint(p, CPoint3d(0.0, 1.0, 0.0), 1e-12);
}

TEST(Arc3d, UnreasonableAnglesDoNotHang)
{
    const CArc3d arc = CircleArc(1.0, kTwoPi);
    CPoint3d p;
    arc.GetPointAtAngle(1e300, p);
    EXPECT_TRUE(p.IsValid());
    arc.GetPointAtAngle(std::numeric_limits<double>::infinity(), p);
    EXPECT_FALSE(p.IsValid());
    EXPECT_EQ(arc.GetAngleOfPoint(arc.centre), 0.0);
}

TEST(Arc3d, SkewedAxesAreMeasuredAsTheCircleTheyStandFor)
{
    CArc3d ellipse = CircleArc(2.0, kTwoPi);
    ellipse.yAxis = CVector3d(0.5, 1.0, 0.0);  // shorter and leaning
    ASSERT_FALSE(ellipse.HasValidAxes());
    for (const double angle : {0.3, 2.0, 4.0}) {
        CPoint3d p;
        ellipse.GetPointAtAngle(angle, p);
        EXPECT_NEAR(ellipse.GetAngleOfPoint(p), angle, 1e-12);
    }
}

TEST(Arc3d, ClosedNeedsExactZerosOrTheGeometricTest)
{
    EXPECT_TRUE(CircleArc(1.0, 0.0).IsClosed(false));
    EXPECT_FALSE(CircleArc(1.0, kTwoPi).IsClosed(false));
    EXPECT_TRUE(CircleArc(1.0, kTwoPi).IsClosed(true));
    EXPECT_TRUE(CircleArc(1.0, kTwoPi - 0.0009).IsClosed(true));
    EXPECT_FALSE(CircleArc(1.0, kTwoPi - 0.002).IsClosed(true));
}

TEST(Arc3d, EqualArcsShareCentrePlaneInEitherOrientationAndRadius)
{
    const CArc3d arc = CircleArc(2.0, kPi);
    CArc3d reversed = arc;
    reversed.plane.Reverse();
    EXPECT_TRUE(arc.IsEqual(reversed));
    CArc3d larger = arc;
    larger.radius += 0.0011;
    EXPECT_FALSE(arc.IsEqual(larger));
}

TEST(Arc3d, TransformingMovesTheArcAndKeepsItsNormalOnTheSideOfItsAxes)
{
    CArc3d arc = CircleArc(1.0, kPi);
    CTransformation shift;
    shift.SetTranslation(CVector3d(0.0, 0.0, 3.0));
    CTransformation scale;
    scale.SetUniformScale(2.0);
    arc.Transform(scale * shift);
    ExpectNearPoint(arc.centre, CPoint3d(0.0, 0.0, 6.0));
    EXPECT_NEAR(arc.radius, 2.0, 1e-12);
    EXPECT_NEAR(arc.plane.d, -6.0, 1e-12);

    CArc3d mirrored = CircleArc(1.0, kPi);
    mirrored.Transform(CTransformation::Scaling(1.0, -1.0, 1.0));
    EXPECT_NEAR(mirrored.plane.c, -1.0, 1e-12);
    EXPECT_TRUE(mirrored.HasValidAxes());
    CPoint3d p;
    mirrored.GetPointAtAngle(kPi / 2.0, p);
    ExpectNearPoint(p, CPoint3d(0.0, -1.0, 0.0));
    EXPECT_NEAR(mirrored.GetAngleOfPoint(p), kPi / 2.0, 1e-12);
}

}  // namespace
