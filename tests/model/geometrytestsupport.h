#pragma once
// Support for the tests of the geometry operations: a current model that records its
// changes, one recorded operation at a time, and a way to take that operation back by
// exchanging every changed entity with its saved copy and reversing what went into and
// out of containers. Comparing the component's entities written to bytes before and
// after shows whether the operation recorded everything it changed.

#include <algorithm>
#include <optional>
#include <vector>

#include "document/component.h"
#include "document/tarnwickmodel.h"
#include "model/undomanager.h"
#include "model/undooperation.h"
#include "tests/document/undoreplay.h"
#include "tests/model/topologytestsupport.h"

namespace geometrytest {

using Bytes = std::vector<BYTE>;

// The entities written one after another, as the component holds them.
inline Bytes WriteEntities(const std::vector<CDrawingElement*>& entities)
{
    return entitytest::Store([&entities](CArchive& ar) {
        for (CDrawingElement* entity : entities) {
            ar.WriteObject(entity);
        }
    });
}

// Geometry made in a component, outside any operation.
inline CVertex* Vertex(double x, double y, double z = 0.0)
{
    return new CVertex(CPoint3d(x, y, z));
}

// The edge between the two vertices, made in the component when there is none.
inline CEdge* Edge(CComponent& component, CVertex* start, CVertex* end)
{
    if (CEdge* existing = start->FindEdgeTo(end)) {
        return existing;
    }
    auto* edge = new CEdge(start, end, false);
    component.Add(edge);
    return edge;
}

// A face over the ring of vertices, counter-clockwise about +z.
inline CFace* Face(CComponent& component, const std::vector<CVertex*>& ring)
{
    std::vector<CEdge*> edges;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        edges.push_back(Edge(component, ring[i], ring[(i + 1) % ring.size()]));
    }
    auto* face = new CFace(static_cast<int>(edges.size()), edges.data(),
                           CPlane3d(ring[0]->GetPosition(), CVector3d(0, 0, 1)));
    component.Add(face);
    return face;
}

// A hole of the face over the ring, given clockwise seen from the front.
inline CLoop* Hole(CComponent& component, CFace* face, const std::vector<CVertex*>& ring)
{
    auto* loop = new CLoop;
    CEdgeUse* previous = nullptr;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        CEdge* edge = Edge(component, ring[i], ring[(i + 1) % ring.size()]);
        previous = new CEdgeUse(edge, edge->GetStartVertex() != ring[i], previous, loop);
    }
    face->AddInnerLoop(loop);
    return loop;
}

// The faces the component holds.
inline int CountFaces(const CComponent& component)
{
    int count = 0;
    for (CDrawingElement* element : component.GetEntityList()) {
        count += dynamic_cast<CFace*>(element) != nullptr ? 1 : 0;
    }
    return count;
}

// A current model whose changes are recorded while an operation is open. Geometry
// built outside an operation is not recorded.
class RecordingModel
{
public:
    RecordingModel() : m_model(new CTarnwickModel)
    {
        m_model->MakeCurrent();
        SetCurrentUndoManager(m_model->GetUndoManager());
        m_wasRecording = IsRecordingChanges();
        SetRecordingChanges(false);
    }
    ~RecordingModel()
    {
        // Redone before the model goes, so that the model and the operation each free
        // what they own.
        m_undo.reset();
        SetRecordingChanges(false);
        m_model->Release();
        SetCurrentUndoManager(m_previous);
        SetRecordingChanges(m_wasRecording);
    }
    RecordingModel(const RecordingModel&) = delete;
    RecordingModel& operator=(const RecordingModel&) = delete;

    [[nodiscard]] CComponent& Component() const { return *m_model->GetRootComponent(); }

    // Remembers the component's entities and their bytes, then opens an operation.
    void Begin()
    {
        m_before = Component().GetEntityList();
        m_bytesBefore = WriteEntities(m_before);
        SetRecordingChanges(true);
        m_operation = GetCurrentUndoManager()->Start(1);
    }
    // Takes the open operation back and answers whether the entities that were in the
    // component are there again, each written as it was.
    [[nodiscard]] bool UndoRestores()
    {
        SetRecordingChanges(false);
        m_undo.emplace(*m_operation);
        std::vector<CDrawingElement*> now = Component().GetEntityList();
        std::vector<CDrawingElement*> before = m_before;
        std::sort(now.begin(), now.end());
        std::sort(before.begin(), before.end());
        return now == before && WriteEntities(m_before) == m_bytesBefore;
    }

private:
    entitytest::QuietSettings m_settings;
    // Taken before the model exists: a new model's manager becomes current at once.
    CUndoManager* m_previous = GetCurrentUndoManager();
    CurrentModelScope m_scope;
    CTarnwickModel* m_model;
    bool m_wasRecording = true;
    std::vector<CDrawingElement*> m_before;
    Bytes m_bytesBefore;
    CUndoOperation* m_operation = nullptr;
    std::optional<undoreplay::UndoReplay> m_undo;
};

} // namespace geometrytest
