#pragma once
// CTessellationCost: what a face whose loops cross or touch would cost the GLU
// tessellator, weighed before the call. GLU cannot be stopped once it runs: it resolves
// every crossing into new corners and, at every corner where edges start, searches the
// edges crossing its sweep line one by one, so a face of a few thousand corners can hold
// it for minutes. The estimate counts those three parts (corners, the edges searched past
// at starting corners, and the places where edges meet) in the frame meter's units.
//
// Points are the loops' corners seen in the face's plane, one loop after the other;
// loopEnds holds where each loop ends. Edges meeting are counted pair by pair up to a
// bound of tests; past it every pair of edges side by side along the sweep counts as
// meeting, so the estimate never passes for less than GLU would do.

#include <cstdint>
#include <vector>

#include "foundation/point2d.h"
#include "foundation/point3d.h"
#include "foundation/vector3d.h"

class CTessellationCost
{
public:
    CTessellationCost() = delete;

    // Past this a face is not handed to GLU: the call would hold the frame (and a quit)
    // for about a second on a quiet machine.
    static constexpr std::uint64_t kMaxCost = 25'000'000;
    // Pairs of edges tested for meeting at most, per face.
    static constexpr std::uint64_t kMaxPairTests = 16'000'000;

    struct SEstimate
    {
        // In frame meter units; what GLU would do, the estimate's own work not included.
        std::uint64_t cost = 0;
        // The estimate's own work, in frame meter units.
        std::uint64_t measuring = 0;
        // Places where two edges not next to each other in a loop meet (cross, touch or
        // share a corner); an upper bound when the tests ran out.
        std::uint64_t meetings = 0;
        // The corners of all loops.
        std::uint64_t corners = 0;
        // The meetings were counted, not bounded from above.
        bool counted = false;
        // A corner that is not a finite number: the face must go to neither GL nor GLU.
        bool nonFinite = false;
    };

    // Loop ends that are out of order or past the points make an empty estimate with
    // nothing to draw (cost 0); so does a loop of fewer than three corners.
    [[nodiscard]] static SEstimate Estimate(const std::vector<CPoint2d>& points,
                                            const std::vector<std::uint32_t>& loopEnds,
                                            std::uint64_t maxPairTests = kMaxPairTests);
    // The point seen in a plane with this normal: the axis the normal leans on most is
    // dropped, and the other two are taken in the order that keeps counter-clockwise
    // about the normal counter-clockwise in the plane.
    [[nodiscard]] static CPoint2d Flatten(const CPoint3d& point, const CVector3d& normal);
    // Says once in the program's life, on standard error, why a face is left unfilled
    // (its edges still show it).
    static void SayUnfilled(const SEstimate& estimate);
    // Whether GLU may be handed the face.
    [[nodiscard]] static bool IsAffordable(const SEstimate& estimate)
    {
        return !estimate.nonFinite && estimate.cost <= kMaxCost;
    }
    // Weighs the flattened loops for GLU and charges the frame what measuring and filling
    // them costs. False: the face is left unfilled (too costly, a corner not a number,
    // said once) or the frame must stop.
    [[nodiscard]] static bool ChargeFill(const std::vector<CPoint2d>& points, const std::vector<std::uint32_t>& loopEnds);
};
