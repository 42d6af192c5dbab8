#pragma once
// COutlineOverlap: whether two outlines on screen overlap, for the depth sort of blended
// transparency. An outline is a closed ring of window points (x, y pairs). The exact
// test tries every edge of one against every edge of the other, which is fine for a few
// corners and ruinous for thousands; an outline of many corners is first thinned to a
// few corners that enclose it (the polygon bounded by the lines that touch it in a fixed
// set of directions, which holds its convex hull). The answer on thinned outlines is
// "may overlap": it never misses an overlap, and two faces taken to overlap when they
// do not only keep an order the sort could have left free.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

class COutlineOverlap
{
public:
    COutlineOverlap() = delete;

    // The most corners a thinned outline has.
    static constexpr std::size_t kThinCorners = 32;
    // Above this many pairs of edges the test runs on thinned outlines.
    static constexpr std::uint64_t kExactEdgePairs = 4096;

    // True when an edge of one meets an edge of the other (touching included) or a corner
    // of one lies inside the other. Outlines of fewer than three corners overlap nothing.
    [[nodiscard]] static bool Exact(std::span<const double> a, std::span<const double> b);
    // Writes into thinned an outline of at most kThinCorners corners that encloses the
    // given one; an outline of no more corners than that is copied as it is. Returns the
    // work done, in operations of about a nanosecond.
    static std::uint64_t Thin(std::span<const double> outline, std::vector<double>& thinned);
};
