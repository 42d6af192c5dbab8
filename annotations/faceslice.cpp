#include "annotations/faceslice.h"

#include <algorithm>
#include <cmath>

#include "annotations/sectionclipstack.h"
#include "drawapi/tarnisview.h"
#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/vertex.h"

namespace {

constexpr double kTolerance = 0.001;

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
};

// The distance from p to the segment a b.
double DistanceToSegment(const CPoint3d& p, const CPoint3d& a, const CPoint3d& b)
{
    const CVector3d ab = b - a;
    const double lengthSquared = DotProduct(ab, ab);
    double t = lengthSquared > 0.0 ? DotProduct(p - a, ab) / lengthSquared : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return (p - (a + ab * t)).GetLength();
}

// Where the loop's outline passes from one side of the plane to the other. A vertex
// on the plane counts as lying on its kept side, so an outline that only touches the
// plane adds no crossing, and a crossing at such a vertex lies exactly on it.
void CollectCrossings(const CLoop& loop, const CPlane3d& plane, const CVector3d& along,
                      std::vector<Crossing>& crossings, std::vector<InPlaneEdge>& inPlane)
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
                inPlane.push_back({p, q, use->GetEdge()});
            }
            if ((dp > -kTolerance) != (dq > -kTolerance)) {
                CPoint3d point = pOn ? p : qOn ? q : p + (q - p) * (dp / (dp - dq));
                crossings.push_back({DotProduct(point - CPoint3d(), along), point});
            }
        }
        use = use->GetNext();
        if (use == first) {
            break;
        }
    }
}

}  // namespace

CFaceSlice::CFaceSlice(CFace* face) : m_face(face) {}

std::unique_ptr<CFaceSlice> CFaceSlice::Build(CFace* face, const CPlane3d& plane, const CSectionClipStack& clips)
{
    const CPlane3d& facePlane = face->GetPlane();
    CVector3d along = CVector3d(facePlane.a, facePlane.b, facePlane.c).CrossProduct(CVector3d(plane.a, plane.b, plane.c));
    double length = 0.0;
    if (!along.Normalize(length) || length < 1e-9) {
        return nullptr;
    }
    std::vector<Crossing> crossings;
    std::vector<InPlaneEdge> inPlane;
    for (int i = 0; i < face->GetLoopCount(); ++i) {
        if (const CLoop* loop = face->GetLoop(i)) {
            CollectCrossings(*loop, plane, along, crossings, inPlane);
        }
    }
    std::sort(crossings.begin(), crossings.end(),
              [](const Crossing& a, const Crossing& b) { return a.along < b.along; });
    auto slice = std::make_unique<CFaceSlice>(face);
    // Inside and outside alternate along the line; an odd count (rounding) drops the last.
    for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
        Segment segment{crossings[i].point, crossings[i + 1].point, nullptr};
        const CPoint3d middle = segment.start + (segment.end - segment.start) * 0.5;
        for (const InPlaneEdge& edge : inPlane) {
            if (DistanceToSegment(middle, edge.start, edge.end) < kTolerance) {
                segment.edge = edge.edge;
                break;
            }
        }
        if (clips.ClipSegment(segment.start, segment.end)) {
            slice->AddSegment(segment);
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
