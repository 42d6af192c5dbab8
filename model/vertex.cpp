#include "model/vertex.h"

#include <algorithm>
#include <vector>

#include "document/component.h"
#include "document/versionmap.h"
#include "foundation/line3d.h"
#include "foundation/geometryarchive.h"
#include "foundation/slaballocator.h"
#include "foundation/transformation.h"
#include "model/arccurve.h"
#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/enumedge.h"
#include "model/enumface.h"
#include "model/enumloop.h"
#include "model/topologymessages.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CVertex, CEntity, VERSIONABLE_SCHEMA | 0)

void* CVertex::operator new(std::size_t size)
{
    return size == sizeof(CVertex) ? CSlabAllocator::ForClass<CVertex>().Allocate() : ::operator new(size);
}

void CVertex::operator delete(void* object, std::size_t size)
{
    if (size == sizeof(CVertex)) {
        CSlabAllocator::ForClass<CVertex>().Free(object);
    } else {
        ::operator delete(object);
    }
}

namespace {

// The edges of the vertex that carry an arc curve, when every other edge is soft;
// empty when some edge is neither.
std::vector<CEdge*> CollectArcEdges(const CVertex& vertex)
{
    std::vector<CEdge*> arcs;
    for (int i = 0; i < vertex.GetEdgeCount(); ++i) {
        CEdge* edge = vertex.GetEdgeAt(i);
        CArcCurve* arc = edge->GetArcCurve();
        if (arc != nullptr && arc->GetEdgeCount() != 0) {
            arcs.push_back(edge);
        } else if (!edge->IsSoft()) {
            return {};
        }
    }
    return arcs;
}

// The second arc runs on the first one's circle.
bool AreOnOneCircle(const CArc3d& first, const CArc3d& second)
{
    if (!first.plane.IsEqual(second.plane, false) || !first.centre.IsEqual(second.centre)) {
        return false;
    }
    for (const double angle : {0.0, kPi / 2.0}) {
        CPoint3d onSecond;
        second.GetPointAtAngle(angle, onSecond);
        CPoint3d onFirst;
        first.GetPointAtAngle(first.GetAngleOfPoint(onSecond), onFirst);
        if (!onFirst.IsEqual(onSecond)) {
            return false;
        }
    }
    return true;
}

} // namespace

CVertex::CVertex() = default;

CVertex::CVertex(const CPoint3d& position) : m_position(position) {}

CVertex::CVertex(const CVertex& other) : CEntity(other), m_position(other.m_position), m_edges(other.m_edges) {}

CVertex::~CVertex() = default;

void CVertex::Serialize(CArchive& ar)
{
    CEntity::Serialize(ar);
    if (ar.IsLoading()) {
        ar >> m_position;
    } else {
        ar << m_position;
    }
}

void CVertex::Erase()
{
    RecordChange(true);
    for (int i = 0; i < m_edges.GetCount(); ++i) {
        m_edges.GetAt(i)->ClearVertex(this);
    }
    CEntity::Erase();
}

void CVertex::Transform(const CTransformation& transform)
{
    RecordChange(true);
    transform.TransformPoint(m_position);
}

CEntity* CVertex::Clone() const
{
    return new CVertex(*this);
}

void CVertex::SwapData(CEntity& other)
{
    CEntity::SwapData(other);
    auto& vertex = static_cast<CVertex&>(other);
    std::swap(m_position, vertex.m_position);
    m_edges.Swap(vertex.m_edges);
}

CEntity* CVertex::GetParent() const
{
    if (CEntity* parent = CEntity::GetParent()) {
        return parent;
    }
    for (int i = 0; i < m_edges.GetCount(); ++i) {
        if (CEntity* parent = m_edges.GetAt(i)->GetParent()) {
            return parent;
        }
    }
    return nullptr;
}

int CVertex::GetTypeId() const
{
    return kTypeVertex;
}

void CVertex::SetPosition(const CPoint3d& position)
{
    RecordChange(true);
    m_position = position;
}

void CVertex::AddEdge(CEdge* edge, bool curveCheck)
{
    if (edge == nullptr) {
        return;
    }
    RecordChange(true);
    CEdge* first = nullptr;
    CEdge* second = nullptr;
    if (curveCheck && GetCurvePair(first, second)) {
        // A curve may not run on through a vertex where a third edge meets it.
        first->GetCurve()->SplitAtVertex(this, first, second);
    }
    m_edges.Append(edge);
}

void CVertex::RemoveEdge(CEdge* edge, bool mergeArcs)
{
    RecordChange(true);
    m_edges.Remove(edge);
    if (mergeArcs) {
        MergeArcsAfterRemoval();
    }
}

bool CVertex::ForgetDiscardedEdge(CEdge* edge)
{
    m_edges.Remove(edge);
    if (HasEdges()) {
        return false;
    }
    Discard();
    return true;
}

void CVertex::MergeArcsAfterRemoval()
{
    const std::vector<CEdge*> arcs = CollectArcEdges(*this);
    if (arcs.size() != 2) {
        return;
    }
    CArcCurve* first = arcs[0]->GetArcCurve();
    CArcCurve* second = arcs[1]->GetArcCurve();
    if (first == second || !AreOnOneCircle(first->GetArc(), second->GetArc())) {
        return;
    }
    const bool sameSense = first->GetArc().plane.IsEqual(second->GetArc().plane, true);
    const bool firstStarts = first->GetStartVertex() == this;
    const bool firstEnds = first->GetEndVertex() == this;
    const bool secondStarts = second->GetStartVertex() == this;
    const bool secondEnds = second->GetEndVertex() == this;
    const bool continues = sameSense ? (firstStarts && secondEnds) || (firstEnds && secondStarts)
                                     : (firstStarts && secondStarts) || (firstEnds && secondEnds);
    if (!continues) {
        return;
    }
    first->RecordChange(true);
    second->RecordChange(true);
    std::vector<CEdge*> moving;
    second->GetEdges(moving);
    for (CEdge* edge : moving) {
        edge->SetCurve(first);
        // The last release erases the second arc; nothing uses it afterwards.
        second->ReleaseEdge();
    }
    first->RebuildFromEdge(arcs[0]);
}

CEdge* CVertex::FindEdgeTo(const CVertex* vertex) const
{
    for (int i = 0; i < m_edges.GetCount(); ++i) {
        CEdge* edge = m_edges.GetAt(i);
        if (edge->HasVertex(vertex)) {
            return edge;
        }
    }
    return nullptr;
}

CEdge* CVertex::GetOtherEdge(const CEdge* edge) const
{
    for (int i = 0; i < m_edges.GetCount(); ++i) {
        if (m_edges.GetAt(i) != edge) {
            return m_edges.GetAt(i);
        }
    }
    return nullptr;
}

bool CVertex::HasEdgeOnFace(const CFace* face) const
{
    return FindEdgeUseOnFace(face) != nullptr;
}

CEdgeUse* CVertex::FindEdgeUseOnFace(const CFace* face) const
{
    for (int i = 0; i < m_edges.GetCount(); ++i) {
        if (CEdgeUse* use = m_edges.GetAt(i)->FindEdgeUseOnFace(face)) {
            return use;
        }
    }
    return nullptr;
}

bool CVertex::GetCurvePair(CEdge*& edge1, CEdge*& edge2) const
{
    CEdge* found[2] = {nullptr, nullptr};
    int count = 0;
    for (int i = 0; i < m_edges.GetCount(); ++i) {
        CEdge* edge = m_edges.GetAt(i);
        if (edge->GetCurve() == nullptr) {
            continue;
        }
        if (count == 2) {
            return false;
        }
        found[count++] = edge;
    }
    if (count != 2 || found[0]->GetCurve() != found[1]->GetCurve()) {
        return false;
    }
    edge1 = found[0];
    edge2 = found[1];
    return true;
}

void CVertex::MergeVertex(CVertex* other)
{
    if (other == nullptr || other == this || !other->m_position.IsEqual(m_position)) {
        return;
    }
    other->NotifyReferrers(kReferenceMerged, this);
    RecordChange(true);
    // Every move takes exactly one entry off the other vertex, and the move of its
    // last edge erases it, so the count is kept here rather than asked of it.
    for (int remaining = other->GetEdgeCount(); remaining > 0; --remaining) {
        CEdge* edge = other->GetEdgeAt(remaining - 1);
        if (edge->GetStartVertex() == other) {
            edge->SetStartVertex(this, false);
        } else {
            edge->SetEndVertex(this, false);
        }
    }
}

bool CVertex::RemoveIfRedundant(CEntity* arg, bool allowHeal)
{
    RecordChange(true);
    if (!HasEdges()) {
        Erase();
        return true;
    }
    if (GetEdgeCount() != 2 || !allowHeal) {
        return false;
    }
    // Healing: two edges that run on in one straight line become one edge.
    CEdge* first = GetEdgeAt(0);
    CEdge* second = GetEdgeAt(1);
    const CVertex* farFirst = first->GetOtherVertex(this);
    const CVertex* farSecond = second->GetOtherVertex(this);
    if (farFirst == nullptr || farSecond == nullptr || farFirst == farSecond || farFirst == this ||
        farSecond == this ||
        !IsPointOnSegment(farFirst->GetPosition(), farSecond->GetPosition(), m_position, kLengthTolerance)) {
        return false;
    }
    return first->MergeWith(second, this, dynamic_cast<CComponent*>(arg), allowHeal);
}

CEnumEdge* CVertex::NewEdgeEnum() const
{
    return new CEnumEdgeArray(this);
}

CEnumLoop* CVertex::NewLoopEnum() const
{
    return new CEnumLoopVertex(this);
}

CEnumFace* CVertex::NewFaceEnum() const
{
    return new CEnumFaceVertex(this);
}

int CVertex::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartValidityCheck(this, RUNTIME_CLASS(CVertex), results, result)) {
        return result;
    }
    const int base = CEntity::CheckValidity(mode, results);
    if (base != kValiditySound) {
        return SetCheckResult(base, results);
    }
    int severity = kValiditySound;
    bool recorded = false;
    const auto repair = [&]() {
        if (!BeginRepair(mode)) {
            severity = kValidityRepairable;
            return false;
        }
        if (!recorded) {
            RecordChange(true);
            recorded = true;
        }
        return true;
    };
    if (mode != kValidityModeIgnoreStaleIds && CEntity::GetParent() != nullptr) {
        AppendTopologyMessage(kMsgVertexHasParent, GetEntityLabel(this));
        if (repair()) {
            SetParent(nullptr);
        }
    }
    if (mode != kValidityModeIgnoreStaleIds && !m_position.IsValid()) {
        AppendTopologyMessage(kMsgVertexNotFinite, GetEntityLabel(this));
        if (repair()) {
            m_position = CPoint3d();
        }
    }
    const int listed = CheckEdgeList(mode, results);
    if (listed == kValidityBroken) {
        return listed;
    }
    if (listed == kValidityRepairable) {
        severity = kValidityRepairable;
    }
    return severity == kValiditySound ? kValiditySound : SetCheckResult(severity, results);
}

int CVertex::CheckEdgeList(int mode, CValidityResultMap* results)
{
    for (int i = 0; i < m_edges.GetCount(); ++i) {
        CEdge* edge = m_edges.GetAt(i);
        if (edge == nullptr || !edge->IsKindOf(RUNTIME_CLASS(CEdge))) {
            AppendTopologyMessage(kMsgVertexBadEdgeEntry, i, GetEntityLabel(this));
            StoreCheckResult(results, edge, kValidityBroken);
            return SetCheckResult(kValidityBroken, results);
        }
    }
    if (mode == kValidityModeIgnoreStaleIds) {
        return kValiditySound;
    }
    int severity = kValiditySound;
    bool dropped = false;
    std::vector<CEdge*> kept;
    for (int i = 0; i < m_edges.GetCount(); ++i) {
        CEdge* edge = m_edges.GetAt(i);
        // An edge from this vertex back to itself is registered once for each end.
        const int ends = (edge->GetStartVertex() == this ? 1 : 0) + (edge->GetEndVertex() == this ? 1 : 0);
        int message = 0;
        if (results != nullptr && ends == 0) {
            message = kMsgVertexEdgeNotAttached;
        } else if (ends > 0 && std::count(kept.begin(), kept.end(), edge) >= ends) {
            message = kMsgVertexEdgeListedTwice;
        }
        if (message == 0) {
            kept.push_back(edge);
            continue;
        }
        AppendTopologyMessage(message, GetEntityLabel(edge), GetEntityLabel(this));
        if (BeginRepair(mode)) {
            dropped = true;
        } else {
            severity = kValidityRepairable;
            kept.push_back(edge);
        }
    }
    if (dropped) {
        RecordChange(true);
        CTopologyArray<CEdge> rebuilt;
        for (CEdge* edge : kept) {
            rebuilt.Append(edge);
        }
        m_edges.Swap(rebuilt);
    }
    return severity;
}

CVertex* ReadVertex(CArchive& ar)
{
    return static_cast<CVertex*>(ar.ReadObject(RUNTIME_CLASS(CVertex)));
}
