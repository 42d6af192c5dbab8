#include "model/edge.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "document/versionmap.h"
#include "foundation/boundingbox3d.h"
#include "foundation/slaballocator.h"
#include "foundation/transformation.h"
#include "model/arccurve.h"
#include "model/curve.h"
#include "model/curveregistry.h"
#include "model/edgeuse.h"
#include "model/entityset.h"
#include "model/enumedgeuse.h"
#include "model/enumface.h"
#include "model/enumloop.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/meshreadsink.h"
#include "model/radialtails.h"
#include "model/ringguard.h"
#include "model/topologymessages.h"
#include "model/vertex.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CEdge, CDrawingElement, VERSIONABLE_SCHEMA | 2)

void* CEdge::operator new(std::size_t size)
{
    return size == sizeof(CEdge) ? CSlabAllocator::ForClass<CEdge>().Allocate() : ::operator new(size);
}

void CEdge::operator delete(void* object, std::size_t size)
{
    if (size == sizeof(CEdge)) {
        CSlabAllocator::ForClass<CEdge>().Free(object);
    } else {
        ::operator delete(object);
    }
}

namespace {

std::uint64_t g_readCount = 0;

CEdgeUse* NextAroundEdge(const CEdgeUse* use)
{
    return use->GetNextAroundEdge();
}

// Calls visit with each use of the radial ring until it answers false.
template <typename Visit>
void ForEachUse(const CEdge& edge, Visit visit)
{
    CRingCursor<CEdgeUse> cursor(edge.GetFirstEdgeUse());
    CEdgeUse* use = nullptr;
    while (cursor.Step(use, NextAroundEdge)) {
        if (!visit(use)) {
            return;
        }
    }
}

bool IsAtSamePlace(const CVertex* a, const CVertex* b)
{
    const CPoint3d& p = a->GetPosition();
    const CPoint3d& q = b->GetPosition();
    return AreEqualWithin(p.x, q.x, kLengthTolerance) && AreEqualWithin(p.y, q.y, kLengthTolerance) &&
           AreEqualWithin(p.z, q.z, kLengthTolerance);
}

// Whether no edge of the list the sink sums reached the vertex before. The vertex joined
// the box of whichever list read its first edge; that edge is this list's when this list
// took it. One no list took yet may have been read before the list began: the vertex is
// taken as new, which costs a widening and is never wrong, as the edge read now is the
// list's.
bool IsNewTo(const CMeshReadSink& sink, const CVertex& vertex)
{
    return !vertex.HasEdges() || vertex.GetEdges().GetData()[0]->GetParent() != sink.GetHolder();
}

} // namespace

CEdge::CEdge() = default;

CEdge::CEdge(CVertex* start, CVertex* end, bool curveCheck) : m_start(start), m_end(end)
{
    if (m_start != nullptr) {
        m_start->AddEdge(this, curveCheck);
    }
    if (m_end != nullptr) {
        m_end->AddEdge(this, curveCheck);
    }
}

CEdge::CEdge(const CEdge& other)
    : CDrawingElement(other),
      m_start(other.m_start),
      m_end(other.m_end),
      m_curve(other.m_curve),
      m_firstUse(other.m_firstUse)
{
}

CEdge::~CEdge() = default;

void CEdge::Serialize(CArchive& ar)
{
    CDrawingElement::Serialize(ar);
    if (ar.IsLoading()) {
        ReadRecord(ar);
    } else {
        WriteRecord(ar);
    }
}

std::uint64_t CEdge::GetReadCount()
{
    return g_readCount;
}

void CEdge::ReadRecord(CArchive& ar)
{
    ++g_readCount;
    const int version = GetLoadedClassVersion(RUNTIME_CLASS(CEdge));
    m_start = ReadVertex(ar);
    m_end = ReadVertex(ar);
    if (version == 1 || version == 2) {
        m_curve = ReadCurveObject(ar);
    }
    if (m_start == nullptr || m_end == nullptr) {
        AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
    }
    SetCachedCurveDirection(0);
    if (m_curve != nullptr) {
        CCurveRegistry::Add(this);
    }
    CMeshReadSink* sink = CMeshReadSink::Current();
    if (sink != nullptr) {
        sink->EdgeRead(m_start->GetPosition(), m_end->GetPosition(), IsNewTo(*sink, *m_start), IsNewTo(*sink, *m_end));
    }
    m_start->AddEdge(this, false);
    m_end->AddEdge(this, false);
}

void CEdge::WriteRecord(CArchive& ar) const
{
    ar.WriteObject(m_start);
    ar.WriteObject(m_end);
    ar.WriteObject(m_curve);
}

void CEdge::Erase()
{
    RecordChange(true);
    if (m_curve != nullptr) {
        DetachFromCurve();
    }
    LeaveVertex(m_start);
    LeaveVertex(m_end);
    RecordChange(true);
    EraseLongRing();
    while (m_firstUse != nullptr) {
        CEdgeUse* use = m_firstUse;
        use->Erase();
        // A use that could not take itself out of the ring would come back for ever.
        if (m_firstUse == use) {
            m_firstUse = nullptr;
        }
    }
    CDrawingElement::Erase();
}

void CEdge::Discard()
{
    if (m_curve != nullptr) {
        DetachFromCurve();
    }
    CVertex* const start = std::exchange(m_start, nullptr);
    CVertex* const end = std::exchange(m_end, nullptr);
    // An edge that starts where it ends is listed twice by its vertex.
    const bool startGone = start != nullptr && start->ForgetDiscardedEdge(this);
    if (end != nullptr && !(startGone && end == start)) {
        end->ForgetDiscardedEdge(this);
    }
    CDrawingElement::Discard();
}

void CEdge::EraseLongRing()
{
    // A use that leaves the ring walks it for the use before it, so erasing a ring of
    // thousands use by use would take time quadratic in its uses (closing a model whose
    // faces share one ring of edges).
    int counted = 0;
    ForEachUse(*this, [&counted](CEdgeUse*) { return ++counted <= CRadialTails::kShortWalk; });
    if (counted <= CRadialTails::kShortWalk) {
        return;
    }
    std::vector<CEdgeUse*> uses;
    ForEachUse(*this, [&uses](CEdgeUse* use) {
        uses.push_back(use);
        return true;
    });
    for (CEdgeUse* use : uses) {
        use->LeaveRadialRing();
    }
    m_firstUse = nullptr;
    for (CEdgeUse* use : uses) {
        use->Erase();
    }
}

void CEdge::EraseLongRings(const std::vector<CDrawingElement*>& elements)
{
    for (CDrawingElement* element : elements) {
        if (element != nullptr && element->GetTypeId() == kTypeEdge) {
            static_cast<CEdge*>(element)->EraseLongRing();
        }
    }
}

void CEdge::LeaveVertex(CVertex*& vertex)
{
    if (vertex == nullptr) {
        return;
    }
    CVertex* leaving = vertex;
    leaving->RecordChange(true);
    leaving->RemoveEdge(this, true);
    vertex = nullptr;
    if (!leaving->HasEdges()) {
        leaving->Erase();
    }
}

bool CEdge::CollectDependents(CEntitySet& set)
{
    if (!CDrawingElement::CollectDependents(set)) {
        return false;
    }
    for (CEntity* dependent : {static_cast<CEntity*>(m_start), static_cast<CEntity*>(m_end),
                               static_cast<CEntity*>(m_curve)}) {
        if (dependent != nullptr) {
            dependent->CollectDependents(set);
        }
    }
    return true;
}

void CEdge::Transform(const CTransformation& /*transform*/)
{
    NotifyFacesGeometryChanged();
}

CEntity* CEdge::Clone() const
{
    return new CEdge(*this);
}

void CEdge::SwapData(CEntity& other)
{
    CDrawingElement::SwapData(other);
    auto& edge = static_cast<CEdge&>(other);
    std::swap(m_start, edge.m_start);
    std::swap(m_end, edge.m_end);
    std::swap(m_firstUse, edge.m_firstUse);
    std::swap(m_curve, edge.m_curve);
    const int direction = GetCachedCurveDirection();
    SetCachedCurveDirection(edge.GetCachedCurveDirection());
    edge.SetCachedCurveDirection(direction);
}

int CEdge::GetTypeId() const
{
    return kTypeEdge;
}

void CEdge::SetSmooth(bool smooth)
{
    CDrawingElement::SetSmooth(smooth);
    NotifyFacesGeometryChanged();
}

CBoundedLine3d CEdge::GetLine() const
{
    if (m_start == nullptr || m_end == nullptr) {
        return {};
    }
    return {m_start->GetPosition(), m_end->GetPosition()};
}

void CEdge::AccumulateExtents(const CTransformation& transform, CBoundingBox3d& box) const
{
    if (m_start == nullptr || m_end == nullptr) {
        return;
    }
    box.Add(transform * m_start->GetPosition());
    box.Add(transform * m_end->GetPosition());
}

void CEdge::GetExtents(CBoundingBox3d& box) const
{
    // A model's bounds ask this of every edge: no identity transform on the way.
    if (m_start == nullptr || m_end == nullptr) {
        return;
    }
    box.Add(m_start->GetPosition());
    box.Add(m_end->GetPosition());
}

void CEdge::SetStartVertex(CVertex* vertex, bool curveCheck)
{
    if (vertex == m_start) {
        return;
    }
    RecordChange(true);
    LeaveVertex(m_start);
    m_start = vertex;
    if (vertex != nullptr) {
        vertex->AddEdge(this, curveCheck);
    }
}

void CEdge::SetEndVertex(CVertex* vertex, bool curveCheck)
{
    if (vertex == m_end) {
        return;
    }
    RecordChange(true);
    LeaveVertex(m_end);
    m_end = vertex;
    if (vertex != nullptr) {
        vertex->AddEdge(this, curveCheck);
    }
}

void CEdge::ClearVertex(const CVertex* vertex)
{
    if (vertex == nullptr || (m_start != vertex && m_end != vertex)) {
        return;
    }
    RecordChange(true);
    if (m_start == vertex) {
        m_start = nullptr;
    }
    if (m_end == vertex) {
        m_end = nullptr;
    }
}

CVertex* CEdge::GetOtherVertex(const CVertex* vertex) const
{
    return vertex == m_start ? m_end : m_start;
}

bool CEdge::HasVertex(const CVertex* vertex) const
{
    return vertex != nullptr && (vertex == m_start || vertex == m_end);
}

CVertex* CEdge::GetCommonVertex(const CEdge* other) const
{
    if (other == nullptr) {
        return nullptr;
    }
    if (other->HasVertex(m_start)) {
        return m_start;
    }
    return other->HasVertex(m_end) ? m_end : nullptr;
}

double CEdge::GetLength() const
{
    if (m_start == nullptr || m_end == nullptr) {
        return 0.0;
    }
    return m_start->GetPosition().Distance(m_end->GetPosition());
}

CPoint3d CEdge::GetMidPoint() const
{
    if (m_start == nullptr || m_end == nullptr) {
        return {};
    }
    const CPoint3d& p = m_start->GetPosition();
    const CPoint3d& q = m_end->GetPosition();
    return {(p.x + q.x) / 2.0, (p.y + q.y) / 2.0, (p.z + q.z) / 2.0};
}

void CEdge::SetFirstEdgeUse(CEdgeUse* use)
{
    RecordChange(true);
    m_firstUse = use;
}

int CEdge::GetEdgeUseCount() const
{
    int count = 0;
    ForEachUse(*this, [&count](CEdgeUse*) {
        ++count;
        return true;
    });
    return count;
}

CEdgeUse* CEdge::FindEdgeUseInLoop(const CLoop* loop) const
{
    CEdgeUse* found = nullptr;
    ForEachUse(*this, [&](CEdgeUse* use) {
        if (use->GetLoop() == loop) {
            found = use;
        }
        return found == nullptr;
    });
    return found;
}

CEdgeUse* CEdge::FindEdgeUseOnFace(const CFace* face) const
{
    CEdgeUse* found = nullptr;
    ForEachUse(*this, [&](CEdgeUse* use) {
        if (use->GetFace() == face) {
            found = use;
        }
        return found == nullptr;
    });
    return found;
}

CLoop* CEdge::GetLoopOnFace(const CFace* face) const
{
    const CEdgeUse* use = FindEdgeUseOnFace(face);
    return use != nullptr ? use->GetLoop() : nullptr;
}

bool CEdge::HasEdgeUseOnFace(const CFace* face) const
{
    return FindEdgeUseOnFace(face) != nullptr;
}

bool CEdge::IsFirstUseOnFace(const CFace* face) const
{
    return m_firstUse != nullptr && m_firstUse->GetFace() == face;
}

void CEdge::SetCurve(CCurve* curve)
{
    RecordChange(true);
    NotifyReferrers(kReferenceCurveChanged, curve);
    m_curve = curve;
    SetCachedCurveDirection(0);
    if (curve != nullptr) {
        curve->AddEdgeCount();
        if (CEntity* parent = GetParent()) {
            curve->SetParent(parent);
        }
    }
}

int CEdge::GetCurveDirection() const
{
    if (m_curve == nullptr) {
        return 0;
    }
    int direction = GetCachedCurveDirection();
    if (direction == 0) {
        direction = m_curve->GetEdgeDirection(this);
        SetCachedCurveDirection(direction);
    }
    return direction;
}

int CEdge::GetCachedCurveDirection() const
{
    return static_cast<int>((GetFlags() & kCurveDirectionMask) >> kCurveDirectionShift);
}

void CEdge::SetCachedCurveDirection(int direction) const
{
    // A cache, as a mutable field would be: the flag bits change no recorded state.
    auto* self = const_cast<CEdge*>(this);
    self->SetFlagBits(kCurveDirectionMask, false);
    self->SetFlagBits((static_cast<std::uint32_t>(direction) << kCurveDirectionShift) & kCurveDirectionMask, true);
}

CArcCurve* CEdge::GetArcCurve() const
{
    return AsArcCurve(m_curve);
}

void CEdge::DetachFromCurve()
{
    CCurve* curve = m_curve;
    if (curve == nullptr) {
        return;
    }
    curve->RecordChange(true);
    // Every edge of the curve that hangs together with this one, found vertex by
    // vertex; the set of found edges ends the walk however the chain is broken.
    std::vector<CEdge*> edges{this};
    std::vector<CVertex*> pending{m_start, m_end};
    CEntitySet visited;
    visited.Add(this);
    while (!pending.empty()) {
        CVertex* vertex = pending.back();
        pending.pop_back();
        if (vertex == nullptr) {
            continue;
        }
        for (int i = 0; i < vertex->GetEdgeCount(); ++i) {
            CEdge* edge = vertex->GetEdgeAt(i);
            if (edge->GetCurve() == curve && visited.Add(edge)) {
                edges.push_back(edge);
                pending.push_back(edge->GetOtherVertex(vertex));
            }
        }
    }
    int count = curve->GetEdgeCount();
    for (CEdge* edge : edges) {
        edge->SetCurve(nullptr);
        if (count > 0) {
            --count;
            // The last release erases the curve; nothing uses it afterwards.
            curve->ReleaseEdge();
        }
    }
}

void CEdge::SetSoftAndSmooth(bool soft, bool smooth)
{
    SetSoft(soft);
    SetSmooth(smooth);
}

CEnumEdgeUse* CEdge::NewEdgeUseEnum() const
{
    return new CEnumEdgeUseEdge(this);
}

CEnumLoop* CEdge::NewLoopEnum() const
{
    return new CEnumLoopEdge(this);
}

CEnumFace* CEdge::NewFaceEnum() const
{
    return new CEnumFaceEdge(this);
}

void CEdge::NotifyFacesGeometryChanged() const
{
    ForEachUse(*this, [](CEdgeUse* use) {
        if (CFace* face = use->GetFace()) {
            face->OnGeometryChanged();
        }
        return true;
    });
}

int CEdge::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartValidityCheck(this, RUNTIME_CLASS(CEdge), results, result)) {
        return result;
    }
    const int base = CDrawingElement::CheckValidity(mode, results);
    if (base != kValiditySound) {
        return SetCheckResult(base, results);
    }
    const int vertices = CheckVertices(mode, results);
    if (vertices >= kValidityStale) {
        return vertices;
    }
    int severity = vertices;
    // In this order, so that a curve found stale ends the check before the duplicates
    // are looked at.
    for (const auto step : {&CEdge::CheckRegistrations, &CEdge::CheckCurve, &CEdge::CheckDuplicates}) {
        const int found = (this->*step)(mode, results);
        if (found >= kValidityStale) {
            return SetCheckResult(found, results);
        }
        severity = std::max(severity, found);
    }
    const int ring = CheckRadialRing(mode, results);
    if (ring >= kValidityStale) {
        return ring;
    }
    severity = std::max(severity, ring);
    return severity == kValiditySound ? kValiditySound : SetCheckResult(severity, results);
}

int CEdge::CheckVertices(int mode, CValidityResultMap* results)
{
    if (m_start == nullptr || m_end == nullptr) {
        AppendTopologyMessage(kMsgEdgeMissingVertex, GetEntityLabel(this));
        return SetCheckResult(kValidityStale, results);
    }
    const std::pair<CVertex*, int> ends[] = {{m_start, kMsgEdgeBadStartVertex}, {m_end, kMsgEdgeBadEndVertex}};
    for (const auto& [vertex, message] : ends) {
        if (!vertex->IsKindOf(RUNTIME_CLASS(CVertex))) {
            AppendTopologyMessage(message, GetEntityLabel(this));
            StoreCheckResult(results, vertex, kValidityBroken);
            return SetCheckResult(kValidityBroken, results);
        }
    }
    if (results != nullptr) {
        for (const auto& [vertex, message] : ends) {
            const int found = vertex->CheckValidity(mode, results);
            if (found >= kValidityStale) {
                return SetCheckResult(found, results);
            }
        }
    }
    if (mode != kValidityModeIgnoreStaleIds && (m_start == m_end || IsAtSamePlace(m_start, m_end))) {
        AppendTopologyMessage(kMsgEdgeDegenerate, GetEntityLabel(this));
        return SetCheckResult(kValidityStale, results);
    }
    return kValiditySound;
}

int CEdge::CheckRegistrations(int mode, CValidityResultMap* /*results*/)
{
    if (mode == kValidityModeIgnoreStaleIds) {
        return kValiditySound;
    }
    int severity = kValiditySound;
    for (CVertex* vertex : {m_start, m_end}) {
        if (vertex->ContainsEdge(this)) {
            continue;
        }
        AppendTopologyMessage(kMsgEdgeNotListed, GetEntityLabel(vertex), GetEntityLabel(this));
        if (BeginRepair(mode)) {
            vertex->AddEdge(this, false);
        } else {
            severity = kValidityRepairable;
        }
    }
    return severity;
}

int CEdge::CheckDuplicates(int mode, CValidityResultMap* /*results*/)
{
    if (mode == kValidityModeIgnoreStaleIds) {
        return kValiditySound;
    }
    int severity = kValiditySound;
    for (int i = 0; i < m_start->GetEdgeCount(); ++i) {
        CEdge* other = m_start->GetEdgeAt(i);
        if (other == this || other == nullptr || !other->HasVertex(m_start) || !other->HasVertex(m_end)) {
            continue;
        }
        // Absorbing the duplicate is the edge merge's work, which this model does not
        // have yet: the finding is reported, never repaired.
        AppendTopologyMessage(kMsgEdgeDuplicate, GetEntityLabel(this), GetEntityLabel(other));
        AppendValidityText(CString(u"\n"));
        severity = kValidityRepairable;
        break;
    }
    return severity;
}

int CEdge::CheckCurve(int mode, CValidityResultMap* results)
{
    if (m_curve == nullptr) {
        return kValiditySound;
    }
    if (!m_curve->IsKindOf(RUNTIME_CLASS(CCurve))) {
        if (mode == kValidityModeIgnoreStaleIds) {
            return kValiditySound;
        }
        AppendTopologyMessage(kMsgEdgeBadCurve, GetEntityLabel(this));
        if (!BeginRepair(mode)) {
            return kValidityRepairable;
        }
        RecordChange(true);
        m_curve = nullptr;
        SetCachedCurveDirection(0);
        return kValiditySound;
    }
    if (results != nullptr) {
        const int found = m_curve->CheckValidity(mode, results);
        if (found >= kValidityStale) {
            return found;
        }
    }
    return kValiditySound;
}

int CEdge::CheckRadialRing(int mode, CValidityResultMap* results)
{
    int severity = kValiditySound;
    ForEachUse(*this, [&](CEdgeUse* use) {
        if (!use->IsKindOf(RUNTIME_CLASS(CEdgeUse))) {
            AppendTopologyMessage(kMsgBadEdgeUseInRing, GetEntityLabel(this));
            StoreCheckResult(results, use, kValidityBroken);
            severity = kValidityBroken;
            return false;
        }
        if (results != nullptr) {
            const int found = use->CheckValidity(mode, results);
            if (found >= kValidityStale) {
                severity = found;
                return false;
            }
        }
        if (use->GetNextAroundEdge() == nullptr) {
            AppendTopologyMessage(kMsgBadEdgeUseInRing, GetEntityLabel(this));
            severity = kValidityBroken;
            return false;
        }
        if (use->GetEdge() != this) {
            AppendTopologyMessage(kMsgEdgeUseOfOtherEdge, GetEntityLabel(this));
            severity = kValidityStale;
            return false;
        }
        return true;
    });
    return severity >= kValidityStale ? SetCheckResult(severity, results) : kValiditySound;
}

CEdge* ReadEdge(CArchive& ar)
{
    return static_cast<CEdge*>(ar.ReadObject(RUNTIME_CLASS(CEdge)));
}
