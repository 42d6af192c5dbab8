#include "render/facecut.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

#include "foundation/framemeter.h"
#include "model/facecutcost.h"
#include "platform/quitrequest.h"
#include "samplegen/faceshapes.h"

namespace {

struct SLoops
{
    std::vector<CPoint2d> points;
    std::vector<std::uint32_t> ends;

    SLoops& Add(const std::vector<CPoint2d>& loop)
    {
        points.insert(points.end(), loop.begin(), loop.end());
        ends.push_back(static_cast<std::uint32_t>(points.size()));
        return *this;
    }
};

// A star {corners/step} on a circle of radius 100.
std::vector<CPoint2d> Star(int corners, int step)
{
    std::vector<CPoint2d> points;
    for (int i = 0; i < corners; ++i) {
        const double angle = 6.283185307179586 * (static_cast<long long>(i) * step % corners) / corners;
        points.emplace_back(100.0 * std::cos(angle), 100.0 * std::sin(angle));
    }
    return points;
}

// Twice the signed area of the triangle, measured from the origin given.
double Twice(const CPoint2d& o, const CPoint2d& a, const CPoint2d& b, const CPoint2d& c)
{
    return ((b.x - o.x) - (a.x - o.x)) * ((c.y - o.y) - (a.y - o.y)) -
           ((b.y - o.y) - (a.y - o.y)) * ((c.x - o.x) - (a.x - o.x));
}

struct SCovered
{
    double area = 0.0;
    // The most any triangle turns clockwise, as a share of the area covered.
    double clockwise = 0.0;
};

// The triangles at the corners' own places, added corners mixed as the roads mix them.
SCovered Cover(const SLoops& loops, CFaceCut& cut)
{
    std::vector<CPoint2d> places = loops.points;
    const CPoint2d& o = loops.points[0];
    for (const CKeptFaceTriangles::SAddedCorner& added : cut.GetAdded()) {
        const CPoint2d& base = places[added.from[0]];
        CPoint2d mixed = base;
        for (int i = 1; i < 4; ++i) {
            mixed.x += added.weights[i] * (places[added.from[i]].x - base.x);
            mixed.y += added.weights[i] * (places[added.from[i]].y - base.y);
        }
        places.push_back(mixed);
    }
    SCovered covered;
    const std::vector<std::uint32_t>& t = cut.GetTriangles();
    double worst = 0.0;
    for (std::size_t i = 0; i + 2 < t.size(); i += 3) {
        const double twice = Twice(o, places[t[i]], places[t[i + 1]], places[t[i + 2]]);
        covered.area += twice / 2.0;
        worst = std::min(worst, twice / 2.0);
    }
    covered.clockwise = covered.area > 0.0 ? -worst / covered.area : 0.0;
    return covered;
}

// A strip 10 high over a zigzag of n teeth and a hole sharing every corner of the zigzag,
// with two small holes crossing each other above it: the library would join the loops
// at every tooth, each join a walk round them.
SLoops SharedZigzag(int n)
{
    std::vector<CPoint2d> outer;
    std::vector<CPoint2d> hole;
    for (int i = 0; i <= n; ++i) {
        outer.emplace_back(i, i % 2);
    }
    outer.insert(outer.end(), {{static_cast<double>(n), 10.0}, {0.0, 10.0}});
    hole.insert(hole.end(), {{0.0, 5.0}, {static_cast<double>(n), 5.0}});
    for (int i = n; i >= 0; --i) {
        hole.emplace_back(i, i % 2);
    }
    return SLoops()
        .Add(outer)
        .Add(hole)
        .Add({{2, 6}, {2, 7}, {4, 7}, {4, 6}})
        .Add({{3, 6.5}, {3, 8}, {5, 8}, {5, 6.5}});
}

// The shape's loops seen from +z.
SLoops LoopsOf(const SFaceShape& shape)
{
    SLoops loops;
    for (const auto& loop : shape.loops) {
        std::vector<CPoint2d> flat;
        for (const CPoint3d& p : loop) {
            flat.emplace_back(p.x, p.y);
        }
        loops.Add(flat);
    }
    return loops;
}

}  // namespace

TEST(FaceCut, FillsEveryFaceOnceUnderThePositiveWindingRuleWithNoTriangleTurnedOver)
{
    const double kPi = std::acos(-1.0);
    // The far face of ten corners, 2 across at 1e7: two holes share a corner, which the
    // sweep can only cut moved apart the narrower way.
    SLoops far;
    far.Add({{9999999, 3699999}, {10000001, 3699999}, {10000001, 3700001}, {9999999, 3700001}})
        .Add({{9999999.6547393724, 3700000.0418695612},
              {10000000.089518897, 3700000.1193738766},
              {9999999.8853646647, 3700000.0436821333}})
        .Add({{10000000.336913118, 3700000.0912796073},
              {9999999.4885489233, 3699999.8778301924},
              {9999999.8853646647, 3700000.0436821333}});
    double farArea = 0.0;
    for (std::size_t h = 1; h < 3; ++h) {
        const CPoint2d* p = &far.points[far.ends[h - 1]];
        farArea += Twice(far.points[0], p[0], p[1], p[2]) / 2.0;
    }
    farArea += 4.0;
    const struct
    {
        const char* name;
        SLoops loops;
        double area;
        bool added;
    } cases[] = {
        {"square with a hole", SLoops().Add({{0, 0}, {4, 0}, {4, 4}, {0, 4}}).Add({{1, 1}, {1, 2}, {2, 2}, {2, 1}}),
         15.0, false},
        {"outer loop clockwise (mirrored)", SLoops().Add({{0, 0}, {0, 4}, {4, 4}, {4, 0}}).Add({{1, 1}, {2, 1}, {2, 2}, {1, 2}}),
         -15.0, false},
        // One lobe turns each way: the positive rule fills the one turning with the outline.
        {"bow tie crossing itself", SLoops().Add({{0, 0}, {2, 2}, {2, 0}, {0, 2}}), 1.0, true},
        {"bow tie touching itself", SLoops().Add({{0, 0}, {1, 1}, {2, 0}, {2, 2}, {1, 1}, {0, 2}}), 2.0, false},
        // Wound twice at its centre, once in its points: all of it.
        {"pentagram", SLoops().Add(Star(5, 2)),
         5.0 * 100.0 * 100.0 * std::sin(kPi / 5.0) * std::sin(kPi / 10.0) / std::sin(7.0 * kPi / 10.0), true},
        {"hole with a corner inside the outline's side",
         SLoops().Add({{-8, -8}, {8, -8}, {8, 8}, {-8, 8}}).Add({{-8, 0}, {0, 4}, {4, 0}, {0, -4}}), 256.0 - 48.0,
         false},
        {"hole along the outline's side, corners on the run",
         SLoops().Add({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {6, 0}, {6, 3}, {0, 3}}).Add({{1, 0}, {1, 1}, {4, 1}, {4, 0}, {2, 0}}),
         18.0 - 3.0, false},
        // Resolved by the library, the corners straight on the shared run put back once.
        {"hole along the outline's side, corners on the run, and two holes crossing",
         SLoops()
             .Add({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {6, 0}, {6, 3}, {0, 3}})
             .Add({{1, 0}, {1, 1}, {4, 1}, {4, 0}, {2, 0}})
             .Add({{4.5, 1.5}, {4.5, 2.5}, {5.5, 2.5}, {5.5, 1.5}})
             .Add({{5, 2}, {5, 2.8}, {5.8, 2.8}, {5.8, 2}}),
         18.0 - 3.0 - 1.0 - 0.64 + 0.25, true},
        {"overlapping outlines", SLoops().Add({{0, 0}, {2, 0}, {2, 2}, {0, 2}}).Add({{1, 1}, {3, 1}, {3, 3}, {1, 3}}), 7.0,
         true},
        {"far face, holes sharing a corner", far, farArea, false},
    };
    for (const auto& c : cases) {
        CFaceCut cut;
        ASSERT_EQ(cut.Cut(c.loops.points, c.loops.ends), CFaceCut::EResult::kDone) << c.name;
        const SCovered covered = Cover(c.loops, cut);
        EXPECT_NEAR(covered.area, std::abs(c.area), 1e-6 * std::abs(c.area)) << c.name;
        EXPECT_LE(covered.clockwise, 1e-9) << c.name;
        EXPECT_EQ(!cut.GetAdded().empty(), c.added) << c.name;
    }
}

TEST(FaceCut, LeavesUnfilledWhatWouldCostTooMuchOrIsNotANumberAndStopsForAQuit)
{
    const struct
    {
        const char* name;
        SLoops loops;
    } cases[] = {
        {"star {3001/1500}: 4.5 M crossings", SLoops().Add(Star(3001, 1500))},
        {"20,000 teeth shared by two loops", SharedZigzag(20000)},
        {"corner not a number", SLoops().Add({{0, 0}, {4, 0}, {4, std::nan("")}, {0, 4}})},
    };
    for (const auto& c : cases) {
        CFaceCut cut;
        EXPECT_EQ(cut.Cut(c.loops.points, c.loops.ends), CFaceCut::EResult::kUnfilled) << c.name;
        EXPECT_TRUE(cut.GetTriangles().empty()) << c.name;
    }
    CQuitRequest::Request();
    CFaceCut cut;
    const SLoops star = SLoops().Add(Star(1001, 500));
    EXPECT_EQ(cut.Cut(star.points, star.ends), CFaceCut::EResult::kAbandoned);
    CQuitRequest::Clear();
}

TEST(FaceCut, TrianglesCutAtMovedCornersAreCheckedWhereTheCornersLie)
{
    const std::vector<CPoint2d> square{{0, 0}, {2, 0}, {2, 2}, {0, 2}};
    const std::vector<std::uint32_t> ends{4};
    EXPECT_TRUE(CFaceCut::CoversOnce(square, ends, {0, 1, 2, 0, 2, 3}, 0.0));
    // The same area, but one triangle turned over covers part of it twice.
    EXPECT_FALSE(CFaceCut::CoversOnce(square, ends, {0, 1, 2, 0, 2, 3, 0, 1, 3, 1, 0, 3}, 0.0));
}

TEST(FaceCut, LongStraightRunsAreResolvedAsOneSideEachAndPutBackWithinWhatWasCounted)
{
    // Each long side of the ladder is a run of 20,001 corners, along which a hole runs
    // from end to end; two small holes cross below it. Handed to the library corner by
    // corner, the runs took it seconds.
    const SFaceShape ladder = MakeFaceShape("ladder", 20000);
    const SLoops loops = LoopsOf(ladder);
    const CFaceCutCost::SCount count = CFaceCutCost::Count(loops.points, loops.ends);
    ASSERT_TRUE(count.withinLimits);
    ASSERT_GT(count.crossings, 0U);
    CFaceCut cut;
    std::uint64_t charged = 0;
    {
        const CFrameMeter::CScope meter(UINT64_MAX / 2, true);
        ASSERT_EQ(cut.Cut(loops.points, loops.ends), CFaceCut::EResult::kDone);
        charged = meter.GetUsed();
    }
    EXPECT_NEAR(Cover(loops, cut).area, ladder.area, 1e-9 * ladder.area);
    EXPECT_LE(charged, 2 * (count.GetCountingUnits() + count.GetResolveUnits()) + count.GetAfterResolveUnits() +
                           2 * CFrameMeter::kCutCornerCost * count.GetResolvedCorners());
    // The corners of the sides below and above the long hole are put back: every one is a
    // corner of some triangle.
    const std::set<std::uint32_t> used(cut.GetTriangles().begin(), cut.GetTriangles().end());
    const auto besideHole = [&](const CPoint2d& p) {
        return (p.x == 0.0 || p.x == 10.0) && (p.y < 2.5 || p.y > 20000.0 - 2.5);
    };
    for (std::uint32_t i = 0; i < loops.ends[0]; ++i) {
        if (besideHole(loops.points[i])) {
            EXPECT_TRUE(used.count(i) == 1) << "corner " << i << " left out";
        }
    }
    CQuitRequest::Request();
    EXPECT_EQ(cut.Cut(loops.points, loops.ends), CFaceCut::EResult::kAbandoned);
    CQuitRequest::Clear();
}
