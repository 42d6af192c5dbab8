#pragma once
// CFacePolygon: a face flattened into arrays of points, one loop after the other,
// optionally carried through a transformation. It fills the face in GL at once (a
// single loop marked simple as one primitive, anything else cut into triangles the way
// the face batch cuts it, CFaceCut, and while the polygon still holds the face's own
// loops the triangles are kept with the face as the batch keeps them), clips it by a
// plane, tests points against it and cuts it by a plane into segments. Faces, section
// cuts, shadow volumes and the transparency sorter use it.
//
// The edge use kept with a point is the edge that ends there (from the point before
// it in the loop); it is null where no edge of the face runs, as along a clipped cut.
//
// Drawing needs a current GL context; everything else does not.

#include <cstdint>
#include <vector>

#include "foundation/plane3d.h"
#include "foundation/point3d.h"
#include "foundation/vector3d.h"
#include "model/keptfacetriangles.h"

class CEdgeUse;
class CFace;
class CTransformation;
class ITarnisView;

// A stretch of a face lying in a cutting plane.
struct CFaceSegment
{
    CPoint3d start;
    CPoint3d end;
};

class CFacePolygon
{
public:
    CFacePolygon();
    ~CFacePolygon();
    CFacePolygon(const CFacePolygon&) = delete;
    CFacePolygon& operator=(const CFacePolygon&) = delete;

    // Replaces what the polygon held by the face's loops, each point carried through
    // the transformation when one is given (the plane follows it). A face drawn
    // directly (negative display cache) gives its outer loop only, as a simple loop,
    // never more points than the loop has. Loops of fewer than three points are left
    // out, and without an outer loop the polygon stays empty. Unless only the outer
    // loop is asked for, the openings cut by the glued components shown in the view
    // (may be null) follow as further loops, wound to cut, without edge uses.
    void Build(const CFace& face, const CTransformation* transform, bool outerLoopOnly,
               ITarnisView* view = nullptr);
    // Fills the polygon in GL with the plane's normal (negated, and the points walked
    // backwards, when reversed). Nothing without loops.
    void Draw(bool reverse);
    // Releases every array.
    void Free();

    // Keeps the part of every loop on the plane's non-negative side (points within
    // 0.001 of the plane stay). cut tells whether an edge crossed the plane. False
    // when nothing is left; a polygon that loses its outer loop loses everything.
    bool ClipByPlane(const CPlane3d& plane, bool& cut);
    // The same, for the section stack's IsKeptByAll.
    bool ClipByPlane(const CPlane3d& plane)
    {
        bool cut = false;
        return ClipByPlane(plane, cut);
    }
    // Inside the outer loop and outside every other loop, seen in the face's plane;
    // a point on a boundary is not inside.
    [[nodiscard]] bool ContainsPoint(const CPoint3d& point) const;
    // Appends the stretches where the face meets the plane, in order along the line
    // the two planes share; nothing when the planes are parallel.
    void IntersectWithPlane(const CPlane3d& plane, std::vector<CFaceSegment>& segments) const;

    [[nodiscard]] const CPlane3d& GetPlane() const { return m_plane; }
    [[nodiscard]] bool IsSimple() const { return m_simple; }
    [[nodiscard]] int GetLoopCount() const { return static_cast<int>(m_loopEnds.size()); }
    [[nodiscard]] int GetPointCount() const { return static_cast<int>(m_points.size()); }
    [[nodiscard]] const std::vector<CPoint3d>& GetPoints() const { return m_points; }
    // 0 for a loop that does not exist.
    [[nodiscard]] int LoopPointCount(int loop) const;
    // The point before (the loop's last for index 0) and the point at the index, with
    // the edge use kept for that point. Null, points untouched, outside the loop.
    CEdgeUse* GetLoopEdge(int loop, int index, CPoint3d& previous, CPoint3d& point) const;

private:
    [[nodiscard]] int LoopStart(int loop) const;
    void AppendLoop(const CFace& face, int loopIndex, int maxPoints, const CTransformation* transform);
    void AppendOpenings(const CFace& face, const CTransformation* transform, ITarnisView* view);
    void DrawSimple(bool reverse, const CVector3d& normal);
    // Fills the polygon with the triangles the face keeps, else cut now (and kept while
    // the polygon holds the face's own loops); a face left unfilled draws nothing.
    void DrawCut(const CVector3d& normal);
    // The triangles (indices into the points, then the added corners) and the corners
    // added where loops cross; false when the frame must stop.
    bool GetCut(const CVector3d& axis, std::vector<std::uint32_t>& triangles,
                std::vector<CKeptFaceTriangles::SAddedCorner>& added);
    [[nodiscard]] const CKeptFaceTriangles::SEntry* FindKeptCut() const;
    // For each point, the index of the same corner among the face's kept corners (the
    // openings' corners keep their order).
    void MapKeptOrder(std::vector<std::uint32_t>& toKept) const;

    CPlane3d m_plane;
    std::vector<CPoint3d> m_points;
    std::vector<std::int32_t> m_loopEnds;
    std::vector<CEdgeUse*> m_edgeUses;
    bool m_simple = false;
    // The face whose loops the polygon holds, unchanged, or null; and the openings after
    // them in the face's own axes, with where each ends, as the face keeps them with its
    // cut.
    const CFace* m_keptFace = nullptr;
    std::vector<CPoint3d> m_openings;
    std::vector<std::size_t> m_openingEnds;
};

// The point where the line through a and b meets the plane; a when the line runs
// parallel to it.
void IntersectSegmentWithPlane(const CPoint3d& a, const CPoint3d& b, const CPlane3d& plane, CPoint3d& point);
void CopyPointSwap(CPoint3d& a, CPoint3d& b);
