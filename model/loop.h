#pragma once
// CLoop: a closed boundary of a face, a ring of edge uses walked through next. A face
// has one outer loop, counter-clockwise about the face normal, and any number of
// holes, clockwise. The loop editing operations below keep both the loop rings and
// the radial rings consistent and record every change for undo.

#include <cstddef>
#include <vector>

#include "foundation/point2d.h"
#include "foundation/point3d.h"
#include "foundation/vector3d.h"
#include "model/entity.h"

struct CBoundingBox3d;
class CEdge;
class CEdgeUse;
class CEnumEdge;
class CEnumEdgeUse;
class CEnumVertex;
class CFace;
class CVertex;
class IEdgeProcedure;
class IEdgeUseProcedure;
class IVertexProcedure;
struct CPlane3d;

// Answers of CLoop::ClassifyPoint.
enum LoopPointClass : int
{
    kLoopPointInside = 1,
    kLoopPointOutside = 2,
    kLoopPointOnEdge = 3,
    kLoopPointOnVertex = 4
};

class CLoop : public CEntity
{
    DECLARE_SERIAL(CLoop)

public:
    // Objects of exactly this class take slots of the class's slab allocator; larger
    // derived objects go to the heap.
    [[nodiscard]] static void* operator new(std::size_t size);
    static void operator delete(void* object, std::size_t size);

    // No face, no uses, outer and convex.
    CLoop();
    // Takes over an existing ring: every use of it gets this loop.
    CLoop(CEdgeUse* firstUse, CFace* face);
    // A new ring of new uses over the same edges, same directions and convexity as
    // the other loop's; no face and not outer.
    explicit CLoop(const CLoop* ringSource);
    // A ring over an ordered chain of edges, each use running on towards the next
    // edge; wound counter-clockwise about the face normal.
    CLoop(int edgeCount, CEdge* const* edges, CFace* face);
    // Shares face and first use and copies the flags; no new ring (undo snapshots).
    CLoop(const CLoop& other);
    ~CLoop() override;

    // The entity part, the two flags, then the uses in ring order ended by null.
    // Reading rebuilds the ring in read order. Throws the archive exception on bad
    // input; a missing first use (when uses follow), a use that belongs to another loop
    // or a use met twice is badIndex.
    void Serialize(CArchive& ar) override;
    // Erases every use of the ring, then the entity.
    void Erase() override;
    // Discards the uses of the ring without taking them out of their edges' rings: the
    // edges go with the same model and never look at them again.
    void Discard() override;
    // Adds the first use, which gathers the ring and its edges.
    bool CollectDependents(CEntitySet& set) override;
    [[nodiscard]] CEntity* Clone() const override;
    // The other entity must be a loop.
    void SwapData(CEntity& other) override;
    // The own parent, else the face's.
    [[nodiscard]] CEntity* GetParent() const override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;

    [[nodiscard]] CFace* GetFace() const { return m_face; }
    [[nodiscard]] CEdgeUse* GetFirstEdgeUse() const { return m_firstUse; }
    [[nodiscard]] bool IsOuter() const { return m_outer; }
    [[nodiscard]] bool IsConvex() const { return m_convex; }
    void SetFace(CFace* face);
    void SetFirstEdgeUse(CEdgeUse* use);
    void SetOuter(bool outer);

    // The uses of the ring; a ring that never comes back is cut off at the guard
    // (the entity count of the component, at least 10000) plus one.
    [[nodiscard]] int GetEdgeUseCount() const;
    // The guard of GetEdgeUseCount.
    [[nodiscard]] int GetRingGuard() const;

    // Enumerators; the caller deletes them.
    [[nodiscard]] CEnumEdgeUse* NewEdgeUseEnum() const;
    [[nodiscard]] CEnumEdge* NewEdgeEnum() const;
    [[nodiscard]] CEnumVertex* NewVertexEnum() const;

    [[nodiscard]] bool ContainsEdge(const CEdge* edge) const;
    // An edge of this loop that the other loop uses too; null when none.
    [[nodiscard]] CEdge* SharesEdgeWith(const CLoop* other) const;
    // The uses that arrive at and leave the vertex; false when the loop does not pass it.
    bool FindUsesAtVertex(const CVertex* vertex, CEdgeUse*& before, CEdgeUse*& after) const;
    // The first use whose edge another loop of the same face also uses, with that
    // other use; false when none.
    bool FindAdjacentLoopOfFace(CEdgeUse*& use, CEdgeUse*& partner) const;

    // Call the procedure with each start vertex, edge or use in ring order until it
    // answers false.
    void ForEachVertex(IVertexProcedure& procedure) const;
    void ForEachEdge(IEdgeProcedure& procedure) const;
    void ForEachEdgeUse(IEdgeUseProcedure& procedure) const;

    // The start vertices in ring order, each transformed when a transformation is given.
    void GetPoints(std::vector<CPoint3d>& points, const CTransformation* transform) const;
    // Positive when the loop winds counter-clockwise about the normal. With a box, each
    // corner is added to it on the same walk.
    [[nodiscard]] double GetSignedArea(const CVector3d& normal, const CTransformation* transform,
                                       CBoundingBox3d* corners = nullptr) const;
    [[nodiscard]] bool IsCounterClockwise(const CVector3d& normal) const;
    // What the convexity test of a triangle works out on the way: the turn at its first
    // corner (the normal's dot product with the cross product of the sides meeting
    // there: twice its area along the normal, times the normal's length) and the sum of
    // its sides' squared lengths.
    struct STriangleMeasures
    {
        double turn = 0.0;
        double squaredSides = 0.0;
    };
    // Recomputes the cached convexity (a straight corner counts as convex only when
    // accepted) and answers it; the face's geometry counts as changed.
    bool UpdateConvexity(const CVector3d& normal, bool acceptCollinear);
    // The same, telling whether the loop is a triangle and, when it is, its corners (room
    // for three), fetched once for the test and for the caller, and its measures.
    bool UpdateConvexity(const CVector3d& normal, bool acceptCollinear, CPoint3d* corners, bool& triangle,
                         STriangleMeasures& measures);
    // The answer UpdateConvexity gives for a ring through the points, and the same for
    // three points without the general walk.
    [[nodiscard]] static bool IsConvexRing(const CPoint3d* points, std::size_t count, const CVector3d& normal,
                                           bool acceptCollinear);
    [[nodiscard]] static bool IsConvexTriangle(const CPoint3d& a, const CPoint3d& b, const CPoint3d& c,
                                               const CVector3d& normal, bool acceptCollinear);
    // The same, with the triangle's measures.
    [[nodiscard]] static bool IsConvexTriangle(const CPoint3d& a, const CPoint3d& b, const CPoint3d& c,
                                               const CVector3d& normal, bool acceptCollinear,
                                               STriangleMeasures& measures);
    // Runs the ring the other way: previous and next exchanged, every use's reversed
    // flag inverted; the first use stays.
    void Reverse();
    // Exchanges the two rings; every use then names its new loop.
    void SwapRings(CLoop* other);
    // A LoopPointClass of the point against the loop projected along the axis that is
    // dropped (0 z, 1 x, 2 y: the loop is seen in the two coordinates after it).
    [[nodiscard]] int ClassifyPoint(const CPoint3d& point, int axis, const CTransformation* transform) const;
    // The normal of the face's plane, the z axis without face.
    [[nodiscard]] CVector3d GetFaceNormal() const;

    // --- editing, for the face operations and the merging ---
    // Joins another loop that shares the edge into this one in place of the shared run.
    void JoinAcrossEdge(CLoop* other, CEdge* edge);
    // Removes pairs of uses that run along an edge and straight back, around the use;
    // answers how many pairs went.
    int RemoveBackAndForth(CEdgeUse* startUse);
    // Replaces the uses from..to by the other loop's run otherFrom..otherTo, walked backwards.
    void ReplaceRun(CEdgeUse* from, CEdgeUse* to, CEdgeUse* otherFrom, CEdgeUse* otherTo);
    // One new use per edge after the use, in list order (or reversed list order);
    // answers the last use inserted (the given use when nothing was).
    CEdgeUse* InsertEdgesAfter(CEdgeUse* use, int count, CEdge* const* edges);
    CEdgeUse* InsertEdgesAfterReversed(CEdgeUse* use, int count, CEdge* const* edges);
    // Inserts the chain of edges that runs from the vertex through firstEdge up to
    // lastEdge; answers the last use inserted, null when the chain breaks off.
    CEdgeUse* InsertEdgeChain(CEdgeUse* afterUse, CVertex* vertex, CEdge* firstEdge, CEdge* lastEdge);
    // Splits the loop along a chain of edges between two of its vertices; answers the
    // new loop (without face), null when nothing was split.
    CLoop* SplitByEdges(int count, CEdge* const* edges);
    // Joins the other loop (a hole) into this one along a chain from vertexA to vertexB.
    bool ConnectLoops(CVertex* vertexA, CEdge* firstEdge, CVertex* vertexB, CEdge* lastEdge, CLoop* other);
    // Separates the ring at an edge it uses twice; answers the new loop, or null when
    // the two uses were simply taken out.
    CLoop* SplitAtEdge(CEdge* edge);
    // A face with the same plane that lies along every edge of this loop; null when none.
    [[nodiscard]] CFace* FindCoplanarFaceOnAllEdges() const;
    // Appends the start vertices (transformed first when a transformation is given) in
    // the plane's own two coordinates.
    void GetPolygon(const CPlane3d& plane, const CTransformation* transform, std::vector<CPoint2d>& polygon) const;
    // The start points of a ring of exactly three uses, each with a start vertex; false
    // for any other ring.
    bool GetTrianglePoints(CPoint3d* points) const;

private:
    void ReadRecord(CArchive& ar);
    void WriteRecord(CArchive& ar) const;
    void ChainReadUses(CArchive& ar);
    void AdoptRing(CEdgeUse* firstUse);
    [[nodiscard]] std::vector<CEdgeUse*> GetUses() const;
    void EraseUse(CEdgeUse* use);
    int CheckLinks(int mode, CValidityResultMap* results);
    int CheckRing(int mode, CValidityResultMap* results);
    int CheckGeometry(int mode, CValidityResultMap* results);
    int CheckEdgeParents(int mode, CValidityResultMap* results);

    // The flags first: they fill the space behind the entity part.
    bool m_outer = true;
    bool m_convex = true;
    CFace* m_face = nullptr;
    CEdgeUse* m_firstUse = nullptr;
};

// Reads an object reference that must be a loop (null allowed); throws the archive
// exception badClass for another class.
[[nodiscard]] CLoop* ReadLoopObject(CArchive& ar);
