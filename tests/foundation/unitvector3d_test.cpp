#include "foundation/unitvector3d.h"

#include <gtest/gtest.h>

#include <cmath>

#include "foundation/point3d.h"

namespace {

TEST(UnitVector3d, ADirectionTooShortToNormalizeBecomesZero)
{
    const CUnitVector3d tiny(0.0, 0.0, 1e-11);
    EXPECT_EQ(tiny.z, 0.0);
    EXPECT_FALSE(tiny.IsValid());
    const CUnitVector3d fromPoints(CPoint3d(1.0, 1.0, 1.0), CPoint3d(1.0, 1.0, 11.0));
    EXPECT_DOUBLE_EQ(fromPoints.z, 1.0);
}

TEST(UnitVector3d, ValidityAllowsASquaredLengthWithinTheUnitTolerance)
{
    CUnitVector3d nearlyUnit;
    nearlyUnit.x = std::sqrt(1.0 + 1e-7);
    EXPECT_TRUE(nearlyUnit.IsValid());
    // Normalize still rescales it: only a difference of 1e-20 counts as unit length.
    EXPECT_TRUE(nearlyUnit.Normalize());
    EXPECT_DOUBLE_EQ(nearlyUnit.x, 1.0);
    CUnitVector3d tooLong;
    tooLong.x = std::sqrt(1.0 + 2e-6);
    EXPECT_FALSE(tooLong.IsValid());
}

TEST(UnitVector3d, AngleBetweenAroundTurnsAboutTheAxis)
{
    const CUnitVector3d z(0.0, 0.0, 1.0);
    const CUnitVector3d x(1.0, 0.0, 0.0);
    EXPECT_DOUBLE_EQ(x.AngleTo(-x), kPi);
    EXPECT_NEAR(z.AngleBetweenAround(x, CUnitVector3d(0.0, 1.0, 0.0)), kPi / 2.0, 1e-12);
    EXPECT_NEAR(z.AngleBetweenAround(x, CUnitVector3d(0.0, -1.0, 0.0)), 3.0 * kPi / 2.0, 1e-12);
    // Components along the axis do not count.
    EXPECT_NEAR(z.AngleBetweenAround(x, CUnitVector3d(0.0, 1.0, 5.0)), kPi / 2.0, 1e-12);
    EXPECT_EQ(z.AngleBetweenAround(z, x), 0.0);
    EXPECT_EQ(z.AngleBetweenAround(x, -z), 0.0);
}

TEST(UnitVector3d, ParallelIncludesTheOppositeDirection)
{
    const CUnitVector3d z(0.0, 0.0, 1.0);
    EXPECT_TRUE(z.IsParallelTo(-z));
    EXPECT_TRUE(z.IsParallelTo(CUnitVector3d(0.0005, 0.0, 1.0)));
    EXPECT_FALSE(z.IsParallelTo(CUnitVector3d(0.002, 0.0, 1.0)));
}

TEST(UnitVector3d, PerpendicularAxesMakeARightHandedFrame)
{
    for (const CUnitVector3d& z : {CUnitVector3d(0.0, 0.0, 1.0), CUnitVector3d(0.0, 0.0, -1.0),
                                   CUnitVector3d(1.0, 2.0, 3.0), CUnitVector3d(1.0, 0.0, 0.0)}) {
        CUnitVector3d xAxis;
        CUnitVector3d yAxis;
        ASSERT_TRUE(z.GetPerpendicularAxes(xAxis, yAxis));
        EXPECT_NEAR(DotProduct(xAxis, z), 0.0, 1e-12);
        EXPECT_EQ(CVector3d(xAxis).CrossProduct(yAxis), CVector3d(z));
    }
    // The world z axis, taken about the y axis as reference, gives the world frame.
    CUnitVector3d xAxis;
    CUnitVector3d yAxis;
    CUnitVector3d(0.0, 0.0, 1.0).GetPerpendicularAxes(xAxis, yAxis);
    EXPECT_EQ(CVector3d(xAxis), CVector3d(1.0, 0.0, 0.0));
    EXPECT_FALSE(CUnitVector3d().GetPerpendicularAxes(xAxis, yAxis));
}

}  // namespace
