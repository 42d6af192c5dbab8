// The overlap of outlines on screen, exact and on outlines thinned to a few corners:
// thinned, the test may find an overlap that is not there but never misses one.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "render/outlineoverlap.h"

namespace {

using Outline = std::vector<double>;

// A ring of that many corners about the centre with radii rx, ry, from angle a0 to a1
// (a whole ring when they are a full turn apart).
Outline Ring(double cx, double cy, double rx, double ry, int corners, double a0 = 0.0,
             double a1 = 6.283185307179586)
{
    Outline ring;
    const bool whole = a1 - a0 > 6.28;
    for (int k = 0; k < corners; ++k) {
        const double angle = a0 + (a1 - a0) * k / (whole ? corners : corners - 1);
        ring.insert(ring.end(), {cx + rx * std::cos(angle), cy + ry * std::sin(angle)});
    }
    return ring;
}

// A thin arc: out along one radius and back along a slightly smaller one.
Outline Sliver(double cx, double cy, double radius, double width, int corners, double a0, double a1)
{
    Outline out = Ring(cx, cy, radius, radius, corners / 2, a0, a1);
    const Outline back = Ring(cx, cy, radius - width, radius - width, corners / 2, a0, a1);
    for (int k = corners / 2 - 1; k >= 0; --k) {
        out.insert(out.end(), {back[2 * k], back[2 * k + 1]});
    }
    return out;
}

bool ThinnedOverlap(const Outline& a, const Outline& b)
{
    Outline ta;
    Outline tb;
    COutlineOverlap::Thin(a, ta);
    COutlineOverlap::Thin(b, tb);
    return COutlineOverlap::Exact(ta, tb);
}

}  // namespace

TEST(OutlineOverlapTest, ThinnedOutlinesNeverMissAnOverlapAndPartWhatLiesFarApart)
{
    struct Case
    {
        const char* name;
        Outline a;
        Outline b;
        bool overlap;
        // Whether the thinned test must also tell them apart.
        bool thinnedApart;
    };
    const Case cases[] = {
        {"touching at one corner", Ring(0, 0, 10, 10, 200), Ring(20, 0, 10, 10, 200, 3.141592653589793,
                                                                 3.141592653589793 + 6.283185307179586),
         true, false},
        {"nested", Ring(0, 0, 10, 10, 200), Ring(1, 1, 3, 2, 150), true, false},
        {"crossing", Ring(0, 0, 10, 10, 200), Ring(12, 0, 5, 8, 150), true, false},
        {"far apart", Ring(0, 0, 10, 10, 200), Ring(40, 5, 10, 10, 200), false, true},
        {"a thin sliver round a disc, apart", Sliver(0, 0, 12, 0.05, 400, 0.2, 5.5), Ring(0, 0, 10, 10, 200),
         false, false},
        {"a thin sliver across a disc", Sliver(0, -30, 35, 0.05, 400, 1.2, 1.9), Ring(0, 0, 10, 10, 200), true,
         false},
        {"a thin sliver far from a disc", Sliver(100, 100, 12, 0.05, 400, 0.2, 5.5), Ring(0, 0, 10, 10, 200),
         false, true},
        {"a few corners against many", Outline{-1, -1, 1, -1, 1, 1, -1, 1}, Ring(0, 0, 10, 10, 5000), true,
         false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(COutlineOverlap::Exact(c.a, c.b), c.overlap) << c.name;
        EXPECT_EQ(COutlineOverlap::Exact(c.b, c.a), c.overlap) << c.name << ", the other way";
        const bool thinned = ThinnedOverlap(c.a, c.b);
        if (c.overlap) {
            EXPECT_TRUE(thinned) << c.name;
        }
        if (c.thinnedApart) {
            EXPECT_FALSE(thinned) << c.name;
        }
    }
}

TEST(OutlineOverlapTest, AThinnedOutlineHasFewCornersAndEnclosesEveryCornerOfTheOutline)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int trial = 0; trial < 50; ++trial) {
        // A jagged star, stretched and turned: concave, and with long straight runs.
        const int corners = 33 + trial * 40;
        const double stretch = 1.0 + 20.0 * unit(random);
        const double turn = 6.283185307179586 * unit(random);
        Outline outline;
        for (int k = 0; k < corners; ++k) {
            const double angle = 6.283185307179586 * k / corners;
            const double radius = 50.0 * (0.2 + unit(random));
            const double x = stretch * radius * std::cos(angle);
            const double y = radius * std::sin(angle);
            outline.insert(outline.end(), {1e4 + x * std::cos(turn) - y * std::sin(turn),
                                           -3e3 + x * std::sin(turn) + y * std::cos(turn)});
        }
        Outline thinned;
        COutlineOverlap::Thin(outline, thinned);
        ASSERT_LE(thinned.size() / 2, COutlineOverlap::kThinCorners) << trial;
        for (std::size_t k = 0; k < outline.size(); k += 2) {
            // A speck at the corner meets the thinned outline when the corner is in it.
            const Outline speck{outline[k] - 1e-6, outline[k + 1] - 1e-6, outline[k] + 1e-6, outline[k + 1] - 1e-6,
                                outline[k], outline[k + 1] + 1e-6};
            ASSERT_TRUE(COutlineOverlap::Exact(thinned, speck)) << "trial " << trial << " corner " << k / 2;
        }
    }
}
