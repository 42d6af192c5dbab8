#include "model/loop.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_set>
#include <utility>

#include "document/component.h"
#include "document/tarnwickmodel.h"
#include "document/versionmap.h"
#include "foundation/boundingbox3d.h"
#include "foundation/line3d.h"
#include "foundation/slaballocator.h"
#include "foundation/tolerance.h"
#include "foundation/transformation.h"
#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/entityset.h"
#include "model/enumedge.h"
#include "model/enumedgeuse.h"
#include "model/enumvertex.h"
#include "model/face.h"
#include "model/loopprocedures.h"
#include "model/vertex.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CLoop, CEntity, VERSIONABLE_SCHEMA | 1)

void* CLoop::operator new(std::size_t size)
{
    return size == sizeof(CLoop) ? CSlabAllocator::ForClass<CLoop>().Allocate() : ::operator new(size);
}

void CLoop::operator delete(void* object, std::size_t size)
{
    if (size == sizeof(CLoop)) {
        CSlabAllocator::ForClass<CLoop>().Free(object);
    } else {
        ::operator delete(object);
    }
}

namespace {

// The smallest guard of a ring walk, whatever the size of the component.
constexpr int kMinRingGuard = 10000;

CEdgeUse* ReadEdgeUse(CArchive& ar)
{
    return static_cast<CEdgeUse*>(ar.ReadObject(RUNTIME_CLASS(CEdgeUse)));
}

double GetCoordinate(const CPoint3d& p, int index)
{
    switch (index) {
    case 0:
        return p.x;
    case 1:
        return p.y;
    default:
        return p.z;
    }
}

// Where the point lies across the line w = pw: 0 on it, -1 below, +1 above.
int SideOf(double w, double pw)
{
    if (std::fabs(w - pw) < kLengthTolerance) {
        return 0;
    }
    return w < pw ? -1 : 1;
}

} // namespace

CLoop::CLoop() = default;

CLoop::CLoop(CEdgeUse* firstUse, CFace* face) : m_face(face), m_firstUse(firstUse)
{
    AdoptRing(firstUse);
}

CLoop::CLoop(const CLoop* ringSource) : m_outer(false), m_convex(false)
{
    if (ringSource == nullptr) {
        return;
    }
    CEdgeUse* previous = nullptr;
    for (const CEdgeUse* use : ringSource->GetUses()) {
        previous = new CEdgeUse(use->GetEdge(), use->IsReversed(), previous, this);
    }
    m_convex = ringSource->m_convex;
}

CLoop::CLoop(int edgeCount, CEdge* const* edges, CFace* face) : m_face(face)
{
    std::vector<CEdge*> chain;
    for (int i = 0; i < edgeCount; ++i) {
        if (edges[i] != nullptr) {
            chain.push_back(edges[i]);
        }
    }
    CEdgeUse* previous = nullptr;
    for (std::size_t i = 0; i < chain.size(); ++i) {
        const CEdge* following = chain[(i + 1) % chain.size()];
        const bool reversed = !following->HasVertex(chain[i]->GetEndVertex());
        previous = new CEdgeUse(chain[i], reversed, previous, this);
    }
    const CVector3d normal = GetFaceNormal();
    UpdateConvexity(normal, false);
    const double area = GetSignedArea(normal, nullptr);
    if (!(area > 0.0)) {
        Reverse();
    }
}

CLoop::CLoop(const CLoop& other)
    : CEntity(other),
      m_outer(other.m_outer),
      m_convex(other.m_convex),
      m_face(other.m_face),
      m_firstUse(other.m_firstUse)
{
}

CLoop::~CLoop() = default;

void CLoop::AdoptRing(CEdgeUse* firstUse)
{
    if (firstUse == nullptr) {
        return;
    }
    CEnumEdgeUseLoop uses(this);
    CEdgeUse* use = nullptr;
    while (uses.Next(use)) {
        use->SetLoop(this);
    }
}

void CLoop::Serialize(CArchive& ar)
{
    CEntity::Serialize(ar);
    if (ar.IsLoading()) {
        ReadRecord(ar);
    } else {
        WriteRecord(ar);
    }
}

void CLoop::ReadRecord(CArchive& ar)
{
    const int version = GetLoadedClassVersion(RUNTIME_CLASS(CLoop));
    m_outer = ArchiveReadBool(ar);
    m_convex = ArchiveReadBool(ar);
    m_firstUse = ReadEdgeUse(ar);
    if (m_firstUse != nullptr && m_firstUse->GetLoop() != this) {
        AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
    }
    if (version >= 1) {
        ChainReadUses(ar);
    }
}

namespace {

// The uses a ring read so far holds. Most loops have a handful: those are compared
// one by one without an allocation, only a long ring gets a hash set.
class CSeenUses
{
public:
    explicit CSeenUses(const CEdgeUse* first) { m_few[m_count++] = first; }

    // False when the use was there already.
    bool Add(const CEdgeUse* use)
    {
        if (m_count < kFew) {
            if (std::find(m_few.begin(), m_few.begin() + m_count, use) != m_few.begin() + m_count) {
                return false;
            }
            m_few[m_count++] = use;
            if (m_count == kFew) {
                m_many.insert(m_few.begin(), m_few.end());
            }
            return true;
        }
        return m_many.insert(use).second;
    }

private:
    static constexpr std::size_t kFew = 16;
    std::array<const CEdgeUse*, kFew> m_few{};
    std::size_t m_count = 0;
    std::unordered_set<const CEdgeUse*> m_many;
};

}  // namespace

void CLoop::ChainReadUses(CArchive& ar)
{
    // Each use may stand in the ring once and only in the ring of the loop it names;
    // anything else would tie rings together that later walks could not leave.
    CSeenUses seen(m_firstUse);
    CEdgeUse* last = m_firstUse;
    for (CEdgeUse* use = ReadEdgeUse(ar); use != nullptr; use = ReadEdgeUse(ar)) {
        if (m_firstUse == nullptr || use->GetLoop() != this || !seen.Add(use)) {
            AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
        }
        last->SetNext(use);
        use->SetPrevious(last);
        last = use;
    }
    if (m_firstUse != nullptr) {
        last->SetNext(m_firstUse);
        m_firstUse->SetPrevious(last);
    }
}

void CLoop::WriteRecord(CArchive& ar) const
{
    ArchiveWriteBool(ar, m_outer);
    ArchiveWriteBool(ar, m_convex);
    for (const CEdgeUse* use : GetUses()) {
        ar.WriteObject(use);
    }
    if (m_firstUse == nullptr) {
        ar.WriteObject(nullptr);
    }
    ar.WriteObject(nullptr);
}

void CLoop::Erase()
{
    RecordChange(true);
    while (m_firstUse != nullptr) {
        CEdgeUse* use = m_firstUse;
        if (use->GetLoop() != this) {
            m_firstUse = nullptr;
            break;
        }
        use->Erase();
        // A use that could not take itself out of the ring would come back for ever.
        if (m_firstUse == use) {
            m_firstUse = nullptr;
        }
    }
    CEntity::Erase();
}

void CLoop::Discard()
{
    CEdgeUse* const first = std::exchange(m_firstUse, nullptr);
    // A use that names another loop ends the walk, as it ends an erasure, and so does
    // one that is a ring of its own.
    for (CEdgeUse* use = first; use != nullptr && use->GetLoop() == this;) {
        CEdgeUse* const next = use->GetNext();
        use->Discard();
        use = next != first && next != use ? next : nullptr;
    }
    CEntity::Discard();
}

bool CLoop::CollectDependents(CEntitySet& set)
{
    if (!CEntity::CollectDependents(set)) {
        return false;
    }
    if (m_firstUse != nullptr) {
        m_firstUse->CollectDependents(set);
    }
    return true;
}

CEntity* CLoop::Clone() const
{
    return new CLoop(*this);
}

void CLoop::SwapData(CEntity& other)
{
    CEntity::SwapData(other);
    auto& loop = static_cast<CLoop&>(other);
    std::swap(m_face, loop.m_face);
    std::swap(m_firstUse, loop.m_firstUse);
    std::swap(m_outer, loop.m_outer);
    std::swap(m_convex, loop.m_convex);
}

CEntity* CLoop::GetParent() const
{
    if (CEntity* parent = CEntity::GetParent()) {
        return parent;
    }
    return m_face != nullptr ? m_face->GetParent() : nullptr;
}

int CLoop::GetTypeId() const
{
    return kTypeLoop;
}

void CLoop::SetFace(CFace* face)
{
    RecordChange(true);
    m_face = face;
}

void CLoop::SetFirstEdgeUse(CEdgeUse* use)
{
    RecordChange(true);
    m_firstUse = use;
}

void CLoop::SetOuter(bool outer)
{
    RecordChange(true);
    m_outer = outer;
}

int CLoop::GetRingGuard() const
{
    const CComponent* component = nullptr;
    if (CEntity* parent = GetParent()) {
        component = parent->IsKindOf(RUNTIME_CLASS(CComponent)) ? static_cast<CComponent*>(parent)
                                                                 : parent->GetParentComponent();
    }
    if (component == nullptr) {
        if (const CTarnwickModel* model = GetCurrentModel()) {
            component = model->GetRootComponent();
        }
    }
    const int count = component != nullptr ? component->GetCount() : 0;
    return std::max(count, kMinRingGuard);
}

int CLoop::GetEdgeUseCount() const
{
    if (m_firstUse == nullptr) {
        return 0;
    }
    // The guard is never below kMinRingGuard: a face of a few uses, which every face
    // drawn asks this of, need not look for its component.
    int guard = kMinRingGuard;
    bool guardFound = false;
    int count = 1;
    for (const CEdgeUse* use = m_firstUse;;) {
        const CEdgeUse* next = use->GetNext();
        if (next == nullptr || next == use || next == m_firstUse) {
            break;
        }
        // One comparison a use on the way: the component is looked for only past the least guard.
        if (count > guard) {
            if (guardFound) {
                break;
            }
            guard = GetRingGuard();
            guardFound = true;
            if (count > guard) {
                break;
            }
        }
        ++count;
        use = next;
    }
    return count;
}

std::vector<CEdgeUse*> CLoop::GetUses() const
{
    std::vector<CEdgeUse*> uses;
    CEnumEdgeUseLoop walk(this);
    CEdgeUse* use = nullptr;
    while (walk.Next(use)) {
        uses.push_back(use);
    }
    return uses;
}

CEnumEdgeUse* CLoop::NewEdgeUseEnum() const
{
    return new CEnumEdgeUseLoop(this);
}

CEnumEdge* CLoop::NewEdgeEnum() const
{
    return new CEnumEdgeLoop(this);
}

CEnumVertex* CLoop::NewVertexEnum() const
{
    if (m_firstUse == nullptr) {
        return new CEnumVertex;
    }
    return new CEnumVertexLoop(this);
}

bool CLoop::ContainsEdge(const CEdge* edge) const
{
    const std::vector<CEdgeUse*> uses = GetUses();
    return std::any_of(uses.begin(), uses.end(), [edge](const CEdgeUse* use) { return use->GetEdge() == edge; });
}

CEdge* CLoop::SharesEdgeWith(const CLoop* other) const
{
    if (other == nullptr) {
        return nullptr;
    }
    for (const CEdgeUse* use : GetUses()) {
        if (use->GetEdge() != nullptr && other->ContainsEdge(use->GetEdge())) {
            return use->GetEdge();
        }
    }
    return nullptr;
}

bool CLoop::FindUsesAtVertex(const CVertex* vertex, CEdgeUse*& before, CEdgeUse*& after) const
{
    if (m_firstUse == nullptr || vertex == nullptr) {
        return false;
    }
    if (m_firstUse->GetStartVertex() == vertex) {
        before = m_firstUse->GetPrevious();
        after = m_firstUse;
        return true;
    }
    for (CEdgeUse* use : GetUses()) {
        if (use->GetEndVertex() == vertex) {
            before = use;
            after = use->GetNext();
            return true;
        }
    }
    return false;
}

bool CLoop::FindAdjacentLoopOfFace(CEdgeUse*& use, CEdgeUse*& partner) const
{
    for (CEdgeUse* own : GetUses()) {
        CEnumEdgeUsePartners partners(own);
        CEdgeUse* other = nullptr;
        while (partners.Next(other)) {
            const CLoop* loop = other->GetLoop();
            if (loop != nullptr && loop != this && loop->GetFace() == m_face) {
                use = own;
                partner = other;
                return true;
            }
        }
    }
    return false;
}

void CLoop::ForEachVertex(IVertexProcedure& procedure) const
{
    for (const CEdgeUse* use : GetUses()) {
        if (!procedure.Apply(use->GetStartVertex())) {
            return;
        }
    }
}

void CLoop::ForEachEdge(IEdgeProcedure& procedure) const
{
    for (const CEdgeUse* use : GetUses()) {
        if (!procedure.Apply(use->GetEdge())) {
            return;
        }
    }
}

void CLoop::ForEachEdgeUse(IEdgeUseProcedure& procedure) const
{
    for (CEdgeUse* use : GetUses()) {
        if (!procedure.Apply(use)) {
            return;
        }
    }
}

namespace {

// Calls visit with the start point of each use in ring order, transformed when a
// transformation is given; uses without a start vertex are passed over.
template <typename Visit>
void ForEachCorner(const CLoop* loop, const CTransformation* transform, const Visit& visit)
{
    CEnumEdgeUseLoop walk(loop);
    CEdgeUse* use = nullptr;
    while (walk.Next(use)) {
        const CVertex* vertex = use->GetStartVertex();
        if (vertex == nullptr) {
            continue;
        }
        CPoint3d point = vertex->GetPosition();
        if (transform != nullptr) {
            transform->TransformPoint(point);
        }
        visit(point);
    }
}

}  // namespace

void CLoop::GetPoints(std::vector<CPoint3d>& points, const CTransformation* transform) const
{
    ForEachCorner(this, transform, [&points](const CPoint3d& point) { points.push_back(point); });
}

double CLoop::GetSignedArea(const CVector3d& normal, const CTransformation* transform, CBoundingBox3d* corners) const
{
    // The drawing-work count asks this of every face a file holds, and in a mesh nearly
    // every loop is a triangle: those skip the general walk.
    CPoint3d triangle[3];
    if (GetTrianglePoints(triangle)) {
        for (CPoint3d& point : triangle) {
            if (transform != nullptr) {
                transform->TransformPoint(point);
            }
            if (corners != nullptr) {
                corners->Add(point);
            }
        }
        const CVector3d cross = (triangle[1] - triangle[0]).CrossProduct(triangle[2] - triangle[0]);
        return 0.5 * DotProduct(normal, cross);
    }
    // A fan from the first corner, walked without gathering the corners.
    CPoint3d first;
    CPoint3d previous;
    std::size_t count = 0;
    double area = 0.0;
    ForEachCorner(this, transform, [&](const CPoint3d& point) {
        if (corners != nullptr) {
            corners->Add(point);
        }
        if (count == 0) {
            first = point;
        } else if (count >= 2) {
            const CVector3d cross = (previous - first).CrossProduct(point - first);
            area += 0.5 * DotProduct(normal, cross);
        }
        previous = point;
        ++count;
    });
    return area;
}

bool CLoop::IsCounterClockwise(const CVector3d& normal) const
{
    return GetSignedArea(normal, nullptr) > 0.0;
}

namespace {

// The corners of a ring seen one at a time: convex while every turn keeps the side of
// the first clear one and the turns add up to one turn in all. A star that crosses
// itself turns the same way at every corner but goes round more than once. A corner
// that is not a finite number is never convex, so that a fan never reaches GL with it.
class CTurnCheck
{
public:
    // A triangle always turns once in all: only longer rings add their turns up.
    CTurnCheck(const CVector3d& normal, bool acceptCollinear, bool addTurns)
        : m_normal(normal), m_acceptCollinear(acceptCollinear), m_addTurns(addTurns)
    {
    }

    // False when the corner breaks convexity.
    bool Corner(const CVector3d& incoming, const CVector3d& outgoing)
    {
        return Turn(DotProduct(m_normal, incoming.CrossProduct(outgoing)), DotProduct(incoming, outgoing));
    }

    // The same for a corner whose turn and sides' dot product are known.
    bool Turn(double turn, double ahead)
    {
        if (!std::isfinite(turn) || !std::isfinite(ahead)) {
            return false;
        }
        if (m_addTurns) {
            m_total += std::atan2(turn, ahead);
        }
        if (std::fabs(turn) < kLengthTolerance) {
            return !(ahead < -kLengthTolerance) && m_acceptCollinear;
        }
        if (std::fabs(turn) > kLengthTolerance) {
            if (!m_signFixed) {
                m_signFixed = true;
                m_sign = turn;
            } else if (!HaveSameSign(turn, m_sign)) {
                return false;
            }
        }
        return true;
    }

    // The turns seen so far make one turn, not two or more (nor none). A ring without a
    // clear turn (a point, a straight line) answers by its corners alone.
    [[nodiscard]] bool TurnsOnce() const
    {
        return !m_addTurns || !m_signFixed || (std::fabs(m_total) > kPi && std::fabs(m_total) < 3.0 * kPi);
    }

private:
    const CVector3d& m_normal;
    bool m_acceptCollinear;
    bool m_addTurns;
    bool m_signFixed = false;
    double m_sign = 0.0;
    double m_total = 0.0;
};

}  // namespace

bool CLoop::IsConvexRing(const CPoint3d* points, std::size_t count, const CVector3d& normal, bool acceptCollinear)
{
    CTurnCheck check(normal, acceptCollinear, count > 3);
    for (std::size_t j = 1; j <= count; ++j) {
        const std::size_t i = j % count;
        if (!check.Corner(points[i] - points[(i + count - 1) % count], points[(i + 1) % count] - points[i])) {
            return false;
        }
    }
    return check.TurnsOnce();
}

bool CLoop::IsConvexTriangle(const CPoint3d& a, const CPoint3d& b, const CPoint3d& c, const CVector3d& normal,
                             bool acceptCollinear)
{
    STriangleMeasures measures;
    return IsConvexTriangle(a, b, c, normal, acceptCollinear, measures);
}

bool CLoop::IsConvexTriangle(const CPoint3d& a, const CPoint3d& b, const CPoint3d& c, const CVector3d& normal,
                             bool acceptCollinear, STriangleMeasures& measures)
{
    // The corners in the order the ring walk takes them, each turn computed as it does,
    // so that a sliver answers alike on either side of the tolerances.
    const CVector3d first = b - a;
    const CVector3d second = c - b;
    const CVector3d third = a - c;
    const double ahead[3] = {DotProduct(first, second), DotProduct(second, third), DotProduct(third, first)};
    measures.turn = DotProduct(normal, first.CrossProduct(second));
    // The sides sum to nothing: each one's squared length is minus the sum of its dot
    // products with the other two.
    measures.squaredSides = -2.0 * (ahead[0] + ahead[1] + ahead[2]);
    CTurnCheck check(normal, acceptCollinear, false);
    return check.Turn(measures.turn, ahead[0]) &&
           check.Turn(DotProduct(normal, second.CrossProduct(third)), ahead[1]) &&
           check.Turn(DotProduct(normal, third.CrossProduct(first)), ahead[2]);
}

bool CLoop::GetTrianglePoints(CPoint3d* points) const
{
    CEdgeUse* const first = m_firstUse;
    CEdgeUse* const second = first != nullptr ? first->GetNext() : nullptr;
    CEdgeUse* const third = second != nullptr ? second->GetNext() : nullptr;
    if (third == nullptr || second == first || third == first || third == second || third->GetNext() != first) {
        return false;
    }
    const CEdgeUse* const uses[3] = {first, second, third};
    for (int i = 0; i < 3; ++i) {
        const CVertex* vertex = uses[i]->GetStartVertex();
        if (vertex == nullptr) {
            return false;
        }
        points[i] = vertex->GetPosition();
    }
    return true;
}

bool CLoop::UpdateConvexity(const CVector3d& normal, bool acceptCollinear)
{
    CPoint3d corners[3];
    bool triangle = false;
    STriangleMeasures measures;
    return UpdateConvexity(normal, acceptCollinear, corners, triangle, measures);
}

bool CLoop::UpdateConvexity(const CVector3d& normal, bool acceptCollinear, CPoint3d* corners, bool& triangle,
                            STriangleMeasures& measures)
{
    RecordChange(true);
    m_convex = true;
    if (m_face != nullptr) {
        m_face->OnGeometryChanged();
    }
    // Every loop of every face read from a file comes through here, and in a mesh
    // nearly every one is a triangle: those skip the general walk.
    triangle = GetTrianglePoints(corners);
    if (triangle) {
        m_convex = IsConvexTriangle(corners[0], corners[1], corners[2], normal, acceptCollinear, measures);
        return m_convex;
    }
    // The points go to one buffer kept from call to call instead of a new one each time.
    thread_local std::vector<CPoint3d> points;
    points.clear();
    GetPoints(points, nullptr);
    m_convex = IsConvexRing(points.data(), points.size(), normal, acceptCollinear);
    return m_convex;
}

void CLoop::Reverse()
{
    RecordChange(true);
    for (CEdgeUse* use : GetUses()) {
        CEdgeUse* previous = use->GetPrevious();
        CEdgeUse* next = use->GetNext();
        use->SetPrevious(next);
        use->SetNext(previous);
        use->SetReversed(!use->IsReversed());
    }
}

void CLoop::SwapRings(CLoop* other)
{
    if (other == nullptr || other == this) {
        return;
    }
    RecordChange(true);
    other->RecordChange(true);
    std::swap(m_firstUse, other->m_firstUse);
    AdoptRing(m_firstUse);
    other->AdoptRing(other->m_firstUse);
}

int CLoop::ClassifyPoint(const CPoint3d& point, int axis, const CTransformation* transform) const
{
    const int u = ((axis % 3) + 3) % 3;
    const int w = (u + 1) % 3;
    const double pu = GetCoordinate(point, u);
    const double pw = GetCoordinate(point, w);
    int crossings = 0;
    for (const CEdgeUse* use : GetUses()) {
        const CVertex* startVertex = use->GetStartVertex();
        const CVertex* endVertex = use->GetEndVertex();
        if (startVertex == nullptr || endVertex == nullptr) {
            continue;
        }
        CPoint3d s = startVertex->GetPosition();
        CPoint3d e = endVertex->GetPosition();
        if (transform != nullptr) {
            transform->TransformPoint(s);
            transform->TransformPoint(e);
        }
        if (s.IsEqual(point) || e.IsEqual(point)) {
            return kLoopPointOnVertex;
        }
        const double su = GetCoordinate(s, u);
        const double sw = GetCoordinate(s, w);
        const double eu = GetCoordinate(e, u);
        const double ew = GetCoordinate(e, w);
        const int sideS = SideOf(sw, pw);
        const int sideE = SideOf(ew, pw);
        if (sideS != sideE) {
            if (IsPointOnSegment(s, e, point)) {
                return kLoopPointOnEdge;
            }
            if (sideS * sideE == -1) {
                const double x = (eu - su) * (pw - sw) / (ew - sw) + su - pu;
                if (std::fabs(x) < kLengthTolerance) {
                    return kLoopPointOnEdge;
                }
                if (x >= 0.0) {
                    ++crossings;
                }
            } else if (sideS + sideE == -1) {
                // One end lies on the line, the other below it.
                const double onLine = sideS == 0 ? su : eu;
                if (onLine >= pu) {
                    ++crossings;
                }
            }
        } else if (sideS == 0 && std::min(su, eu) < pu && pu < std::max(su, eu)) {
            return kLoopPointOnEdge;
        }
    }
    return crossings % 2 == 1 ? kLoopPointInside : kLoopPointOutside;
}

CVector3d CLoop::GetFaceNormal() const
{
    if (m_face == nullptr) {
        return {0.0, 0.0, 1.0};
    }
    return m_face->GetNormal();
}

CLoop* ReadLoopObject(CArchive& ar)
{
    return static_cast<CLoop*>(ar.ReadObject(RUNTIME_CLASS(CLoop)));
}
