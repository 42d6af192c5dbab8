#include "annotations/faceslice.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <queue>
#include <set>
#include <utility>

#include "annotations/sectionclipstack.h"
#include "drawapi/tarnisview.h"
#include "foundation/framemeter.h"
#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/vertex.h"

namespace {

constexpr double kTolerance = 0.001;
// Along the cut line, an edge is looked at for the spans whose middle lies this near its
// ends: more than the tolerance, so that rounding in the projections loses no match.
constexpr double kSlack = 2.0 * kTolerance;
// Edges compared with one span at most. Only a face that is not flat lays more than a
// few edges in the plane over one place of the cut line.
constexpr int kMaxCompared = 16;
// Corners walked between two charges of a long loop.
constexpr int kCornersPerCharge = 4096;

struct Crossing
{
    double along;
    CPoint3d point;
};

struct InPlaneEdge
{
    CPoint3d start;
    CPoint3d end;
    CEdge* edge;
    // The edge's extent along the cut line.
    double low;
    double high;
};

double Along(const CPoint3d& point, const CVector3d& along)
{
    return DotProduct(point - CPoint3d(), along);
}

// The distance from p to the segment a b.
double DistanceToSegment(const CPoint3d& p, const CPoint3d& a, const CPoint3d& b)
{
    const CVector3d ab = b - a;
    const double lengthSquared = DotProduct(ab, ab);
    double t = lengthSquared > 0.0 ? DotProduct(p - a, ab) / lengthSquared : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return (p - (a + ab * t)).GetLength();
}

// Charges the corners walked so far; false when the frame must stop.
bool ChargeCorners(int& walked)
{
    const auto units = static_cast<std::uint64_t>(walked) / CFaceSlice::kCornersPerUnit;
    walked = 0;
    return CFrameMeter::Charge(units);
}

// Where the loop's outline passes from one side of the plane to the other. A vertex
// on the plane counts as lying on its kept side, so an outline that only touches the
// plane adds no crossing, and a crossing at such a vertex lies exactly on it. False when
// the meter stopped the walk.
bool CollectCrossings(const CLoop& loop, const CPlane3d& plane, const CVector3d& along,
                      std::vector<Crossing>& crossings, std::vector<InPlaneEdge>& inPlane, int& walked)
{
    CEdgeUse* first = loop.GetFirstEdgeUse();
    const int guard = loop.GetRingGuard();
    CEdgeUse* use = first;
    for (int i = 0; use != nullptr && i <= guard; ++i) {
        const CVertex* from = use->GetStartVertex();
        const CVertex* to = use->GetEndVertex();
        if (from != nullptr && to != nullptr) {
            const CPoint3d& p = from->GetPosition();
            const CPoint3d& q = to->GetPosition();
            const double dp = plane.GetSignedDistance(p);
            const double dq = plane.GetSignedDistance(q);
            const bool pOn = std::abs(dp) < kTolerance;
            const bool qOn = std::abs(dq) < kTolerance;
            if (pOn && qOn) {
                const double low = Along(p, along);
                const double high = Along(q, along);
                inPlane.push_back({p, q, use->GetEdge(), std::min(low, high), std::max(low, high)});
            }
            if ((dp > -kTolerance) != (dq > -kTolerance)) {
                CPoint3d point = pOn ? p : qOn ? q : p + (q - p) * (dp / (dp - dq));
                crossings.push_back({Along(point, along), point});
            }
        }
        if (++walked == kCornersPerCharge && !ChargeCorners(walked)) {
            return false;
        }
        use = use->GetNext();
        if (use == first) {
            break;
        }
    }
    return true;
}

// Names for each span the first edge lying in the plane, in the order of the face's
// loops, that the span's middle lies on. Spans come in their order along the cut line;
// the edges are swept along it sorted by where they start, and an edge is compared only
// with the spans whose middle lies over it.
void MatchEdges(std::vector<CFaceSlice::Segment>& spans, const std::vector<double>& middles,
                const std::vector<InPlaneEdge>& edges)
{
    std::vector<int> byLow(edges.size());
    for (std::size_t i = 0; i < edges.size(); ++i) {
        byLow[i] = static_cast<int>(i);
    }
    std::sort(byLow.begin(), byLow.end(), [&](int a, int b) { return edges[a].low < edges[b].low; });
    // The edges over the current place, in the loops' order, and when each ends.
    std::set<int> over;
    using Ending = std::pair<double, int>;
    std::priority_queue<Ending, std::vector<Ending>, std::greater<>> endings;
    std::size_t next = 0;
    for (std::size_t s = 0; s < spans.size(); ++s) {
        const double at = middles[s];
        for (; next < byLow.size() && edges[byLow[next]].low - kSlack <= at; ++next) {
            over.insert(byLow[next]);
            endings.emplace(edges[byLow[next]].high, byLow[next]);
        }
        for (; !endings.empty() && endings.top().first + kSlack < at; endings.pop()) {
            over.erase(endings.top().second);
        }
        const CPoint3d middle = spans[s].start + (spans[s].end - spans[s].start) * 0.5;
        int compared = 0;
        for (auto it = over.begin(); it != over.end() && compared < kMaxCompared; ++it, ++compared) {
            const InPlaneEdge& edge = edges[*it];
            if (DistanceToSegment(middle, edge.start, edge.end) < kTolerance) {
                spans[s].edge = edge.edge;
                break;
            }
        }
    }
}

}  // namespace

CFaceSlice::CFaceSlice(CFace* face) : m_face(face) {}

std::unique_ptr<CFaceSlice> CFaceSlice::Build(CFace* face, const CPlane3d& plane, const CSectionClipStack& clips,
                                              bool& stopped)
{
    stopped = false;
    const CPlane3d& facePlane = face->GetPlane();
    CVector3d along = CVector3d(facePlane.a, facePlane.b, facePlane.c).CrossProduct(CVector3d(plane.a, plane.b, plane.c));
    double length = 0.0;
    if (!along.Normalize(length) || length < 1e-9) {
        return nullptr;
    }
    std::vector<Crossing> crossings;
    std::vector<InPlaneEdge> inPlane;
    int walked = 0;
    for (int i = 0; i < face->GetLoopCount(); ++i) {
        const CLoop* loop = face->GetLoop(i);
        if (loop != nullptr && !CollectCrossings(*loop, plane, along, crossings, inPlane, walked)) {
            stopped = true;
            return nullptr;
        }
    }
    // A small face's corners and spans come to less than a unit: its visit covers them.
    const std::uint64_t rest = static_cast<std::uint64_t>(walked) / kCornersPerUnit +
                               (crossings.size() + inPlane.size()) / kSpansPerUnit;
    if (rest > 0 && !CFrameMeter::Charge(rest)) {
        stopped = true;
        return nullptr;
    }
    std::sort(crossings.begin(), crossings.end(),
              [](const Crossing& a, const Crossing& b) { return a.along < b.along; });
    // Inside and outside alternate along the line; an odd count (rounding) drops the last.
    std::vector<Segment> spans;
    std::vector<double> middles;
    for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
        spans.push_back({crossings[i].point, crossings[i + 1].point, nullptr});
        middles.push_back((crossings[i].along + crossings[i + 1].along) / 2.0);
    }
    if (!inPlane.empty()) {
        MatchEdges(spans, middles, inPlane);
    }
    auto slice = std::make_unique<CFaceSlice>(face);
    for (Segment& span : spans) {
        if (clips.ClipSegment(span.start, span.end)) {
            slice->AddSegment(span);
        }
    }
    if (slice->m_segments.empty()) {
        return nullptr;
    }
    return slice;
}

void CFaceSlice::Draw(ITarnisView* view)
{
    for (const Segment& segment : m_segments) {
        if (segment.edge == nullptr || !segment.edge->IsShown(view)) {
            view->DrawLine(segment.start, segment.end);
        }
    }
    view->EndPrimitive();
}
