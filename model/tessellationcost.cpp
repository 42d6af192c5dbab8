#include "model/tessellationcost.h"

#include <algorithm>
#include <bit>
#include <atomic>
#include <cmath>
#include <cstdio>

#include "foundation/framemeter.h"

namespace {

// Weights of GLU's work in frame meter units, measured on GLU itself: per corner and
// level of its sorting, per edge searched past at a starting corner, per pair of edges
// touching (GLU merges the corners, walking the edges about them), and per crossing and
// corner of the face: a crossing's new corner sets GLU walking over the face's edges, up
// to all of them when the crossings lie close together (a star {N/2} of 10,001 corners
// takes it seconds for its 10,001 crossings).
constexpr std::uint64_t kCornerLevelCost = 2;
constexpr std::uint64_t kSearchCost = 2;
constexpr std::uint64_t kTouchCost = 1;
constexpr std::uint64_t kCrossingCornerCost = 1;
// Pair tests per frame meter unit of the estimate's own work.
constexpr std::uint64_t kTestsPerUnit = 4;

struct SEdge
{
    std::uint32_t from;
    std::uint32_t to;
    // The corner before from in its loop.
    std::uint32_t before;
    double low;
    double high;
};

double Orient(const CPoint2d& a, const CPoint2d& b, const CPoint2d& c)
{
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

int Sign(double value)
{
    return (value > 0.0) - (value < 0.0);
}

bool Between(const CPoint2d& a, const CPoint2d& b, const CPoint2d& c)
{
    return std::min(a.x, b.x) <= c.x && c.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= c.y &&
           c.y <= std::max(a.y, b.y);
}

enum class EMeeting
{
    kApart,
    kCross,
    kTouch,
};

EMeeting Meet(const CPoint2d& a0, const CPoint2d& a1, const CPoint2d& b0, const CPoint2d& b1)
{
    const int d1 = Sign(Orient(b0, b1, a0));
    const int d2 = Sign(Orient(b0, b1, a1));
    const int d3 = Sign(Orient(a0, a1, b0));
    const int d4 = Sign(Orient(a0, a1, b1));
    if (d1 * d2 < 0 && d3 * d4 < 0) {
        return EMeeting::kCross;
    }
    const bool touch = (d1 == 0 && Between(b0, b1, a0)) || (d2 == 0 && Between(b0, b1, a1)) ||
                       (d3 == 0 && Between(a0, a1, b0)) || (d4 == 0 && Between(a0, a1, b1));
    return touch ? EMeeting::kTouch : EMeeting::kApart;
}

// Before along the sweep: by x, then by y.
bool IsBefore(const CPoint2d& a, const CPoint2d& b)
{
    return a.x < b.x || (a.x == b.x && a.y < b.y);
}

std::uint64_t Saturated(std::uint64_t a, std::uint64_t b)
{
    return a + b < a ? UINT64_MAX : a + b;
}

std::uint64_t Times(std::uint64_t a, std::uint64_t b)
{
    return b != 0 && a > UINT64_MAX / b ? UINT64_MAX : a * b;
}

// How many of the sorted values lie below the value (or at it too).
std::uint64_t CountBelow(const std::vector<double>& sorted, double value, bool orAt)
{
    const auto at = orAt ? std::upper_bound(sorted.begin(), sorted.end(), value)
                         : std::lower_bound(sorted.begin(), sorted.end(), value);
    return static_cast<std::uint64_t>(at - sorted.begin());
}

struct SMeetings
{
    std::uint64_t touches = 0;
    std::uint64_t crossings = 0;
};

// Meetings of edges not next to each other, tested pair by pair along the sweep; false
// when the tests would pass the bound.
bool CountMeetings(const std::vector<CPoint2d>& points, std::vector<SEdge>& edges, std::uint64_t maxTests,
                   SMeetings& meetings)
{
    std::sort(edges.begin(), edges.end(), [](const SEdge& a, const SEdge& b) { return a.low < b.low; });
    std::vector<const SEdge*> active;
    std::uint64_t tests = 0;
    for (const SEdge& edge : edges) {
        std::erase_if(active, [&edge](const SEdge* other) { return other->high < edge.low; });
        tests += active.size();
        if (tests > maxTests) {
            return false;
        }
        for (const SEdge* other : active) {
            if (other->to == edge.from || edge.to == other->from) {
                continue;
            }
            switch (Meet(points[edge.from], points[edge.to], points[other->from], points[other->to])) {
            case EMeeting::kCross:
                ++meetings.crossings;
                break;
            case EMeeting::kTouch:
                ++meetings.touches;
                break;
            case EMeeting::kApart:
                break;
            }
        }
        active.push_back(&edge);
    }
    return true;
}

}  // namespace

CTessellationCost::SEstimate CTessellationCost::Estimate(const std::vector<CPoint2d>& points,
                                                         const std::vector<std::uint32_t>& loopEnds,
                                                         std::uint64_t maxPairTests)
{
    SEstimate estimate;
    std::vector<SEdge> edges;
    edges.reserve(points.size());
    std::uint32_t start = 0;
    for (const std::uint32_t end : loopEnds) {
        if (end > points.size() || end < start + 3) {
            return {};
        }
        for (std::uint32_t i = start; i < end; ++i) {
            const std::uint32_t next = i + 1 < end ? i + 1 : start;
            const std::uint32_t before = i > start ? i - 1 : end - 1;
            edges.push_back({i, next, before, std::min(points[i].x, points[next].x), std::max(points[i].x, points[next].x)});
        }
        start = end;
    }
    for (const CPoint2d& p : points) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) {
            estimate.nonFinite = true;
            return estimate;
        }
    }
    const auto corners = static_cast<std::uint64_t>(edges.size());
    if (corners == 0) {
        return {};
    }
    std::vector<double> lows(edges.size());
    std::vector<double> highs(edges.size());
    for (std::size_t e = 0; e < edges.size(); ++e) {
        lows[e] = edges[e].low;
        highs[e] = edges[e].high;
    }
    std::sort(lows.begin(), lows.end());
    std::sort(highs.begin(), highs.end());
    // Pairs of edges side by side somewhere along the sweep, and the edges GLU searches
    // past where both edges of a corner start there.
    std::uint64_t overlapping = 0;
    std::uint64_t searched = 0;
    for (const SEdge& edge : edges) {
        overlapping += CountBelow(lows, edge.high, true) - CountBelow(highs, edge.low, false) - 1;
        const std::uint32_t corner = edge.from;
        if (IsBefore(points[corner], points[edge.before]) && IsBefore(points[corner], points[edge.to])) {
            const double x = points[corner].x;
            // Edges standing across the sweep line at the corner; an edge along the line
            // counts in neither.
            const std::uint64_t started = CountBelow(lows, x, false);
            const std::uint64_t ended = CountBelow(highs, x, true);
            searched += started > ended ? started - ended : 0;
        }
    }
    overlapping /= 2;
    SMeetings meetings;
    const bool counted = overlapping <= maxPairTests && CountMeetings(points, edges, maxPairTests, meetings);
    estimate.counted = counted;
    estimate.corners = corners;
    if (!counted) {
        // Every pair side by side may cross.
        meetings.crossings = overlapping;
    }
    estimate.meetings = meetings.crossings + meetings.touches;
    const auto levels = static_cast<std::uint64_t>(std::bit_width(corners));
    estimate.measuring = corners * levels / 4 + (counted ? overlapping / kTestsPerUnit : 0);
    estimate.cost = Saturated(Times(corners * levels, kCornerLevelCost), Times(searched, kSearchCost));
    estimate.cost = Saturated(estimate.cost, Times(meetings.touches, kTouchCost));
    estimate.cost = Saturated(estimate.cost, Times(Times(meetings.crossings, corners), kCrossingCornerCost));
    return estimate;
}

void CTessellationCost::SayUnfilled(const SEstimate& estimate)
{
    static std::atomic<bool> saidNonFinite{false};
    static std::atomic<bool> saidCostly{false};
    if (estimate.nonFinite) {
        if (!saidNonFinite.exchange(true)) {
            std::fprintf(stderr, "glimra: a face has a corner that is not a finite number; it is left unfilled\n");
        }
    } else if (!saidCostly.exchange(true)) {
        std::fprintf(stderr,
                     "glimra: a face of %llu corners whose loops cross or touch would take too long to fill; it is "
                     "left unfilled\n",
                     static_cast<unsigned long long>(estimate.corners));
    }
}

CPoint2d CTessellationCost::Flatten(const CPoint3d& p, const CVector3d& normal)
{
    const double ax = std::abs(normal.x);
    const double ay = std::abs(normal.y);
    const double az = std::abs(normal.z);
    if (az >= ax && az >= ay) {
        return normal.z > 0.0 ? CPoint2d(p.x, p.y) : CPoint2d(p.y, p.x);
    }
    if (ax >= ay) {
        return normal.x > 0.0 ? CPoint2d(p.y, p.z) : CPoint2d(p.z, p.y);
    }
    return normal.y > 0.0 ? CPoint2d(p.z, p.x) : CPoint2d(p.x, p.z);
}

bool CTessellationCost::ChargeFill(const std::vector<CPoint2d>& points, const std::vector<std::uint32_t>& loopEnds)
{
    const SEstimate estimate = Estimate(points, loopEnds);
    if (!CFrameMeter::Charge(estimate.measuring)) {
        return false;
    }
    if (!IsAffordable(estimate)) {
        SayUnfilled(estimate);
        return false;
    }
    return CFrameMeter::Charge(estimate.cost);
}
