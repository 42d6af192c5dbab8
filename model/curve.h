#pragma once
// CCurve: an ordered chain of edges that behaves as one thing: a polyline, or the
// many short edges that stand for an arc. The geometry stays in the edges and their
// vertices; each edge points to its curve, and the curve knows the first and the last
// edge of the chain and how many edges it has. Walks along the chain never trust the
// count alone: a chain read from a damaged file may branch or close on itself, so
// every walk also stops at an edge it has already visited.

#include <cstdint>
#include <vector>

#include "foundation/plane3d.h"
#include "foundation/point3d.h"
#include "foundation/vector3d.h"
#include "model/entity.h"

class CArcCurve;
class CEdge;
class CVertex;

// Direction codes of an edge within its curve.
enum CurveEdgeDirection : int
{
    kCurveDirectionUnknown = 0,
    kCurveDirectionForward = 1,   // the edge's start vertex comes first along the curve
    kCurveDirectionReversed = 2
};

class CCurve : public CEntity
{
    DECLARE_SERIAL(CCurve)

public:
    CCurve();
    // Copies first and last edge, count and flag; the edges are not told.
    CCurve(const CCurve& other);
    ~CCurve() override;

    // Reads or writes the curve part after the entity part. Throws the archive
    // exception on bad input: a negative count, an edge reference of another class.
    void Serialize(CArchive& ar) override;
    // Adds the chain's edges with the curve.
    bool CollectDependents(CEntitySet& set) override;
    // A plain curve has no geometry of its own.
    void Transform(const CTransformation& transform) override;
    [[nodiscard]] CEntity* Clone() const override;
    // The other entity must be a curve.
    void SwapData(CEntity& other) override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;

    // A CurveEdgeDirection; unknown when the chain is not sound.
    [[nodiscard]] virtual int GetEdgeDirection(const CEdge* edge) const;
    // A plain curve is never closed in the non-geometric sense; geometrically it is
    // closed when its end points coincide.
    [[nodiscard]] virtual bool IsClosed(bool geometric) const;
    // False for a plain curve; see CArcCurve.
    virtual bool GetQuadrantPoints(CPoint3d points[4]) const;
    [[nodiscard]] virtual bool IsInFacePlanes() const;
    // Refits what the curve derives from its chain; nothing for a plain curve.
    virtual void Update(bool keepSeamless, bool throughStart);
    virtual void MoveBulge(const CPoint3d& target);
    virtual void MoveRadius(const CPoint3d& directionPoint, const CPoint3d& target);
    // Moves the vertices so that the curve follows one end vertex moving; P and Q
    // are the two positions the caller hands over. Nothing for a closed curve.
    virtual void StretchToEndpoint(CVertex* vertex, const CPoint3d& positionP, const CPoint3d& positionQ);
    [[nodiscard]] virtual double GetLength() const;
    virtual bool GetMidPoint(CPoint3d& point) const;
    [[nodiscard]] virtual bool IsPointOnArc(const CPoint3d& point) const;
    [[nodiscard]] virtual bool IsArc() const;
    // The XY plane for a plain curve.
    [[nodiscard]] virtual CPlane3d GetPlane() const;
    // The normal of the plane fitted through the vertices; zero when none fits.
    [[nodiscard]] virtual CVector3d GetNormal() const;
    // A curve of the same class with no edges and the same flag; the caller owns it.
    [[nodiscard]] virtual CCurve* NewEmptyCurve() const;

    [[nodiscard]] CEdge* GetFirstEdge() const { return m_firstEdge; }
    [[nodiscard]] CEdge* GetLastEdge() const { return m_lastEdge; }
    [[nodiscard]] std::int32_t GetEdgeCount() const { return m_edgeCount; }
    [[nodiscard]] bool GetFlag() const { return m_flag; }
    void SetFlag(bool flag);
    void SetFirstEdge(CEdge* edge) { m_firstEdge = edge; }
    void SetLastEdge(CEdge* edge) { m_lastEdge = edge; }
    // Records the change; used by the registry and repair, which know the count.
    void SetEdgeCount(std::int32_t count);

    // Null when there is no first (last) edge or it lacks the vertex.
    [[nodiscard]] CVertex* GetStartVertex() const;
    [[nodiscard]] CVertex* GetEndVertex() const;
    // Appends the chain's edges from the first to the last; returns how many are in out.
    int GetEdges(std::vector<CEdge*>& out) const;
    // Appends the start vertex and the far vertex of each edge in turn; a closed chain
    // repeats its start vertex at the end. Returns how many are in out.
    int GetVertices(std::vector<CVertex*>& out) const;

    // Records the change and counts one more edge.
    void AddEdgeCount();
    // Records the change and counts one edge less; the curve erases itself when none
    // is left, after which the caller must not use it.
    void ReleaseEdge();
    // Finds first and last edge again from one member edge, the seam of a closed chain
    // where other visible geometry meets it, then updates.
    void RebuildFromEdge(CEdge* edge);
    // Splits the curve where a further edge meets it at the vertex between its edges
    // edgeA and edgeB; a closed curve moves its seam there instead.
    void SplitAtVertex(CVertex* vertex, CEdge* edgeA, CEdge* edgeB);
    // Detaches every edge that names this curve, then erases the curve. The caller
    // must not use the curve afterwards.
    void EraseAndDetach();

    // The registry's chain walk from edge e, accepting a vertex only where exactly one
    // further edge of the curve meets; sets first and last edge as far as found.
    // Answers n and sets the count when exactly n edges were walked, else 0.
    int ChainFromEdge(CEdge* edge, int n);

    // The next edge of this curve at the vertex after the given edge: the first in
    // the vertex's list other than it; null when there is none.
    [[nodiscard]] CEdge* GetNextCurveEdge(const CVertex* vertex, const CEdge* after) const;
    // The edge's start (end) vertex along the curve.
    [[nodiscard]] static CVertex* GetStartVertexAlong(const CEdge* edge);
    [[nodiscard]] static CVertex* GetEndVertexAlong(const CEdge* edge);

protected:
    // The plane through the positions of the vertices, or GetPlane when none fits.
    [[nodiscard]] CPlane3d GetReferencePlane(const std::vector<CPoint3d>& positions) const;
    // The plain curve's stretch, shared with the arc curve's open-end case.
    void StretchPolyline(CVertex* vertex, const CPoint3d& positionP, const CPoint3d& positionQ);
    // Places each vertex at its position, recording the change.
    static void MoveVertices(const std::vector<CVertex*>& vertices, const std::vector<CPoint3d>& positions);
    // The curve's own part of the check, after the class test: a severity, or -1 when
    // repair erased the curve (which must then not be used).
    int CheckCurvePart(int mode, CValidityResultMap* results);

private:
    void ReadRecord(CArchive& ar);
    void WriteRecord(CArchive& ar) const;
    [[nodiscard]] bool IsSeamCandidate(const CVertex* vertex) const;
    [[nodiscard]] int CountVertexCurveEdges(const CVertex* vertex) const;
    // The next edge as GetNextCurveEdge finds it; for a strict walk null unless
    // exactly two of the curve's edges meet at the vertex.
    [[nodiscard]] CEdge* GetNextChainEdge(const CVertex* vertex, const CEdge* after, bool strict) const;
    // Sets first and last edge from one member edge (see RebuildFromEdge and
    // ChainFromEdge). Answers how many edges were walked, or 0 as soon as more than
    // limit were, leaving the ends as far as found.
    int FindChainEnds(CEdge* edge, bool strict, int limit);
    void MoveSeam(CVertex* vertex, CEdge* edgeA, CEdge* edgeB);
    int CheckChain(int mode, CValidityResultMap* results);
    void SplitIntoRuns();

    CEdge* m_firstEdge = nullptr;
    CEdge* m_lastEdge = nullptr;
    std::int32_t m_edgeCount = 0;
    bool m_flag = false;
};

// The curve as a CArcCurve whose arc has valid axes; null otherwise (also for null).
[[nodiscard]] CArcCurve* AsArcCurve(CCurve* curve);
[[nodiscard]] bool IsValidArcCurve(const CCurve* curve);

// Reads an object reference of class CCurve or a class derived from it (null
// allowed); throws the archive exception badClass for another class.
[[nodiscard]] CCurve* ReadCurveObject(CArchive& ar);
void ReadCurveObject(CArchive& ar, CCurve*& curve);
