// The walks along a curve's chain of edges: its ends, its edges and vertices in
// order, an edge's direction, rebuilding the ends from one member edge, splitting.
// A damaged chain may branch or close on itself; every walk remembers the edges it
// has passed and stops at the first one it meets again.

#include <climits>
#include <unordered_set>

#include "foundation/tolerance.h"
#include "model/curve.h"
#include "model/drawingelement.h"
#include "model/edge.h"
#include "model/vertex.h"

namespace {

using EdgeSet = std::unordered_set<const CEdge*>;

} // namespace

// Ends and order

CVertex* CCurve::GetStartVertexAlong(const CEdge* edge)
{
    if (edge == nullptr) {
        return nullptr;
    }
    return edge->GetCurveDirection() == kCurveDirectionReversed ? edge->GetEndVertex() : edge->GetStartVertex();
}

CVertex* CCurve::GetEndVertexAlong(const CEdge* edge)
{
    if (edge == nullptr) {
        return nullptr;
    }
    return edge->GetCurveDirection() == kCurveDirectionReversed ? edge->GetStartVertex() : edge->GetEndVertex();
}

CVertex* CCurve::GetStartVertex() const
{
    return GetStartVertexAlong(m_firstEdge);
}

CVertex* CCurve::GetEndVertex() const
{
    return GetEndVertexAlong(m_lastEdge);
}

CEdge* CCurve::GetNextCurveEdge(const CVertex* vertex, const CEdge* after) const
{
    if (vertex == nullptr) {
        return nullptr;
    }
    const int count = vertex->GetEdgeCount();
    for (int i = 0; i < count; ++i) {
        CEdge* edge = vertex->GetEdgeAt(i);
        if (edge != nullptr && edge != after && edge->GetCurve() == this) {
            return edge;
        }
    }
    return nullptr;
}

int CCurve::CountVertexCurveEdges(const CVertex* vertex) const
{
    int found = 0;
    const int count = vertex != nullptr ? vertex->GetEdgeCount() : 0;
    for (int i = 0; i < count; ++i) {
        const CEdge* edge = vertex->GetEdgeAt(i);
        if (edge != nullptr && edge->GetCurve() == this) {
            ++found;
        }
    }
    return found;
}

int CCurve::GetEdges(std::vector<CEdge*>& out) const
{
    CEdge* edge = m_firstEdge;
    const CVertex* vertex = GetEndVertexAlong(edge);
    EdgeSet visited;
    while (edge != nullptr && visited.insert(edge).second) {
        out.push_back(edge);
        if (edge == m_lastEdge) {
            break;
        }
        CEdge* next = GetNextCurveEdge(vertex, edge);
        if (next == nullptr) {
            break;
        }
        vertex = next->GetOtherVertex(vertex);
        edge = next;
    }
    return static_cast<int>(out.size());
}

int CCurve::GetVertices(std::vector<CVertex*>& out) const
{
    CVertex* vertex = GetStartVertex();
    if (vertex == nullptr) {
        return static_cast<int>(out.size());
    }
    out.push_back(vertex);
    std::vector<CEdge*> edges;
    GetEdges(edges);
    for (const CEdge* edge : edges) {
        vertex = edge->GetOtherVertex(vertex);
        if (vertex == nullptr) {
            break;
        }
        out.push_back(vertex);
    }
    return static_cast<int>(out.size());
}

// Direction of an edge: walk backwards from the edge's own start vertex. Reaching an
// end of the chain tells which end lies behind the edge.
int CCurve::GetEdgeDirection(const CEdge* edge) const
{
    if (m_firstEdge == nullptr || m_lastEdge == nullptr || m_firstEdge->GetCurve() != this ||
        m_lastEdge->GetCurve() != this || edge == nullptr || edge->GetCurve() != this) {
        return kCurveDirectionUnknown;
    }
    const CEdge* current = edge;
    const CVertex* vertex = edge->GetStartVertex();
    EdgeSet visited{edge};
    for (std::int32_t step = 0; step < m_edgeCount; ++step) {
        const CEdge* next = GetNextCurveEdge(vertex, current);
        if (next == nullptr) {
            return current != m_firstEdge ? kCurveDirectionReversed : kCurveDirectionForward;
        }
        if (next == m_lastEdge) {
            if (m_edgeCount == 2) {
                return kCurveDirectionReversed;
            }
            return current != m_firstEdge ? kCurveDirectionReversed : kCurveDirectionForward;
        }
        if (!visited.insert(next).second) {
            break;
        }
        vertex = next->GetOtherVertex(vertex);
        current = next;
    }
    return kCurveDirectionUnknown;
}

// Rebuilding

// A vertex where the chain meets other geometry that is drawn: a visible edge of no
// curve or of another curve. A closed chain puts its seam there.
bool CCurve::IsSeamCandidate(const CVertex* vertex) const
{
    if (vertex == nullptr || vertex->GetEdgeCount() == 2) {
        return false;
    }
    const int count = vertex->GetEdgeCount();
    for (int i = 0; i < count; ++i) {
        const CEdge* edge = vertex->GetEdgeAt(i);
        if (edge != nullptr && edge->GetCurve() != this && !edge->HasFlag(CDrawingElement::kFlagSoft)) {
            return true;
        }
    }
    return false;
}

void CCurve::RebuildFromEdge(CEdge* edge)
{
    if (edge == nullptr) {
        return;
    }
    RecordChange(true);
    (void)FindChainEnds(edge, false, INT_MAX);
    Update(true, false);
}

// The registry's stricter walk: it goes on only through a vertex where exactly one
// further edge of the curve meets, and gives up as soon as it has seen more edges
// than the registry expects.
int CCurve::ChainFromEdge(CEdge* edge, int n)
{
    if (edge == nullptr || n <= 0) {
        return 0;
    }
    RecordChange(true);
    if (FindChainEnds(edge, true, n) != n) {
        return 0;
    }
    m_edgeCount = n;
    return n;
}

CEdge* CCurve::GetNextChainEdge(const CVertex* vertex, const CEdge* after, bool strict) const
{
    if (strict && CountVertexCurveEdges(vertex) != 2) {
        return nullptr;
    }
    return GetNextCurveEdge(vertex, after);
}

// Walks back from the edge's start until the chain ends or comes round to the edge's
// other end, which closes it; an open chain is then walked forward to its end.
int CCurve::FindChainEnds(CEdge* edge, bool strict, int limit)
{
    m_firstEdge = nullptr;
    m_lastEdge = nullptr;
    CVertex* startOfEdge = GetStartVertexAlong(edge);
    CVertex* otherEnd = edge->GetOtherVertex(startOfEdge);

    int walked = 1;
    CEdge* current = edge;
    CVertex* vertex = startOfEdge;
    CEdge* seam = nullptr;
    CVertex* seamVertex = nullptr;
    EdgeSet visited{edge};
    while (vertex != nullptr) {
        if (seam == nullptr && IsSeamCandidate(vertex)) {
            seam = current;
            seamVertex = vertex;
        }
        if (vertex == otherEnd) {
            m_firstEdge = seam != nullptr ? seam : edge;
            m_lastEdge = GetNextCurveEdge(seam != nullptr ? seamVertex : startOfEdge, m_firstEdge);
            return walked;
        }
        CEdge* next = GetNextChainEdge(vertex, current, strict);
        if (next == nullptr || !visited.insert(next).second) {
            break;
        }
        if (++walked > limit) {
            return 0;
        }
        vertex = next->GetOtherVertex(vertex);
        current = next;
    }
    m_firstEdge = current;

    // The strict walk counts each edge once over both halves; the loose one only keeps
    // the forward half from going round.
    EdgeSet forward{edge};
    EdgeSet& seen = strict ? visited : forward;
    current = edge;
    vertex = otherEnd;
    while (CEdge* next = GetNextChainEdge(vertex, current, strict)) {
        if (!seen.insert(next).second) {
            break;
        }
        if (++walked > limit) {
            m_lastEdge = current;
            return 0;
        }
        vertex = next->GetOtherVertex(vertex);
        current = next;
    }
    m_lastEdge = current;
    return walked;
}

// Splitting

void CCurve::MoveSeam(CVertex* vertex, CEdge* edgeA, CEdge* edgeB)
{
    if (GetStartVertexAlong(edgeA) == vertex) {
        m_firstEdge = edgeA;
        m_lastEdge = edgeB;
    } else {
        m_firstEdge = edgeB;
        m_lastEdge = edgeA;
    }
    Update(false, false);
}

void CCurve::SplitAtVertex(CVertex* vertex, CEdge* edgeA, CEdge* edgeB)
{
    if (vertex == nullptr || edgeA == nullptr || edgeB == nullptr || edgeA->GetCurve() != this ||
        edgeB->GetCurve() != this) {
        return;
    }
    RecordChange(true);
    if (IsClosed(true)) {
        if (IsClosed(false)) {
            MoveSeam(vertex, edgeA, edgeB);
            return;
        }
        if (m_firstEdge != nullptr && m_firstEdge->GetCommonVertex(m_lastEdge) == vertex) {
            return;
        }
    }

    CCurve* newCurve = NewEmptyCurve();
    CEdge* current = edgeA;
    CVertex* far = edgeA->GetOtherVertex(vertex);
    EdgeSet moved;
    while (current != nullptr && moved.insert(current).second) {
        const bool wasEnd = current == m_firstEdge || current == m_lastEdge;
        CEdge* next = wasEnd ? nullptr : GetNextCurveEdge(far, current);
        // The count drops without erasing: the curve still has work to do, and goes
        // at the end when nothing is left.
        RecordChange(true);
        if (m_edgeCount > 0) {
            --m_edgeCount;
        }
        current->SetCurve(newCurve);
        if (next == nullptr) {
            break;
        }
        far = next->GetOtherVertex(far);
        current = next;
    }

    // edgeB is still on this curve unless the count was wrong and the walk went round.
    const bool keepsEdges = edgeB->GetCurve() == this;
    if (keepsEdges) {
        RebuildFromEdge(edgeB);
        Update(false, false);
    }
    newCurve->RebuildFromEdge(edgeA);
    newCurve->Update(false, false);
    if (!keepsEdges && m_edgeCount <= 0) {
        Erase();
    }
}
