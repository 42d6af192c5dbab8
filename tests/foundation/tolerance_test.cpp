#include "foundation/tolerance.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(Tolerance, StrictAndInclusiveComparisonsDifferExactlyAtTheTolerance)
{
    EXPECT_FALSE(AreEqualTol(0.0, 0.001));
    EXPECT_TRUE(AreEqualTol(0.0, 0.0009));
    EXPECT_TRUE(AreEqualWithin(0.0, 0.001, 0.001));
    EXPECT_TRUE(IsWithin(-0.001, 0.001));
    EXPECT_FALSE(IsLessOrEqualTol(0.001, 0.0));
    EXPECT_TRUE(IsLessOrEqualTol(0.0009, 0.0));
    EXPECT_FALSE(IsNotLessTol(-0.001, 0.0));
    EXPECT_TRUE(IsNotLessTol(-0.0009, 0.0));
}

TEST(Tolerance, NaNMakesEveryComparisonFalse)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(AreEqualTol(nan, nan));
    EXPECT_FALSE(AreEqualWithin(nan, 0.0, 1.0));
    EXPECT_FALSE(IsWithin(nan, 1.0));
    EXPECT_FALSE(IsLessOrEqualTol(nan, 0.0));
    EXPECT_FALSE(IsNotLessTol(nan, 0.0));
    EXPECT_FALSE(IsValidDouble(nan));
    EXPECT_FALSE(IsValidDouble(-std::numeric_limits<double>::infinity()));
}

}  // namespace
