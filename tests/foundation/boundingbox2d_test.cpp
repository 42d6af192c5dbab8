#include "foundation/boundingbox2d.h"

#include <gtest/gtest.h>

namespace {

TEST(BoundingBox2d, TheFirstPointAddedBecomesBothBounds)
{
    CBoundingBox2d box;
    EXPECT_EQ(box.GetDiagonalSquared(), 0.0);
    box.Add(CPoint2d(3.0, -1.0));
    EXPECT_EQ(box.GetCorner(0), CPoint2d(3.0, -1.0));
    EXPECT_EQ(box.GetCorner(3), CPoint2d(3.0, -1.0));
    box.Add(CPoint2d(6.0, 3.0));
    EXPECT_DOUBLE_EQ(box.GetDiagonal(), 5.0);
}

TEST(BoundingBox2d, ContainmentIsStrictInsideTheGrownBox)
{
    const CBoundingBox2d box(0.0, 1.0, 0.0, 1.0);
    EXPECT_TRUE(box.Contains(CPoint2d(1.0005, 0.5)));
    EXPECT_FALSE(box.Contains(CPoint2d(0.5, -0.002)));
    EXPECT_TRUE(box.Intersects(CBoundingBox2d(1.0, 2.0, 0.5, 3.0)));
    EXPECT_FALSE(box.Intersects(CBoundingBox2d()));
}

}  // namespace
