#include "foundation/vector3d.h"

#include <gtest/gtest.h>

#include "foundation/point3d.h"

namespace {

TEST(Vector3d, EqualityIsPerComponentWithoutALengthTest)
{
    // The same differences that make two points unequal leave vectors equal.
    EXPECT_TRUE(CVector3d(0.0, 0.0, 0.0) == CVector3d(0.0009, 0.0009, 0.0009));
    EXPECT_TRUE(CVector3d(0.0, 0.0, 0.0) == CVector3d(0.001, 0.0, 0.0));
    EXPECT_TRUE(CVector3d(0.0, 0.0, 0.0) != CVector3d(0.0011, 0.0, 0.0));
}

TEST(Vector3d, NormalizingRefusesVectorsTooShortAndZeroesThem)
{
    CVector3d tiny(0.0, 0.0, 1e-11);
    double length = -1.0;
    EXPECT_FALSE(tiny.Normalize(length));
    EXPECT_EQ(tiny, CVector3d(0.0, 0.0, 0.0));
    CVector3d small(0.0, 0.0, 2e-10);
    EXPECT_TRUE(small.Normalize(length));
    EXPECT_DOUBLE_EQ(small.z, 1.0);
    EXPECT_DOUBLE_EQ(length, 2e-10);

    // Without the length the squared length decides: 4e-20 is above the zero length.
    CVector3d squaredSmall(0.0, 2e-10, 0.0);
    EXPECT_TRUE(squaredSmall.Normalize());
    CVector3d squaredTiny(1e-11, 0.0, 0.0);
    EXPECT_FALSE(squaredTiny.Normalize());
    EXPECT_EQ(squaredTiny.x, 0.0);
}

TEST(Vector3d, SettersReportTheFormerLengthAndRefuseZeroVectors)
{
    CVector3d v;
    EXPECT_DOUBLE_EQ(v.SetNormalized(CVector3d(3.0, 0.0, 4.0)), 5.0);
    EXPECT_EQ(v, CVector3d(0.6, 0.0, 0.8));
    EXPECT_DOUBLE_EQ(v.SetDirection(CPoint3d(1.0, 1.0, 1.0), CPoint3d(1.0, 3.0, 1.0)), 2.0);
    EXPECT_EQ(v, CVector3d(0.0, 1.0, 0.0));
    EXPECT_TRUE(v.SetLength(7.0));
    EXPECT_DOUBLE_EQ(v.y, 7.0);
    CVector3d zero;
    EXPECT_FALSE(zero.SetLength(3.0));
}

TEST(Vector3d, CrossProductIsRightHandedAndMayOverwriteItsOperand)
{
    CVector3d x(1.0, 0.0, 0.0);
    x.CrossProduct(CVector3d(0.0, 1.0, 0.0), x);
    EXPECT_EQ(x, CVector3d(0.0, 0.0, 1.0));
    EXPECT_TRUE(x.IsPerpendicularTo(CVector3d(1.0, 0.0, 0.0009)));
    EXPECT_FALSE(x.IsPerpendicularTo(CVector3d(1.0, 0.0, 0.001)));
}

}  // namespace
