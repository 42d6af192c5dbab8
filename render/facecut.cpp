#include "render/facecut.h"

#include <polyclipping/clipper.hpp>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <tuple>

#include "foundation/framemeter.h"
#include "model/facecutcost.h"

namespace {

using Index = std::uint32_t;
using EStep = CPolygonTriangulator::EResult;

double Orient(const CPoint2d& a, const CPoint2d& b, const CPoint2d& c)
{
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// Counts the loops' crossings and touches on the grid, the counting charged to the
// frame; false when the frame must stop or the count gave up.
bool CountCharged(const std::vector<CFaceCutCost::SGridPoint>& grid, const std::vector<std::uint32_t>& ends,
                  CFaceCutCost::SCount& count, CFaceCutCost::Touches& touches,
                  std::uint64_t maxWork = CFaceCutCost::kMaxWork)
{
    count = CFaceCutCost::Count(grid, ends, CFaceCutCost::kMaxCrossings, maxWork, &touches);
    return CFrameMeter::Charge(count.GetCountingUnits()) && !count.abandoned;
}

// Twice the signed area of the loop, measured from its first corner.
double LoopArea(const std::vector<CPoint2d>& points, std::size_t start, std::size_t end)
{
    double area = 0.0;
    const CPoint2d& origin = points[start];
    for (std::size_t i = start + 1; i + 1 < end; ++i) {
        area += Orient(origin, points[i], points[i + 1]);
    }
    return area;
}

// A grid place as one key; the grid's numbers stay below 2^31 in magnitude.
std::uint64_t GridKey(std::int64_t x, std::int64_t y)
{
    return (static_cast<std::uint64_t>(x + (std::int64_t{1} << 31)) << 32) |
           static_cast<std::uint64_t>(y + (std::int64_t{1} << 31));
}

void SayUncut(std::size_t corners)
{
    static std::atomic<bool> said{false};
    if (!said.exchange(true)) {
        std::fprintf(stderr,
                     "glimra: a face of %zu corners whose loops cross or touch could not be cut into triangles; it is "
                     "left unfilled\n",
                     corners);
    }
}

}  // namespace

CFaceCut::EResult CFaceCut::Cut(const std::vector<CPoint2d>& points, const std::vector<std::uint32_t>& loopEnds)
{
    m_triangles.clear();
    m_added.clear();
    m_slack = 0.0;
    if (!CFaceCutCost::ValidLoopEnds(points.size(), loopEnds)) {
        return EResult::kDone;
    }
    if (!std::all_of(points.begin(), points.end(),
                     [](const CPoint2d& p) { return std::isfinite(p.x) && std::isfinite(p.y); })) {
        CFaceCutCost::SCount count;
        count.nonFinite = true;
        CFaceCutCost::SayUnfilled(count);
        return EResult::kUnfilled;
    }
    // The sweep wants the outer loop counter-clockwise; the loops of a face placed
    // mirrored are cut as their mirror image, which changes no area.
    m_flat = points;
    const bool mirrored = LoopArea(points, 0, loopEnds[0]) < 0.0;
    if (mirrored) {
        for (CPoint2d& p : m_flat) {
            p.x = -p.x;
        }
    }
    EResult result = EResult::kDone;
    switch (CutSimple(m_flat, loopEnds, m_triangles)) {
    case EStep::kDone:
        break;
    case EStep::kAbandoned:
        return EResult::kAbandoned;
    case EStep::kUnsuited:
        result = Resolve(loopEnds);
        break;
    }
    if (result != EResult::kDone) {
        m_triangles.clear();
        m_added.clear();
        return result;
    }
    if (mirrored) {
        for (std::size_t t = 0; t + 2 < m_triangles.size(); t += 3) {
            std::swap(m_triangles[t + 1], m_triangles[t + 2]);
        }
    }
    return EResult::kDone;
}

CFaceCut::EStep CFaceCut::CutSimple(const std::vector<CPoint2d>& points, const std::vector<std::uint32_t>& loopEnds,
                                    std::vector<std::uint32_t>& triangles)
{
    if (!CFrameMeter::Charge(CFrameMeter::kCutCornerCost * points.size())) {
        return EStep::kAbandoned;
    }
    const EStep result = m_triangulator.Triangulate(points, loopEnds, triangles);
    return result == EStep::kUnsuited ? CutSeparated(points, loopEnds, triangles) : result;
}

CFaceCut::EStep CFaceCut::CutSeparated(const std::vector<CPoint2d>& points, const std::vector<std::uint32_t>& loopEnds,
                                       std::vector<std::uint32_t>& triangles)
{
    // The corners drawn stay where they are; only the sweep sees them moved apart.
    for (const bool inside : {true, false}) {
        m_separated = points;
        if (!CPolygonTriangulator::SeparateTouchingCorners(m_separated, loopEnds, inside)) {
            return EStep::kUnsuited;
        }
        if (!CFrameMeter::Charge(CFrameMeter::kCutCornerCost * points.size())) {
            return EStep::kAbandoned;
        }
        triangles.clear();
        const EStep result = m_triangulator.Triangulate(m_separated, loopEnds, triangles);
        if (result == EStep::kAbandoned) {
            return result;
        }
        double maxMove = 0.0;
        for (std::size_t i = 0; i < points.size(); ++i) {
            maxMove = std::max({maxMove, std::abs(m_separated[i].x - points[i].x),
                                std::abs(m_separated[i].y - points[i].y)});
        }
        if (result == EStep::kDone && CoversOnce(points, loopEnds, triangles, 2.0 * maxMove + m_slack)) {
            return result;
        }
    }
    triangles.clear();
    return EStep::kUnsuited;
}

bool CFaceCut::CoversOnce(const std::vector<CPoint2d>& own, const std::vector<std::uint32_t>& loopEnds,
                          const std::vector<std::uint32_t>& triangles, double maxMove)
{
    if (own.empty()) {
        return triangles.empty();
    }
    // Measured from the first corner, so that a face far from the origin keeps its
    // precision.
    const CPoint2d& origin = own[0];
    double area = 0.0;
    double magnitude = 0.0;
    double perimeter = 0.0;
    std::size_t start = 0;
    for (const std::uint32_t end : loopEnds) {
        double loop = 0.0;
        for (std::size_t i = start; i < end; ++i) {
            const CPoint2d& a = own[i];
            const CPoint2d& b = own[i + 1 < end ? i + 1 : start];
            loop += (a.x - origin.x) * (b.y - origin.y) - (a.y - origin.y) * (b.x - origin.x);
            perimeter += std::hypot(b.x - a.x, b.y - a.y);
        }
        area += loop;
        magnitude += std::abs(loop);
        start = end;
    }
    double covered = 0.0;
    for (std::size_t t = 0; t + 2 < triangles.size(); t += 3) {
        if (std::max({triangles[t], triangles[t + 1], triangles[t + 2]}) >= own.size()) {
            return false;
        }
        covered += std::abs(Orient(own[triangles[t]], own[triangles[t + 1]], own[triangles[t + 2]]));
    }
    // A triangle turned over at the corners' own places covers its area twice over:
    // more than moving the corners can account for along the loops' sides.
    const double allowed = 1e-9 * magnitude + 4.0 * maxMove * perimeter;
    return std::isfinite(covered) && covered - area <= allowed;
}

void CFaceCut::ChooseBasis()
{
    // The lowest and highest corners and the one farthest from the line through them.
    Index low = 0;
    Index high = 0;
    for (Index i = 1; i < m_flat.size(); ++i) {
        const CPoint2d& p = m_flat[i];
        low = (p.x < m_flat[low].x || (p.x == m_flat[low].x && p.y < m_flat[low].y)) ? i : low;
        high = (p.x > m_flat[high].x || (p.x == m_flat[high].x && p.y > m_flat[high].y)) ? i : high;
    }
    Index far = low;
    double farthest = 0.0;
    for (Index i = 0; i < m_flat.size(); ++i) {
        const double d = std::abs(Orient(m_flat[low], m_flat[high], m_flat[i]));
        if (d > farthest) {
            farthest = d;
            far = i;
        }
    }
    m_basis[0] = low;
    m_basis[1] = high;
    m_basis[2] = far;
}

std::uint32_t CFaceCut::MapBack(std::int64_t x, std::int64_t y)
{
    const std::uint64_t key = GridKey(x, y);
    const auto found = std::lower_bound(m_gridIndex.begin(), m_gridIndex.end(), std::make_pair(key, Index{0}));
    if (found != m_gridIndex.end() && found->first == key) {
        return found->second;
    }
    // A crossing: a mix of three corners spanning the plane.
    const CPoint2d& origin = m_flat[0];
    const CPoint2d q(origin.x + static_cast<double>(x) / m_scale, origin.y + static_cast<double>(y) / m_scale);
    const CPoint2d& a = m_flat[m_basis[0]];
    const CPoint2d& b = m_flat[m_basis[1]];
    const CPoint2d& c = m_flat[m_basis[2]];
    const double whole = Orient(a, b, c);
    CKeptFaceTriangles::SAddedCorner added;
    const double wb = Orient(a, q, c) / whole;
    const double wc = Orient(a, b, q) / whole;
    added.from[0] = m_basis[0];
    added.from[1] = m_basis[1];
    added.from[2] = m_basis[2];
    added.weights[0] = static_cast<float>(1.0 - wb - wc);
    added.weights[1] = static_cast<float>(wb);
    added.weights[2] = static_cast<float>(wc);
    m_added.push_back(added);
    return static_cast<Index>(m_flat.size() + m_added.size() - 1);
}

void CFaceCut::SplitAtTouches(const std::vector<CFaceCutCost::SGridPoint>& grid,
                              const std::vector<std::uint32_t>& loopEnds, CFaceCutCost::Touches& touches,
                              std::vector<std::uint32_t>& order, std::vector<std::uint32_t>& ends)
{
    // Along each side from its start, the corners lying inside it.
    const auto along = [&grid](std::uint32_t side, std::uint32_t corner) {
        return static_cast<double>(grid[corner].x - grid[side].x) * static_cast<double>(grid[corner].x - grid[side].x) +
               static_cast<double>(grid[corner].y - grid[side].y) * static_cast<double>(grid[corner].y - grid[side].y);
    };
    std::sort(touches.begin(), touches.end(), [&](const auto& p, const auto& q) {
        return p.second != q.second ? p.second < q.second : along(p.second, p.first) < along(q.second, q.first);
    });
    order.clear();
    ends.clear();
    order.reserve(grid.size() + touches.size());
    auto touch = touches.begin();
    for (const std::uint32_t end : loopEnds) {
        const std::uint32_t start = ends.empty() ? 0 : loopEnds[ends.size() - 1];
        for (std::uint32_t i = start; i < end; ++i) {
            order.push_back(i);
            for (; touch != touches.end() && touch->second == i; ++touch) {
                order.push_back(touch->first);
            }
        }
        ends.push_back(static_cast<std::uint32_t>(order.size()));
    }
}

CFaceCut::EStep CFaceCut::CutSplit(const std::vector<CPoint2d>& cutAt, const std::vector<CPoint2d>& own,
                                   const std::vector<Index>& corner, const std::vector<CFaceCutCost::SGridPoint>& grid,
                                   const std::vector<std::uint32_t>& loopEnds, CFaceCutCost::Touches& touches)
{
    std::vector<std::uint32_t> order;
    std::vector<std::uint32_t> ends;
    SplitAtTouches(grid, loopEnds, touches, order, ends);
    std::vector<CPoint2d> splitAt;
    std::vector<CPoint2d> splitOwn;
    splitAt.reserve(order.size());
    splitOwn.reserve(order.size());
    for (const std::uint32_t k : order) {
        splitAt.push_back(cutAt[k]);
        splitOwn.push_back(own[k]);
    }
    std::vector<std::uint32_t> triangles;
    const EStep result = CutSimple(splitAt, ends, triangles);
    if (result != EStep::kDone) {
        return result;
    }
    if (!CoversOnce(splitOwn, ends, triangles, m_slack)) {
        return EStep::kUnsuited;
    }
    m_triangles.clear();
    m_triangles.reserve(triangles.size());
    for (const std::uint32_t t : triangles) {
        m_triangles.push_back(corner[order[t]]);
    }
    return EStep::kDone;
}

CFaceCut::EResult CFaceCut::Resolve(const std::vector<std::uint32_t>& loopEnds)
{
    std::vector<CFaceCutCost::SGridPoint> grid;
    if (!CFaceCutCost::ToGrid(m_flat, grid, m_scale)) {
        return EResult::kUnfilled;
    }
    CFaceCutCost::Touches touches;
    CFaceCutCost::SCount count;
    if (!CountCharged(grid, loopEnds, count, touches)) {
        return EResult::kAbandoned;
    }
    if (!count.withinLimits) {
        CFaceCutCost::SayUnfilled(count);
        return EResult::kUnfilled;
    }
    // A corner found on a side lies there on the grid, within a unit of it.
    m_slack = 2.0 / m_scale;
    if (count.crossings == 0 && !touches.empty()) {
        // Loops that only touch: each side is split at the corners lying inside it, so
        // that they touch at corners only.
        std::vector<Index> corner(m_flat.size());
        for (Index i = 0; i < corner.size(); ++i) {
            corner[i] = i;
        }
        switch (CutSplit(m_flat, m_flat, corner, grid, loopEnds, touches)) {
        case EStep::kDone:
            return EResult::kDone;
        case EStep::kAbandoned:
            return EResult::kAbandoned;
        case EStep::kUnsuited:
            break;
        }
    }
    if (!count.IsAffordable()) {
        CFaceCutCost::SayUnfilled(count);
        return EResult::kUnfilled;
    }
    if (!CFrameMeter::Charge(count.GetResolveUnits())) {
        return EResult::kAbandoned;
    }
    return ResolveCrossings(grid, loopEnds);
}

CFaceCut::EResult CFaceCut::ResolveCrossings(const std::vector<CFaceCutCost::SGridPoint>& grid,
                                             const std::vector<std::uint32_t>& loopEnds)
{
    // The library's joins cost each a walk round the loop they join, so long runs of
    // corners in a straight line are handed to it as one side each and put back in the
    // sides it returns afterwards.
    ClipperLib::Paths loops;
    std::vector<Index> straight;
    std::size_t start = 0;
    for (const std::uint32_t end : loopEnds) {
        ClipperLib::Path& path = loops.emplace_back();
        for (std::size_t i = start; i < end; ++i) {
            if (CFaceCutCost::PassesStraight(grid, start, end, i)) {
                straight.push_back(static_cast<Index>(i));
            } else {
                path.emplace_back(grid[i].x, grid[i].y);
            }
        }
        start = end;
    }
    ClipperLib::Paths resolved;
    try {
        ClipperLib::Clipper clipper;
        clipper.PreserveCollinear(true);
        clipper.AddPaths(loops, ClipperLib::ptSubject, true);
        if (!clipper.Execute(ClipperLib::ctUnion, resolved, ClipperLib::pftPositive, ClipperLib::pftPositive)) {
            SayUncut(m_flat.size());
            return EResult::kUnfilled;
        }
    } catch (const std::exception&) {
        SayUncut(m_flat.size());
        return EResult::kUnfilled;
    }
    // Loops of fewer than three points bound nothing.
    std::vector<CFaceCutCost::SGridPoint> returned;
    std::vector<std::uint32_t> returnedEnds;
    for (const ClipperLib::Path& path : resolved) {
        if (path.size() >= 3) {
            for (const ClipperLib::IntPoint& p : path) {
                returned.push_back({p.X, p.Y});
            }
            returnedEnds.push_back(static_cast<std::uint32_t>(returned.size()));
        }
    }
    return CutResolved(grid, returned, returnedEnds, straight);
}

void CFaceCut::DropCopies(const std::vector<CFaceCutCost::SGridPoint>& grid, std::size_t firstLeftOut,
                          CFaceCutCost::Touches& touches)
{
    // Each corner left out once, and not where a corner already lies on the same side.
    std::erase_if(touches, [firstLeftOut](const auto& touch) {
        return touch.first >= firstLeftOut && (touch.first - firstLeftOut) % 3 != 0;
    });
    const auto key = [&grid](const auto& touch) {
        return std::make_tuple(touch.second, grid[touch.first].x, grid[touch.first].y, touch.first);
    };
    std::sort(touches.begin(), touches.end(), [&key](const auto& p, const auto& q) { return key(p) < key(q); });
    const auto again = [&grid, firstLeftOut](const auto& kept, const auto& touch) {
        return touch.first >= firstLeftOut && kept.second == touch.second && grid[kept.first] == grid[touch.first];
    };
    touches.erase(std::unique(touches.begin(), touches.end(), again), touches.end());
}

CFaceCut::EResult CFaceCut::CutResolved(const std::vector<CFaceCutCost::SGridPoint>& grid,
                                        const std::vector<CFaceCutCost::SGridPoint>& returned,
                                        const std::vector<std::uint32_t>& returnedEnds,
                                        const std::vector<std::uint32_t>& straight)
{
    m_gridIndex.clear();
    m_gridIndex.reserve(grid.size());
    for (Index i = 0; i < grid.size(); ++i) {
        m_gridIndex.emplace_back(GridKey(grid[i].x, grid[i].y), i);
    }
    std::sort(m_gridIndex.begin(), m_gridIndex.end());
    ChooseBasis();
    // The resolved loops on the grid, at the corners' own places, and which corner each
    // point is.
    std::vector<CFaceCutCost::SGridPoint> outGrid;
    std::vector<CPoint2d> onGrid;
    std::vector<CPoint2d> own;
    std::vector<Index> corner;
    std::vector<std::uint32_t> ends;
    double maxMove = 0.0;
    const CPoint2d& origin = m_flat[0];
    std::size_t start = 0;
    for (const std::uint32_t end : returnedEnds) {
        for (std::size_t k = start; k < end; ++k) {
            const CFaceCutCost::SGridPoint& p = returned[k];
            const Index index = MapBack(p.x, p.y);
            corner.push_back(index);
            outGrid.push_back(p);
            onGrid.emplace_back(static_cast<double>(p.x), static_cast<double>(p.y));
            if (index < m_flat.size()) {
                own.push_back(m_flat[index]);
            } else {
                const CKeptFaceTriangles::SAddedCorner& added = m_added[index - m_flat.size()];
                const CPoint2d& a = m_flat[added.from[0]];
                const CPoint2d& b = m_flat[added.from[1]];
                const CPoint2d& c = m_flat[added.from[2]];
                own.emplace_back(a.x + added.weights[1] * (b.x - a.x) + added.weights[2] * (c.x - a.x),
                                 a.y + added.weights[1] * (b.y - a.y) + added.weights[2] * (c.y - a.y));
            }
            maxMove = std::max({maxMove, std::abs(origin.x + onGrid.back().x / m_scale - own.back().x),
                                std::abs(origin.y + onGrid.back().y / m_scale - own.back().y)});
        }
        ends.push_back(static_cast<std::uint32_t>(own.size()));
        start = end;
    }
    if (ends.empty()) {
        return EResult::kDone;
    }
    // The corners left out, each as a loop of three at its place, are found inside the
    // sides they lie in like corners of loops that touch, and put in those sides; the
    // loops of three themselves are not cut.
    const std::size_t loopsReturned = ends.size();
    for (const Index i : straight) {
        for (int copy = 0; copy < 3; ++copy) {
            corner.push_back(i);
            outGrid.push_back(grid[i]);
            onGrid.emplace_back(static_cast<double>(grid[i].x), static_cast<double>(grid[i].y));
            own.push_back(m_flat[i]);
        }
        ends.push_back(static_cast<std::uint32_t>(own.size()));
    }
    // The loops the library hands back may still touch, at corners or a corner inside a
    // side: found as before, and cut on the grid, where they lie apart; the triangles are
    // checked where the corners are drawn. The count's own steps are charged as they are
    // taken; the library is not called again, so its work is not limited here.
    CFaceCutCost::Touches touches;
    CFaceCutCost::SCount count;
    if (!CountCharged(outGrid, ends, count, touches, UINT64_MAX)) {
        return EResult::kAbandoned;
    }
    DropCopies(outGrid, ends[loopsReturned - 1], touches);
    ends.resize(loopsReturned);
    m_slack = 2.0 * maxMove + 2.0 / m_scale;
    switch (count.withinLimits ? CutSplit(onGrid, own, corner, outGrid, ends, touches) : EStep::kUnsuited) {
    case EStep::kDone:
        return EResult::kDone;
    case EStep::kAbandoned:
        return EResult::kAbandoned;
    case EStep::kUnsuited:
        break;
    }
    SayUncut(m_flat.size());
    return EResult::kUnfilled;
}
