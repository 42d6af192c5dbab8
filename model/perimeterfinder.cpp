#include "model/perimeterfinder.h"

#include <algorithm>
#include <unordered_map>

#include "document/componentinstance.h"
#include "foundation/plane3d.h"
#include "foundation/transformation.h"
#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/entitycontainer.h"
#include "model/enumedgeuse.h"
#include "model/face.h"
#include "model/facefinder.h"
#include "model/faceprojection2d.h"
#include "model/loop.h"
#include "model/undosuspender.h"
#include "model/vertex.h"

namespace {

// The scratch faces in order, for the face finder's overlap check; null entries are
// passed over.
class CIterateFaces : public IEntityIterator
{
public:
    explicit CIterateFaces(const std::vector<CFace*>* faces) : m_faces(faces) {}
    void Reset() override { m_index = 0; }
    bool Next(CEntity*& entity) override
    {
        while (m_index < m_faces->size()) {
            CFace* face = (*m_faces)[m_index++];
            if (face != nullptr) {
                entity = face;
                return true;
            }
        }
        entity = nullptr;
        return false;
    }

private:
    const std::vector<CFace*>* m_faces;
    std::size_t m_index = 0;
};

// An exact order of the edges by their midpoints, larger x first, then larger y, then
// larger z. (A comparison that treats close coordinates as equal is no strict weak
// order, which a sort may not be given.)
bool ComesFirst(const CEdge* a, const CEdge* b)
{
    const CPoint3d p = a->GetMidPoint();
    const CPoint3d q = b->GetMidPoint();
    if (p.x != q.x) {
        return p.x > q.x;
    }
    if (p.y != q.y) {
        return p.y > q.y;
    }
    return p.z > q.z;
}

} // namespace

CPerimeterFinder::CPerimeterFinder() = default;

CPerimeterFinder::~CPerimeterFinder()
{
    Clear();
}

CFace* CPerimeterFinder::GetFace(int index) const
{
    return index >= 0 && index < GetFaceCount() ? m_faces[static_cast<std::size_t>(index)] : nullptr;
}

CComponentInstance* CPerimeterFinder::GetInstance(int index) const
{
    return index >= 0 && index < GetInstanceCount() ? m_instances[static_cast<std::size_t>(index)] : nullptr;
}

CEdge* CPerimeterFinder::GetSourceEdge(const CEdge* scratch) const
{
    const auto found = m_sources.find(scratch);
    return found != m_sources.end() ? found->second : nullptr;
}

void CPerimeterFinder::Clear()
{
    const CUndoSuspender suspender;
    for (CFace* face : m_faces) {
        if (face != nullptr) {
            face->Erase();
        }
    }
    for (CEdge* edge : m_edges) {
        if (edge != nullptr) {
            edge->Erase();
        }
    }
    m_faces.clear();
    m_edges.clear();
    m_instances.clear();
    m_sources.clear();
}

void CPerimeterFinder::Find(IEntityIterator* entities, const CTransformation& transform)
{
    Clear();
    if (entities == nullptr) {
        return;
    }
    // The copies are scratch: nothing of them belongs in an undo operation.
    const CUndoSuspender suspender;
    Collect(entities, transform);
    SortEdges();
    PruneDanglingChains();
    Compact();
    FindScratchFaces(transform);
    JoinFaces();
    KeepOutermost();
    EraseUnusedEdges();
    Compact();
}

void CPerimeterFinder::Collect(IEntityIterator* entities, const CTransformation& transform)
{
    const CPlane3d plane(transform.GetOrigin(), CVector3d(transform.GetZAxis()));
    std::unordered_map<const CVertex*, CVertex*> copies;
    const auto copyOf = [&copies](const CVertex* vertex) {
        CVertex*& copy = copies[vertex];
        if (copy == nullptr) {
            copy = new CVertex(vertex->GetPosition());
        }
        return copy;
    };
    entities->Reset();
    CEntity* entity = nullptr;
    while (entities->Next(entity)) {
        if (auto* instance = dynamic_cast<CComponentInstance*>(entity)) {
            // The instance's own base plane, carried into the plane's space.
            CPlane3d base;
            (transform * instance->GetTransform()).TransformPlane(base);
            if (base.IsEqual(plane, false)) {
                m_instances.push_back(instance);
            }
            continue;
        }
        auto* edge = dynamic_cast<CEdge*>(entity);
        const CVertex* start = edge != nullptr ? edge->GetStartVertex() : nullptr;
        const CVertex* end = edge != nullptr ? edge->GetEndVertex() : nullptr;
        if (start == nullptr || end == nullptr || start == end || !start->GetPosition().IsOnPlane(plane) ||
            !end->GetPosition().IsOnPlane(plane)) {
            continue;
        }
        auto* copy = new CEdge(copyOf(start), copyOf(end), false);
        m_edges.push_back(copy);
        m_sources[copy] = edge;
    }
}

void CPerimeterFinder::SortEdges()
{
    std::sort(m_edges.begin(), m_edges.end(), ComesFirst);
}

void CPerimeterFinder::PruneDanglingChains()
{
    std::unordered_map<const CEdge*, std::size_t> index;
    for (std::size_t i = 0; i < m_edges.size(); ++i) {
        index[m_edges[i]] = i;
    }
    for (std::size_t i = 0; i < m_edges.size(); ++i) {
        CEdge* edge = m_edges[i];
        if (edge == nullptr) {
            continue;
        }
        CVertex* vertex = edge->GetStartVertex()->GetEdgeCount() == 1 ? edge->GetStartVertex()
                          : edge->GetEndVertex()->GetEdgeCount() == 1 ? edge->GetEndVertex()
                                                                      : nullptr;
        // Each step erases one edge, so the chain's length bounds the walk.
        while (vertex != nullptr && vertex->GetEdgeCount() == 1) {
            CEdge* last = vertex->GetEdgeAt(0);
            CVertex* next = last->GetOtherVertex(vertex);
            const bool nextGoesToo = next == nullptr || next == vertex || next->GetEdgeCount() == 1;
            m_edges[index[last]] = nullptr;
            m_sources.erase(last);
            last->Erase();
            vertex = nextGoesToo ? nullptr : next;
        }
    }
}

void CPerimeterFinder::Compact()
{
    std::erase(m_edges, nullptr);
    std::erase(m_faces, nullptr);
}

void CPerimeterFinder::FindScratchFaces(const CTransformation& transform)
{
    const CVector3d normal(transform.GetZAxis());
    for (std::size_t cursor = 0; cursor < m_edges.size(); ++cursor) {
        CEdge* edge = m_edges[cursor];
        if (edge == nullptr || !edge->IsFree()) {
            continue;
        }
        std::vector<CEntity*> marks(m_edges.begin(), m_edges.end());
        std::erase(marks, nullptr);
        CIterateFaces faces(&m_faces);
        CFaceFinder finder(&faces, &marks);
        finder.FindFaces(edge, false);
        for (int i = 0; i < finder.GetFaceCount(); ++i) {
            CFace* face = finder.GetFace(i);
            if (CVector3d(face->GetNormal()) == normal) {
                face->Reverse();
            }
            m_faces.push_back(face);
        }
        for (CEntity* mark : marks) {
            static_cast<CEdge*>(mark)->SetFlagBits(CFaceFinder::kMarkVisited | CFaceFinder::kMarkOther, false);
        }
    }
}

void CPerimeterFinder::JoinFaces()
{
    for (CEdge*& edge : m_edges) {
        if (edge == nullptr || edge->GetEdgeUseCount() != 2) {
            continue;
        }
        CEdgeUse* first = edge->GetFirstEdgeUse();
        CEdgeUse* second = first->GetNextAroundEdge();
        CFace* keeper = first->GetFace();
        CFace* absorbed = second->GetFace();
        if (keeper == nullptr || absorbed == nullptr) {
            continue;
        }
        if (keeper == absorbed) {
            if (!first->GetLoop()->IsOuter()) {
                keeper->RemoveLoop(first->GetLoop(), true);
            }
        } else if (keeper->MergeWith(absorbed, edge)) {
            std::replace(m_faces.begin(), m_faces.end(), absorbed, static_cast<CFace*>(nullptr));
            absorbed->Erase();
        }
        EraseUnusedEdges();
    }
}

void CPerimeterFinder::KeepOutermost()
{
    for (CFace* face : m_faces) {
        if (face != nullptr) {
            face->EraseInnerLoops();
        }
    }
    for (std::size_t i = 0; i < m_faces.size(); ++i) {
        for (std::size_t j = i + 1; j < m_faces.size() && m_faces[i] != nullptr; ++j) {
            if (m_faces[j] == nullptr) {
                continue;
            }
            if (IsFaceInsideFace(m_faces[i], m_faces[j])) {
                m_faces[i]->Erase();
                m_faces[i] = nullptr;
            } else if (IsFaceInsideFace(m_faces[j], m_faces[i])) {
                m_faces[j]->Erase();
                m_faces[j] = nullptr;
            }
        }
    }
}

void CPerimeterFinder::EraseUnusedEdges()
{
    for (CEdge*& edge : m_edges) {
        if (edge != nullptr && edge->IsFree()) {
            m_sources.erase(edge);
            edge->Erase();
            edge = nullptr;
        }
    }
}
