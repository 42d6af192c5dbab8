#pragma once
// CVertex: the point where edges meet. It is not drawn and belongs to no component:
// it belongs to the edges that use it, and keeps the list of those edges, in the
// order they registered. Edges add and remove themselves (model/edge.h); the list is
// not stored in files but rebuilt as the edges are read.

#include <cstddef>

#include "foundation/point3d.h"
#include "model/entity.h"
#include "model/topologyarray.h"

class CArcCurve;
class CEdge;
class CEdgeUse;
class CEnumEdge;
class CEnumFace;
class CEnumLoop;
class CFace;

class CVertex : public CEntity
{
    DECLARE_SERIAL(CVertex)

public:
    // Objects of exactly this class take slots of the class's slab allocator; larger
    // derived objects go to the heap.
    [[nodiscard]] static void* operator new(std::size_t size);
    static void operator delete(void* object, std::size_t size);

    // At the origin, no edges.
    CVertex();
    explicit CVertex(const CPoint3d& position);
    // The position and an own copy of the edge list (same edges, same order).
    CVertex(const CVertex& other);
    ~CVertex() override;

    // The entity part, then the position. Throws the archive exception on bad input.
    void Serialize(CArchive& ar) override;
    // Every edge that names this vertex forgets it (keeping a null end), then the
    // entity is erased.
    void Erase() override;
    void Transform(const CTransformation& transform) override;
    [[nodiscard]] CEntity* Clone() const override;
    // The other entity must be a vertex.
    void SwapData(CEntity& other) override;
    // The own parent, else the parent of the first edge that has one.
    [[nodiscard]] CEntity* GetParent() const override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;

    [[nodiscard]] const CPoint3d& GetPosition() const { return m_position; }
    void SetPosition(const CPoint3d& position);

    [[nodiscard]] int GetEdgeCount() const { return m_edges.GetCount(); }
    [[nodiscard]] int GetEdgeCapacity() const { return m_edges.GetCapacity(); }
    [[nodiscard]] bool HasEdges() const { return !m_edges.IsEmpty(); }
    // Null for an index outside 0..count-1.
    [[nodiscard]] CEdge* GetEdgeAt(int index) const { return m_edges.GetAt(index); }
    // Appends the edge. With curveCheck, a curve that ran through this vertex is told
    // that a further edge now meets it here.
    void AddEdge(CEdge* edge, bool curveCheck);
    // Removes the first occurrence. With mergeArcs, two arcs of one circle left
    // meeting here become one curve.
    void RemoveEdge(CEdge* edge, bool mergeArcs);
    // An edge discarded with its whole model leaves: the first occurrence is removed, no
    // curve mended, and the vertex is discarded once no edge is left. True when it was.
    bool ForgetDiscardedEdge(CEdge* edge);
    [[nodiscard]] bool ContainsEdge(const CEdge* edge) const { return m_edges.Contains(edge); }
    // The first edge from here to the vertex; null when there is none.
    [[nodiscard]] CEdge* FindEdgeTo(const CVertex* vertex) const;
    // The first edge of the list other than the given one; null when there is none.
    [[nodiscard]] CEdge* GetOtherEdge(const CEdge* edge) const;
    [[nodiscard]] bool HasEdgeOnFace(const CFace* face) const;
    [[nodiscard]] CEdgeUse* FindEdgeUseOnFace(const CFace* face) const;
    // True when exactly two edges of the list have a curve, and the same one.
    bool GetCurvePair(CEdge*& edge1, CEdge*& edge2) const;
    // Takes over every edge of another vertex at the same place (within 0.001); the
    // other vertex is erased when it loses its last edge. Nothing when they differ.
    void MergeVertex(CVertex* other);
    // Erases a vertex without edges and answers true. With healing, a vertex between
    // exactly two edges on one line is healed: the edges merge into one (the argument
    // is their component) and the vertex goes.
    bool RemoveIfRedundant(CEntity* arg, bool allowHeal);

    // Enumerators; the caller deletes them.
    [[nodiscard]] CEnumEdge* NewEdgeEnum() const;
    [[nodiscard]] CEnumLoop* NewLoopEnum() const;
    [[nodiscard]] CEnumFace* NewFaceEnum() const;

    // The edge list itself, for the enumerators.
    [[nodiscard]] const CTopologyArray<CEdge>& GetEdges() const { return m_edges; }

private:
    void MergeArcsAfterRemoval();
    int CheckEdgeList(int mode, CValidityResultMap* results);

    CPoint3d m_position;
    CTopologyArray<CEdge> m_edges;
};

// Reads an object reference that must be a vertex (null allowed); throws the archive
// exception badClass for another class.
[[nodiscard]] CVertex* ReadVertex(CArchive& ar);
