#include "model/edgeuse.h"

#include "document/versionmap.h"
#include "foundation/slaballocator.h"
#include "model/edge.h"
#include "model/entityset.h"
#include "model/enumedgeuse.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/radialtails.h"
#include "model/ringguard.h"
#include "model/topologymessages.h"
#include "model/vertex.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CEdgeUse, CEntity, VERSIONABLE_SCHEMA | 1)

static_assert(alignof(CEdge) > 1, "an edge use keeps its reversed flag in the lowest bit of the edge's address");

void* CEdgeUse::operator new(std::size_t size)
{
    return size == sizeof(CEdgeUse) ? CSlabAllocator::ForClass<CEdgeUse>().Allocate() : ::operator new(size);
}

void CEdgeUse::operator delete(void* object, std::size_t size)
{
    if (size == sizeof(CEdgeUse)) {
        CSlabAllocator::ForClass<CEdgeUse>().Free(object);
    } else {
        ::operator delete(object);
    }
}

namespace {

// How deep the checks of neighbouring uses may call one another. Each check of a
// loop's ring runs every use anyway, so stopping the chain early loses nothing and
// keeps a long ring from exhausting the stack.
constexpr int kMaxNeighbourCheckDepth = 64;
int g_neighbourCheckDepth = 0;

const CEntity* g_holderBeingRead = nullptr;
std::uint64_t g_foreignEdges = 0;

bool IsEdgeUse(const CEntity* entity)
{
    return entity != nullptr && entity->IsKindOf(RUNTIME_CLASS(CEdgeUse));
}

CEdgeUse* ReadEdgeUse(CArchive& ar)
{
    return static_cast<CEdgeUse*>(ar.ReadObject(RUNTIME_CLASS(CEdgeUse)));
}

} // namespace

CEdgeUse::CEdgeUse() : m_previous(this), m_next(this), m_nextAroundEdge(this) {}

CEdgeUse::CEdgeUse(CEdge* edge, bool reversed, CEdgeUse* previous, CLoop* loop)
    : m_edgeAndReversed(Pack(edge, reversed)), m_loop(loop), m_nextAroundEdge(this)
{
    if (previous != nullptr) {
        CEdgeUse* next = previous->m_next != nullptr ? previous->m_next : previous;
        m_previous = previous;
        m_next = next;
        previous->SetNext(this);
        next->SetPrevious(this);
    } else {
        m_previous = this;
        m_next = this;
    }
    LinkToEdge();
    if (loop != nullptr && loop->GetFirstEdgeUse() == nullptr) {
        loop->SetFirstEdgeUse(this);
    }
}

CEdgeUse::CEdgeUse(const CEdgeUse& other)
    : CEntity(other),
      m_edgeAndReversed(other.m_edgeAndReversed),
      m_loop(other.m_loop),
      m_previous(other.m_previous),
      m_next(other.m_next),
      m_nextAroundEdge(other.m_nextAroundEdge)
{
}

CEdgeUse::~CEdgeUse()
{
    if (CRadialTails::GetCurrent() != nullptr) {
        CRadialTails::ForgetAll();
    }
}

void CEdgeUse::Serialize(CArchive& ar)
{
    CEntity::Serialize(ar);
    if (ar.IsLoading()) {
        ReadRecord(ar);
    } else {
        WriteRecord(ar);
    }
}

const CEntity* CEdgeUse::SetHolderBeingRead(const CEntity* holder)
{
    const CEntity* previous = g_holderBeingRead;
    g_holderBeingRead = holder;
    return previous;
}

std::uint64_t CEdgeUse::GetForeignEdgeCount()
{
    return g_foreignEdges;
}

void CEdgeUse::ReadRecord(CArchive& ar)
{
    const int version = GetLoadedClassVersion(RUNTIME_CLASS(CEdgeUse));
    CEdge* edge = ReadEdge(ar);
    if (edge != nullptr && g_holderBeingRead != nullptr && edge->GetParent() != nullptr &&
        edge->GetParent() != g_holderBeingRead) {
        ++g_foreignEdges;
    }
    const bool reversed = ArchiveReadBool(ar);
    m_edgeAndReversed = Pack(edge, reversed);
    m_loop = ReadLoopObject(ar);
    if (version == 0) {
        m_previous = ReadEdgeUse(ar);
        m_next = ReadEdgeUse(ar);
    }
    if (edge == nullptr || m_loop == nullptr || m_previous == nullptr || m_next == nullptr) {
        AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
    }
    LinkToEdge();
}

void CEdgeUse::WriteRecord(CArchive& ar) const
{
    ar.WriteObject(GetEdge());
    ArchiveWriteBool(ar, IsReversed());
    ar.WriteObject(m_loop);
}

void CEdgeUse::Erase()
{
    RecordChange(true);
    const bool alone = m_previous == this || m_previous == nullptr || m_next == nullptr;
    if (!alone) {
        m_previous->SetNext(m_next);
        m_next->SetPrevious(m_previous);
    }
    if (m_loop != nullptr && m_loop->GetFirstEdgeUse() == this) {
        m_loop->SetFirstEdgeUse(alone ? nullptr : m_previous);
    }
    UnlinkFromEdge();
    CEntity::Erase();
}

bool CEdgeUse::CollectDependents(CEntitySet& set)
{
    // The ring is walked here rather than through each use's own collection, so that
    // a long ring does not nest one call per use.
    const auto collectOne = [&set](CEdgeUse* use) {
        if (!use->CEntity::CollectDependents(set)) {
            return false;
        }
        if (CEdge* edge = use->GetEdge()) {
            edge->CollectDependents(set);
        }
        return true;
    };
    if (!collectOne(this)) {
        return false;
    }
    CRingGuard guard;
    for (CEdgeUse* use = m_next; use != nullptr && use != this && guard.Visit(use); use = use->m_next) {
        if (!collectOne(use)) {
            break;
        }
    }
    return true;
}

CEntity* CEdgeUse::Clone() const
{
    return new CEdgeUse(*this);
}

void CEdgeUse::SwapData(CEntity& other)
{
    CEntity::SwapData(other);
    auto& use = static_cast<CEdgeUse&>(other);
    std::swap(m_edgeAndReversed, use.m_edgeAndReversed);
    std::swap(m_loop, use.m_loop);
    std::swap(m_previous, use.m_previous);
    std::swap(m_next, use.m_next);
    std::swap(m_nextAroundEdge, use.m_nextAroundEdge);
    m_smoothNormalIndex = 0;
    use.m_smoothNormalIndex = 0;
}

CEntity* CEdgeUse::GetParent() const
{
    if (CEntity* parent = CEntity::GetParent()) {
        return parent;
    }
    if (const CEdge* edge = GetEdge()) {
        if (CEntity* parent = edge->GetParent()) {
            return parent;
        }
    }
    return m_loop != nullptr ? m_loop->GetParent() : nullptr;
}

int CEdgeUse::GetTypeId() const
{
    return kTypeEdgeUse;
}

void CEdgeUse::SetLoop(CLoop* loop)
{
    RecordChange(true);
    m_loop = loop;
}

void CEdgeUse::SetNext(CEdgeUse* use)
{
    RecordChange(true);
    m_next = use;
}

void CEdgeUse::SetPrevious(CEdgeUse* use)
{
    RecordChange(true);
    m_previous = use;
}

void CEdgeUse::SetReversed(bool reversed)
{
    RecordChange(true);
    m_edgeAndReversed = Pack(GetEdge(), reversed);
}

void CEdgeUse::SetEdge(CEdge* edge, bool reversed)
{
    if (edge == GetEdge()) {
        return;
    }
    RecordChange(true);
    UnlinkFromEdge();
    m_edgeAndReversed = Pack(edge, reversed);
    LinkToEdge();
}

void CEdgeUse::LinkToEdge()
{
    CEdge* edge = GetEdge();
    if (edge == nullptr) {
        return;
    }
    CEdgeUse* first = edge->GetFirstEdgeUse();
    if (first == nullptr) {
        m_nextAroundEdge = this;
        edge->SetFirstEdgeUse(this);
        return;
    }
    // An edge used once, as most are when their second use is read, needs no walk.
    CEdgeUse* last = first->m_nextAroundEdge == first ? first : FindRadialLast(first);
    RecordChange(true);
    last->RecordChange(true);
    m_nextAroundEdge = last->m_nextAroundEdge != nullptr ? last->m_nextAroundEdge : first;
    last->m_nextAroundEdge = this;
}

// The last member is the one that leads back to the first; a ring that never leads
// back gives its first member instead. A long walk notes this use, about to become the
// last, so that the next use of the edge finds the end at once.
CEdgeUse* CEdgeUse::FindRadialLast(CEdgeUse* first)
{
    CRadialTails* tails = CRadialTails::GetCurrent();
    CEdgeUse* last = first;
    CRingGuard guard;
    int steps = 0;
    for (; last->m_nextAroundEdge != first; ++steps) {
        if (tails != nullptr && steps == CRadialTails::kShortWalk) {
            CEdgeUse* noted = tails->Find(GetEdge());
            if (noted != nullptr && noted != this && noted->GetEdge() == GetEdge() &&
                noted->m_nextAroundEdge == first) {
                last = noted;
                break;
            }
        }
        CEdgeUse* next = last->m_nextAroundEdge;
        if (next == nullptr || next == this || !guard.Visit(next)) {
            return first;
        }
        last = next;
    }
    if (tails != nullptr && steps >= CRadialTails::kShortWalk) {
        tails->Note(GetEdge(), this);
    }
    return last;
}

CEdgeUse* CEdgeUse::FindRadialPredecessor() const
{
    CRingGuard guard;
    for (CEdgeUse* use = m_nextAroundEdge; use != nullptr && guard.Visit(use); use = use->m_nextAroundEdge) {
        if (use->m_nextAroundEdge == this) {
            return use;
        }
    }
    return nullptr;
}

void CEdgeUse::UnlinkFromEdge()
{
    RecordChange(true);
    if (CEdge* edge = GetEdge()) {
        CEdgeUse* predecessor = FindRadialPredecessor();
        CEdgeUse* next = m_nextAroundEdge != this ? m_nextAroundEdge : nullptr;
        if (predecessor != nullptr && predecessor != this) {
            predecessor->RecordChange(true);
            predecessor->m_nextAroundEdge = m_nextAroundEdge;
        }
        if (edge->GetFirstEdgeUse() == this) {
            edge->SetFirstEdgeUse(next);
        }
    }
    m_nextAroundEdge = this;
}

void CEdgeUse::LeaveRadialRing()
{
    RecordChange(true);
    m_nextAroundEdge = this;
}

CVertex* CEdgeUse::GetStartVertex() const
{
    const CEdge* edge = GetEdge();
    if (edge == nullptr) {
        return nullptr;
    }
    return IsReversed() ? edge->GetEndVertex() : edge->GetStartVertex();
}

CVertex* CEdgeUse::GetEndVertex() const
{
    const CEdge* edge = GetEdge();
    if (edge == nullptr) {
        return nullptr;
    }
    return IsReversed() ? edge->GetStartVertex() : edge->GetEndVertex();
}

CFace* CEdgeUse::GetFace() const
{
    return m_loop != nullptr ? m_loop->GetFace() : nullptr;
}

CVector3d CEdgeUse::GetDirection() const
{
    const CVertex* start = GetStartVertex();
    const CVertex* end = GetEndVertex();
    if (start == nullptr || end == nullptr) {
        return {};
    }
    return end->GetPosition() - start->GetPosition();
}

CEnumEdgeUse* CEdgeUse::NewPartnerEnum() const
{
    return new CEnumEdgeUsePartners(this);
}

CEdgeUse* CEdgeUse::Split(CEdge* newEdge)
{
    RecordChange(true);
    // The piece the new edge covers lies after this use in loop order when the loop
    // runs with the edge, and before it when the loop runs against the edge.
    CEdgeUse* added = IsReversed() ? new CEdgeUse(newEdge, true, m_previous, m_loop)
                                 : new CEdgeUse(newEdge, false, this, m_loop);
    if (m_loop != nullptr && m_loop->GetFace() != nullptr) {
        m_loop->UpdateConvexity(m_loop->GetFaceNormal(), false);
    }
    return added;
}

int CEdgeUse::CountSharedRun(CEdgeUse*& useA, CEdgeUse*& useB, CEdgeUse*& runEndA, CEdgeUse*& runEndB)
{
    const bool same = useA->IsReversed() == useB->IsReversed();
    const auto backOfB = [same](const CEdgeUse* use) { return same ? use->m_previous : use->m_next; };
    const auto forwardOfB = [same](const CEdgeUse* use) { return same ? use->m_next : use->m_previous; };
    const auto allowed = [](const CEdgeUse* a, const CEdgeUse* b) {
        return a != nullptr && b != nullptr && a->GetEdge() == b->GetEdge();
    };
    runEndA = useA;
    runEndB = useB;
    int count = 1;
    const CEdgeUse* stopA = useA->m_next;
    const CEdgeUse* stopB = forwardOfB(useB);
    if (stopA == useA) {
        return 1;
    }
    CRingGuard guard;
    while (useB != stopB && allowed(useA->m_previous, backOfB(useB)) && guard.Visit(useA->m_previous)) {
        useA = useA->m_previous;
        useB = backOfB(useB);
        ++count;
        if (useA == stopA) {
            break;
        }
    }
    if (useA == stopA || useB == stopB) {
        return count;
    }
    guard.Reset();
    while (allowed(runEndA->m_next, forwardOfB(runEndB)) && runEndA->m_next != useA && guard.Visit(runEndA->m_next)) {
        runEndA = runEndA->m_next;
        runEndB = forwardOfB(runEndB);
        ++count;
    }
    return count;
}

int CEdgeUse::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartValidityCheck(this, RUNTIME_CLASS(CEdgeUse), results, result)) {
        return result;
    }
    const int base = CEntity::CheckValidity(mode, results);
    if (base != kValiditySound) {
        return SetCheckResult(base, results);
    }
    return CheckLinks(mode, results);
}

int CEdgeUse::CheckLinks(int mode, CValidityResultMap* results)
{
    const auto broken = [&](int message, CEntity* other) {
        AppendTopologyMessage(message, GetEntityLabel(this));
        if (other != nullptr) {
            StoreCheckResult(results, other, kValidityBroken);
        }
        return SetCheckResult(kValidityBroken, results);
    };
    CEdge* edge = GetEdge();
    if (edge == nullptr || !edge->IsKindOf(RUNTIME_CLASS(CEdge))) {
        return broken(kMsgEdgeUseBadEdge, edge);
    }
    if (m_loop == nullptr || !m_loop->IsKindOf(RUNTIME_CLASS(CLoop))) {
        return broken(kMsgEdgeUseBadLoop, m_loop);
    }
    for (CEdgeUse* neighbour : {m_previous, m_next}) {
        if (!IsEdgeUse(neighbour)) {
            return broken(kMsgEdgeUseBadNeighbour, neighbour);
        }
    }
    const int neighbours = CheckNeighbours({m_previous, m_next}, mode, results);
    if (neighbours >= kValidityStale) {
        return neighbours;
    }
    if (!IsEdgeUse(m_nextAroundEdge)) {
        return broken(kMsgEdgeUseBadRadial, m_nextAroundEdge);
    }
    return CheckNeighbours({m_nextAroundEdge}, mode, results);
}

int CEdgeUse::CheckNeighbours(std::initializer_list<CEdgeUse*> neighbours, int mode, CValidityResultMap* results)
{
    if (results == nullptr || g_neighbourCheckDepth >= kMaxNeighbourCheckDepth) {
        return kValiditySound;
    }
    // Marked as visited first: the neighbours' checks lead back here.
    StoreCheckResult(results, this, kValiditySound);
    ++g_neighbourCheckDepth;
    int found = kValiditySound;
    for (CEdgeUse* neighbour : neighbours) {
        found = neighbour->CheckValidity(mode, results);
        if (found >= kValidityStale) {
            break;
        }
    }
    --g_neighbourCheckDepth;
    return found >= kValidityStale ? SetCheckResult(found, results) : kValiditySound;
}
