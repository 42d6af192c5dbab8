#include "model/tessellationcost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// A star {corners/step} on a circle of radius 100, as one loop.
std::vector<CPoint2d> Star(int corners, int step)
{
    std::vector<CPoint2d> points;
    for (int i = 0; i < corners; ++i) {
        const double angle = 6.283185307179586 * (static_cast<long long>(i) * step % corners) / corners;
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

CTessellationCost::SEstimate EstimateLoop(const std::vector<CPoint2d>& points)
{
    return CTessellationCost::Estimate(points, {static_cast<std::uint32_t>(points.size())});
}

}  // namespace

TEST(TessellationCost, GrowsWithCornersCrossingsAndTouchesAndRefusesWhatWouldHoldGluTooLong)
{
    const struct
    {
        const char* name;
        std::vector<CPoint2d> smaller;
        std::vector<CPoint2d> larger;
        std::uint64_t meetings;
        bool largerAffordable;
    } cases[] = {
        // The larger star's meetings: 301 corners, each edge crossing 2 x 149 others, once per pair.
        {"crossing star", Star(101, 50), Star(301, 150), 301 * 149, true},
        {"star {N/K} of many crossings", Star(301, 150), Star(3001, 1500), 3001 * 1499, false},
        // Every pair of the 2 x 200 edges at the centre touches there, neighbours apart.
        {"petals touching at the centre", Petals(50), Petals(200), 400 * 399 / 2 - 200, true},
        {"circle of more corners", Star(100, 1), Star(10000, 1), 0, true},
    };
    for (const auto& c : cases) {
        const CTessellationCost::SEstimate small = EstimateLoop(c.smaller);
        const CTessellationCost::SEstimate large = EstimateLoop(c.larger);
        EXPECT_LT(small.cost, large.cost) << c.name;
        EXPECT_TRUE(large.counted) << c.name;
        EXPECT_EQ(large.meetings, c.meetings) << c.name;
        EXPECT_EQ(CTessellationCost::IsAffordable(large), c.largerAffordable) << c.name;
    }
    // Past the tests allowed, every pair side by side counts as meeting.
    const CTessellationCost::SEstimate bounded = CTessellationCost::Estimate(Petals(200), {600}, 1000);
    EXPECT_FALSE(bounded.counted);
    EXPECT_GE(bounded.meetings, 400u * 399 / 2 - 200);
}

TEST(TessellationCost, ACornerNotANumberIsNeverAffordableAndBadLoopEndsEstimateNothing)
{
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
        const CTessellationCost::SEstimate estimate = CTessellationCost::Estimate(c.points, c.ends);
        EXPECT_EQ(estimate.nonFinite, c.nonFinite) << c.name;
        EXPECT_EQ(estimate.cost, 0u) << c.name;
        if (c.nonFinite) {
            EXPECT_FALSE(CTessellationCost::IsAffordable(estimate)) << c.name;
        }
    }
}
