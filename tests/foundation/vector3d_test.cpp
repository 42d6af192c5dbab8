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

TEST(Vector3d, NormalizingWithALengthRefusesVectorsShorterThanTheDivisionTolerance)
{
    CVector3d tiny(0.0, 0.0, 1e-11);
    double length = -1.0;
    EXPECT_FALSE(tiny.Normalize(length));
    EXPECT_EQ(tiny, CVector3d(0.0, 0.0, 0.0));

    CVector3d small(0.0, 0.0, 2e-10);
    EXPECT_TRUE(small.Normalize(length));
    EXPECT_DOUBLE_EQ(small.z, 1.0);
    EXPECT_DOUBLE_EQ(length, 2e-10);
}

TEST(Vector3d, NormalizingWithoutALengthJudgesTheSquaredLength)
{
    // 2e-10 squared (4e-20) is above the zero length; 1e-11 squared is not.
    CVector3d small(0.0, 2e-10, 0.0);
    EXPECT_TRUE(small.Normalize());
    EXPECT_DOUBLE_EQ(small.y, 1.0);
    CVector3d tiny(1e-11, 0.0, 0.0);
    EXPECT_FALSE(tiny.Normalize());
    EXPECT_EQ(tiny.x, 0.0);
}

TEST(Vector3d, SettersReportTheFormerLength)
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
    EXPECT_EQ(zero.GetLength(), 0.0);
}

TEST(Vector3d, CrossProductIsRightHandedAndMayOverwriteItsOperand)
{
    CVector3d x(1.0, 0.0, 0.0);
    EXPECT_EQ(x.CrossProduct(CVector3d(0.0, 1.0, 0.0)), CVector3d(0.0, 0.0, 1.0));
    x.CrossProduct(CVector3d(0.0, 1.0, 0.0), x);
    EXPECT_EQ(x, CVector3d(0.0, 0.0, 1.0));
}

TEST(Vector3d, ArithmeticCombinesComponentwise)
{
    const CVector3d u(1.0, 2.0, 3.0);
    const CVector3d v(-1.0, 0.5, 2.0);
    EXPECT_EQ(u * 2.0, CVector3d(2.0, 4.0, 6.0));
    EXPECT_EQ(2.0 * u, CVector3d(2.0, 4.0, 6.0));
    EXPECT_EQ(u / 2.0, CVector3d(0.5, 1.0, 1.5));
    EXPECT_EQ(u + v, CVector3d(0.0, 2.5, 5.0));
    EXPECT_EQ(-u, CVector3d(-1.0, -2.0, -3.0));

    CVector3d w = u;
    w += v;
    w -= u;
    EXPECT_EQ(w, v);
    w *= 4.0;
    w /= 2.0;
    EXPECT_EQ(w, CVector3d(-2.0, 1.0, 4.0));
    w.Negate();
    EXPECT_EQ(w, CVector3d(2.0, -1.0, -4.0));

    w.SetLinearCombination(2.0, u, 3.0, v);
    EXPECT_EQ(w, CVector3d(-1.0, 5.5, 12.0));
    w.SetLinearCombination(1.0, u, 1.0, v, -1.0, u);
    EXPECT_EQ(w, v);
    w.SetScaled(3.0, u);
    EXPECT_EQ(w, CVector3d(3.0, 6.0, 9.0));
    w.SetSum(u, v);
    EXPECT_EQ(w, CVector3d(0.0, 2.5, 5.0));
    EXPECT_DOUBLE_EQ(DotProduct(u, v), 6.0);
}

TEST(Vector3d, PerpendicularityAllowsADotProductJustBelowTheTolerance)
{
    const CVector3d x(1.0, 0.0, 0.0);
    EXPECT_TRUE(x.IsPerpendicularTo(CVector3d(0.0009, 1.0, 0.0)));
    EXPECT_FALSE(x.IsPerpendicularTo(CVector3d(0.001, 1.0, 0.0)));
}

}  // namespace
