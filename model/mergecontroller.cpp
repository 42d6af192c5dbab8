#include "model/mergecontroller.h"

#include <algorithm>
#include <cmath>

#include "document/component.h"
#include "document/componentinstance.h"
#include "document/removalbatch.h"
#include "foundation/line3d.h"
#include "foundation/polygon2d.h"
#include "model/curve.h"
#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/entityset.h"
#include "model/enumedgeuse.h"
#include "model/enumface.h"
#include "model/enumvertex.h"
#include "model/face.h"
#include "model/facefinder.h"
#include "model/gluetarget.h"
#include "model/faceprojection2d.h"
#include "model/loop.h"
#include "model/octree.h"
#include "model/relationship.h"
#include "model/relationshipmap.h"
#include "model/undomanager.h"
#include "model/undosuspender.h"
#include "model/vertex.h"

namespace {

std::vector<CFace*> FacesAt(const CVertex* vertex)
{
    std::vector<CFace*> faces;
    CEnumFaceVertex enumerator(vertex);
    CFace* face = nullptr;
    while (enumerator.Next(face)) {
        if (face != nullptr) {
            faces.push_back(face);
        }
    }
    return faces;
}

std::vector<CVertex*> VerticesOf(const CFace* face)
{
    std::vector<CVertex*> vertices;
    CEnumVertexFace enumerator(face);
    CVertex* vertex = nullptr;
    while (enumerator.Next(vertex)) {
        if (vertex != nullptr) {
            vertices.push_back(vertex);
        }
    }
    return vertices;
}

// Keeps change recording on, inside an undo operation, for the merge's run: the merge
// hears of what its passes erase only through the operation, and an entity erased
// without one would be deleted while the working sets still hold it. An operation that
// was open already is joined and left open.
class CMergeRecording
{
public:
    CMergeRecording() : m_manager(GetCurrentUndoManager()), m_wasRecording(IsRecordingChanges())
    {
        if (m_manager == nullptr) {
            return;
        }
        SetRecordingChanges(true);
        if (m_manager->GetOpenOperation() == nullptr) {
            m_opened = m_manager->Start(kMergeActionNameId) != nullptr;
        }
    }
    ~CMergeRecording()
    {
        if (m_opened) {
            m_manager->Commit();
        }
        SetRecordingChanges(m_wasRecording);
    }
    CMergeRecording(const CMergeRecording&) = delete;
    CMergeRecording& operator=(const CMergeRecording&) = delete;

    [[nodiscard]] bool IsReady() const { return m_manager != nullptr && m_manager->GetOpenOperation() != nullptr; }

private:
    static constexpr int kMergeActionNameId = 0;

    CUndoManager* m_manager;
    bool m_wasRecording;
    bool m_opened = false;
};

} // namespace

bool CSubmodelIterator::Next(CEntity*& entity)
{
    while (m_index < m_entities->size()) {
        CEntity* next = (*m_entities)[m_index++];
        if (next != nullptr) {
            entity = next;
            return true;
        }
    }
    entity = nullptr;
    return false;
}

CMergeController::CMergeController(CComponent* component, CEntitySet* entities)
    : m_component(component), m_entities(entities)
{
    m_mergeBox.SetEmpty();
    if (CUndoManager* manager = GetCurrentUndoManager()) {
        manager->AddDBListener(this);
    }
}

CMergeController::~CMergeController()
{
    if (CUndoManager* manager = GetCurrentUndoManager()) {
        manager->RemoveDBListener(this);
    }
}

void CMergeController::OnEntityCreated(CEntity* entity)
{
    // An entity made and erased in the same operation is deleted at once, and a new one
    // may take its address: that one is alive.
    m_erased.erase(entity);
}

void CMergeController::OnEntityErased(CEntity* entity)
{
    m_erased.insert(entity);
    if (m_entities != nullptr) {
        m_entities->Remove(entity);
    }
    const auto places = m_nearbyPlaces.find(entity);
    if (places != m_nearbyPlaces.end()) {
        for (const std::size_t place : places->second) {
            m_nearby[place] = nullptr;
        }
        m_nearbyPlaces.erase(places);
    }
    if (auto* edge = dynamic_cast<CEdge*>(entity)) {
        m_touchedEdges.erase(edge);
        std::replace(m_edgeWorkList.begin(), m_edgeWorkList.end(), edge, static_cast<CEdge*>(nullptr));
    }
    if (auto* vertex = dynamic_cast<CVertex*>(entity)) {
        m_weldedVertices.erase(vertex);
        m_newVertices.erase(vertex);
    }
}

void CMergeController::OnModelCleared(CTarnwickModel* /*model*/)
{
    if (m_entities != nullptr) {
        m_entities->RemoveAll();
    }
    m_weldedVertices.clear();
}

bool CMergeController::IsAlive(const CEntity* entity) const
{
    return entity != nullptr && m_erased.count(entity) == 0;
}

bool CMergeController::Merge(bool glueInstances, bool faceOption)
{
    if (m_component == nullptr || m_entities == nullptr) {
        return false;
    }
    const CMergeRecording recording;
    if (!recording.IsReady()) {
        return false;
    }
    BuildMergeBox();
    CollectNearby();
    std::vector<CComponentInstance*> instances;
    if (glueInstances) {
        for (CEntity* entity : *m_entities) {
            if (auto* instance = dynamic_cast<CComponentInstance*>(entity)) {
                instances.push_back(instance);
            }
        }
    }
    m_changedFaceCount = 0;
    const bool changed = WeldAndSplit();
    if (changed) {
        // The edge clean-up erases one edge of every welded pair.
        const CRemovalBatch batch(m_component);
        CleanUpEdges();
    }
    SplitCurves();
    if (changed) {
        RefitFacesAtWeldedVertices();
        ResolveOverlappingFaces();
    }
    CleanUpCoplanarNeighbours();
    const bool found = FindFaces(faceOption);
    const bool glued = GlueInstances(instances);
    return found || !m_weldedVertices.empty() || glued;
}

bool CMergeController::GlueInstances(const std::vector<CComponentInstance*>& instances)
{
    CRelationshipMap* relationships = m_component->GetRelationshipMap();
    // Most merges bring no instances: the set of every instance is not built for them.
    if (relationships == nullptr || instances.empty()) {
        return false;
    }
    // Only a face of the component itself takes the glue: faces inside other instances
    // (among them an instance being exploded into these copies) are passed over.
    CEntitySet excluded;
    for (CDrawingElement* element : m_component->GetEntityList()) {
        if (dynamic_cast<CComponentInstance*>(element) != nullptr) {
            excluded.Add(element);
        }
    }
    bool glued = false;
    for (CComponentInstance* instance : instances) {
        if (!IsAlive(instance)) {
            continue;
        }
        if (auto* face = dynamic_cast<CFace*>(FindGlueTarget(instance, m_component, &excluded, false))) {
            relationships->AddRelationship(new CRelationship(face, instance));
            glued = true;
        }
    }
    return glued;
}

void CMergeController::BuildMergeBox()
{
    m_mergeBox.SetEmpty();
    const CTransformation identity;
    for (CEntity* entity : *m_entities) {
        if (auto* element = dynamic_cast<CDrawingElement*>(entity)) {
            element->AccumulateExtents(identity, m_mergeBox);
        } else if (auto* vertex = dynamic_cast<CVertex*>(entity)) {
            m_mergeBox.Add(vertex->GetPosition());
        }
    }
    if (!m_mergeBox.IsEmpty()) {
        m_mergeBox.Expand(kLengthTolerance);
    }
}

void CMergeController::CollectNearby()
{
    m_nearby.clear();
    m_nearbyPlaces.clear();
    if (m_mergeBox.IsEmpty()) {
        return;
    }
    for (CDrawingElement* element : m_component->GetEntityList()) {
        if (element != nullptr && element->GetBoundingBox().Intersects(m_mergeBox)) {
            AddNearby(element);
        }
    }
}

void CMergeController::AddNearby(CDrawingElement* element)
{
    m_nearbyPlaces[element].push_back(m_nearby.size());
    m_nearby.push_back(element);
}

// --- pass 1: weld and split ---

void CMergeController::Weld(COctree& octree, CVertex* vertex, bool isNew)
{
    if (!IsAlive(vertex)) {
        return;
    }
    CVertex* found = octree.AddVertex(vertex);
    if (found != nullptr && found != vertex) {
        found->MergeVertex(vertex);
        m_weldedVertices.insert(found);
        m_newVertices.erase(vertex);
    } else if (isNew) {
        m_newVertices.insert(vertex);
    }
}

bool CMergeController::WeldAndSplit()
{
    COctree& octree = *COctree::GetOctree(static_cast<std::uint32_t>(m_component->GetId()));
    for (CDrawingElement* element : m_nearby) {
        auto* edge = dynamic_cast<CEdge*>(element);
        if (edge != nullptr && IsAlive(edge) && edge->GetStartVertex() != nullptr && edge->GetEndVertex() != nullptr &&
            m_mergeBox.IntersectsLine(edge->GetStartVertex()->GetPosition(), edge->GetEndVertex()->GetPosition())) {
            Weld(octree, edge->GetStartVertex(), false);
            Weld(octree, edge->GetEndVertex(), false);
        }
    }
    const std::vector<CEntity*> entities(m_entities->begin(), m_entities->end());
    for (CEntity* entity : entities) {
        if (!IsAlive(entity)) {
            continue;
        }
        if (auto* edge = dynamic_cast<CEdge*>(entity)) {
            for (CVertex* vertex : {edge->GetStartVertex(), edge->GetEndVertex()}) {
                Weld(octree, vertex, true);
            }
        } else if (auto* face = dynamic_cast<CFace*>(entity)) {
            for (CVertex* vertex : VerticesOf(face)) {
                Weld(octree, vertex, true);
            }
        }
    }
    bool split = false;
    if (m_progress != nullptr && m_entities->GetCount() > 0) {
        m_progress->SetFraction((m_progressAmount * 70.0) / (m_entities->GetCount() * 100.0));
    }
    // By index over the list as it stood: splits append their pieces, and an edge that
    // a split absorbs is nulled here (one made in the same operation is deleted at once).
    for (std::size_t i = 0, count = m_nearby.size(); i < count; ++i) {
        StepProgress();
        CDrawingElement* element = m_nearby[i];
        auto* edge = IsAlive(element) ? dynamic_cast<CEdge*>(element) : nullptr;
        if (edge != nullptr) {
            split = SplitAtOctreeVertices(octree, edge) || split;
        }
    }
    COctree::DeleteAll();
    return split || !m_weldedVertices.empty();
}

bool CMergeController::SplitAtOctreeVertices(COctree& octree, CEdge* edge)
{
    if (edge->GetStartVertex() == nullptr || edge->GetEndVertex() == nullptr) {
        return false;
    }
    const CPoint3d start = edge->GetStartVertex()->GetPosition();
    const CPoint3d end = edge->GetEndVertex()->GetPosition();
    CBoundingBox3d box;
    box.SetEmpty();
    box.Add(start);
    box.Add(end);
    box.Expand(kLengthTolerance);
    std::vector<CVertex*> candidates;
    if (octree.FindVerticesInBox(box, candidates) < 3) {
        return false;
    }
    CVector3d direction = end - start;
    const double length = direction.GetLength();
    if (!direction.Normalize()) {
        return false;
    }
    std::vector<std::pair<double, CVertex*>> cuts;
    for (CVertex* vertex : candidates) {
        const CVector3d offset = vertex->GetPosition() - start;
        const double t = DotProduct(offset, direction);
        if (offset.CrossProduct(direction).GetLength() < kLengthTolerance && t >= kLengthTolerance &&
            t <= length - kLengthTolerance && !edge->HasVertex(vertex)) {
            cuts.emplace_back(t, vertex);
        }
    }
    std::sort(cuts.begin(), cuts.end());
    bool split = false;
    CEdge* current = edge;
    for (const auto& [t, vertex] : cuts) {
        if (current == nullptr || !IsAlive(current) || current->HasVertex(vertex)) {
            continue;
        }
        CEdge* piece = current->SplitAt(vertex);
        if (piece != nullptr) {
            split = true;
            AddNearby(piece);
            current = piece;
        }
    }
    return split;
}

void CMergeController::StepProgress()
{
    if (m_progress == nullptr) {
        return;
    }
    if (m_progress->IsCancelled()) {
        COctree::DeleteAll();
        throw -1;
    }
    m_progress->Step();
}

// --- pass 2: degenerate and duplicate edges ---

std::vector<CEdge*> CMergeController::GetTouchedEdges() const
{
    std::vector<CEdge*> edges;
    for (CEdge* edge : m_touchedEdges) {
        if (IsAlive(edge)) {
            edges.push_back(edge);
        }
    }
    return edges;
}

void CMergeController::CleanUpEdges()
{
    m_touchedEdges.clear();
    for (CVertex* vertex : m_weldedVertices) {
        for (int i = 0; i < vertex->GetEdgeCount(); ++i) {
            m_touchedEdges.insert(vertex->GetEdgeAt(i));
        }
    }
    RemoveDegenerateEdges();
    AbsorbDuplicateEdges();
}

void CMergeController::RemoveDegenerateEdges()
{
    std::vector<std::pair<CCurve*, CEdge*>> rebuild;
    for (CEdge* edge : GetTouchedEdges()) {
        CVertex* start = edge->GetStartVertex();
        CVertex* end = edge->GetEndVertex();
        if (start == nullptr || end == nullptr ||
            (start != end && !start->GetPosition().IsEqual(end->GetPosition()))) {
            continue;
        }
        CCurve* curve = edge->GetCurve();
        if (curve != nullptr && curve->GetEdgeCount() > 1) {
            std::vector<CEdge*> members;
            curve->GetEdges(members);
            const bool atEnd = curve->GetFirstEdge() == edge || curve->GetLastEdge() == edge;
            edge->SetCurve(nullptr);
            curve->ReleaseEdge();
            if (atEnd) {
                curve->RecordChange(true);
                curve->SetFirstEdge(nullptr);
                const auto other = std::find_if(members.begin(), members.end(),
                                                [edge](const CEdge* member) { return member != edge; });
                if (other != members.end()) {
                    rebuild.emplace_back(curve, *other);
                }
            }
        }
        std::vector<CLoop*> loops;
        for (CEdgeUse* use : UsesOf(edge)) {
            loops.push_back(use->GetLoop());
        }
        m_component->EraseEntity(edge);
        RepairLoops(loops);
    }
    for (const auto& [curve, member] : rebuild) {
        if (IsAlive(curve) && IsAlive(member)) {
            curve->RebuildFromEdge(member);
        }
    }
}

void CMergeController::AbsorbDuplicateEdges()
{
    for (CEdge* edge : GetTouchedEdges()) {
        if (!IsAlive(edge) || edge->GetStartVertex() == nullptr) {
            continue;
        }
        CVertex* start = edge->GetStartVertex();
        std::vector<CEdge*> duplicates;
        for (int i = 0; i < start->GetEdgeCount(); ++i) {
            CEdge* other = start->GetEdgeAt(i);
            if (other != edge && other->GetOtherVertex(start) == edge->GetEndVertex()) {
                duplicates.push_back(other);
            }
        }
        for (CEdge* duplicate : duplicates) {
            if (!IsAlive(duplicate)) {
                continue;
            }
            CCurve* curve = duplicate->GetCurve();
            if (curve != nullptr && edge->GetCurve() == nullptr) {
                // The kept edge takes the duplicate's place in its curve.
                edge->SetCurve(curve);
                curve->RecordChange(true);
                if (curve->GetFirstEdge() == duplicate) {
                    curve->SetFirstEdge(edge);
                }
                if (curve->GetLastEdge() == duplicate) {
                    curve->SetLastEdge(edge);
                }
            } else if (curve != nullptr && edge->GetCurve() != curve) {
                duplicate->DetachFromCurve();
            }
            edge->AbsorbDuplicate(duplicate, m_component);
            if (curve != nullptr && IsAlive(curve) && edge->GetCurve() == curve) {
                curve->Update(true, true);
            }
            if (!duplicate->IsSoft()) {
                edge->SetSoftAndSmooth(false, false);
            }
            if (!duplicate->IsHiddenFlagSet()) {
                edge->SetHidden(false);
            }
            std::vector<CLoop*> loops;
            for (CEdgeUse* use : UsesOf(edge)) {
                if (use->GetFace() != nullptr) {
                    loops.push_back(use->GetLoop());
                }
            }
            m_component->EraseEntity(duplicate);
            RepairLoops(loops);
        }
    }
}

void CMergeController::RepairLoops(const std::vector<CLoop*>& loops)
{
    std::vector<CLoop*> seen;
    for (CLoop* loop : loops) {
        if (!IsAlive(loop) || std::find(seen.begin(), seen.end(), loop) != seen.end()) {
            continue;
        }
        seen.push_back(loop);
        CFace* face = loop->GetFace();
        if (face == nullptr || !IsAlive(face)) {
            continue;
        }
        face->OnGeometryChanged();
        if (loop->GetFirstEdgeUse() != nullptr && loop->GetEdgeUseCount() >= 3) {
            continue;
        }
        if (face->GetOuterLoop() == loop) {
            m_entities->Remove(face);
            m_component->EraseEntity(face);
        } else {
            face->RemoveLoop(loop, true);
        }
    }
}

// --- passes 3 and 4: curves and planes at welded vertices ---

void CMergeController::SplitCurves()
{
    std::set<CCurve*> curves;
    for (CVertex* vertex : m_weldedVertices) {
        for (int i = 0; i < vertex->GetEdgeCount(); ++i) {
            if (CCurve* curve = vertex->GetEdgeAt(i)->GetCurve()) {
                curves.insert(curve);
            }
        }
    }
    for (CCurve* curve : curves) {
        if (!IsAlive(curve)) {
            continue;
        }
        std::vector<CVertex*> vertices;
        curve->GetVertices(vertices);
        for (CVertex* vertex : vertices) {
            CEdge* members[2] = {nullptr, nullptr};
            int count = 0;
            bool crossed = false;
            for (int i = 0; i < vertex->GetEdgeCount(); ++i) {
                CEdge* edge = vertex->GetEdgeAt(i);
                if (edge->GetCurve() == curve) {
                    members[count < 2 ? count : 1] = edge;
                    ++count;
                } else if (!edge->IsSoft()) {
                    crossed = true;
                }
            }
            if (count == 2 && crossed && IsAlive(curve)) {
                curve->SplitAtVertex(vertex, members[0], members[1]);
            }
        }
    }
}

void CMergeController::RefitFacesAtWeldedVertices()
{
    for (CVertex* vertex : m_weldedVertices) {
        for (CFace* face : FacesAt(vertex)) {
            face->RefitPlane(nullptr, true);
        }
    }
}

// --- pass 5: faces that now lie on one another ---

void CMergeController::ResolveOverlappingFaces()
{
    for (CEdge* edge : GetTouchedEdges()) {
        bool again = IsAlive(edge);
        // Each resolved overlap erases a face or joins two loops: the use count bounds it.
        for (int guard = edge->GetEdgeUseCount(); again && guard > 0; --guard) {
            again = false;
            const std::vector<CEdgeUse*> uses = UsesOf(edge);
            for (std::size_t i = 0; i < uses.size() && !again; ++i) {
                for (std::size_t j = i + 1; j < uses.size() && !again; ++j) {
                    again = ResolveOverlap(edge, uses[i], uses[j]) && IsAlive(edge);
                }
            }
        }
    }
}

bool CMergeController::ResolveOverlap(CEdge* edge, CEdgeUse* useA, CEdgeUse* useB)
{
    CFace* faceA = useA->GetFace();
    CFace* faceB = useB->GetFace();
    if (faceA == nullptr || faceB == nullptr || faceA == faceB || !faceA->GetPlane().IsEqual(faceB->GetPlane(), false)) {
        return false;
    }
    const bool sameDirection = useA->IsReversed() == useB->IsReversed();
    const bool sameNormal = DotProduct(CVector3d(faceA->GetNormal()), CVector3d(faceB->GetNormal())) >= 0.0;
    if (sameDirection != sameNormal) {
        return false;
    }
    const bool involved = m_entities->Contains(faceA) || m_entities->Contains(faceB);
    const bool reversed = !sameNormal;
    if (reversed) {
        faceB->Reverse();
    }
    CEdgeUse* runA = useA;
    CEdgeUse* runB = useB;
    CEdgeUse* endA = nullptr;
    CEdgeUse* endB = nullptr;
    const int shared = CEdgeUse::CountSharedRun(runA, runB, endA, endB);
    for (CFace* lying : {faceB, faceA}) {
        const CLoop* loop = lying == faceA ? useA->GetLoop() : useB->GetLoop();
        if (shared >= loop->GetEdgeUseCount()) {
            m_entities->Remove(lying);
            m_component->EraseEntity(lying);
            m_changedFaceCount += involved ? 1 : 0;
            return true;
        }
    }
    // The rest of B must lie inside A for the two to be joined.
    const CFaceProjection2d projection(faceA);
    std::vector<CPoint3d> rest;
    const std::vector<CVertex*> ownVertices = VerticesOf(faceA);
    for (CVertex* vertex : VerticesOf(faceB)) {
        if (std::find(ownVertices.begin(), ownVertices.end(), vertex) == ownVertices.end()) {
            rest.push_back(vertex->GetPosition());
        }
    }
    if (rest.empty() && shared == 1) {
        rest.push_back(edge->GetMidPoint());
    }
    const bool inside = !rest.empty() && std::all_of(rest.begin(), rest.end(), [&projection](const CPoint3d& p) {
        return projection.ClassifyPoint(p) == kPointInPolygon;
    });
    if (!inside) {
        if (reversed) {
            faceB->Reverse();
        }
        return false;
    }
    CLoop* loopB = useB->GetLoop();
    useA->GetLoop()->JoinAcrossEdge(loopB, edge);
    faceA->OnGeometryChanged();
    if (loopB->GetFirstEdgeUse() == nullptr) {
        m_entities->Remove(faceB);
        m_component->EraseEntity(faceB);
    }
    m_changedFaceCount += involved ? 1 : 0;
    return true;
}

// --- pass 6: coplanar neighbours ---

void CMergeController::CleanUpCoplanarNeighbours()
{
    std::vector<CFace*> faces;
    std::unordered_set<const CFace*> listed;
    const auto add = [&faces, &listed](CFace* face) {
        if (face != nullptr && listed.insert(face).second) {
            faces.push_back(face);
        }
    };
    for (CEntity* entity : *m_entities) {
        if (auto* face = dynamic_cast<CFace*>(entity)) {
            add(face);
        } else if (auto* edge = dynamic_cast<CEdge*>(entity)) {
            for (CEdgeUse* use : UsesOf(edge)) {
                add(use->GetFace());
            }
        }
    }
    for (std::size_t i = 0, count = faces.size(); i < count; ++i) {
        CEnumEdgeUseFace uses(faces[i]);
        CEdgeUse* use = nullptr;
        while (uses.Next(use)) {
            for (CEdgeUse* partner : UsesOf(use->GetEdge())) {
                CFace* other = partner->GetFace();
                if (other != nullptr && other->GetPlane().IsEqual(faces[i]->GetPlane(), false)) {
                    add(other);
                }
            }
        }
    }
    for (CFace* face : faces) {
        if (IsAlive(face) && face->GetLoopCount() > 1) {
            face->JoinTouchingLoops();
            face->RemoveStrayLoops();
        }
    }
}

// --- pass 7: faces for the new edges ---

bool CMergeController::FindFaces(bool faceOption)
{
    CFaceFinder finder(m_component);
    // Between its searches the pass changes no edge or vertex; the finder hears its own.
    finder.KeepStraightRuns(true);
    m_edgeWorkList.clear();
    if (m_weldedVertices.empty()) {
        for (CEntity* entity : *m_entities) {
            if (auto* edge = dynamic_cast<CEdge*>(entity); edge != nullptr && edge->IsFree()) {
                m_edgeWorkList.push_back(edge);
            }
        }
    } else {
        for (CEdge* edge : GetTouchedEdges()) {
            if (edge->IsFree() || m_entities->Contains(edge)) {
                m_edgeWorkList.push_back(edge);
            }
        }
    }
    // The list is copied entry by entry, since the finder's erasures null its entries.
    for (std::size_t i = 0; i < m_edgeWorkList.size(); ++i) {
        StepProgress();
        if (CEdge* edge = m_edgeWorkList[i]) {
            finder.FindFaces(edge, !faceOption);
        }
    }
    finder.AddFacesTo(m_component);
    std::vector<CFace*> ownFaces;
    for (CEntity* entity : *m_entities) {
        if (auto* face = dynamic_cast<CFace*>(entity)) {
            ownFaces.push_back(face);
        }
    }
    for (CFace* face : ownFaces) {
        const int before = face->GetLoopCount();
        finder.FitFace(face);
        if (IsAlive(face) && face->GetLoopCount() > before) {
            ++m_changedFaceCount;
        }
    }
    return finder.GetFaceCount() > 0;
}
