#pragma once
// CFaceCutCost: what resolving a face's crossing loops will cost, known before the work
// starts. A face whose loops cross is turned into loops that do not, by a polygon
// clipping library working on whole numbers, before the sweep cuts it into triangles.
// The library walks its list of the edges standing across each band between two corner
// heights, walks it again for every corner where a loop turns upwards and for every edge
// along a band's edge, reorders it at every crossing and, where a crossing starts a loop,
// walks the list to its left. All of that is counted here on
// the same grid of whole numbers the library is handed, exactly: the bands each edge
// stands across, and the crossings, counted band by band as the changes of the edges'
// order from a band's foot to its head. Its joins, where two of its loops meet along a
// side or at a corner, each walk a loop: they are bounded by the corners where loops meet
// times the corners it is handed. Counting stops at its limits, so it is bounded too (in
// time n log n plus the crossings it counted).
//
// Points are the loops' corners seen in the face's plane, one loop after the other;
// loopEnds holds where each loop ends.

#include <cstdint>
#include <utility>
#include <vector>

#include "foundation/point2d.h"
#include "foundation/point3d.h"
#include "foundation/vector3d.h"

class CFaceCutCost
{
public:
    CFaceCutCost() = delete;

    // A corner on the grid: whole numbers below 2^kGridBits in magnitude, measured from the
    // face's first corner, so that a face far from the origin keeps its precision.
    struct SGridPoint
    {
        std::int64_t x = 0;
        std::int64_t y = 0;
        friend bool operator==(const SGridPoint&, const SGridPoint&) = default;
    };
    static constexpr int kGridBits = 30;

    // Past these a face is left unfilled (its edges drawn): resolving it would hold the
    // frame, and a quit, for about half a second on a quiet machine.
    static constexpr std::uint64_t kMaxCrossings = 1'000'000;
    static constexpr std::uint64_t kMaxWork = 25'000'000;
    // Measured on the library: a step of its walks takes 4 to 20 ns (more as its list
    // outgrows the caches), a crossing 150 to 400 ns; the count's own steps about 5 ns.
    static constexpr std::uint64_t kStepsPerCrossing = 25;
    // A loop the library starts at a crossing looks along every edge left of it for
    // whether it is a hole: about 1.5 ns an edge, so many edges a step.
    static constexpr std::uint64_t kEdgesPerStep = 4;
    // Steps per frame meter unit (about 100 ns).
    static constexpr std::uint64_t kWorkPerUnit = 5;

    struct SCount
    {
        // The corners of all loops.
        std::uint64_t corners = 0;
        // Pairs of edges whose order changes within a band (crossings), with those that
        // meet on a band's edge; counted up to the limit.
        std::uint64_t crossings = 0;
        // The library's steps: sorting, its walks along the bands and at the crossings.
        std::uint64_t work = 0;
        // The count's own steps.
        std::uint64_t counting = 0;
        // The loops, and the corners lying straight between their neighbours, which the
        // library is not handed and which are put back in the loops it returns.
        std::uint64_t loops = 0;
        std::uint64_t straight = 0;
        // Corners the library is handed that lie inside another side or where another
        // corner lies: where it may join two of its loops, each join a walk round a loop.
        std::uint64_t joins = 0;
        // Counted to the end within both limits.
        bool withinLimits = false;
        // A corner that is not a finite number: the face is left unfilled.
        bool nonFinite = false;
        // The program was asked to quit while counting.
        bool abandoned = false;

        // The library's steps, its joins' walks round loops of every corner it is handed
        // and crossing added; past kMaxWork it is not called and the face is left
        // unfilled.
        [[nodiscard]] std::uint64_t GetLibraryWork() const;
        [[nodiscard]] bool IsAffordable() const { return withinLimits && GetLibraryWork() <= kMaxWork; }
        // In frame meter units: resolving the loops, and counting.
        [[nodiscard]] std::uint64_t GetResolveUnits() const { return GetLibraryWork() / kWorkPerUnit; }
        [[nodiscard]] std::uint64_t GetCountingUnits() const { return counting / kWorkPerUnit; }
        // The loops resolved, at most: every corner, each crossing a corner of the two
        // loops meeting there; and the triangles the sweep makes of them, each loop they
        // make bridged to another by two sides.
        [[nodiscard]] std::uint64_t GetResolvedCorners() const { return corners + 2 * crossings; }
        [[nodiscard]] std::uint64_t GetResolvedTriangles() const
        {
            return GetResolvedCorners() + 2 * (loops + crossings);
        }
        // In frame meter units, the work after the library: the loops it returns, with the
        // corners put back, counted again for touches; then cut by the sweep as the cut's
        // corners are charged elsewhere.
        [[nodiscard]] std::uint64_t GetAfterResolveUnits() const;
    };

    // The points on the grid, scaled by a power of two from their extent measured from
    // the first point: grid = round((p - first) * scale). False, nothing made, when a
    // point is not a finite number or there are none.
    static bool ToGrid(const std::vector<CPoint2d>& points, std::vector<SGridPoint>& grid, double& scale);
    // Corners lying inside a side (not at its ends): the corner, and the corner the side
    // starts from.
    using Touches = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

    // Counts the loops on the grid and, when asked, lists the corners lying inside sides
    // (at most maxCrossings of them, else not within limits). Loop ends out of order or
    // past the points, or a loop of fewer than three corners, count nothing (within
    // limits, no work).
    [[nodiscard]] static SCount Count(const std::vector<SGridPoint>& grid, const std::vector<std::uint32_t>& loopEnds,
                                      std::uint64_t maxCrossings = kMaxCrossings, std::uint64_t maxWork = kMaxWork,
                                      Touches* touches = nullptr);
    // The same from the flattened corners (scaled onto the grid first).
    [[nodiscard]] static SCount Count(const std::vector<CPoint2d>& points, const std::vector<std::uint32_t>& loopEnds);
    // Whether the loop's corner i (of the corners start to end) lies on the straight way
    // from the corner before it to the one after, both sides running the same way.
    [[nodiscard]] static bool PassesStraight(const std::vector<SGridPoint>& grid, std::size_t start, std::size_t end,
                                             std::size_t i);
    // The loops' ends (each one past its loop's last corner) describe loops of three
    // corners or more that use every one of count corners.
    [[nodiscard]] static bool ValidLoopEnds(std::size_t count, const std::vector<std::uint32_t>& loopEnds);
    // The point seen in a plane with this normal: the axis the normal leans on most is
    // dropped, and the other two are taken in the order that keeps counter-clockwise
    // about the normal counter-clockwise in the plane.
    [[nodiscard]] static CPoint2d Flatten(const CPoint3d& point, const CVector3d& normal);
    // Says once in the program's life, on standard error, why a face is left unfilled
    // (its edges still show it).
    static void SayUnfilled(const SCount& count);
};
