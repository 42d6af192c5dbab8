#include "model/facecutcost.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdio>

#include "platform/quitrequest.h"

namespace {

using Index = std::uint32_t;
using Wide = __int128;
using SGridPoint = CFaceCutCost::SGridPoint;

// The quit request is looked at once per this many steps of the count.
constexpr std::uint64_t kPollEvery = std::uint64_t{1} << 16;

// An edge that is not level, from its lower end up, with the bands it stands across:
// from band lo (above the height ys[lo]) to below band hi.
struct SEdge
{
    SGridPoint bottom;
    SGridPoint top;
    Index lo = 0;
    Index hi = 0;
    // The corner the side starts from, in its loop's order.
    Index side = 0;
};

// A level side, from left to right.
struct SLevel
{
    std::int64_t left = 0;
    std::int64_t right = 0;
    Index side = 0;
};

// Where the edge stands at the height against the place x: negative when left of it.
int CompareWithPlace(const SEdge& e, std::int64_t y, std::int64_t x)
{
    const std::int64_t dy = e.top.y - e.bottom.y;
    const Wide at = Wide{e.bottom.x} * dy + Wide{y - e.bottom.y} * (e.top.x - e.bottom.x);
    const Wide place = Wide{x} * dy;
    return (at > place) - (at < place);
}

// Which of the two edges lies further left at the height: negative, 0 (the same place)
// or positive. Exact: the grid's numbers keep every product within 2^95.
int CompareAt(const SEdge& e, const SEdge& f, std::int64_t y)
{
    const std::int64_t dye = e.top.y - e.bottom.y;
    const std::int64_t dyf = f.top.y - f.bottom.y;
    const Wide xe = Wide{e.bottom.x} * dye + Wide{y - e.bottom.y} * (e.top.x - e.bottom.x);
    const Wide xf = Wide{f.bottom.x} * dyf + Wide{y - f.bottom.y} * (f.top.x - f.bottom.x);
    const Wide left = xe * dyf;
    const Wide right = xf * dye;
    return (left > right) - (left < right);
}

std::uint64_t AddCapped(std::uint64_t a, std::uint64_t b)
{
    return a + b < a ? UINT64_MAX : a + b;
}

// The band count: the edges, the heights and how many edges stand across each band.
class CBands
{
public:
    CBands(const std::vector<SGridPoint>& grid, const std::vector<std::uint32_t>& loopEnds)
    {
        for (const SGridPoint& p : grid) {
            m_ys.push_back(p.y);
        }
        std::sort(m_ys.begin(), m_ys.end());
        m_ys.erase(std::unique(m_ys.begin(), m_ys.end()), m_ys.end());
        m_across.assign(m_ys.size() + 1, 0);
        std::uint32_t start = 0;
        for (const std::uint32_t end : loopEnds) {
            for (std::uint32_t i = start; i < end; ++i) {
                const SGridPoint& a = grid[i];
                const SGridPoint& b = grid[i + 1 < end ? i + 1 : start];
                const SGridPoint& before = grid[i > start ? i - 1 : end - 1];
                // The library walks its list where a loop turns upwards and along every
                // level edge.
                if ((before.y >= a.y && b.y >= a.y) || a.y == b.y) {
                    m_walks.push_back(Band(a.y));
                }
                m_corners.emplace_back(Band(a.y), i);
                if (a.y == b.y) {
                    if (a.x != b.x) {
                        m_levels.emplace_back(Band(a.y), SLevel{std::min(a.x, b.x), std::max(a.x, b.x), i});
                    }
                    continue;
                }
                SEdge edge{a.y < b.y ? a : b, a.y < b.y ? b : a};
                edge.side = i;
                edge.lo = Band(edge.bottom.y);
                edge.hi = Band(edge.top.y);
                ++m_across[edge.lo];
                --m_across[edge.hi];
                m_edges.push_back(edge);
            }
            start = end;
        }
        for (std::size_t j = 1; j < m_across.size(); ++j) {
            m_across[j] += m_across[j - 1];
        }
        // By height, then left to right.
        std::sort(m_corners.begin(), m_corners.end(), [&grid](const auto& p, const auto& q) {
            return p.first != q.first ? p.first < q.first : grid[p.second].x < grid[q.second].x;
        });
        std::sort(m_levels.begin(), m_levels.end(), [](const auto& p, const auto& q) {
            return p.first != q.first ? p.first < q.first : p.second.left < q.second.left;
        });
    }

    [[nodiscard]] Index Band(std::int64_t y) const
    {
        return static_cast<Index>(std::lower_bound(m_ys.begin(), m_ys.end(), y) - m_ys.begin());
    }
    // The steps of the library's walks along the bands and at the corners that start one.
    [[nodiscard]] std::uint64_t GetWalks() const
    {
        std::uint64_t steps = 0;
        for (const SEdge& edge : m_edges) {
            steps += edge.hi - edge.lo;
        }
        for (const Index band : m_walks) {
            steps += static_cast<std::uint64_t>(m_across[band]);
        }
        return steps;
    }

    std::vector<std::int64_t> m_ys;
    std::vector<SEdge> m_edges;
    // Edges standing across each band.
    std::vector<std::int64_t> m_across;
    std::vector<Index> m_walks;
    // Every corner and every level side with the height they lie at, by height.
    std::vector<std::pair<Index, Index>> m_corners;
    std::vector<std::pair<Index, SLevel>> m_levels;
};

// Counts, band by band, how often two edges change places from the band's foot to its
// head: the list of the edges standing across is kept in order along the sweep, and an
// insertion sort by the places at the band's head swaps each pair that crosses once.
class CCrossingCounter
{
public:
    CCrossingCounter(const CBands& bands, const std::vector<SGridPoint>& grid, const std::vector<bool>& straight,
                     CFaceCutCost::SCount& count, std::uint64_t maxCrossings, std::uint64_t maxWork,
                     CFaceCutCost::Touches& touches)
        : m_bands(bands), m_grid(grid), m_straight(straight), m_count(count), m_maxCrossings(maxCrossings),
          m_maxWork(maxWork), m_touches(touches)
    {
    }

    // False when a limit is passed or the program is asked to quit.
    bool Run()
    {
        const std::size_t heights = m_bands.m_ys.size();
        std::vector<std::vector<Index>> starting(heights);
        for (Index e = 0; e < m_bands.m_edges.size(); ++e) {
            starting[m_bands.m_edges[e].lo].push_back(e);
        }
        for (std::size_t j = 0; j < heights; ++j) {
            const std::int64_t foot = m_bands.m_ys[j];
            std::erase_if(m_active, [&](Index e) { return m_bands.m_edges[e].hi == j; });
            if (!AtHeight(static_cast<Index>(j))) {
                return false;
            }
            if (j + 1 == heights) {
                break;
            }
            const std::int64_t head = m_bands.m_ys[j + 1];
            // Edges that met at the foot take the order they leave it in.
            if (!SortBy(foot, head) || !Insert(starting[j], foot, head) || !SortBy(head, head)) {
                return false;
            }
        }
        return true;
    }

private:
    [[nodiscard]] bool Before(Index a, Index b, std::int64_t at, std::int64_t then) const
    {
        const SEdge& e = m_bands.m_edges[a];
        const SEdge& f = m_bands.m_edges[b];
        const int here = CompareAt(e, f, at);
        return here != 0 ? here < 0 : at != then && CompareAt(e, f, then) < 0;
    }

    // At a corner height, the edges standing across it are in order along it: level sides
    // crossing them are counted, corners lying inside a side (of an edge standing across,
    // or of a level side) are listed, and the corners the library is handed that lie
    // inside a side or where another corner lies are counted as its joins.
    bool AtHeight(Index j)
    {
        const std::int64_t y = m_bands.m_ys[j];
        const auto levels = std::equal_range(m_bands.m_levels.begin(), m_bands.m_levels.end(),
                                             std::make_pair(j, SLevel{}),
                                             [](const auto& p, const auto& q) { return p.first < q.first; });
        for (auto level = levels.first; level != levels.second; ++level) {
            const auto first = UpperPlace(y, level->second.left);
            const std::uint64_t crossed =
                static_cast<std::uint64_t>(std::distance(first, LowerPlace(y, level->second.right)));
            const auto left = static_cast<std::uint64_t>(std::distance(m_active.cbegin(), first));
            m_count.crossings += crossed;
            m_count.work = AddCapped(m_count.work, crossed * (CFaceCutCost::kStepsPerCrossing +
                                                              (left + crossed) / CFaceCutCost::kEdgesPerStep) +
                                                       m_active.size());
            if (m_count.crossings > m_maxCrossings || m_count.work > m_maxWork ||
                !Step(std::bit_width(m_active.size()) + crossed)) {
                return false;
            }
        }
        const auto corners = std::equal_range(m_bands.m_corners.begin(), m_bands.m_corners.end(),
                                              std::make_pair(j, Index{0}),
                                              [](const auto& p, const auto& q) { return p.first < q.first; });
        // The level sides at this height still open at the corner, by their left ends.
        auto nextLevel = levels.first;
        m_open.clear();
        for (auto corner = corners.first; corner != corners.second; ++corner) {
            const std::int64_t x = m_grid[corner->second].x;
            const bool shared = (corner != corners.first && m_grid[(corner - 1)->second].x == x) ||
                                (corner + 1 != corners.second && m_grid[(corner + 1)->second].x == x);
            m_count.joins += shared && !m_straight[corner->second] ? 1 : 0;
            for (auto e = LowerPlace(y, x); e != UpperPlace(y, x); ++e) {
                if (!Touch(corner->second, m_bands.m_edges[*e].side)) {
                    return false;
                }
            }
            for (; nextLevel != levels.second && nextLevel->second.left < x; ++nextLevel) {
                m_open.push_back(nextLevel->second);
            }
            std::erase_if(m_open, [x](const SLevel& level) { return level.right <= x; });
            for (const SLevel& level : m_open) {
                if (!Touch(corner->second, level.side)) {
                    return false;
                }
            }
            if (!Step(std::bit_width(m_active.size()) + m_open.size())) {
                return false;
            }
        }
        return true;
    }

    bool Touch(Index corner, Index side)
    {
        m_touches.emplace_back(corner, side);
        m_count.joins += m_straight[corner] ? 0 : 1;
        return m_touches.size() <= m_maxCrossings;
    }

    // The first edge not left of the place, and the first right of it.
    [[nodiscard]] std::vector<Index>::const_iterator LowerPlace(std::int64_t y, std::int64_t x) const
    {
        return std::partition_point(m_active.begin(), m_active.end(),
                                    [&](Index e) { return CompareWithPlace(m_bands.m_edges[e], y, x) < 0; });
    }
    [[nodiscard]] std::vector<Index>::const_iterator UpperPlace(std::int64_t y, std::int64_t x) const
    {
        return std::partition_point(m_active.begin(), m_active.end(),
                                    [&](Index e) { return CompareWithPlace(m_bands.m_edges[e], y, x) <= 0; });
    }

    // Insertion sort of the list, each swap a crossing: bounded by the crossings allowed.
    bool SortBy(std::int64_t at, std::int64_t then)
    {
        const std::uint64_t across = m_active.size();
        for (std::size_t i = 1; i < m_active.size(); ++i) {
            const Index moving = m_active[i];
            std::size_t k = i;
            while (k > 0 && Before(moving, m_active[k - 1], at, then)) {
                m_active[k] = m_active[k - 1];
                --k;
                ++m_count.crossings;
                m_count.work = AddCapped(m_count.work, CFaceCutCost::kStepsPerCrossing + k / CFaceCutCost::kEdgesPerStep);
                if (m_count.crossings > m_maxCrossings || m_count.work > m_maxWork || !Step(1)) {
                    return false;
                }
            }
            m_active[k] = moving;
        }
        return Step(across);
    }

    bool Insert(std::vector<Index>& added, std::int64_t foot, std::int64_t head)
    {
        if (added.empty()) {
            return true;
        }
        const auto before = [&](Index a, Index b) { return Before(a, b, foot, head); };
        std::sort(added.begin(), added.end(), before);
        m_merged.clear();
        std::merge(m_active.begin(), m_active.end(), added.begin(), added.end(), std::back_inserter(m_merged),
                   before);
        m_active.swap(m_merged);
        return Step(m_active.size() + added.size() * std::bit_width(added.size()));
    }

    bool Step(std::uint64_t steps)
    {
        m_count.counting += steps;
        m_sincePoll += steps;
        if (m_sincePoll >= kPollEvery) {
            m_sincePoll = 0;
            if (CQuitRequest::IsRequested()) {
                m_count.abandoned = true;
                return false;
            }
        }
        return true;
    }

    const CBands& m_bands;
    const std::vector<SGridPoint>& m_grid;
    const std::vector<bool>& m_straight;
    CFaceCutCost::SCount& m_count;
    std::uint64_t m_maxCrossings;
    std::uint64_t m_maxWork;
    CFaceCutCost::Touches& m_touches;
    std::vector<SLevel> m_open;
    std::vector<Index> m_active;
    std::vector<Index> m_merged;
    std::uint64_t m_sincePoll = 0;
};

}  // namespace

bool CFaceCutCost::ToGrid(const std::vector<CPoint2d>& points, std::vector<SGridPoint>& grid, double& scale)
{
    grid.clear();
    if (points.empty()) {
        return false;
    }
    const CPoint2d& first = points.front();
    double extent = 0.0;
    for (const CPoint2d& p : points) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) {
            return false;
        }
        extent = std::max({extent, std::abs(p.x - first.x), std::abs(p.y - first.y)});
    }
    if (!std::isfinite(extent)) {
        return false;
    }
    // A power of two keeps the scaling itself exact; the extent lands below 2^kGridBits.
    scale = extent > 0.0 ? std::ldexp(1.0, kGridBits - 1 - std::ilogb(extent)) : 1.0;
    grid.reserve(points.size());
    for (const CPoint2d& p : points) {
        grid.push_back({std::llround((p.x - first.x) * scale), std::llround((p.y - first.y) * scale)});
    }
    return true;
}

CFaceCutCost::SCount CFaceCutCost::Count(const std::vector<SGridPoint>& grid, const std::vector<std::uint32_t>& loopEnds,
                                         std::uint64_t maxCrossings, std::uint64_t maxWork, Touches* touches)
{
    SCount count;
    if (touches != nullptr) {
        touches->clear();
    }
    if (!ValidLoopEnds(grid.size(), loopEnds)) {
        count.withinLimits = true;
        return count;
    }
    count.corners = grid.size();
    count.loops = loopEnds.size();
    std::vector<bool> straight(grid.size(), false);
    std::size_t start = 0;
    for (const std::uint32_t end : loopEnds) {
        for (std::size_t i = start; i < end; ++i) {
            straight[i] = PassesStraight(grid, start, end, i);
            count.straight += straight[i] ? 1 : 0;
        }
        start = end;
    }
    const auto levels = static_cast<std::uint64_t>(std::bit_width(grid.size()));
    const CBands bands(grid, loopEnds);
    count.counting = count.corners * levels;
    count.work = AddCapped(count.corners * levels, bands.GetWalks());
    if (count.work > maxWork) {
        return count;
    }
    Touches unasked;
    count.withinLimits =
        CCrossingCounter(bands, grid, straight, count, maxCrossings, maxWork, touches != nullptr ? *touches : unasked)
            .Run();
    return count;
}

CFaceCutCost::SCount CFaceCutCost::Count(const std::vector<CPoint2d>& points, const std::vector<std::uint32_t>& loopEnds)
{
    std::vector<SGridPoint> grid;
    double scale = 1.0;
    if (!ToGrid(points, grid, scale)) {
        SCount count;
        count.nonFinite = !points.empty();
        count.withinLimits = points.empty();
        count.corners = points.size();
        return count;
    }
    return Count(grid, loopEnds);
}

bool CFaceCutCost::PassesStraight(const std::vector<SGridPoint>& grid, std::size_t start, std::size_t end,
                                  std::size_t i)
{
    const SGridPoint& before = grid[i > start ? i - 1 : end - 1];
    const SGridPoint& at = grid[i];
    const SGridPoint& after = grid[i + 1 < end ? i + 1 : start];
    const Wide inX = at.x - before.x;
    const Wide inY = at.y - before.y;
    const Wide outX = after.x - at.x;
    const Wide outY = after.y - at.y;
    return inX * outY == inY * outX && inX * outX + inY * outY > 0;
}

std::uint64_t CFaceCutCost::SCount::GetLibraryWork() const
{
    const std::uint64_t handed = corners - straight + 2 * crossings;
    const std::uint64_t joinWork = joins != 0 && handed > UINT64_MAX / joins ? UINT64_MAX : joins * handed;
    return AddCapped(work, joinWork);
}

std::uint64_t CFaceCutCost::SCount::GetAfterResolveUnits() const
{
    // Each corner put back is counted as a loop of three.
    const std::uint64_t counted = GetResolvedCorners() + 3 * straight;
    const auto levels = static_cast<std::uint64_t>(std::bit_width(counted));
    return AddCapped(counted * levels, counting) / kWorkPerUnit;
}

void CFaceCutCost::SayUnfilled(const SCount& count)
{
    static std::atomic<bool> saidNonFinite{false};
    static std::atomic<bool> saidCostly{false};
    if (count.nonFinite) {
        if (!saidNonFinite.exchange(true)) {
            std::fprintf(stderr, "glimra: a face has a corner that is not a finite number; it is left unfilled\n");
        }
    } else if (!saidCostly.exchange(true)) {
        std::fprintf(stderr,
                     "glimra: a face of %llu corners whose loops cross would take too long to fill; it is left "
                     "unfilled\n",
                     static_cast<unsigned long long>(count.corners));
    }
}

CPoint2d CFaceCutCost::Flatten(const CPoint3d& p, const CVector3d& normal)
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

bool CFaceCutCost::ValidLoopEnds(std::size_t count, const std::vector<std::uint32_t>& loopEnds)
{
    std::size_t start = 0;
    for (const std::uint32_t end : loopEnds) {
        if (end > count || end < start + 3) {
            return false;
        }
        start = end;
    }
    return start == count && count > 0;
}
