// Plane polygons cut into triangles: a simple polygon's triangles cover its area less its
// holes, each counter-clockwise; a polygon that is not simple is answered as unsuited.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/quitrequest.h"
#include "render/polygontriangulator.h"

namespace {

using Loop = std::vector<CPoint2d>;
using Result = CPolygonTriangulator::EResult;

double Orient(const CPoint2d& a, const CPoint2d& b, const CPoint2d& c)
{
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

Loop Star(int corners, double cx = 0.0, double cy = 0.0)
{
    Loop loop;
    for (int i = 0; i < corners; ++i) {
        const double angle = 6.283185307179586 * i / corners;
        const double radius = i % 2 == 0 ? 10.0 : 4.0;
        loop.emplace_back(cx + radius * std::cos(angle), cy + radius * std::sin(angle));
    }
    return loop;
}

Loop Square(double x, double y, double size, bool clockwise)
{
    Loop loop{{x, y}, {x + size, y}, {x + size, y + size}, {x, y + size}};
    return clockwise ? Loop(loop.rbegin(), loop.rend()) : loop;
}

// A comb: teeth pointing up, so that the sweep meets many merges and splits.
Loop Comb(int teeth)
{
    Loop loop{{0.0, 0.0}, {2.0 * teeth, 0.0}};
    for (int i = teeth - 1; i >= 0; --i) {
        loop.emplace_back(2.0 * i + 1.5, 3.0 + 0.1 * i);
        loop.emplace_back(2.0 * i + 1.0, 1.0);
        loop.emplace_back(2.0 * i + 0.5, 3.0 - 0.1 * i);
    }
    return loop;
}

// The area of the loops (outer loops counter-clockwise, holes clockwise), as triangles
// from the first corner.
double Area(const std::vector<Loop>& loops)
{
    double area = 0.0;
    for (const Loop& loop : loops) {
        for (std::size_t i = 0; i < loop.size(); ++i) {
            area += Orient(loops[0][0], loop[i], loop[(i + 1) % loop.size()]) / 2.0;
        }
    }
    return area;
}

Result Cut(const std::vector<Loop>& loops, std::vector<CPoint2d>& points, std::vector<std::uint32_t>& triangles)
{
    std::vector<std::uint32_t> ends;
    for (const Loop& loop : loops) {
        points.insert(points.end(), loop.begin(), loop.end());
        ends.push_back(static_cast<std::uint32_t>(points.size()));
    }
    CPolygonTriangulator triangulator;
    return triangulator.Triangulate(points, ends, triangles);
}

}  // namespace

TEST(PolygonTriangulator, TrianglesCoverTheAreaLessTheHoles)
{
    const struct
    {
        const char* name;
        std::vector<Loop> loops;
    } cases[] = {
        {"triangle", {{{0, 0}, {4, 0}, {1, 3}}}},
        {"square with a corner on each side", {{{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}, {1, 2}, {0, 2}, {0, 1}}}},
        {"L", {{{0, 0}, {3, 0}, {3, 1}, {1, 1}, {1, 3}, {0, 3}}}},
        {"star", {Star(40)}},
        {"comb", {Comb(25)}},
        {"square with two holes", {Square(0, 0, 10, false), Square(1, 1, 2, true), Square(5, 6, 3, true)}},
        {"star with star-shaped holes",
         {Square(-30, -30, 60, false), [] {
              Loop hole = Star(12, -15, 0);
              return Loop(hole.rbegin(), hole.rend());
          }(),
          [] {
              Loop hole = Star(30, 15, 0);
              return Loop(hole.rbegin(), hole.rend());
          }()}},
        {"two outer loops", {Square(0, 0, 1, false), Square(3, 0, 1, false)}},
        {"far from the origin", {Square(1e6, 1e6, 1e-2, false), Square(1e6 + 4e-3, 1e6 + 4e-3, 2e-3, true)}},
    };
    for (const auto& c : cases) {
        std::vector<CPoint2d> points;
        std::vector<std::uint32_t> triangles;
        ASSERT_EQ(Cut(c.loops, points, triangles), Result::kDone) << c.name;
        double area = 0.0;
        for (std::size_t t = 0; t < triangles.size(); t += 3) {
            ASSERT_LT(std::max({triangles[t], triangles[t + 1], triangles[t + 2]}), points.size()) << c.name;
            const double twice = Orient(points[triangles[t]], points[triangles[t + 1]], points[triangles[t + 2]]);
            EXPECT_GE(twice, 0.0) << c.name;
            area += twice / 2.0;
        }
        EXPECT_NEAR(area, Area(c.loops), 1e-9 * std::abs(Area(c.loops))) << c.name;
    }
}

TEST(PolygonTriangulator, PolygonsThatAreNotSimpleAreLeftToTheCaller)
{
    const struct
    {
        const char* name;
        std::vector<Loop> loops;
    } cases[] = {
        {"bow tie", {{{0, 0}, {2, 2}, {2, 0}, {0, 2}}}},
        {"a corner twice", {{{0, 0}, {2, 0}, {1, 1}, {2, 2}, {0, 2}, {1, 1}}}},
        {"a spike back along itself", {{{0, 0}, {2, 0}, {2, 2}, {1, 2}, {1, 3}, {1, 2.5}, {0, 2}}}},
        {"all in a line", {{{0, 0}, {1, 0}, {2, 0}}}},
        {"a hole wound as the outline", {Square(0, 0, 10, false), Square(1, 1, 2, false)}},
        {"a hole outside", {Square(0, 0, 10, false), Square(20, 1, 2, true)}},
        {"a hole across the outline", {Square(0, 0, 10, false), Square(8, 8, 4, true)}},
        {"a hole touching the outline", {Square(0, 0, 10, false), {{0, 5}, {2, 6}, {2, 4}}}},
        {"clockwise outline", {Square(0, 0, 1, true)}},
        {"not a number", {{{0, 0}, {1, 0}, {std::nan(""), 1}}}},
        {"too few corners", {{{0, 0}, {1, 0}}}},
    };
    for (const auto& c : cases) {
        std::vector<CPoint2d> points;
        std::vector<std::uint32_t> triangles;
        EXPECT_EQ(Cut(c.loops, points, triangles), Result::kUnsuited) << c.name;
        EXPECT_TRUE(triangles.empty()) << c.name;
    }
}

TEST(PolygonTriangulator, AQuitRequestCutsALargePolygonShort)
{
    CQuitRequest::Request();
    std::vector<CPoint2d> points;
    std::vector<std::uint32_t> triangles;
    const Result result = Cut({Star(20000)}, points, triangles);
    CQuitRequest::Clear();
    EXPECT_EQ(result, Result::kAbandoned);
}

TEST(PolygonTriangulator, LoopsTouchingOnlyAtSharedCornersAreCutOnceMovedApartAndOverlapsStayRefused)
{
    // Petals meeting at the centre, each corner there a corner of its own.
    Loop petals;
    for (int i = 0; i < 6; ++i) {
        const double from = 6.283185307179586 * i / 6;
        const double to = 6.283185307179586 * (i + 0.5) / 6;
        petals.insert(petals.end(), {{0.0, 0.0}, {10.0 * std::cos(from), 10.0 * std::sin(from)},
                                     {10.0 * std::cos(to), 10.0 * std::sin(to)}});
    }
    const struct
    {
        const char* name;
        std::vector<Loop> loops;
        bool cut;
    } cases[] = {
        {"loop touching itself at its centre", {petals}, true},
        {"hole touching the outline at its corner", {Square(0, 0, 4, false), {{0, 0}, {1, 2}, {2, 1}}}, true},
        {"two squares sharing a corner", {Square(0, 0, 1, false), Square(1, 1, 1, false)}, true},
        {"squares overlapping, sharing a corner", {Square(0, 0, 2, false), Square(1, 1, 2, false), {{2, 2}, {3, 2}, {2, 3}}},
         false},
        {"a square and its copy", {Square(0, 0, 1, false), Square(0, 0, 1, false)}, false},
    };
    for (const auto& c : cases) {
        std::vector<CPoint2d> points;
        std::vector<std::uint32_t> triangles;
        ASSERT_EQ(Cut(c.loops, points, triangles), Result::kUnsuited) << c.name;
        std::vector<std::uint32_t> ends;
        for (std::size_t i = 0, end = 0; i < c.loops.size(); ++i) {
            end += c.loops[i].size();
            ends.push_back(static_cast<std::uint32_t>(end));
        }
        bool cut = false;
        for (const bool inside : {true, false}) {
            std::vector<CPoint2d> separated = points;
            ASSERT_TRUE(CPolygonTriangulator::SeparateTouchingCorners(separated, ends, inside)) << c.name;
            CPolygonTriangulator triangulator;
            cut = cut || triangulator.Triangulate(separated, ends, triangles) == Result::kDone;
            if (cut) {
                break;
            }
        }
        EXPECT_EQ(cut, c.cut) << c.name;
        if (cut) {
            // Drawn at the corners' own places, the triangles cover the loops' area.
            double covered = 0.0;
            for (std::size_t t = 0; t + 2 < triangles.size(); t += 3) {
                covered += Orient(points[triangles[t]], points[triangles[t + 1]], points[triangles[t + 2]]) / 2.0;
            }
            EXPECT_NEAR(covered, Area(c.loops), 1e-6) << c.name;
        }
    }
    // Corners that are not numbers cannot be ordered: nothing is moved.
    std::vector<CPoint2d> damaged{{0, 0}, {2, 0}, {0, 0}, {std::nan(""), 2}, {0, 2}};
    EXPECT_FALSE(CPolygonTriangulator::SeparateTouchingCorners(damaged, {5}, true));
}
