#include "foundation/tolerance.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

TEST(Tolerance, StrictEqualityExcludesADifferenceOfExactlyTheTolerance)
{
    EXPECT_FALSE(AreEqualTol(0.0, 0.001));
    EXPECT_TRUE(AreEqualTol(0.0, 0.0009));
    EXPECT_TRUE(AreEqualTol(5.0, 4.9995));
}

TEST(Tolerance, InclusiveComparisonsAcceptADifferenceOfExactlyTheTolerance)
{
    EXPECT_TRUE(AreEqualWithin(0.0, 0.001, 0.001));
    EXPECT_TRUE(IsWithin(0.001, 0.001));
    EXPECT_TRUE(IsWithin(-0.001, 0.001));
    EXPECT_FALSE(IsWithin(0.0011, 0.001));
}

TEST(Tolerance, OrderingComparisonsForgiveLessThanTheTolerance)
{
    EXPECT_TRUE(IsLessOrEqualTol(1.0009, 1.0));
    EXPECT_FALSE(IsLessOrEqualTol(1.001, 1.0));
    EXPECT_TRUE(IsNotLessTol(0.9991, 1.0));
    EXPECT_FALSE(IsNotLessTol(0.999, 1.0));
}

TEST(Tolerance, NaNMakesEveryComparisonFalse)
{
    EXPECT_FALSE(AreEqualTol(kNaN, kNaN));
    EXPECT_FALSE(AreEqualWithin(kNaN, 0.0, 1.0));
    EXPECT_FALSE(IsWithin(kNaN, 1.0));
    EXPECT_FALSE(IsLessOrEqualTol(kNaN, 0.0));
    EXPECT_FALSE(IsNotLessTol(kNaN, 0.0));
}

TEST(Tolerance, OnlyFiniteNumbersAreValid)
{
    EXPECT_TRUE(IsValidDouble(1e300));
    EXPECT_FALSE(IsValidDouble(kNaN));
    EXPECT_FALSE(IsValidDouble(kInfinity));
    EXPECT_FALSE(IsValidDouble(-kInfinity));
}

}  // namespace
