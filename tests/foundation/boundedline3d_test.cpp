#include "foundation/boundedline3d.h"

#include <gtest/gtest.h>

#include "foundation/boundingbox3d.h"
#include "foundation/plane3d.h"

namespace {

const CBoundingBox3d kUnitBox(0.0, 1.0, 0.0, 1.0, 0.0, 1.0);

CBoundedLine3d Ray(const CPoint3d& origin, const CUnitVector3d& direction)
{
    return CBoundedLine3d(CLine3d(origin, direction), false, true);
}

CBoundedLine3d WholeLine(const CPoint3d& origin, const CUnitVector3d& direction)
{
    return CBoundedLine3d(CLine3d(origin, direction), true, true);
}

TEST(BoundedLine3d, ASegmentRunsFromZeroToItsLength)
{
    const CBoundedLine3d segment(CPoint3d(1.0, 0.0, 0.0), CPoint3d(1.0, 3.0, 4.0));
    EXPECT_EQ(segment.start, 0.0);
    EXPECT_DOUBLE_EQ(segment.end, 5.0);
    CPoint3d point;
    EXPECT_TRUE(segment.GetEndPoint(point));
    EXPECT_EQ(point, CPoint3d(1.0, 3.0, 4.0));
    EXPECT_FALSE(segment.IsDegenerate());
    EXPECT_TRUE(CBoundedLine3d(CPoint3d(1.0, 2.0, 3.0), CPoint3d(1.0, 2.0, 3.0)).IsDegenerate());
    CLine3d ray;
    EXPECT_FALSE(segment.GetRay(ray));
}

TEST(BoundedLine3d, ALineBoundedOnlyAtItsEndGivesTheReversedRay)
{
    const CBoundedLine3d backwards(CLine3d(CPoint3d(0.0, 0.0, 0.0), CUnitVector3d(1.0, 0.0, 0.0)), true, false);
    CLine3d ray;
    ASSERT_TRUE(backwards.GetRay(ray));
    EXPECT_EQ(ray.origin, CPoint3d(1.0, 0.0, 0.0));
    EXPECT_EQ(CVector3d(ray.direction), CVector3d(-1.0, 0.0, 0.0));
}

TEST(BoundedLine3d, ClippingKeepsThePartOnThePositiveSide)
{
    const CPlane3d plane(0.0, 0.0, 1.0, -2.0);
    CBoundedLine3d up(CPoint3d(0.0, 0.0, 0.0), CPoint3d(0.0, 0.0, 5.0));
    EXPECT_TRUE(up.ClipToPlane(plane));
    EXPECT_DOUBLE_EQ(up.start, 2.0);
    EXPECT_DOUBLE_EQ(up.end, 5.0);

    CBoundedLine3d down(CPoint3d(0.0, 0.0, 5.0), CPoint3d(0.0, 0.0, 0.0));
    EXPECT_TRUE(down.ClipToPlane(plane));
    EXPECT_DOUBLE_EQ(down.end, 3.0);

    CBoundedLine3d below(CPoint3d(0.0, 0.0, 0.0), CPoint3d(0.0, 0.0, 1.0));
    EXPECT_FALSE(below.ClipToPlane(plane));

    CBoundedLine3d above(CPoint3d(0.0, 0.0, 3.0), CPoint3d(0.0, 0.0, 4.0));
    EXPECT_TRUE(above.ClipToPlane(plane));
    EXPECT_EQ(above.start, 0.0);
    EXPECT_DOUBLE_EQ(above.end, 1.0);

    // Clipped down to its end point: nothing is left.
    CBoundedLine3d touching(CPoint3d(0.0, 0.0, 0.0), CPoint3d(0.0, 0.0, 2.0));
    EXPECT_FALSE(touching.ClipToPlane(plane));

    CBoundedLine3d whole = WholeLine(CPoint3d(0.0, 0.0, 0.0), CUnitVector3d(0.0, 0.0, 1.0));
    EXPECT_TRUE(whole.ClipToPlane(plane));
    EXPECT_DOUBLE_EQ(whole.start, 2.0);
    EXPECT_EQ(whole.end, kUnbounded);
}

TEST(BoundedLine3d, ClippingALineAlongThePlaneDependsOnWhichSideItLies)
{
    const CPlane3d plane(0.0, 0.0, 1.0, -2.0);
    CBoundedLine3d justBelow(CPoint3d(0.0, 0.0, 1.9995), CPoint3d(5.0, 0.0, 1.9995));
    EXPECT_TRUE(justBelow.ClipToPlane(plane));
    EXPECT_DOUBLE_EQ(justBelow.end, 5.0);
    CBoundedLine3d farBelow(CPoint3d(0.0, 0.0, 1.0), CPoint3d(5.0, 0.0, 1.0));
    EXPECT_FALSE(farBelow.ClipToPlane(plane));
}

TEST(BoundedLine3d, SegmentsMeetTheBoxWhenTheyCrossIt)
{
    EXPECT_TRUE(CBoundedLine3d(CPoint3d(-0.5, 0.6, 0.5), CPoint3d(0.6, -0.5, 0.5)).IntersectsBox(kUnitBox));
    EXPECT_FALSE(CBoundedLine3d(CPoint3d(-1.0, 0.5, 0.5), CPoint3d(0.5, -1.0, 0.5)).IntersectsBox(kUnitBox));
    EXPECT_TRUE(CBoundedLine3d(CPoint3d(1.0, 1.0, 1.0), CPoint3d(3.0, 4.0, 5.0)).IntersectsBox(kUnitBox));
    EXPECT_TRUE(CBoundedLine3d(CPoint3d(-1.0, 0.5, 0.5), CPoint3d(2.0, 0.5, 0.5)).IntersectsBox(kUnitBox));
    EXPECT_FALSE(CBoundedLine3d(CPoint3d(-2.0, 0.5, 0.5), CPoint3d(-1.0, 0.5, 0.5)).IntersectsBox(kUnitBox));
    // Two equal points: a point test.
    EXPECT_TRUE(CBoundedLine3d(CPoint3d(0.5, 0.5, 0.5), CPoint3d(0.5, 0.5, 0.5)).IntersectsBox(kUnitBox));
    EXPECT_FALSE(CBoundedLine3d(CPoint3d(1.5, 0.5, 0.5), CPoint3d(1.5, 0.5, 0.5)).IntersectsBox(kUnitBox));
}

TEST(BoundedLine3d, RaysMeetTheBoxOnlyWhenTheyPointAtIt)
{
    EXPECT_TRUE(Ray(CPoint3d(2.0, 0.5, 0.5), CUnitVector3d(-1.0, 0.0, 0.0)).IntersectsBox(kUnitBox));
    EXPECT_FALSE(Ray(CPoint3d(2.0, 0.5, 0.5), CUnitVector3d(1.0, 0.0, 0.0)).IntersectsBox(kUnitBox));
    EXPECT_FALSE(Ray(CPoint3d(-1.0, 2.0, 0.5), CUnitVector3d(1.0, 0.0, 0.0)).IntersectsBox(kUnitBox));
    EXPECT_TRUE(Ray(CPoint3d(2.0, 2.0, 0.5), CUnitVector3d(-1.0, -1.2, 0.0)).IntersectsBox(kUnitBox));
    EXPECT_FALSE(Ray(CPoint3d(2.0, 2.0, 0.5), CUnitVector3d(-1.0, -3.0, 0.0)).IntersectsBox(kUnitBox));
}

TEST(BoundedLine3d, WholeLinesMeetTheBoxWhenTheyPassThroughIt)
{
    EXPECT_TRUE(WholeLine(CPoint3d(0.5, 0.5, -5.0), CUnitVector3d(0.0, 0.0, 1.0)).IntersectsBox(kUnitBox));
    EXPECT_TRUE(WholeLine(CPoint3d(0.5, 0.5, -5.0), CUnitVector3d(0.0, 0.0, -1.0)).IntersectsBox(kUnitBox));
    EXPECT_FALSE(WholeLine(CPoint3d(2.5, 0.5, -5.0), CUnitVector3d(0.0, 0.0, 1.0)).IntersectsBox(kUnitBox));

    CBoundedLine3d endingAtOrigin(CLine3d(CPoint3d(0.5, 0.5, 5.0), CUnitVector3d(0.0, 0.0, 1.0)), true, false);
    endingAtOrigin.end = 0.0;
    EXPECT_TRUE(endingAtOrigin.IntersectsBox(kUnitBox));
    endingAtOrigin.line.origin = CPoint3d(0.5, 0.5, -5.0);
    EXPECT_FALSE(endingAtOrigin.IntersectsBox(kUnitBox));
}

TEST(BoundedLine3d, NothingMeetsAnEmptyBox)
{
    const CBoundingBox3d empty;
    EXPECT_FALSE(CBoundedLine3d().IntersectsBox(empty));
    EXPECT_FALSE(CBoundedLine3d(CPoint3d(0.0, 0.0, 0.0), CPoint3d(1.0, 1.0, 1.0)).IntersectsBox(empty));
    EXPECT_FALSE(Ray(CPoint3d(0.0, 0.0, 0.0), CUnitVector3d(1.0, 0.0, 0.0)).IntersectsBox(empty));
}

TEST(BoundedLine3d, AnUnboundedLineWithoutDirectionIsItsOrigin)
{
    CBoundedLine3d line;
    line.line = CLine3d(CPoint3d(0.5, 0.5, 0.5), CUnitVector3d());
    EXPECT_TRUE(line.IntersectsBox(kUnitBox));
    line.line.origin = CPoint3d(5.0, 0.5, 0.5);
    EXPECT_FALSE(line.IntersectsBox(kUnitBox));
}

}  // namespace
