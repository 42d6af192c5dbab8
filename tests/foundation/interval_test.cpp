#include "foundation/interval.h"

#include <gtest/gtest.h>

namespace {

TEST(Interval, TouchingIntervalsIntersectInOnePointAndDisjointOnesInTheEmptyInterval)
{
    CInterval result;
    CInterval(0.0, 2.0).Intersect(CInterval(2.0, 5.0), result);
    EXPECT_EQ(result.min, 2.0);
    EXPECT_EQ(result.max, 2.0);
    CInterval(0.0, 1.0).Intersect(CInterval(1.5, 2.0), result);
    EXPECT_EQ(result.min, kUnbounded);
    EXPECT_EQ(result.max, -kUnbounded);
    CInterval(0.0, 1.0).Intersect(CInterval(), result);
    EXPECT_TRUE(result.IsEmpty());
    EXPECT_FALSE(IntervalsOverlap(CInterval(), CInterval()));
}

TEST(Interval, ExpandingLeavesAnEmptyIntervalEmpty)
{
    CInterval empty;
    empty.Expand(1.0);
    EXPECT_EQ(empty.min, kUnbounded);
    EXPECT_TRUE(empty.IsValid());
}

}  // namespace
