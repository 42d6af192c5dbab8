#include "foundation/boundingbox3d.h"

#include <gtest/gtest.h>

namespace {

const CBoundingBox3d kUnitBox(0.0, 1.0, 0.0, 1.0, 0.0, 1.0);

TEST(BoundingBox3d, AnEmptyBoxHasNoDiagonalAndAZeroCentre)
{
    const CBoundingBox3d empty;
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_TRUE(empty.IsValid());
    EXPECT_EQ(empty.GetDiagonalSquared(), 0.0);
    EXPECT_EQ(empty.GetDiagonal(), 0.0);
    EXPECT_EQ(empty.GetCentre(), CPoint3d(0.0, 0.0, 0.0));

    CBoundingBox3d box;
    box.Add(CPoint3d(1.0, 2.0, 3.0));
    EXPECT_EQ(box.GetMin(), CPoint3d(1.0, 2.0, 3.0));
    EXPECT_EQ(box.GetMax(), CPoint3d(1.0, 2.0, 3.0));
    EXPECT_FALSE(box.IsEmpty());
}

TEST(BoundingBox3d, AddingABoxSkipsItsEmptyAxes)
{
    CBoundingBox3d box = kUnitBox;
    box.Add(CBoundingBox3d());
    EXPECT_EQ(box.GetMin(), CPoint3d(0.0, 0.0, 0.0));
    EXPECT_EQ(box.GetMax(), CPoint3d(1.0, 1.0, 1.0));

    box.Add(CBoundingBox3d(-2.0, 0.5, 0.0, 4.0, kUnbounded, -kUnbounded));
    EXPECT_EQ(box.GetMin(), CPoint3d(-2.0, 0.0, 0.0));
    EXPECT_EQ(box.GetMax(), CPoint3d(1.0, 4.0, 1.0));
}

TEST(BoundingBox3d, ContainmentIsToleratedOutsideAndStrictInside)
{
    EXPECT_TRUE(kUnitBox.Contains(CPoint3d(1.0005, 0.5, 0.5)));
    EXPECT_FALSE(kUnitBox.Contains(CPoint3d(1.001, 0.5, 0.5)));
    EXPECT_TRUE(kUnitBox.Contains(CPoint3d(1.0, 0.5, 0.5)));
    EXPECT_FALSE(kUnitBox.ContainsStrictly(CPoint3d(1.0, 0.5, 0.5)));
    EXPECT_TRUE(kUnitBox.ContainsStrictly(CPoint3d(0.999, 0.5, 0.5)));
    EXPECT_FALSE(kUnitBox.ContainsStrictly(CPoint3d(0.9995, 0.5, 0.5)));
}

TEST(BoundingBox3d, BoxesSharingAFaceIntersect)
{
    EXPECT_TRUE(kUnitBox.Intersects(CBoundingBox3d(0.2, 0.8, 0.2, 0.8, 1.0, 2.0)));
    EXPECT_FALSE(kUnitBox.Intersects(CBoundingBox3d(0.2, 0.8, 0.2, 0.8, 1.01, 2.0)));
    EXPECT_FALSE(kUnitBox.Intersects(CBoundingBox3d(0.2, 0.8, 0.2, 0.8, kUnbounded, -kUnbounded)));
}

TEST(BoundingBox3d, ExpandingGrowsOnlyNonEmptyAxes)
{
    CBoundingBox3d box(0.0, 1.0, 0.0, 1.0, kUnbounded, -kUnbounded);
    box.Expand(CVector3d(1.0, 2.0, 3.0));
    EXPECT_EQ(box.GetMin(), CPoint3d(-1.0, -2.0, kUnbounded));
    EXPECT_EQ(box.zmax, -kUnbounded);
}

TEST(BoundingBox3d, ExpandRelativeThickensOnlyFlatAxes)
{
    CBoundingBox3d flat(0.0, 10.0, 0.0, 20.0, 5.0, 5.0);
    flat.ExpandRelative(0.1);
    EXPECT_EQ(flat.GetMin(), CPoint3d(0.0, 0.0, 3.0));
    EXPECT_EQ(flat.GetMax(), CPoint3d(10.0, 20.0, 7.0));

    CBoundingBox3d solid = kUnitBox;
    solid.ExpandRelative(0.1);
    EXPECT_EQ(solid.GetMin(), CPoint3d(0.0, 0.0, 0.0));
    EXPECT_EQ(solid.GetMax(), CPoint3d(1.0, 1.0, 1.0));
}

TEST(BoundingBox3d, SegmentsMeetTheBoxOnlyWhenTheyPassThroughIt)
{
    // Either end inside.
    EXPECT_TRUE(kUnitBox.IntersectsLine(CPoint3d(0.5, 0.5, 0.5), CPoint3d(5.0, 5.0, 5.0)));
    // Both ends outside on the same side.
    EXPECT_FALSE(kUnitBox.IntersectsLine(CPoint3d(2.0, 0.0, 0.0), CPoint3d(3.0, 1.0, 1.0)));
    // Through the box from face to face.
    EXPECT_TRUE(kUnitBox.IntersectsLine(CPoint3d(-1.0, 0.5, 0.5), CPoint3d(2.0, 0.5, 0.5)));
    // Diagonally across, clipping two faces before the point lands inside.
    EXPECT_TRUE(kUnitBox.IntersectsLine(CPoint3d(-0.5, 0.6, 0.5), CPoint3d(0.6, -0.5, 0.5)));
    // Beside the edge x = 0, y = 0.
    EXPECT_FALSE(kUnitBox.IntersectsLine(CPoint3d(-1.0, 0.5, 0.5), CPoint3d(0.5, -1.0, 0.5)));
}

}  // namespace
