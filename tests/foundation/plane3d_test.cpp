#include "foundation/plane3d.h"

#include <gtest/gtest.h>

#include <cmath>

#include "foundation/boundingbox3d.h"
#include "foundation/line3d.h"

namespace {

void ExpectPlane(const CPlane3d& plane, double a, double b, double c, double d)
{
    EXPECT_NEAR(plane.a, a, 1e-9);
    EXPECT_NEAR(plane.b, b, 1e-9);
    EXPECT_NEAR(plane.c, c, 1e-9);
    EXPECT_NEAR(plane.d, d, 1e-9);
}

TEST(Plane3d, ConstructionNormalizesCoefficientsButNotAGivenNormal)
{
    ExpectPlane(CPlane3d(0.0, 0.0, 2.0, -10.0), 0.0, 0.0, 1.0, -5.0);
    ExpectPlane(CPlane3d(0.0, 0.0, 1e-11, 7.0), 0.0, 0.0, 0.0, 7.0);
    ExpectPlane(CPlane3d(CPoint3d(0.0, 0.0, 3.0), CVector3d(0.0, 0.0, 2.0)), 0.0, 0.0, 2.0, -6.0);
    // Collinear points leave no normal.
    ExpectPlane(CPlane3d(CPoint3d(0.0, 0.0, 0.0), CPoint3d(1.0, 0.0, 0.0), CPoint3d(2.0, 0.0, 0.0)), 0.0, 0.0,
                0.0, 0.0);
}

TEST(Plane3d, LineIntersectionFailsForLinesAlongThePlane)
{
    const CPlane3d plane(0.0, 0.0, 1.0, -5.0);
    double t = 0.0;
    EXPECT_TRUE(plane.IntersectLine(CLine3d(CPoint3d(1.0, 2.0, 0.0), CUnitVector3d(0.0, 0.0, -1.0)), t));
    EXPECT_DOUBLE_EQ(t, -5.0);
    CPoint3d point;
    EXPECT_TRUE(plane.IntersectLine(CLine3d(CPoint3d(0.0, 0.0, 0.0), CUnitVector3d(1.0, 0.0, 1.0)), point));
    EXPECT_EQ(point, CPoint3d(5.0, 0.0, 5.0));
    EXPECT_FALSE(plane.IntersectLine(CLine3d(CPoint3d(0.0, 0.0, 0.0), CUnitVector3d(1.0, 0.0, 5e-7)), t));
}

TEST(Plane3d, ClassifiesBoxesThatTouchAsCrossing)
{
    const CPlane3d plane(1.0, 1.0, 1.0, 0.0);
    EXPECT_EQ(plane.ClassifyBox(CBoundingBox3d(1.0, 2.0, 1.0, 2.0, 1.0, 2.0)), kBoxAbovePlane);
    EXPECT_EQ(plane.ClassifyBox(CBoundingBox3d(-2.0, -1.0, -2.0, -1.0, -2.0, -1.0)), kBoxBelowPlane);
    // Touching the plane from the positive side at one corner.
    EXPECT_EQ(plane.ClassifyBox(CBoundingBox3d(0.0, 1.0, 0.0, 1.0, 0.0, 1.0)), kBoxCrossesPlane);
    EXPECT_EQ(plane.ClassifyBox(CBoundingBox3d(-1.0, 1.0, -1.0, 1.0, -1.0, 1.0)), kBoxCrossesPlane);
}

TEST(Plane3d, BoxesWhollyBelowAreFoundForAxisAndSlantedPlanes)
{
    const CBoundingBox3d box(0.0, 1.0, 0.0, 1.0, 0.0, 1.0);
    EXPECT_TRUE(CPlane3d(0.0, 0.0, 1.0, -1.002).IsBoxWhollyBelow(box));
    EXPECT_FALSE(CPlane3d(0.0, 0.0, 1.0, -1.0).IsBoxWhollyBelow(box));
    EXPECT_TRUE(CPlane3d(0.0, 0.0, -1.0, -0.5).IsBoxWhollyBelow(box));
    EXPECT_FALSE(CPlane3d(0.0, 0.0, -1.0, 0.5).IsBoxWhollyBelow(box));
    EXPECT_TRUE(CPlane3d(-1.0, 0.0, 0.0, -2.0).IsBoxWhollyBelow(box));
    EXPECT_TRUE(CPlane3d(0.0, 1.0, 0.0, -3.0).IsBoxWhollyBelow(box));
    // A slanted plane: far off, near but clear of every corner, and through the box.
    EXPECT_TRUE(CPlane3d(1.0, 1.0, 1.0, -100.0).IsBoxWhollyBelow(box));
    EXPECT_TRUE(CPlane3d(1.0, 1.0, 1.0, -3.01).IsBoxWhollyBelow(box));
    EXPECT_FALSE(CPlane3d(1.0, 1.0, 1.0, -1.5).IsBoxWhollyBelow(box));
    EXPECT_FALSE(CPlane3d(1.0, 1.0, 1.0, 100.0).IsBoxWhollyBelow(box));
}

TEST(Plane3d, CanonicalFormMakesTheFirstSignificantCoefficientPositive)
{
    CPlane3d plane;
    plane.a = 0.0;
    plane.b = -1.0;
    plane.c = 0.0;
    plane.d = 0.0005;
    plane.MakeCanonical();
    ExpectPlane(plane, 0.0, 1.0, 0.0, -0.0005);

    CPlane3d zero;
    zero.c = 0.0;
    zero.MakeCanonical();
    ExpectPlane(zero, 0.0, 0.0, 0.0, 0.0);

    CPlane3d positiveD(0.0, 0.0, -1.0, 3.0);
    positiveD.MakeCanonical();
    ExpectPlane(positiveD, 0.0, 0.0, -1.0, 3.0);
}

TEST(Plane3d, BothOrientationsOfAPlaneAreEqualUnorientedAndProjectAlike)
{
    const CPlane3d up(0.0, 0.0, 1.0, -5.0);
    const CPlane3d down(0.0, 0.0, -1.0, 5.0);
    EXPECT_TRUE(up.IsEqual(down, false));
    EXPECT_FALSE(up.IsEqual(down, true));
    EXPECT_TRUE(up.IsEqual(CPlane3d(0.0, 0.0, 1.0, -5.0009), true));

    // Through the origin the normals decide the orientation.
    EXPECT_TRUE(CPlane3d(1.0, 0.0, 0.0, 0.0).IsEqual(CPlane3d(-1.0, 0.0, 0.0, 0.0), false));
    EXPECT_FALSE(CPlane3d(1.0, 0.0, 0.0, 0.0).IsEqual(CPlane3d(0.0, 1.0, 0.0, 0.0), false));

    const CPoint3d p(3.0, -2.0, 5.0);
    EXPECT_EQ(up.ProjectTo2d(p), down.ProjectTo2d(p));
    EXPECT_EQ(up.ProjectTo2d(p), CPoint2d(-3.0, -2.0));
}

TEST(Plane3d, TwoPlanesMeetInTheirCommonLine)
{
    CLine3d line;
    ASSERT_TRUE(CPlane3d(0.0, 0.0, 1.0, 0.0).Intersect(CPlane3d(1.0, 0.0, 0.0, 0.0), line));
    EXPECT_EQ(line.origin, CPoint3d(0.0, 0.0, 0.0));
    EXPECT_EQ(CVector3d(line.direction), CVector3d(0.0, 1.0, 0.0));

    ASSERT_TRUE(CPlane3d(0.0, 0.0, 1.0, -2.0).Intersect(CPlane3d(1.0, 1.0, 0.0, -4.0), line));
    EXPECT_TRUE(line.origin.IsOnPlane(CPlane3d(0.0, 0.0, 1.0, -2.0)));
    EXPECT_TRUE(line.origin.IsOnPlane(CPlane3d(1.0, 1.0, 0.0, -4.0)));
    EXPECT_TRUE(CVector3d(line.direction).IsPerpendicularTo(CVector3d(1.0, 1.0, 0.0)));

    const CLine3d untouched = line;
    EXPECT_FALSE(CPlane3d(0.0, 0.0, 1.0, 0.0).Intersect(CPlane3d(0.0, 0.0, -1.0, 3.0), line));
    EXPECT_EQ(line.origin, untouched.origin);
}

TEST(Plane3d, FittingToleratesPointsWithinTheToleranceOfTheLeastSquaresPlane)
{
    // The fitted plane leaves every corner h/4 away.
    const double heights[] = {0.003, 0.005};
    for (const double h : heights) {
        const CPoint3d square[] = {{0.0, 0.0, 0.0}, {1.0, 0.0, 0.0}, {1.0, 1.0, 0.0}, {0.0, 1.0, h}};
        CPlane3d plane;
        const bool fitted = plane.FitToPoints(4, square);
        EXPECT_EQ(fitted, h < 0.004) << "h = " << h;
        EXPECT_NEAR(plane.c, 1.0, 1e-5);
        EXPECT_NEAR(plane.GetDistance(square[3]), h / 4.0, 1e-7);
    }
}

TEST(Plane3d, FittingOrientsThePlaneLikeThePolygon)
{
    const CPoint3d clockwise[] = {{0.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {1.0, 1.0, 0.0}, {1.0, 0.0, 0.0}};
    CPlane3d plane;
    ASSERT_TRUE(plane.FitToPoints(4, clockwise));
    ExpectPlane(plane, 0.0, 0.0, -1.0, 0.0);

    // A wall at y = 2: the y component is the one fixed while solving.
    const CPoint3d wall[] = {{0.0, 2.0, 0.0}, {1.0, 2.0, 0.0}, {1.0, 2.0, 1.0}, {0.0, 2.0, 1.0}};
    ASSERT_TRUE(plane.FitToPoints(4, wall));
    ExpectPlane(plane, 0.0, -1.0, 0.0, 2.0);

    const CPoint3d slanted[] = {{0.0, 0.0, 1.0}, {1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}};
    ASSERT_TRUE(plane.FitToPoints(3, slanted));
    const double k = 1.0 / std::sqrt(3.0);
    ExpectPlane(plane, k, k, k, -k);
}

TEST(Plane3d, FittingFailsWithoutChangeForTooFewOrCollinearPoints)
{
    const CPlane3d original(0.0, 1.0, 0.0, -9.0);
    CPlane3d plane = original;
    const CPoint3d line[] = {{0.0, 0.0, 0.0}, {1.0, 1.0, 1.0}, {2.0, 2.0, 2.0}};
    EXPECT_FALSE(plane.FitToPoints(3, line));
    ExpectPlane(plane, 0.0, 1.0, 0.0, -9.0);
    EXPECT_FALSE(plane.FitToPoints(2, line));
    ExpectPlane(plane, 0.0, 1.0, 0.0, -9.0);
}

}  // namespace
