#include "render/polygontriangulator.h"

#include <algorithm>
#include <functional>
#include <cmath>
#include <limits>
#include <set>

#include "model/facecutcost.h"
#include "platform/quitrequest.h"

namespace {

using Index = std::uint32_t;

constexpr Index kNone = std::numeric_limits<Index>::max();
// The quit request is looked at once per this many corners or sides.
constexpr Index kPollEvery = 4096;

// Twice the signed area of the triangle abc: positive when c lies left of a->b.
double Orient(const CPoint2d& a, const CPoint2d& b, const CPoint2d& c)
{
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

int Sign(double value)
{
    return (value > 0.0) - (value < 0.0);
}

// The sweep runs from the highest corner down; of two at one height, the left first.
bool IsAbove(const CPoint2d& a, const CPoint2d& b)
{
    return a.y > b.y || (a.y == b.y && a.x < b.x);
}

bool IsOnSegment(const CPoint2d& a, const CPoint2d& b, const CPoint2d& c)
{
    return std::min(a.x, b.x) <= c.x && c.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= c.y &&
           c.y <= std::max(a.y, b.y);
}

bool SegmentsMeet(const CPoint2d& a0, const CPoint2d& a1, const CPoint2d& b0, const CPoint2d& b1)
{
    const int d1 = Sign(Orient(b0, b1, a0));
    const int d2 = Sign(Orient(b0, b1, a1));
    const int d3 = Sign(Orient(a0, a1, b0));
    const int d4 = Sign(Orient(a0, a1, b1));
    if (d1 * d2 < 0 && d3 * d4 < 0) {
        return true;
    }
    return (d1 == 0 && IsOnSegment(b0, b1, a0)) || (d2 == 0 && IsOnSegment(b0, b1, a1)) ||
           (d3 == 0 && IsOnSegment(a0, a1, b0)) || (d4 == 0 && IsOnSegment(a0, a1, b1));
}

}  // namespace

// The sweep that finds the diagonals. Side e runs from corner e to the next corner of its
// loop. Every side crossing the sweep line is in the status, ordered left to right; each
// pair of neighbours there is checked for meeting and for agreeing about which of them
// bounds the inside, so that a polygon that is not simple is found before its order can
// mislead the sweep.
class CPolygonTriangulator::CSweep
{
public:
    CSweep(const std::vector<CPoint2d>& points, const std::vector<Index>& next, const std::vector<Index>& previous,
           std::vector<SDiagonal>& diagonals)
        : m_points(points), m_next(next), m_previous(previous), m_diagonals(diagonals), m_status(SLess{this}),
          m_where(points.size()), m_helper(points.size(), kNone), m_merge(points.size(), 0)
    {
    }

    EResult Run(const std::vector<Index>& order)
    {
        Index count = 0;
        for (const Index v : order) {
            if (++count % kPollEvery == 0 && CQuitRequest::IsRequested()) {
                return EResult::kAbandoned;
            }
            if (!Visit(v) || m_degenerate) {
                return EResult::kUnsuited;
            }
        }
        return m_status.empty() ? EResult::kDone : EResult::kUnsuited;
    }

private:
    struct SLess
    {
        const CSweep* sweep;
        bool operator()(Index a, Index b) const { return sweep->IsLeftOf(sweep->m_slotSide[a], sweep->m_slotSide[b]); }
    };
    using Status = std::set<Index, SLess>;
    using Place = Status::iterator;

    [[nodiscard]] bool Above(Index a, Index b) const { return IsAbove(m_points[a], m_points[b]); }
    [[nodiscard]] Index Upper(Index side) const { return Above(side, m_next[side]) ? side : m_next[side]; }
    [[nodiscard]] Index Lower(Index side) const { return Above(side, m_next[side]) ? m_next[side] : side; }
    // A side running down has the inside on its right.
    [[nodiscard]] bool InsideRight(Index side) const { return Upper(side) == side; }
    [[nodiscard]] double Orient3(Index a, Index b, Index c) const
    {
        return Orient(m_points[a], m_points[b], m_points[c]);
    }

    // Only sides that both cross the sweep line are compared, one of them starting at the
    // corner being visited.
    bool IsLeftOf(Index a, Index b) const
    {
        const Index ua = Upper(a);
        const Index ub = Upper(b);
        double s = 0.0;
        if (ua == ub) {
            s = Orient3(ua, Lower(a), Lower(b));
        } else if (Above(ua, ub)) {
            s = Orient3(ua, Lower(a), ub);
        } else {
            s = -Orient3(ub, Lower(b), ua);
        }
        if (s == 0.0) {
            m_degenerate = true;
            return a < b;
        }
        return s > 0.0;
    }

    [[nodiscard]] Index SideAt(Place place) const { return m_slotSide[*place]; }

    [[nodiscard]] bool Meet(Index a, Index b) const
    {
        const CPoint2d& a0 = m_points[a];
        const CPoint2d& a1 = m_points[m_next[a]];
        const CPoint2d& b0 = m_points[b];
        const CPoint2d& b1 = m_points[m_next[b]];
        if (m_next[a] == b || m_next[b] == a) {
            // Neighbours in a loop meet at their shared corner; they must not run on
            // along each other.
            const CPoint2d& shared = m_next[a] == b ? b0 : a0;
            const CPoint2d& x = m_next[a] == b ? a0 : a1;
            const CPoint2d& y = m_next[a] == b ? b1 : b0;
            return Orient(shared, x, y) == 0.0 && (x.x - shared.x) * (y.x - shared.x) + (x.y - shared.y) * (y.y - shared.y) > 0.0;
        }
        return SegmentsMeet(a0, a1, b0, b1);
    }

    // The neighbours about a place in the status agree: the region between them is inside
    // for both or for neither, the outermost regions are outside, and they do not meet.
    [[nodiscard]] bool Agree(Place left, Place right) const
    {
        const bool hasLeft = left != m_status.end();
        const bool hasRight = right != m_status.end();
        if (!hasLeft) {
            return !hasRight || InsideRight(SideAt(right));
        }
        if (!hasRight) {
            return !InsideRight(SideAt(left));
        }
        return InsideRight(SideAt(left)) != InsideRight(SideAt(right)) && !Meet(SideAt(left), SideAt(right));
    }

    [[nodiscard]] Place Before(Place place) const
    {
        return place == m_status.begin() ? m_status.end() : std::prev(place);
    }

    [[nodiscard]] bool AgreesAround(Place place) const
    {
        return Agree(Before(place), place) && Agree(place, std::next(place));
    }

    Place Insert(Index side)
    {
        m_slotSide[side] = side;
        m_where[side] = m_status.insert(side).first;
        return m_where[side];
    }

    // The side that ends at the corner hands its place to the side that starts there.
    Place Replace(Index ending, Index starting)
    {
        const Place place = m_where[ending];
        m_slotSide[*place] = starting;
        m_where[starting] = place;
        return place;
    }

    void AddDiagonal(Index v, Index helper)
    {
        if (helper != kNone) {
            m_diagonals.push_back({v, helper});
        }
    }

    void MeetMergeHelper(Index v, Index side)
    {
        if (m_helper[side] != kNone && m_merge[m_helper[side]] != 0) {
            AddDiagonal(v, m_helper[side]);
        }
    }

    bool Visit(Index v)
    {
        const Index in = m_previous[v];
        const Index out = v;
        const bool previousAbove = Above(in, v);
        const bool nextAbove = Above(m_next[v], v);
        const double turn = Orient3(in, v, m_next[v]);
        if (!previousAbove && !nextAbove) {
            return turn != 0.0 && VisitStart(v, in, out, turn > 0.0);
        }
        if (previousAbove && nextAbove) {
            return turn != 0.0 && VisitEnd(v, in, out, turn > 0.0);
        }
        if (previousAbove) {
            MeetMergeHelper(v, in);
            const Place place = Replace(in, out);
            m_helper[out] = v;
            return AgreesAround(place);
        }
        const Place place = Replace(out, in);
        if (!AgreesAround(place)) {
            return false;
        }
        return LeaveHelper(v, Before(place));
    }

    // The side left of the corner, which bounds the inside there, gets it as helper.
    bool LeaveHelper(Index v, Place left)
    {
        if (left == m_status.end() || !InsideRight(SideAt(left))) {
            return false;
        }
        const Index side = SideAt(left);
        MeetMergeHelper(v, side);
        m_helper[side] = v;
        return true;
    }

    // Both sides start here: a start corner (convex) or a split corner (reflex).
    bool VisitStart(Index v, Index in, Index out, bool convex)
    {
        const Place outPlace = Insert(out);
        const Place inPlace = Insert(in);
        const Place left = convex ? outPlace : inPlace;
        const Place right = convex ? inPlace : outPlace;
        if (std::next(left) != right || !Agree(Before(left), left) || !Agree(left, right) ||
            !Agree(right, std::next(right))) {
            return false;
        }
        m_helper[out] = v;
        if (convex) {
            return true;
        }
        const Place leftOf = Before(left);
        if (leftOf == m_status.end()) {
            return false;
        }
        const Index side = SideAt(leftOf);
        AddDiagonal(v, m_helper[side]);
        m_helper[side] = v;
        return true;
    }

    // Both sides end here: an end corner (convex) or a merge corner (reflex).
    bool VisitEnd(Index v, Index in, Index out, bool convex)
    {
        const Place inPlace = m_where[in];
        const Place outPlace = m_where[out];
        const Place left = convex ? inPlace : outPlace;
        const Place right = convex ? outPlace : inPlace;
        if (std::next(left) != right) {
            return false;
        }
        MeetMergeHelper(v, in);
        const Place before = Before(left);
        if (!convex) {
            m_merge[v] = 1;
            if (!LeaveHelper(v, before)) {
                return false;
            }
        }
        const Place after = std::next(right);
        m_status.erase(left);
        m_status.erase(right);
        return Agree(before, after);
    }

    const std::vector<CPoint2d>& m_points;
    const std::vector<Index>& m_next;
    const std::vector<Index>& m_previous;
    std::vector<SDiagonal>& m_diagonals;
    // The status holds places; each place holds one side at a time.
    std::vector<Index> m_slotSide = std::vector<Index>(m_points.size(), kNone);
    Status m_status;
    std::vector<Place> m_where;
    std::vector<Index> m_helper;
    std::vector<char> m_merge;
    mutable bool m_degenerate = false;
};

CPolygonTriangulator::EResult CPolygonTriangulator::Triangulate(const std::vector<CPoint2d>& points,
                                                                const std::vector<std::uint32_t>& loopEnds,
                                                                std::vector<std::uint32_t>& triangles)
{
    triangles.clear();
    m_points = &points;
    m_diagonals.clear();
    if (points.size() >= kNone / 4 || !SetUpLoops(loopEnds)) {
        return EResult::kUnsuited;
    }
    for (const CPoint2d& p : points) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) {
            return EResult::kUnsuited;
        }
    }
    std::vector<Index> order(points.size());
    for (Index i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::sort(order.begin(), order.end(), [&points](Index a, Index b) { return IsAbove(points[a], points[b]); });
    for (std::size_t i = 1; i < order.size(); ++i) {
        if (points[order[i]].x == points[order[i - 1]].x && points[order[i]].y == points[order[i - 1]].y) {
            return EResult::kUnsuited;
        }
    }
    const EResult swept = CSweep(points, m_next, m_previous, m_diagonals).Run(order);
    if (swept != EResult::kDone) {
        return swept;
    }
    const EResult result = TriangulatePieces(triangles);
    if (result == EResult::kDone && !HasPolygonArea(triangles)) {
        triangles.clear();
        return EResult::kUnsuited;
    }
    return result;
}

bool CPolygonTriangulator::SetUpLoops(const std::vector<std::uint32_t>& loopEnds)
{
    const std::size_t count = m_points->size();
    m_next.assign(count, 0);
    m_previous.assign(count, 0);
    std::size_t start = 0;
    for (const std::uint32_t end : loopEnds) {
        if (end > count || end < start + 3) {
            return false;
        }
        for (std::size_t i = start; i < end; ++i) {
            m_next[i] = static_cast<Index>(i + 1 < end ? i + 1 : start);
            m_previous[i] = static_cast<Index>(i > start ? i - 1 : end - 1);
        }
        start = end;
    }
    return start == count;
}

bool CPolygonTriangulator::SortOutgoing()
{
    const std::vector<CPoint2d>& points = *m_points;
    const std::size_t count = points.size();
    m_firstOut.assign(count + 1, 0);
    for (Index v = 0; v < count; ++v) {
        m_firstOut[v + 1] = 1;
    }
    for (const SDiagonal& d : m_diagonals) {
        ++m_firstOut[d.a + 1];
        ++m_firstOut[d.b + 1];
    }
    for (std::size_t v = 0; v < count; ++v) {
        m_firstOut[v + 1] += m_firstOut[v];
    }
    m_outTarget.assign(m_firstOut[count], kNone);
    m_outDiagonal.assign(m_firstOut[count], kNone);
    std::vector<Index> filled(m_firstOut.begin(), m_firstOut.end() - 1);
    for (Index v = 0; v < count; ++v) {
        m_outTarget[filled[v]++] = m_next[v];
    }
    for (Index d = 0; d < m_diagonals.size(); ++d) {
        m_outTarget[filled[m_diagonals[d].a]] = m_diagonals[d].b;
        m_outDiagonal[filled[m_diagonals[d].a]++] = d;
        m_outTarget[filled[m_diagonals[d].b]] = m_diagonals[d].a;
        m_outDiagonal[filled[m_diagonals[d].b]++] = d;
    }
    m_diagonalAtA.assign(m_diagonals.size(), kNone);
    m_diagonalAtB.assign(m_diagonals.size(), kNone);
    bool distinct = true;
    std::vector<std::pair<Index, Index>> sides;
    for (Index v = 0; v < count; ++v) {
        const Index first = m_firstOut[v];
        const Index end = m_firstOut[v + 1];
        if (end - first > 2) {
            // Counter-clockwise from the loop's own side, which comes first.
            const CPoint2d& at = points[v];
            const CVector2d reference = points[m_next[v]] - at;
            const auto half = [&](const CVector2d& d) {
                const double cross = reference.x * d.y - reference.y * d.x;
                return cross > 0.0 || (cross == 0.0 && reference.x * d.x + reference.y * d.y > 0.0) ? 0 : 1;
            };
            sides.clear();
            for (Index k = first + 1; k < end; ++k) {
                sides.emplace_back(m_outTarget[k], m_outDiagonal[k]);
            }
            std::sort(sides.begin(), sides.end(), [&](const auto& p, const auto& q) {
                const CVector2d dp = points[p.first] - at;
                const CVector2d dq = points[q.first] - at;
                const int hp = half(dp);
                const int hq = half(dq);
                if (hp != hq) {
                    return hp < hq;
                }
                const double cross = dp.x * dq.y - dp.y * dq.x;
                if (cross == 0.0 && p.second != q.second) {
                    distinct = false;
                }
                return cross > 0.0;
            });
            for (Index k = first + 1; k < end; ++k) {
                m_outTarget[k] = sides[k - first - 1].first;
                m_outDiagonal[k] = sides[k - first - 1].second;
            }
        }
        for (Index k = first + 1; k < end; ++k) {
            const SDiagonal& d = m_diagonals[m_outDiagonal[k]];
            (d.a == v ? m_diagonalAtA : m_diagonalAtB)[m_outDiagonal[k]] = k;
        }
    }
    return distinct;
}

CPolygonTriangulator::EResult CPolygonTriangulator::TriangulatePieces(std::vector<std::uint32_t>& triangles)
{
    if (!SortOutgoing()) {
        return EResult::kUnsuited;
    }
    const std::size_t sides = m_outTarget.size();
    triangles.reserve(3 * (m_points->size() + 2 * m_diagonals.size()));
    std::vector<char> walked(sides, 0);
    std::vector<Index> piece;
    Index work = 0;
    for (Index v = 0; v + 1 < m_firstOut.size(); ++v) {
        for (Index start = m_firstOut[v]; start < m_firstOut[v + 1]; ++start) {
            if (walked[start] != 0) {
                continue;
            }
            // Around the piece left of this side: at each corner, the next side clockwise
            // from the one that came in.
            piece.clear();
            Index corner = v;
            Index side = start;
            do {
                if (walked[side] != 0 || piece.size() >= sides) {
                    return EResult::kUnsuited;
                }
                walked[side] = 1;
                piece.push_back(corner);
                const Index to = m_outTarget[side];
                const Index diagonal = m_outDiagonal[side];
                const Index in = diagonal == kNone ? m_firstOut[to + 1]
                                                   : (m_diagonals[diagonal].a == to ? m_diagonalAtA : m_diagonalAtB)[diagonal];
                if (in == kNone || in <= m_firstOut[to]) {
                    return EResult::kUnsuited;
                }
                corner = to;
                side = in - 1;
            } while (side != start);
            work += static_cast<Index>(piece.size());
            if (work >= kPollEvery) {
                work = 0;
                if (CQuitRequest::IsRequested()) {
                    return EResult::kAbandoned;
                }
            }
            TriangulateMonotone(piece, triangles);
        }
    }
    return EResult::kDone;
}

void CPolygonTriangulator::TriangulateMonotone(const std::vector<std::uint32_t>& piece,
                                               std::vector<std::uint32_t>& triangles)
{
    const std::vector<CPoint2d>& p = *m_points;
    const std::size_t count = piece.size();
    if (count < 3) {
        return;
    }
    std::size_t top = 0;
    std::size_t bottom = 0;
    for (std::size_t i = 1; i < count; ++i) {
        top = IsAbove(p[piece[i]], p[piece[top]]) ? i : top;
        bottom = IsAbove(p[piece[bottom]], p[piece[i]]) ? i : bottom;
    }
    // The left side runs forward from the top, the right side backward; merged from the
    // top down, each corner marked with its side (true for the right).
    std::vector<std::pair<Index, bool>> sorted;
    sorted.reserve(count);
    sorted.emplace_back(piece[top], false);
    std::size_t left = (top + 1) % count;
    std::size_t right = (top + count - 1) % count;
    while (sorted.size() < count) {
        const bool takeLeft = left != bottom && (right == bottom || IsAbove(p[piece[left]], p[piece[right]]));
        if (takeLeft) {
            sorted.emplace_back(piece[left], false);
            left = (left + 1) % count;
        } else if (right != bottom) {
            sorted.emplace_back(piece[right], true);
            right = (right + count - 1) % count;
        } else {
            sorted.emplace_back(piece[bottom], true);
        }
    }
    std::vector<std::pair<Index, bool>> stack{sorted[0], sorted[1]};
    for (std::size_t j = 2; j + 1 < count; ++j) {
        const auto [corner, onRight] = sorted[j];
        if (onRight != stack.back().second) {
            while (stack.size() > 1) {
                const Index a = stack.back().first;
                stack.pop_back();
                Emit(corner, a, stack.back().first, triangles);
            }
            stack.clear();
            stack.push_back(sorted[j - 1]);
            stack.push_back(sorted[j]);
            continue;
        }
        auto last = stack.back();
        stack.pop_back();
        while (!stack.empty()) {
            const double turn = Orient(p[stack.back().first], p[last.first], p[corner]);
            if (onRight ? turn >= 0.0 : turn <= 0.0) {
                break;
            }
            Emit(corner, last.first, stack.back().first, triangles);
            last = stack.back();
            stack.pop_back();
        }
        stack.push_back(last);
        stack.push_back(sorted[j]);
    }
    const Index end = sorted[count - 1].first;
    while (stack.size() > 1) {
        const Index a = stack.back().first;
        stack.pop_back();
        Emit(end, a, stack.back().first, triangles);
    }
}

void CPolygonTriangulator::Emit(std::uint32_t a, std::uint32_t b, std::uint32_t c,
                                std::vector<std::uint32_t>& triangles) const
{
    const std::vector<CPoint2d>& p = *m_points;
    if (Orient(p[a], p[b], p[c]) < 0.0) {
        std::swap(b, c);
    }
    triangles.insert(triangles.end(), {a, b, c});
}

bool CPolygonTriangulator::HasPolygonArea(const std::vector<std::uint32_t>& triangles) const
{
    // A triangulation has n + 2h - 2k triangles for n corners, h holes and k outer loops,
    // and covers the polygon's area exactly once.
    const std::vector<CPoint2d>& p = *m_points;
    // Measured from the first corner, so that a polygon far from the origin keeps its
    // precision.
    const CPoint2d origin = p.empty() ? CPoint2d() : p[0];
    double area = 0.0;
    double magnitude = 0.0;
    long long expected = static_cast<long long>(p.size());
    std::size_t i = 0;
    while (i < p.size()) {
        const std::size_t start = i;
        double loop = 0.0;
        do {
            const CVector2d a = p[i] - origin;
            const CVector2d b = p[m_next[i]] - origin;
            loop += a.x * b.y - a.y * b.x;
            ++i;
        } while (i < p.size() && m_next[i - 1] != start);
        area += loop;
        magnitude += std::abs(loop);
        expected += loop > 0.0 ? -2 : 2;
    }
    if (static_cast<long long>(triangles.size() / 3) != expected) {
        return false;
    }
    double covered = 0.0;
    for (std::size_t t = 0; t + 2 < triangles.size(); t += 3) {
        covered += Orient(p[triangles[t]], p[triangles[t + 1]], p[triangles[t + 2]]);
    }
    return std::abs(covered - area) <= 1e-8 * magnitude;
}

bool CPolygonTriangulator::SeparateTouchingCorners(std::vector<CPoint2d>& points,
                                                   const std::vector<std::uint32_t>& loopEnds, bool inside)
{
    std::vector<Index> previous(points.size(), kNone);
    std::vector<Index> next(points.size(), kNone);
    std::size_t start = 0;
    for (const std::uint32_t end : loopEnds) {
        if (end > points.size() || end < start + 3) {
            return false;
        }
        for (std::size_t i = start; i < end; ++i) {
            previous[i] = static_cast<Index>(i > start ? i - 1 : end - 1);
            next[i] = static_cast<Index>(i + 1 < end ? i + 1 : start);
        }
        start = end;
    }
    // Numbers that are not finite cannot be ordered, nor moved.
    if (!std::all_of(points.begin(), points.end(),
                     [](const CPoint2d& p) { return std::isfinite(p.x) && std::isfinite(p.y); })) {
        return false;
    }
    std::vector<Index> order(points.size());
    for (Index i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::sort(order.begin(), order.end(), [&points](Index a, Index b) { return IsAbove(points[a], points[b]); });
    const double step = SeparationStep(points);
    const std::vector<CPoint2d> unmoved = points;
    bool moved = false;
    std::vector<std::pair<double, Index>> group;
    for (std::size_t i = 0; i < order.size();) {
        std::size_t end = i + 1;
        while (end < order.size() && unmoved[order[end]].x == unmoved[order[i]].x &&
               unmoved[order[end]].y == unmoved[order[i]].y) {
            ++end;
        }
        if (end - i > 1) {
            // The wider angles go less far, so that a corner whose angle holds another's
            // stays nearer.
            group.clear();
            for (std::size_t k = i; k < end; ++k) {
                const Index v = order[k];
                const CVector2d back = unmoved[previous[v]] - unmoved[v];
                const CVector2d ahead = unmoved[next[v]] - unmoved[v];
                group.emplace_back(std::atan2(std::abs(back.x * ahead.y - back.y * ahead.x),
                                              back.x * ahead.x + back.y * ahead.y),
                                   v);
            }
            std::sort(group.begin(), group.end(), std::greater<>());
            for (std::size_t k = 0; k < group.size(); ++k) {
                moved = MoveIntoAngle(unmoved, previous[group[k].second], group[k].second, next[group[k].second],
                                      step * static_cast<double>(k + 1), inside, points[group[k].second]) ||
                        moved;
            }
        }
        i = end;
    }
    return moved;
}

double CPolygonTriangulator::SeparationStep(const std::vector<CPoint2d>& points)
{
    if (points.empty()) {
        return 0.0;
    }
    // Far below any feature the face means, measured by its own size from its first
    // corner, so that where the face lies does not change it; and far above the
    // precision of the numbers there, so that a corner moved is moved indeed.
    const CPoint2d& first = points.front();
    double extent = 0.0;
    double magnitude = 0.0;
    for (const CPoint2d& p : points) {
        extent = std::max({extent, std::abs(p.x - first.x), std::abs(p.y - first.y)});
        magnitude = std::max({magnitude, std::abs(p.x), std::abs(p.y)});
    }
    const double ulp = std::nextafter(magnitude, std::numeric_limits<double>::infinity()) - magnitude;
    return std::max(std::ldexp(extent, -30), kSeparationUlps * ulp);
}

bool CPolygonTriangulator::MoveIntoAngle(const std::vector<CPoint2d>& points, std::uint32_t before,
                                         std::uint32_t corner, std::uint32_t after, double distance, bool inside,
                                         CPoint2d& to)
{
    const CPoint2d& at = points[corner];
    const CVector2d back = points[before] - at;
    const CVector2d ahead = points[after] - at;
    const double backLength = std::hypot(back.x, back.y);
    const double aheadLength = std::hypot(ahead.x, ahead.y);
    if (!(backLength > 0.0) || !(aheadLength > 0.0)) {
        return false;
    }
    CVector2d into(back.x / backLength + ahead.x / aheadLength, back.y / backLength + ahead.y / aheadLength);
    double length = std::hypot(into.x, into.y);
    if (length < 1e-12) {
        // Straight on: to the left, the inside of a loop that turns counter-clockwise;
        // else to the right, so that loops running along each other, which see the run
        // from opposite sides, part rather than pass through each other.
        const double side = inside ? 1.0 : -1.0;
        into = CVector2d(-side * ahead.y / aheadLength, side * ahead.x / aheadLength);
        length = 1.0;
    } else if (inside && Orient(points[before], at, points[after]) < 0.0) {
        // A right turn: the inside is the wider angle.
        into = CVector2d(-into.x, -into.y);
    }
    to = CPoint2d(at.x + distance * into.x / length, at.y + distance * into.y / length);
    return true;
}

CPoint2d CPolygonTriangulator::Flatten(const CPoint3d& p, const CVector3d& normal)
{
    return CFaceCutCost::Flatten(p, normal);
}
