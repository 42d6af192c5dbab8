#include "model/facefinder.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "document/component.h"
#include "document/tarnwickmodel.h"
#include "foundation/boundingbox3d.h"
#include "foundation/line3d.h"
#include "foundation/polygon2d.h"
#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/entitycontainer.h"
#include "model/enumedgeuse.h"
#include "model/enumface.h"
#include "model/face.h"
#include "model/faceoverlapindex.h"
#include "model/faceprojection2d.h"
#include "model/loop.h"
#include "model/loopcleanup.h"
#include "model/undomanager.h"
#include "model/undosuspender.h"
#include "model/vertex.h"

namespace {

constexpr double kTieTolerance = 1e-10;
// Backtracking steps one walk may take before it gives up; the visited marks already
// keep each edge from being chosen twice, so a sound graph never comes near it.
constexpr int kWalkBudget = 1 << 16;

// Takes the first occurrence of every noted face out of the list, keeping the order.
void RemoveNoted(std::vector<CFace*>& list, const std::vector<CFace*>& noted)
{
    for (CFace* face : noted) {
        const auto found = std::find(list.begin(), list.end(), face);
        if (found != list.end()) {
            list.erase(found);
        }
    }
}

// How many normals one plane collection remembers as judged.
constexpr std::size_t kJudgedNormals = 16;

// A straight run's vertices keep to one line this closely (a sine), and edges that
// leave it do so by far more than the plane search takes for "on the line": a run that
// starts and ends on a searched edge's line then lies on it all along, and offers no way
// along the line but its own.
constexpr double kStraightTolerance = 1e-9;
constexpr double kSideMargin = 4.0 * kLengthTolerance;
constexpr double kSideSine = 0.01;

// A vertex that carries a line straight on: the edge opposite the one it is reached by,
// and the unit directions of its other edges, all well off the line.
struct StraightLayout
{
    CEdge* onward = nullptr;
    std::vector<CVector3d> sides;
};

bool ReadStraightLayout(CVertex* vertex, const CEdge* along, StraightLayout& layout)
{
    const CVertex* behind = along->GetOtherVertex(vertex);
    if (behind == nullptr) {
        return false;
    }
    const CPoint3d& at = vertex->GetPosition();
    CVector3d line = behind->GetPosition() - at;
    if (line.GetLength() <= kLengthTolerance || !line.Normalize()) {
        return false;
    }
    layout.onward = nullptr;
    layout.sides.clear();
    for (int i = 0; i < vertex->GetEdgeCount(); ++i) {
        CEdge* other = vertex->GetEdgeAt(i);
        if (other == along) {
            continue;
        }
        const CVertex* far = other != nullptr ? other->GetOtherVertex(vertex) : nullptr;
        if (far == nullptr) {
            return false;
        }
        const CVector3d offset = far->GetPosition() - at;
        const double length = offset.GetLength();
        const double off = line.CrossProduct(offset).GetLength();
        if (length <= kLengthTolerance) {
            return false;
        }
        if (layout.onward == nullptr && off <= kStraightTolerance * length && DotProduct(line, offset) < 0.0) {
            layout.onward = other;
        } else if (off >= kSideMargin && off >= kSideSine * length) {
            layout.sides.push_back(offset / length);
        } else {
            return false;
        }
    }
    return layout.onward != nullptr;
}

// The same directions, in any order; equal up to rounding, so their planes are too.
bool HaveSameSides(const std::vector<CVector3d>& a, const std::vector<CVector3d>& b)
{
    if (a.size() != b.size()) {
        return false;
    }
    std::vector<bool> used(b.size(), false);
    for (const CVector3d& side : a) {
        std::size_t j = 0;
        while (j < b.size() && (used[j] || (side - b[j]).GetLength() > kStraightTolerance)) {
            ++j;
        }
        if (j == b.size()) {
            return false;
        }
        used[j] = true;
    }
    return true;
}

// The plane through the point along the cross product, unless it or one like it is
// known already; the cross products already judged against the list need no second
// look, since one found again gives the same plane and the same answer.
void AddPlaneOf(const CVector3d& cross, const CPoint3d& point, std::vector<CVector3d>& judged,
                std::vector<CPlane3d>& planes)
{
    if (std::any_of(judged.begin(), judged.end(), [&cross](const CVector3d& c) {
            return c.x == cross.x && c.y == cross.y && c.z == cross.z;
        })) {
        return;
    }
    if (judged.size() < kJudgedNormals) {
        judged.push_back(cross);
    }
    CVector3d normal = cross;
    normal.Normalize();
    const CPlane3d plane(point, normal);
    const bool known =
        std::any_of(planes.begin(), planes.end(), [&plane](const CPlane3d& p) { return p.IsEqual(plane, false); });
    if (!known) {
        planes.push_back(plane);
    }
}

// The walk along an edge from one of its vertices, as a key.
std::uintptr_t RunKey(const CEdge* edge, const CVertex* from)
{
    return reinterpret_cast<std::uintptr_t>(edge) | (edge->GetStartVertex() == from ? 0U : 1U);
}

CLoop* FindLoopThrough(const CFace* face, const CVertex* vertex)
{
    for (int i = 0; i < face->GetLoopCount(); ++i) {
        CEdgeUse* before = nullptr;
        CEdgeUse* after = nullptr;
        if (face->GetLoop(i)->FindUsesAtVertex(vertex, before, after)) {
            return face->GetLoop(i);
        }
    }
    return nullptr;
}

} // namespace

// A vertex where the walk had to choose: the tied sharpest turns and the state to go
// back to before trying the next of them.
struct CFaceFinder::Choice
{
    std::vector<Candidate> ties;
    std::size_t index = 0;
    double spread = 0.0;
    std::size_t entryCount = 0;
    double turn = 0.0;
    int sided = 0;
    int otherSided = 0;
    bool ambiguous = false;
    CVertex* vertex = nullptr;
};

CFaceFinder::CFaceFinder(CComponent* component) : m_component(component)
{
    if (m_component == nullptr) {
        if (CTarnwickModel* model = GetCurrentModel()) {
            m_component = model->GetRootComponent();
        }
    }
}

CFaceFinder::CFaceFinder(IEntityIterator* overlapScope, std::vector<CEntity*>* markScope)
    : m_overlapScope(overlapScope), m_markScope(markScope)
{
}

CFaceFinder::~CFaceFinder()
{
    if (CUndoManager* manager = GetCurrentUndoManager()) {
        manager->RemoveDBListener(this);
    }
}

CFace* CFaceFinder::GetFace(int index) const
{
    return index >= 0 && index < GetFaceCount() ? m_foundFaces[static_cast<std::size_t>(index)] : nullptr;
}

void CFaceFinder::AddFacesTo(CComponent* component)
{
    if (component == nullptr) {
        return;
    }
    for (CFace* face : m_foundFaces) {
        if (!component->Contains(face)) {
            component->AddEntity(face);
        }
    }
}

void CFaceFinder::KeepStraightRuns(bool keep)
{
    m_keepRuns = keep;
    if (!keep) {
        ForgetRuns();
    }
}

std::vector<CPlane3d> CFaceFinder::GetSearchPlanes(CEdge* edge, bool plain)
{
    std::vector<CPlane3d> planes;
    if (edge == nullptr || edge->GetStartVertex() == nullptr || edge->GetEndVertex() == nullptr) {
        return planes;
    }
    m_startPoint = edge->GetStartVertex()->GetPosition();
    m_endPoint = edge->GetEndVertex()->GetPosition();
    m_plainPlaneWalk = plain;
    CollectPlanes(edge, planes);
    m_plainPlaneWalk = false;
    ClearMarks();
    if (!m_keepRuns) {
        ForgetRuns();
    }
    return planes;
}

void CFaceFinder::ForgetRuns()
{
    m_runExits.clear();
}

void CFaceFinder::OnEntityCreated(CEntity* entity)
{
    if (dynamic_cast<CEdge*>(entity) != nullptr || dynamic_cast<CVertex*>(entity) != nullptr) {
        ForgetRuns();
    }
}

void CFaceFinder::OnEntityErased(CEntity* entity)
{
    auto* edge = dynamic_cast<CEdge*>(entity);
    if (edge != nullptr || dynamic_cast<CVertex*>(entity) != nullptr) {
        ForgetRuns();
    }
    if (edge != nullptr) {
        if (edge == m_edge) {
            m_edge = nullptr;
        }
        std::replace(m_marked.begin(), m_marked.end(), edge, static_cast<CEdge*>(nullptr));
    }
    std::erase(m_foundFaces, entity);
}

bool CFaceFinder::FindFaces(CEdge* edge, bool eraseRejected)
{
    CVertex* start = edge != nullptr ? edge->GetStartVertex() : nullptr;
    CVertex* end = edge != nullptr ? edge->GetEndVertex() : nullptr;
    if (start == nullptr || end == nullptr || start->GetEdgeCount() < 2 || end->GetEdgeCount() < 2) {
        return false;
    }
    m_startPoint = start->GetPosition();
    m_endPoint = end->GetPosition();
    if (m_startPoint.IsEqual(m_endPoint)) {
        return false;
    }
    CUndoManager* manager = GetCurrentUndoManager();
    // What the runs hold stays true only while every change to edges and vertices is heard.
    const bool heard = manager != nullptr && IsRecordingChanges() && manager->GetOpenOperation() != nullptr;
    if (!heard) {
        ForgetRuns();
    }
    if (manager != nullptr) {
        manager->AddDBListener(this);
    }
    m_edge = edge;
    m_eraseRejected = eraseRejected;
    const std::size_t foundBefore = m_foundFaces.size();
    const bool handled = SplitByChain(edge);
    if ((!handled || (start->GetEdgeCount() >= 4 && end->GetEdgeCount() >= 4)) && m_edge != nullptr) {
        SearchPlanes(edge);
    }
    if (m_scopeCleared) {
        // While the erasures are still heard: no marked edge is left to go stale.
        ClearMarks();
    }
    if (manager != nullptr) {
        manager->RemoveDBListener(this);
    }
    if (!heard || !m_keepRuns) {
        ForgetRuns();
    }
    m_entries.clear();
    return handled || m_foundFaces.size() > foundBefore;
}

// --- the chain split ---

bool CFaceFinder::SplitByChain(CEdge* edge)
{
    // From each end of the edge along vertices of exactly two edges; a walk that comes
    // back to the edge went round a ring.
    std::vector<CEdge*> sides[2];
    CVertex* ends[2] = {nullptr, nullptr};
    const int guard = m_component != nullptr ? m_component->GetCount() + 16 : 1 << 20;
    for (int side = 0; side < 2; ++side) {
        CVertex* vertex = side == 0 ? edge->GetStartVertex() : edge->GetEndVertex();
        CEdge* previous = edge;
        for (int step = 0; vertex != nullptr && vertex->GetEdgeCount() == 2 && step < guard; ++step) {
            CEdge* next = vertex->GetOtherEdge(previous);
            if (next == nullptr || next == edge) {
                return false;
            }
            sides[side].push_back(next);
            previous = next;
            vertex = next->GetOtherVertex(vertex);
        }
        ends[side] = vertex;
    }
    CVertex* a = ends[0];
    CVertex* b = ends[1];
    if (a == nullptr || b == nullptr) {
        return false;
    }
    if (a->GetEdgeCount() == 1 || b->GetEdgeCount() == 1) {
        return true;
    }
    if (a == b) {
        return false;
    }
    std::vector<CEdge*> chain(sides[0].rbegin(), sides[0].rend());
    chain.push_back(edge);
    chain.insert(chain.end(), sides[1].begin(), sides[1].end());
    CEnumFaceVertex faces(a);
    CFace* face = nullptr;
    while (faces.Next(face)) {
        if (face != nullptr && FindLoopThrough(face, b) != nullptr && SplitFaceByChain(face, a, b, chain)) {
            return true;
        }
    }
    return false;
}

bool CFaceFinder::SplitFaceByChain(CFace* face, CVertex* a, CVertex* b, const std::vector<CEdge*>& chain)
{
    const CFaceProjection2d projection(face);
    CVertex* vertex = a;
    for (CEdge* link : chain) {
        if (link->HasEdgeUseOnFace(face) || !link->GetMidPoint().IsOnPlane(face->GetPlane()) ||
            projection.ClassifyPoint(link->GetMidPoint()) != kPointInPolygon) {
            return false;
        }
        vertex = link->GetOtherVertex(vertex);
        if (vertex != b && (!vertex->GetPosition().IsOnPlane(face->GetPlane()) ||
                            projection.ClassifyPoint(vertex->GetPosition()) != kPointInPolygon)) {
            return false;
        }
    }
    CLoop* loopA = FindLoopThrough(face, a);
    CLoop* loopB = FindLoopThrough(face, b);
    if (loopA == nullptr || loopB == nullptr) {
        return false;
    }
    if (loopA == loopB) {
        if (CFace* split = face->SplitByEdges(static_cast<int>(chain.size()), chain.data(), loopA)) {
            AddFound(split, false);
        }
        return true;
    }
    face->ConnectLoops(a, chain.front(), loopA, b, chain.back(), loopB);
    return true;
}

// --- the plane search ---

void CFaceFinder::ClearMarks()
{
    const auto clear = [](CEntity* entity) {
        if (auto* element = dynamic_cast<CDrawingElement*>(entity)) {
            element->SetFlagBits(kMarkVisited | kMarkOther, false);
        }
    };
    if (m_scopeCleared) {
        // Only the finder marks, so what it marked is all there is to clear: a pass over
        // the whole scope at every search made a merge of N edges cost N squared.
        for (CEdge* edge : m_marked) {
            if (edge != nullptr) {
                edge->SetFlagBits(kMarkVisited | kMarkOther, false);
            }
        }
    } else if (m_markScope != nullptr) {
        std::for_each(m_markScope->begin(), m_markScope->end(), clear);
    } else if (m_component != nullptr) {
        for (CDrawingElement* element : m_component->GetEntityList()) {
            clear(element);
        }
    }
    m_scopeCleared = true;
    m_marked.clear();
}

void CFaceFinder::Mark(CEdge* edge, unsigned int bits)
{
    edge->SetFlagBits(bits, true);
    m_marked.push_back(edge);
}

void CFaceFinder::CollectPlanes(CEdge* edge, std::vector<CPlane3d>& planes)
{
    ClearMarks();
    // The test of IsPointNearLine and the plane's normal take the same cross product of
    // the edge's direction with the offset to the far vertex: it is formed once, with
    // the same arithmetic, so the answers stay the same.
    const CVector3d direction = m_endPoint - m_startPoint;
    const double length = direction.GetLength();
    const double lengthSquared = length * length;
    const auto onLine = [&](const CVector3d& cross) {
        return length < kLengthTolerance ||
               cross.GetLengthSquared() / lengthSquared < kLengthTolerance * kLengthTolerance;
    };
    // A grid row offers the same two cross products at every vertex.
    std::vector<CVector3d> judged;
    // The vertices along the edge's line, a level of distance from the edge at a time,
    // in the order they were reached. A straight run offers at every vertex the planes
    // of its first one, so the search skips to its last vertex, which waits among the
    // rest, in its place, until the search has come as far on every side.
    std::vector<Pending> pending{{edge->GetEndVertex(), 0}, {edge->GetStartVertex(), 0}};
    std::vector<Pending> later;
    while (!pending.empty()) {
        const int level = std::min_element(pending.begin(), pending.end(), [](const Pending& a, const Pending& b) {
                              return a.distance < b.distance;
                          })->distance;
        later.clear();
        for (const Pending& item : pending) {
            if (item.distance != level) {
                later.push_back(item);
                continue;
            }
            CVertex* vertex = item.vertex;
            for (int i = 0; i < vertex->GetEdgeCount(); ++i) {
                CEdge* other = vertex->GetEdgeAt(i);
                CVertex* far = other != nullptr ? other->GetOtherVertex(vertex) : nullptr;
                if (other == edge || far == nullptr || other->HasFlag(kMarkVisited) || edge->HasVertex(far)) {
                    continue;
                }
                Mark(other, kMarkVisited);
                const CVector3d cross = direction.CrossProduct(far->GetPosition() - m_startPoint);
                if (onLine(cross)) {
                    // Along the edge's line: the plane is decided further on.
                    const RunExit exit = m_plainPlaneWalk ? RunExit{} : FindRunExit(vertex, other);
                    if (exit.steps < 2 ||
                        !onLine(direction.CrossProduct(exit.last->GetPosition() - m_startPoint))) {
                        later.push_back(Pending{far, level + 1});
                    } else if (!exit.lastEdge->HasFlag(kMarkVisited)) {
                        Mark(exit.lastEdge, kMarkVisited);
                        later.push_back(Pending{exit.last, level + exit.steps});
                    }
                    continue;
                }
                AddPlaneOf(cross, m_startPoint, judged, planes);
            }
        }
        pending.swap(later);
    }
}

CFaceFinder::RunExit CFaceFinder::FindRunExit(CVertex* vertex, CEdge* edge)
{
    if (const auto found = m_runExits.find(RunKey(edge, vertex)); found != m_runExits.end()) {
        return found->second;
    }
    StraightLayout first;
    if (!ReadStraightLayout(vertex, edge, first)) {
        m_runExits[RunKey(edge, vertex)] = RunExit{};
        return RunExit{};
    }
    // The whole run through the vertex, both ways, so that a search along it from any of
    // its vertices either way finds it again: its vertices in order and the edges
    // between them.
    std::vector<CVertex*> ahead{vertex};
    std::vector<CEdge*> aheadEdges;
    std::vector<CVertex*> behind;
    std::vector<CEdge*> behindEdges;
    CEdge* const outAhead = FollowRun(first.sides, edge, ahead, aheadEdges);
    behind.push_back(vertex);
    CEdge* const outBehind = FollowRun(first.sides, first.onward, behind, behindEdges);
    std::vector<CVertex*> run(behind.rbegin(), behind.rend());
    run.insert(run.end(), ahead.begin() + 1, ahead.end());
    std::vector<CEdge*> links(behindEdges.rbegin(), behindEdges.rend());
    links.insert(links.end(), aheadEdges.begin(), aheadEdges.end());
    // Leaving the run at either end leads into no more of it.
    m_runExits[RunKey(outAhead, run.back())] = RunExit{};
    m_runExits[RunKey(outBehind, run.front())] = RunExit{};
    const std::size_t last = run.size() - 1;
    for (std::size_t i = 0; i < last; ++i) {
        m_runExits[RunKey(links[i], run[i])] = RunExit{run.back(), links[last - 1], static_cast<int>(last - i)};
        m_runExits[RunKey(links[i], run[i + 1])] = RunExit{run.front(), links.front(), static_cast<int>(i + 1)};
    }
    const auto found = m_runExits.find(RunKey(edge, vertex));
    return found != m_runExits.end() ? found->second : RunExit{};
}

CEdge* CFaceFinder::FollowRun(const std::vector<CVector3d>& sides, CEdge* edge, std::vector<CVertex*>& vertices,
                            std::vector<CEdge*>& edges)
{
    const CPoint3d origin = vertices.front()->GetPosition();
    CVector3d line = edge->GetOtherVertex(vertices.front())->GetPosition() - origin;
    line.Normalize();
    const std::size_t guard =
        m_component != nullptr ? static_cast<std::size_t>(m_component->GetCount()) + 16 : std::size_t{1} << 20;
    StraightLayout layout;
    CEdge* through = edge;
    CVertex* at = edge->GetOtherVertex(vertices.front());
    while (at != nullptr && at != vertices.front() && vertices.size() < guard &&
           ReadStraightLayout(at, through, layout) && HaveSameSides(sides, layout.sides)) {
        const CVector3d offset = at->GetPosition() - origin;
        if (line.CrossProduct(offset).GetLength() > kStraightTolerance * offset.GetLength()) {
            break;
        }
        vertices.push_back(at);
        edges.push_back(through);
        through = layout.onward;
        at = through->GetOtherVertex(at);
    }
    return through;
}

bool CFaceFinder::SearchPlanes(CEdge* edge)
{
    std::vector<CPlane3d> planes;
    CollectPlanes(edge, planes);
    for (const CPlane3d& plane : planes) {
        for (CVertex* from : {edge->GetStartVertex(), edge->GetEndVertex()}) {
            if (m_edge == nullptr) {
                return false;
            }
            if (from == edge->GetStartVertex()) {
                ClearMarks();
            }
            m_plane = plane;
            m_normal = CVector3d(plane.GetNormal());
            Walk(edge, from);
        }
    }
    return true;
}

CVertex* CFaceFinder::GetEntryStart(const LoopEntry& entry) const
{
    return entry.reversed ? entry.edge->GetEndVertex() : entry.edge->GetStartVertex();
}

CVertex* CFaceFinder::GetEntryEnd(const LoopEntry& entry) const
{
    return entry.reversed ? entry.edge->GetStartVertex() : entry.edge->GetEndVertex();
}

bool CFaceFinder::IsInLoop(const CEdge* edge) const
{
    return std::any_of(m_entries.begin(), m_entries.end(), [edge](const LoopEntry& e) { return e.edge == edge; });
}

bool CFaceFinder::AppendEntry(CEdge* edge, CVertex* from)
{
    if (edge == nullptr || !edge->HasVertex(from) || (!m_entries.empty() && GetEntryEnd(m_entries.back()) != from)) {
        return false;
    }
    LoopEntry entry;
    entry.edge = edge;
    entry.reversed = edge->GetStartVertex() != from;
    for (CEdgeUse* use : UsesOf(edge)) {
        const CFace* face = use->GetFace();
        if (face == nullptr || !face->GetPlane().IsEqual(m_plane, false)) {
            continue;
        }
        const bool flipped = DotProduct(CVector3d(face->GetNormal()), m_normal) < 0.0;
        const bool same = (use->IsReversed() == entry.reversed) != flipped;
        CEdgeUse*& slot = same ? entry.sameSide : entry.otherSide;
        slot = slot != nullptr ? slot : use;
    }
    m_sidedCount += entry.sameSide != nullptr ? 1 : 0;
    m_otherSidedCount += entry.otherSide != nullptr ? 1 : 0;
    m_entries.push_back(entry);
    return true;
}

double CFaceFinder::TurnAngle(const CPoint3d& from, const CPoint3d& at, const CPoint3d& to) const
{
    CVector3d incoming = at - from;
    CVector3d outgoing = to - at;
    incoming.Normalize();
    outgoing.Normalize();
    const double angle = std::acos(std::clamp(DotProduct(incoming, outgoing), -1.0, 1.0));
    return DotProduct(incoming.CrossProduct(outgoing), m_normal) < 0.0 ? -angle : angle;
}

bool CFaceFinder::Walk(CEdge* edge, CVertex* from)
{
    m_entries.clear();
    m_totalTurn = 0.0;
    m_ambiguous = false;
    m_sidedCount = 0;
    m_otherSidedCount = 0;
    m_straightClosure = false;
    m_walkStart = from;
    m_budget = kWalkBudget;
    if (!AppendEntry(edge, from)) {
        return false;
    }
    std::vector<Choice> choices;
    Extension state = Extend();
    while (state != Extension::closed) {
        if (state == Extension::choose) {
            choices.emplace_back();
            ListCandidates(choices.back());
            state = TryCandidate(choices.back()) ? Extend() : Extension::failed;
            continue;
        }
        // A failed walk goes back to the newest choice that still has an untried tie.
        bool resumed = false;
        while (!choices.empty() && !resumed && --m_budget > 0 && m_edge != nullptr) {
            Choice& top = choices.back();
            if (top.index + 1 < top.ties.size()) {
                ++top.index;
                resumed = TryCandidate(top);
            } else {
                choices.pop_back();
            }
        }
        if (!resumed) {
            return false;
        }
        state = Extend();
    }
    return true;
}

CFaceFinder::Extension CFaceFinder::Extend()
{
    for (;;) {
        if (m_edge == nullptr) {
            return Extension::failed;
        }
        const LoopEntry& last = m_entries.back();
        CVertex* vertex = GetEntryEnd(last);
        if (vertex == m_walkStart) {
            return Close() ? Extension::closed : Extension::failed;
        }
        if (vertex->GetEdgeCount() != 2) {
            return Extension::choose;
        }
        CEdge* next = vertex->GetOtherEdge(last.edge);
        CVertex* far = next != nullptr ? next->GetOtherVertex(vertex) : nullptr;
        if (far == nullptr || !far->GetPosition().IsOnPlane(m_plane) || IsInLoop(next)) {
            return Extension::failed;
        }
        m_totalTurn += TurnAngle(GetEntryStart(last)->GetPosition(), vertex->GetPosition(), far->GetPosition());
        if (!AppendEntry(next, vertex)) {
            return Extension::failed;
        }
    }
}

void CFaceFinder::ListCandidates(Choice& choice)
{
    const LoopEntry& last = m_entries.back();
    CVertex* vertex = GetEntryEnd(last);
    const CPoint3d& from = GetEntryStart(last)->GetPosition();
    choice.vertex = vertex;
    choice.entryCount = m_entries.size();
    choice.turn = m_totalTurn;
    choice.sided = m_sidedCount;
    choice.otherSided = m_otherSidedCount;
    choice.ambiguous = m_ambiguous;
    if (vertex->GetEdgeCount() < 2) {
        return;
    }
    double best = kPi;
    double largest = -kPi;
    for (int i = 0; i < vertex->GetEdgeCount(); ++i) {
        CEdge* other = vertex->GetEdgeAt(i);
        CVertex* far = other != nullptr && other != last.edge ? other->GetOtherVertex(vertex) : nullptr;
        if (far == nullptr || far == vertex || !far->GetPosition().IsOnPlane(m_plane) ||
            far->GetPosition().IsEqual(from)) {
            continue;
        }
        const double angle = TurnAngle(from, vertex->GetPosition(), far->GetPosition());
        if (std::fabs(std::fabs(angle) - kPi) <= kLengthTolerance) {
            continue;
        }
        if (angle < best - kTieTolerance) {
            best = angle;
            choice.ties.assign(1, Candidate{other, angle});
        } else if (std::fabs(angle - best) <= kTieTolerance) {
            choice.ties.push_back(Candidate{other, angle});
        }
        largest = std::max(largest, angle);
    }
    choice.spread = largest - best;
}

bool CFaceFinder::TryCandidate(Choice& choice)
{
    m_entries.resize(choice.entryCount);
    m_totalTurn = choice.turn;
    m_sidedCount = choice.sided;
    m_otherSidedCount = choice.otherSided;
    m_ambiguous = choice.ambiguous;
    m_straightClosure = false;
    if (choice.index >= choice.ties.size()) {
        return false;
    }
    const Candidate& candidate = choice.ties[choice.index];
    if (candidate.edge->HasFlag(kMarkVisited) || candidate.edge->HasFlag(kMarkOther) || IsInLoop(candidate.edge)) {
        return false;
    }
    candidate.edge->SetFlagBits(kMarkOther, false);
    Mark(candidate.edge, kMarkVisited);
    m_totalTurn += candidate.angle;
    // Two or more ways on, all at the same angle: the walk cannot tell which is meant.
    if (choice.spread < kLengthTolerance && choice.ties.size() > 1) {
        m_ambiguous = true;
    }
    return AppendEntry(candidate.edge, choice.vertex);
}

// --- closing a walk ---

double CFaceFinder::GetLoopArea() const
{
    const CPoint3d& origin = GetEntryStart(m_entries.front())->GetPosition();
    CVector3d sum(0.0, 0.0, 0.0);
    for (const LoopEntry& entry : m_entries) {
        const CVector3d a = GetEntryStart(entry)->GetPosition() - origin;
        const CVector3d b = GetEntryEnd(entry)->GetPosition() - origin;
        sum += a.CrossProduct(b);
    }
    return DotProduct(sum, m_normal) / 2.0;
}

void CFaceFinder::ReverseEntries()
{
    std::reverse(m_entries.begin(), m_entries.end());
    for (LoopEntry& entry : m_entries) {
        entry.reversed = !entry.reversed;
        std::swap(entry.sameSide, entry.otherSide);
    }
    std::swap(m_sidedCount, m_otherSidedCount);
    m_normal = -m_normal;
    m_plane.Reverse();
    m_totalTurn = -m_totalTurn;
}

bool CFaceFinder::Close()
{
    const std::size_t count = m_entries.size();
    if (count < 3 || std::fabs(GetLoopArea()) <= kLengthTolerance) {
        return false;
    }
    const LoopEntry& last = m_entries.back();
    const double closing = TurnAngle(GetEntryStart(last)->GetPosition(), m_walkStart->GetPosition(),
                                     GetEntryEnd(m_entries.front())->GetPosition());
    m_totalTurn += closing;
    m_straightClosure = std::fabs(std::fabs(closing) - kPi) <= kLengthTolerance;
    if (std::fabs(std::fabs(m_totalTurn) - 2.0 * kPi) > kLengthTolerance) {
        return false;
    }
    if (m_totalTurn < 0.0) {
        if (m_ambiguous) {
            return false;
        }
        ReverseEntries();
    }
    if (m_sidedCount < static_cast<int>(count)) {
        if (m_sidedCount == 0) {
            CFace* face = MakeFace();
            return face != nullptr && AddFound(face, true);
        }
        return SplitFaceByLoop();
    }
    // The loop runs along an existing face.
    CFace* existing = m_entries.front().sameSide->GetFace();
    existing->SetHidden(false);
    if (m_otherSidedCount != 0) {
        if (CEdgeUse* other = m_entries.front().otherSide) {
            other->GetFace()->SetHidden(false);
        }
        return true;
    }
    if (m_checkNewFaces) {
        FitFace(existing);
    }
    return true;
}

bool CFaceFinder::SplitFaceByLoop()
{
    const std::size_t count = m_entries.size();
    for (std::size_t k = 0; k < count; ++k) {
        const LoopEntry& before = m_entries[k];
        if (before.sameSide == nullptr || m_entries[(k + 1) % count].sameSide != nullptr) {
            continue;
        }
        std::vector<CEdge*> chain;
        for (std::size_t i = (k + 1) % count; m_entries[i].sameSide == nullptr; i = (i + 1) % count) {
            chain.push_back(m_entries[i].edge);
        }
        CFace* face = before.sameSide->GetFace();
        CFace* split = face->SplitByEdges(static_cast<int>(chain.size()), chain.data(), before.sameSide->GetLoop());
        if (split == nullptr) {
            return false;
        }
        m_checkNewFaces = false;
        m_foundFaces.push_back(split);
        return true;
    }
    return false;
}

CFace* CFaceFinder::MakeFace()
{
    auto* loop = new CLoop;
    CEdgeUse* previous = nullptr;
    for (const LoopEntry& entry : m_entries) {
        previous = new CEdgeUse(entry.edge, entry.reversed, previous, loop);
    }
    if (loop->GetSignedArea(m_normal, nullptr) < 0.0) {
        loop->Reverse();
    }
    auto* face = new CFace(CPlane3d(GetEntryStart(m_entries.front())->GetPosition(), m_normal), loop);
    if (m_straightClosure && m_overlapScope == nullptr && !RemoveLoopSpikes(face, m_component)) {
        face->Erase();
        return nullptr;
    }
    OrientAgainstNeighbours(face);
    return face;
}

void CFaceFinder::OrientAgainstNeighbours(CFace* face)
{
    CVector3d neighbourNormals(0.0, 0.0, 0.0);
    std::vector<CFace*> neighbours;
    for (CEdgeUse* own : UsesOf(face->GetOuterLoop())) {
        std::vector<CEdgeUse*> others;
        for (CEdgeUse* use : UsesOf(own->GetEdge())) {
            if (use != own && use->GetFace() != nullptr && use->GetFace() != face) {
                others.push_back(use);
            }
        }
        if (others.size() == 1 && others.front()->IsReversed() == own->IsReversed()) {
            face->Reverse();
            return;
        }
        for (CEdgeUse* use : others) {
            if (std::find(neighbours.begin(), neighbours.end(), use->GetFace()) == neighbours.end()) {
                neighbours.push_back(use->GetFace());
                neighbourNormals += CVector3d(use->GetFace()->GetNormal());
            }
        }
    }
    if (DotProduct(neighbourNormals, CVector3d(face->GetNormal())) < 0.0) {
        face->Reverse();
    }
}

bool CFaceFinder::AddFound(CFace* face, bool erasable)
{
    const int answer = m_checkNewFaces ? FitFace(face) : 0;
    if (erasable && m_eraseRejected && answer == 0) {
        face->Erase();
        return false;
    }
    m_foundFaces.push_back(face);
    return true;
}

// --- the overlap check ---

int CFaceFinder::FitFace(CFace* face)
{
    if (face == nullptr || face->GetOuterLoop() == nullptr) {
        return 0;
    }
    std::vector<CFace*> inside;
    std::vector<CFace*> containing;
    CollectOverlaps(face, inside, containing);
    const CFace* reference = !containing.empty() ? containing.front() : (!inside.empty() ? inside.front() : nullptr);
    if (reference != nullptr && DotProduct(CVector3d(reference->GetNormal()), CVector3d(face->GetNormal())) < 0.0) {
        face->Reverse();
    }
    ReduceLists(face, inside, containing);
    int holesGiven = 0;
    for (CFace* inner : inside) {
        face->AddInnerLoop(inner->GetOuterLoop());
        ++holesGiven;
    }
    int answer = 0;
    for (CFace* outer : containing) {
        answer += TakeOverHoles(face, outer, holesGiven);
    }
    if (holesGiven > 1) {
        face->JoinTouchingLoops();
    }
    return answer;
}

void CFaceFinder::CollectOverlaps(CFace* face, std::vector<CFace*>& inside, std::vector<CFace*>& containing)
{
    const CFaceProjection2d projection(face);
    CBoundingBox3d box = face->GetBoundingBox();
    box.Expand(1e-6);
    for (CFace* other : GetOverlapCandidates(box)) {
        if (other == face || !other->GetBoundingBox().Intersects(box) || other->GetOuterLoop() == nullptr ||
            other->GetOuterLoop()->GetFirstEdgeUse() == nullptr ||
            !other->GetPlane().IsEqual(face->GetPlane(), false) || other->FindSharedEdgeLoop(face) != nullptr) {
            continue;
        }
        const CFaceProjection2d otherProjection(other);
        int found = projection.ClassifyProjection(otherProjection, false);
        if (found == kProjectionTouching || found == kProjectionOverlapping) {
            found = projection.ClassifyProjection(otherProjection, true);
        }
        if (found == kProjectionOtherInside) {
            inside.push_back(other);
        } else if (found == kProjectionThisInside) {
            containing.push_back(other);
        }
    }
}

std::vector<CFace*> CFaceFinder::GetOverlapCandidates(const CBoundingBox3d& box)
{
    std::vector<CFace*> faces;
    CUndoManager* manager = GetCurrentUndoManager();
    // The index follows the component through the events of a recorded operation only.
    const bool indexable = m_overlapScope == nullptr && m_component != nullptr && manager != nullptr &&
                           manager->GetOpenOperation() != nullptr && IsRecordingChanges();
    if (indexable) {
        if (m_overlapIndex == nullptr) {
            m_overlapIndex = std::make_unique<CFaceOverlapIndex>(m_component, manager);
        }
        m_overlapIndex->FindNear(box, faces);
        std::erase_if(faces, [this](const CFace* face) { return face->GetParent() != m_component; });
        return faces;
    }
    std::unique_ptr<IEntityIterator> owned;
    IEntityIterator* scope = m_overlapScope;
    if (scope == nullptr && m_component != nullptr) {
        owned.reset(m_component->NewIterator());
        scope = owned.get();
    }
    if (scope == nullptr) {
        return faces;
    }
    scope->Reset();
    CEntity* entity = nullptr;
    while (scope->Next(entity)) {
        if (auto* face = dynamic_cast<CFace*>(entity)) {
            faces.push_back(face);
        }
    }
    return faces;
}

void CFaceFinder::ReduceLists(CFace* face, std::vector<CFace*>& inside, std::vector<CFace*>& containing)
{
    if (inside.size() > 1) {
        std::vector<CFace*> noted;
        for (CFace* inner : inside) {
            for (int l = 0; l < inner->GetLoopCount(); ++l) {
                if (CFace* filling = inner->GetLoop(l)->FindCoplanarFaceOnAllEdges()) {
                    noted.push_back(filling);
                }
            }
        }
        RemoveNoted(inside, noted);
    }
    if (inside.size() > 1) {
        std::vector<CFace*> noted;
        for (std::size_t i = 0; i < inside.size(); ++i) {
            const CFaceProjection2d first(inside[i]);
            for (std::size_t j = i + 1; j < inside.size(); ++j) {
                const int found = first.ClassifyProjection(CFaceProjection2d(inside[j]), true);
                if (found == kProjectionOtherInside) {
                    noted.push_back(inside[j]);
                } else if (found == kProjectionThisInside) {
                    noted.push_back(inside[i]);
                }
            }
        }
        RemoveNoted(inside, noted);
    }
    if (containing.size() > 1) {
        std::vector<CFace*> noted;
        for (CFace* outer : containing) {
            if (CLoop* hole = outer->FindHoleMatchingOuterLoop()) {
                noted.push_back(hole->GetFace());
            }
        }
        RemoveNoted(containing, noted);
    }
    if (containing.empty() || inside.empty()) {
        return;
    }
    const CFaceProjection2d projection(face);
    for (std::size_t i = 0; i < containing.size() && !inside.empty();) {
        CFace* outer = containing[i];
        if (outer->GetLoopCount() < 2) {
            ++i;
            continue;
        }
        const CFaceProjection2d outerProjection(outer);
        if (outerProjection.ClassifyProjection(projection, false) == kProjectionDisjoint) {
            containing.erase(containing.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        std::erase_if(inside, [&outerProjection](const CFace* inner) {
            return outerProjection.ClassifyFace(inner) == kProjectionDisjoint;
        });
        ++i;
    }
}

int CFaceFinder::TakeOverHoles(CFace* face, CFace* outer, int& holesGiven)
{
    bool marked = false;
    if (outer->GetLoopCount() >= 2) {
        std::vector<CLoop*> holes;
        for (int l = 0; l < outer->GetLoopCount(); ++l) {
            if (!outer->GetLoop(l)->IsOuter()) {
                holes.push_back(outer->GetLoop(l));
            }
        }
        auto projection = std::make_unique<CFaceProjection2d>(face);
        auto outerProjection = std::make_unique<CFaceProjection2d>(outer);
        for (CLoop* hole : holes) {
            const int found = projection->ClassifyLoopOfFace(*outerProjection, hole, true);
            if (found == kLoopInsideFace) {
                if (hole->FindCoplanarFaceOnAllEdges() != nullptr) {
                    outer->RemoveLoop(hole, true);
                } else {
                    outer->RemoveLoop(hole, false);
                    face->AddInnerLoop(hole);
                    ++holesGiven;
                    projection->Rebuild();
                }
                outerProjection->Rebuild();
            } else if (found == kLoopEnclosesFace) {
                marked = true;
            }
        }
    }
    if (marked) {
        return 0;
    }
    outer->AddInnerLoop(face->GetOuterLoop());
    return 1;
}
