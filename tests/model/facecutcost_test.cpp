#include "model/facecutcost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// A star {corners/step} on a circle of radius 100, as one loop, turned by the angle.
std::vector<CPoint2d> Star(int corners, int step, double turn = 0.0)
{
    std::vector<CPoint2d> points;
    for (int i = 0; i < corners; ++i) {
        const double angle = turn + 6.283185307179586 * (static_cast<long long>(i) * step % corners) / corners;
        points.emplace_back(100.0 * std::cos(angle), 100.0 * std::sin(angle));
    }
    return points;
}

// Thin petals leaving the centre and coming back to it, as one loop.
std::vector<CPoint2d> Petals(int count)
{
    std::vector<CPoint2d> points;
    for (int i = 0; i < count; ++i) {
        const double from = 6.283185307179586 * i / count;
        const double to = 6.283185307179586 * (i + 0.5) / count;
        points.insert(points.end(), {{0.0, 0.0}, {100.0 * std::cos(from), 100.0 * std::sin(from)},
                                     {100.0 * std::cos(to), 100.0 * std::sin(to)}});
    }
    return points;
}

CFaceCutCost::SCount CountLoop(const std::vector<CPoint2d>& points)
{
    return CFaceCutCost::Count(points, {static_cast<std::uint32_t>(points.size())});
}

}  // namespace

TEST(FaceCutCost, CountsCrossingsExactlyWhicheverWayTheFaceIsTurned)
{
    const struct
    {
        const char* name;
        std::vector<CPoint2d> points;
        std::uint64_t crossings;
    } cases[] = {
        // A star {p/q} crosses each of its p edges with 2 (q - 1) others.
        {"star {101/50}", Star(101, 50), 101 * 49},
        {"star {301/150}", Star(301, 150), 301 * 149},
        {"star {301/150} turned a quarter", Star(301, 150, 1.5707963267948966), 301 * 149},
        {"star {7/2} turned a little", Star(7, 2, 0.1), 7},
        // Loops that only touch, at corners, do not cross.
        {"petals touching at the centre", Petals(200), 0},
        {"circle", Star(10000, 1), 0},
    };
    for (const auto& c : cases) {
        const CFaceCutCost::SCount count = CountLoop(c.points);
        EXPECT_TRUE(count.withinLimits) << c.name;
        EXPECT_EQ(count.crossings, c.crossings) << c.name;
        EXPECT_EQ(count.corners, c.points.size()) << c.name;
        EXPECT_GE(count.work, count.crossings) << c.name;
    }
    // A hole that crosses the outline twice, as a loop of its own.
    const std::vector<CPoint2d> holed{{0, 0}, {10, 0}, {10, 10}, {0, 10}, {8, 4}, {8, 6}, {12, 6}, {12, 4}};
    EXPECT_EQ(CFaceCutCost::Count(holed, {4, 8}).crossings, 2u);
}

TEST(FaceCutCost, StopsCountingAtItsLimits)
{
    const std::vector<CPoint2d> star = Star(301, 150);
    std::vector<CFaceCutCost::SGridPoint> grid;
    double scale = 0.0;
    ASSERT_TRUE(CFaceCutCost::ToGrid(star, grid, scale));
    const std::vector<std::uint32_t> ends{301};
    const CFaceCutCost::SCount crossings = CFaceCutCost::Count(grid, ends, 1000, CFaceCutCost::kMaxWork);
    EXPECT_FALSE(crossings.withinLimits);
    EXPECT_LE(crossings.crossings, 1001u);
    const CFaceCutCost::SCount work = CFaceCutCost::Count(grid, ends, CFaceCutCost::kMaxCrossings, 5000);
    EXPECT_FALSE(work.withinLimits);
    // The count's own steps stay near what it was allowed.
    EXPECT_LT(work.counting, 100'000u);
    EXPECT_TRUE(CFaceCutCost::Count(grid, ends).withinLimits);
}

TEST(FaceCutCost, GridKeepsAFarFacesPrecisionAndRefusesNumbersThatAreNot)
{
    // 2 across, 1e7 from the origin: measured from its first corner, the face spans the
    // grid.
    const std::vector<CPoint2d> far{{9999999, 3699999}, {10000001, 3699999}, {10000001, 3700001}};
    std::vector<CFaceCutCost::SGridPoint> grid;
    double scale = 0.0;
    ASSERT_TRUE(CFaceCutCost::ToGrid(far, grid, scale));
    EXPECT_EQ(grid[0], (CFaceCutCost::SGridPoint{0, 0}));
    EXPECT_GE(grid[2].x, std::int64_t{1} << (CFaceCutCost::kGridBits - 1));
    EXPECT_LT(grid[2].x, std::int64_t{1} << CFaceCutCost::kGridBits);

    const double nan = std::nan("");
    const struct
    {
        const char* name;
        std::vector<CPoint2d> points;
        std::vector<std::uint32_t> ends;
        bool nonFinite;
    } cases[] = {
        {"x not a number", {{0, 0}, {1, 0}, {nan, 1}}, {3}, true},
        {"y infinite", {{0, 0}, {1, -INFINITY}, {1, 1}}, {3}, true},
        {"loop of two corners", {{0, 0}, {1, 0}, {1, 1}}, {2, 3}, false},
        {"end past the corners", {{0, 0}, {1, 0}, {1, 1}}, {4}, false},
        {"ends out of order", {{0, 0}, {1, 0}, {1, 1}, {2, 2}, {3, 2}, {3, 3}}, {6, 3}, false},
    };
    for (const auto& c : cases) {
        const CFaceCutCost::SCount count = CFaceCutCost::Count(c.points, c.ends);
        EXPECT_EQ(count.nonFinite, c.nonFinite) << c.name;
        EXPECT_EQ(count.work, 0u) << c.name;
        EXPECT_EQ(count.withinLimits, !c.nonFinite) << c.name;
    }
}
