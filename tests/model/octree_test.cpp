// The vertex octree: welding within 0.001, points near the split planes, boxes and the
// keyed list of octrees.

#include "model/octree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <vector>

#include "foundation/boundingbox3d.h"
#include "model/undooperation.h"
#include "model/vertex.h"
#include "tests/model/entitytestsupport.h"

namespace {

TEST(Octree, PointsWithinToleranceShareOneVertex)
{
    const entitytest::CurrentModel model;
    const struct {
        double dx;
        bool same;
    } cases[] = {{0.0005, true}, {0.0009, true}, {-0.0009, true}, {0.001, false}, {0.002, false}};
    for (const auto& c : cases) {
        COctree octree;
        CVertex* first = octree.FindOrAddVertex({0, 2, 3});
        EXPECT_EQ(octree.FindOrAddVertex({c.dx, 2, 3}) == first, c.same) << c.dx;
        octree.Clear();
    }
}

TEST(Octree, APointNearASplitPlaneIsFoundOnTheOtherSide)
{
    const entitytest::CurrentModel model;
    COctree octree;
    octree.FindOrAddVertex({0, 0, 0});
    // Stored just below the root's x, then looked up just above it: other octants.
    CVertex* stored = octree.FindOrAddVertex({-0.0004, 5, 5});
    EXPECT_EQ(octree.FindOrAddVertex({0.0004, 5, 5}), stored);
    CVertex* corner = octree.FindOrAddVertex({-0.0004, -0.0004, 5});
    EXPECT_EQ(octree.FindOrAddVertex({0.0002, 0.0002, 5}), corner);
    CVertex* near = octree.FindOrAddVertex({-0.0004, 0.0004, -0.0004});
    EXPECT_EQ(octree.FindOrAddVertex({0.0004, -0.0004, 0.0004}), octree.FindOrAddVertex({0, 0, 0}));
    EXPECT_NE(near, nullptr);
    octree.Clear();
}

TEST(Octree, AddingAVertexAtAnOccupiedPlaceAnswersTheExistingOne)
{
    const entitytest::CurrentModel model;
    COctree octree;
    CVertex* existing = octree.FindOrAddVertex({1, 1, 1});
    auto* given = new CVertex(CPoint3d(1.0005, 1, 1));
    EXPECT_EQ(octree.AddVertex(given), existing);
    auto* other = new CVertex(CPoint3d(3, 3, 3));
    EXPECT_EQ(octree.AddVertex(other), other);
    EXPECT_EQ(octree.FindOrAddVertex({3, 3, 3.0002}), other);
    octree.Clear();
    given->Erase();
    other->Erase();
}

TEST(Octree, BoxesCollectVerticesOnTheirBoundary)
{
    const entitytest::CurrentModel model;
    COctree octree;
    for (int i = 0; i < 5; ++i) {
        for (int j = 0; j < 5; ++j) {
            octree.FindOrAddVertex({static_cast<double>(i), static_cast<double>(j), 0});
        }
    }
    std::vector<CVertex*> found;
    EXPECT_EQ(octree.FindVerticesInBox(CBoundingBox3d(1, 2, 1, 3, 0, 0), found), 6);
    EXPECT_EQ(octree.FindVerticesInBox(CBoundingBox3d(4.5, 9, 0, 9, -1, 1), found), 0);
    EXPECT_TRUE(found.empty());
    octree.Clear();
    EXPECT_EQ(octree.FindVerticesInBox(CBoundingBox3d(0, 9, 0, 9, 0, 9), found), 0);
}

TEST(Octree, AVertexErasedWhileListedIsReplacedAtItsPlace)
{
    const entitytest::OpenOperation operation;
    COctree* octree = COctree::GetOctree(7);
    EXPECT_EQ(COctree::GetOctree(7), octree);
    EXPECT_NE(COctree::GetOctree(8), octree);
    CVertex* vertex = octree->FindOrAddVertex({2, 2, 2});
    vertex->Erase();
    CVertex* replacement = octree->FindOrAddVertex({2, 2, 2});
    EXPECT_NE(replacement, vertex);
    EXPECT_GT(replacement->GetId(), 0);
    COctree::DeleteAll();
}

// Vertices the octree made for lookups that nothing used were left to leak when
// change recording was off; the octree now erases them itself, and only them.
TEST(Octree, ClearingErasesOnlyTheUnusedVerticesTheOctreeMade)
{
    const entitytest::OpenOperation operation;
    COctree octree;
    CVertex* made = octree.FindOrAddVertex({0, 0, 0});
    auto* given = new CVertex(CPoint3d(5, 5, 5));
    octree.AddVertex(given);
    octree.Clear();
    // Made and erased in one operation, the octree's vertex cancels out of it.
    const auto& created = operation.Get().GetCreatedEntities();
    EXPECT_EQ(std::find(created.begin(), created.end(), made), created.end());
    EXPECT_NE(std::find(created.begin(), created.end(), given), created.end());
    given->Erase();
}

// Two vertices 0.0016 apart both lie within 0.001 of the point between them.
TEST(Octree, WhereTwoVerticesAreInReachTheFirstEnteredAnswers)
{
    const entitytest::CurrentModel model;
    for (const bool lowFirst : {true, false}) {
        COctree octree;
        CVertex* low = nullptr;
        CVertex* high = nullptr;
        if (lowFirst) {
            low = octree.FindOrAddVertex({0.9992, 3, 3});
            high = octree.FindOrAddVertex({1.0008, 3, 3});
        } else {
            high = octree.FindOrAddVertex({1.0008, 3, 3});
            low = octree.FindOrAddVertex({0.9992, 3, 3});
        }
        ASSERT_NE(low, high);
        EXPECT_EQ(octree.FindOrAddVertex({1, 3, 3}), lowFirst ? low : high);
        octree.Clear();
    }
}

TEST(Octree, AGridEnteredRowByRowIsFoundAgainAndCollectedByBoxes)
{
    const entitytest::CurrentModel model;
    COctree octree;
    std::vector<CVertex*> grid;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 60; ++x) {
            grid.push_back(octree.FindOrAddVertex({x * 0.5, y * 0.5, -7.0}));
        }
    }
    EXPECT_EQ(octree.FindOrAddVertex({12.0004, 7.4996, -7.0}), grid[15 * 60 + 24]);
    EXPECT_EQ(octree.FindOrAddVertex({0, 0, -7.0009}), grid[0]);
    std::vector<CVertex*> found;
    // A row's edge: the box along it holds the row's vertices from x 2 to 5.
    EXPECT_EQ(octree.FindVerticesInBox(CBoundingBox3d(2, 5, 10, 10, -7, -7), found), 7);
    EXPECT_EQ(octree.FindVerticesInBox(CBoundingBox3d(-100, 100, -100, 100, -100, 100), found), 3600);
    octree.Clear();
}

// A point on the rim of the first cube, then one far off that makes the index grow
// round it: the rim point sits on the new split planes and is still found.
TEST(Octree, APointOnARimThatBecameASplitPlaneIsStillFound)
{
    const entitytest::CurrentModel model;
    COctree octree;
    octree.FindOrAddVertex({0, 0, 0});
    CVertex* rim = octree.FindOrAddVertex({1, 1, 1});
    octree.FindOrAddVertex({5, 5, 5});
    std::vector<CVertex*> found;
    EXPECT_EQ(octree.FindVerticesInBox(CBoundingBox3d(1, 1, 1, 1, 1, 1), found), 1);
    EXPECT_EQ(found.front(), rim);
    EXPECT_EQ(octree.FindOrAddVertex({1.0005, 1, 1}), rim);
    octree.Clear();
}

TEST(Octree, PointsNoCubeCanHoldAreStillFoundOneByOne)
{
    const entitytest::CurrentModel model;
    COctree octree;
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    CVertex* far = octree.FindOrAddVertex({inf, 0, 0});
    CVertex* odd = octree.FindOrAddVertex({nan, 0, 0});
    CVertex* huge = octree.FindOrAddVertex({1e300, -1e300, 0});
    EXPECT_NE(far, odd);
    EXPECT_EQ(octree.FindOrAddVertex({1e300, -1e300, 0}), huge);
    EXPECT_NE(octree.FindOrAddVertex({0, 0, 0}), huge);
    std::vector<CVertex*> found;
    EXPECT_EQ(octree.FindVerticesInBox(CBoundingBox3d(-1, 1, -1, 1, -1, 1), found), 1);
    octree.Clear();
}

TEST(Octree, PointsAlongALineMakeADeepTreeWithoutTrouble)
{
    const entitytest::CurrentModel model;
    COctree octree;
    for (int i = 0; i < 5000; ++i) {
        octree.FindOrAddVertex({i * 0.01, 0, 0});
    }
    std::vector<CVertex*> found;
    EXPECT_EQ(octree.FindVerticesInBox(CBoundingBox3d(0, 1000, -1, 1, -1, 1), found), 5000);
    EXPECT_EQ(octree.FindOrAddVertex({199.99, 0, 0.0001}), octree.FindOrAddVertex({199.99, 0, 0}));
    octree.Clear();
}

} // namespace
