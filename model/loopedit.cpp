// The loop editing operations that the face operations and the merging use. Each
// leaves the loop rings and the radial rings consistent and records its changes.

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "foundation/plane3d.h"
#include "foundation/transformation.h"
#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/enumedgeuse.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/ringguard.h"
#include "model/vertex.h"

namespace {

// The uses from first to last following next; empty when last is not reached.
std::vector<CEdgeUse*> CollectRun(CEdgeUse* first, const CEdgeUse* last)
{
    std::vector<CEdgeUse*> run;
    CRingGuard guard;
    for (CEdgeUse* use = first; use != nullptr && guard.Visit(use); use = use->GetNext()) {
        run.push_back(use);
        if (use == last) {
            return run;
        }
        if (use->GetNext() == first) {
            break;
        }
    }
    return {};
}

// Closes the uses of a run into a ring of their own, so that erasing them one by one
// no longer touches the ring they were taken from.
void CloseRun(const std::vector<CEdgeUse*>& run)
{
    if (run.empty()) {
        return;
    }
    run.back()->SetNext(run.front());
    run.front()->SetPrevious(run.back());
}

void Link(CEdgeUse* before, CEdgeUse* after)
{
    before->SetNext(after);
    after->SetPrevious(before);
}

void EraseAll(const std::vector<CEdgeUse*>& uses)
{
    for (CEdgeUse* use : uses) {
        use->Erase();
    }
}

// The vertex at the chain's end that its neighbour in the chain does not share.
CVertex* GetFreeEnd(CEdge* end, CEdge* neighbour)
{
    if (neighbour == nullptr) {
        return end->GetStartVertex();
    }
    return neighbour->HasVertex(end->GetStartVertex()) ? end->GetEndVertex() : end->GetStartVertex();
}

bool Contains(const std::vector<CEdgeUse*>& uses, const CEdgeUse* use)
{
    return std::find(uses.begin(), uses.end(), use) != uses.end();
}

} // namespace

void CLoop::JoinAcrossEdge(CLoop* other, CEdge* edge)
{
    if (other == nullptr || other == this || edge == nullptr) {
        return;
    }
    CEdgeUse* useA = edge->FindEdgeUseInLoop(this);
    CEdgeUse* useB = edge->FindEdgeUseInLoop(other);
    if (useA == nullptr || useB == nullptr) {
        return;
    }
    const bool reversedOther = useA->IsReversed() == useB->IsReversed();
    if (reversedOther) {
        other->Reverse();
    }
    CEdgeUse* runEndA = nullptr;
    CEdgeUse* runEndB = nullptr;
    const int shared = CEdgeUse::CountSharedRun(useA, useB, runEndA, runEndB);
    // The run goes from useA to runEndA in this loop and, running the other way, from
    // runEndB to useB in the other.
    const std::vector<CEdgeUse*> runA = CollectRun(useA, runEndA);
    const std::vector<CEdgeUse*> runB = CollectRun(runEndB, useB);
    const int otherCount = other->GetEdgeUseCount();
    if (shared >= otherCount || runA.empty() || runB.empty()) {
        if (reversedOther) {
            other->Reverse();
        }
        return;
    }
    const std::vector<CEdgeUse*> rest = CollectRun(useB->GetNext(), runEndB->GetPrevious());
    const bool wholeOfThis = useA->GetPrevious() == runEndA;
    CEdgeUse* before = useA->GetPrevious();
    CEdgeUse* after = runEndA->GetNext();
    for (CEdgeUse* use : rest) {
        use->SetLoop(this);
    }
    CloseRun(runA);
    CloseRun(runB);
    if (wholeOfThis) {
        Link(rest.back(), rest.front());
    } else {
        Link(before, rest.front());
        Link(rest.back(), after);
    }
    if (Contains(runA, m_firstUse)) {
        SetFirstEdgeUse(rest.front());
    }
    other->SetFirstEdgeUse(nullptr);
    EraseAll(runA);
    EraseAll(runB);
    UpdateConvexity(GetFaceNormal(), false);
}

int CLoop::RemoveBackAndForth(CEdgeUse* startUse)
{
    int pairs = 0;
    CEdgeUse* use = startUse;
    while (use != nullptr) {
        CEdgeUse* next = use->GetNext();
        CEdgeUse* previous = use->GetPrevious();
        const auto isPair = [](const CEdgeUse* a, const CEdgeUse* b) {
            return a != b && a->GetEdge() == b->GetEdge() && a->IsReversed() != b->IsReversed();
        };
        CEdgeUse* first = nullptr;
        CEdgeUse* second = nullptr;
        if (next != nullptr && isPair(use, next)) {
            first = use;
            second = next;
        } else if (previous != nullptr && isPair(previous, use)) {
            first = previous;
            second = use;
        } else {
            break;
        }
        CEdgeUse* before = first->GetPrevious();
        const bool emptied = before == second;
        first->Erase();
        second->Erase();
        ++pairs;
        if (emptied) {
            break;
        }
        use = before;
    }
    return pairs;
}

void CLoop::ReplaceRun(CEdgeUse* from, CEdgeUse* to, CEdgeUse* otherFrom, CEdgeUse* otherTo)
{
    if (from == nullptr || to == nullptr) {
        return;
    }
    const std::vector<CEdgeUse*> run = CollectRun(from, to);
    if (run.empty()) {
        return;
    }
    // Erased in ring order, each use hands its place (and the first use) to the use
    // before the run.
    CEdgeUse* before = Contains(run, from->GetPrevious()) ? nullptr : from->GetPrevious();
    EraseAll(run);
    std::vector<CEdgeUse*> replacement;
    CRingGuard guard;
    for (CEdgeUse* use = otherFrom; use != nullptr && guard.Visit(use); use = use->GetPrevious()) {
        replacement.push_back(use);
        if (use == otherTo || use->GetPrevious() == otherFrom) {
            break;
        }
    }
    CEdgeUse* current = before;
    for (const CEdgeUse* use : replacement) {
        current = new CEdgeUse(use->GetEdge(), !use->IsReversed(), current, this);
    }
    UpdateConvexity(GetFaceNormal(), false);
}

CEdgeUse* CLoop::InsertEdgesAfter(CEdgeUse* use, int count, CEdge* const* edges)
{
    CEdgeUse* current = use;
    for (int i = 0; i < count; ++i) {
        CEdge* edge = edges[i];
        const bool reversed = current != nullptr && edge->GetEndVertex() == current->GetEndVertex();
        current = new CEdgeUse(edge, reversed, current, this);
    }
    return current;
}

CEdgeUse* CLoop::InsertEdgesAfterReversed(CEdgeUse* use, int count, CEdge* const* edges)
{
    std::vector<CEdge*> reversedOrder(edges, edges + std::max(count, 0));
    std::reverse(reversedOrder.begin(), reversedOrder.end());
    return InsertEdgesAfter(use, static_cast<int>(reversedOrder.size()), reversedOrder.data());
}

CEdgeUse* CLoop::InsertEdgeChain(CEdgeUse* afterUse, CVertex* vertex, CEdge* firstEdge, CEdge* lastEdge)
{
    std::unordered_set<const CEdge*> inserted;
    CEdgeUse* current = afterUse;
    CVertex* at = vertex;
    for (CEdge* edge = firstEdge; edge != nullptr && at != nullptr && inserted.insert(edge).second;) {
        current = new CEdgeUse(edge, edge->GetEndVertex() == at, current, this);
        if (edge == lastEdge) {
            return current;
        }
        at = edge->GetOtherVertex(at);
        edge = at != nullptr ? at->GetOtherEdge(edge) : nullptr;
    }
    return nullptr;
}

CLoop* CLoop::SplitByEdges(int count, CEdge* const* edges)
{
    if (count < 1 || edges == nullptr) {
        return nullptr;
    }
    CVertex* startEnd = GetFreeEnd(edges[0], count > 1 ? edges[1] : nullptr);
    CVertex* finishEnd = count > 1 ? GetFreeEnd(edges[count - 1], edges[count - 2]) : edges[0]->GetEndVertex();
    if (startEnd == nullptr || finishEnd == nullptr || startEnd == finishEnd) {
        return nullptr;
    }
    CEdgeUse* before0 = nullptr;
    CEdgeUse* after0 = nullptr;
    CEdgeUse* before1 = nullptr;
    CEdgeUse* after1 = nullptr;
    if (!FindUsesAtVertex(startEnd, before0, after0) || !FindUsesAtVertex(finishEnd, before1, after1)) {
        return nullptr;
    }
    // This loop keeps the ring from finishEnd round to startEnd and is closed by the
    // chain; the new loop takes the ring from startEnd to finishEnd and the chain back.
    const std::vector<CEdgeUse*> second = CollectRun(after0, before1);
    Link(before0, after1);
    Link(before1, after0);
    auto* created = new CLoop(after0, nullptr);
    if (Contains(second, m_firstUse)) {
        SetFirstEdgeUse(after1);
    }
    InsertEdgesAfter(before0, count, edges);
    created->InsertEdgesAfterReversed(before1, count, edges);
    const CVector3d normal = GetFaceNormal();
    double area0 = GetSignedArea(normal, nullptr);
    double area1 = created->GetSignedArea(normal, nullptr);
    if (std::fabs(area1) <= kLengthTolerance) {
        created->Erase();
        return nullptr;
    }
    if (std::fabs(area0) <= kLengthTolerance) {
        SwapRings(created);
        created->Erase();
        return nullptr;
    }
    if (!m_outer && area0 > 0.0) {
        SwapRings(created);
        std::swap(area0, area1);
    }
    if (m_outer && area0 < 0.0) {
        Reverse();
    }
    if (area1 < 0.0) {
        created->Reverse();
    }
    UpdateConvexity(normal, false);
    created->UpdateConvexity(normal, false);
    return created;
}

bool CLoop::ConnectLoops(CVertex* vertexA, CEdge* firstEdge, CVertex* vertexB, CEdge* lastEdge, CLoop* other)
{
    if (other == nullptr || other == this) {
        return false;
    }
    CEdgeUse* beforeA = nullptr;
    CEdgeUse* afterA = nullptr;
    CEdgeUse* beforeB = nullptr;
    CEdgeUse* afterB = nullptr;
    if (!FindUsesAtVertex(vertexA, beforeA, afterA) || !other->FindUsesAtVertex(vertexB, beforeB, afterB)) {
        return false;
    }
    CEdgeUse* arrived = InsertEdgeChain(beforeA, vertexA, firstEdge, lastEdge);
    if (arrived == nullptr || InsertEdgeChain(arrived, vertexB, lastEdge, firstEdge) == nullptr) {
        return false;
    }
    CEdgeUse* goingBack = arrived->GetNext();
    const std::vector<CEdgeUse*> otherUses = other->GetUses();
    for (CEdgeUse* use : otherUses) {
        use->SetLoop(this);
    }
    other->SetFirstEdgeUse(nullptr);
    Link(arrived, afterB);
    Link(beforeB, goingBack);
    RecordChange(true);
    m_convex = false;
    return true;
}

CLoop* CLoop::SplitAtEdge(CEdge* edge)
{
    CEdgeUse* first = nullptr;
    CEdgeUse* second = nullptr;
    for (CEdgeUse* use : GetUses()) {
        if (use->GetEdge() != edge) {
            continue;
        }
        if (first == nullptr) {
            first = use;
        } else {
            second = use;
            break;
        }
    }
    if (first == nullptr || second == nullptr) {
        return nullptr;
    }
    CEdgeUse* afterFirst = first->GetNext();
    CEdgeUse* afterSecond = second->GetNext();
    if (first->IsReversed() == second->IsReversed()) {
        // Both uses end at the same vertex, so each can go on where the other did.
        Link(first, afterSecond);
        Link(second, afterFirst);
        if (Contains(CollectRun(afterFirst, second), m_firstUse)) {
            SetFirstEdgeUse(first);
        }
        return new CLoop(second, m_face);
    }
    // Opposite uses: the ring runs out along the edge and back. Without both uses the
    // part between them and the rest each close on their own.
    const std::vector<CEdgeUse*> inner =
        afterFirst != second ? CollectRun(afterFirst, second->GetPrevious()) : std::vector<CEdgeUse*>{};
    const std::vector<CEdgeUse*> outer =
        afterSecond != first ? CollectRun(afterSecond, first->GetPrevious()) : std::vector<CEdgeUse*>{};
    CloseRun(inner);
    CloseRun(outer);
    Link(first, first);
    Link(second, second);
    const std::vector<CEdgeUse*>& kept = outer.empty() ? inner : outer;
    SetFirstEdgeUse(kept.empty() ? nullptr : kept.front());
    first->SetLoop(nullptr);
    second->SetLoop(nullptr);
    first->Erase();
    second->Erase();
    CLoop* separated = nullptr;
    if (!inner.empty() && !outer.empty()) {
        separated = new CLoop(inner.front(), m_face);
        separated->RemoveBackAndForth(inner.front());
        if (separated->GetFirstEdgeUse() == nullptr) {
            separated->Erase();
            separated = nullptr;
        }
    }
    if (!kept.empty()) {
        RemoveBackAndForth(kept.front());
    }
    return separated;
}

CFace* CLoop::FindCoplanarFaceOnAllEdges() const
{
    if (m_face == nullptr || m_firstUse == nullptr) {
        return nullptr;
    }
    const CPlane3d& plane = m_face->GetPlane();
    std::vector<CFace*> candidates;
    CEnumEdgeUsePartners partners(m_firstUse);
    CEdgeUse* partner = nullptr;
    while (partners.Next(partner)) {
        const CLoop* loop = partner->GetLoop();
        CFace* face = loop != nullptr && loop->IsOuter() ? loop->GetFace() : nullptr;
        const bool known = std::find(candidates.begin(), candidates.end(), face) != candidates.end();
        if (face != nullptr && !known && face->GetPlane().IsEqual(plane, false)) {
            candidates.push_back(face);
        }
    }
    for (const CEdgeUse* use : GetUses()) {
        if (use == m_firstUse) {
            continue;
        }
        const CEdge* edge = use->GetEdge();
        std::erase_if(candidates, [edge](const CFace* face) { return edge == nullptr || !edge->HasEdgeUseOnFace(face); });
        if (candidates.empty()) {
            return nullptr;
        }
    }
    return candidates.empty() ? nullptr : candidates.front();
}

void CLoop::GetPolygon(const CPlane3d& plane, const CTransformation* transform, std::vector<CPoint2d>& polygon) const
{
    CUnitVector3d xAxis;
    CUnitVector3d yAxis;
    plane.GetNormal().GetPerpendicularAxes(xAxis, yAxis);
    CPoint3d origin;
    plane.GetPointNearestOrigin(origin);
    std::vector<CPoint3d> points;
    GetPoints(points, transform);
    for (const CPoint3d& point : points) {
        const CVector3d offset = point - origin;
        polygon.emplace_back(DotProduct(offset, xAxis), DotProduct(offset, yAxis));
    }
}
