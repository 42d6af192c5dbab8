#pragma once
// CMeshReadSink: what a large entity list's read learns of its faces and edges while
// each is at hand, for the count at opening, which would otherwise walk millions of them
// again once the file is read: its convex triangles (how many, their areas, at least the
// diagonals of their boxes, and the box of their corners where asked), its other faces
// (walked by the count as before), its edges (how many, their lengths, the box of their
// ends). One sink listens per thread at a time: the reader of a list installs its own
// (or none) for as long as the list is read.
//
// The read calls it for each of millions of faces and edges, so it does no more than the
// sums need: a bound of a triangle's area and of its box's diagonal come from what its
// convexity test worked out, an end joins the box unless an edge of the list reached it
// first, and a number past what a sum holds shows in the sum at the end instead of being
// checked each time.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "foundation/boundingbox3d.h"
#include "foundation/point3d.h"
#include "foundation/tolerance.h"
#include "foundation/vector3d.h"

class CEntity;
class CFace;

class CMeshReadSink
{
public:
    // The box of the triangles' corners is kept only when asked: where every edge's line
    // is drawn, the edges' ends make the box the count weighs faces and lines in. The
    // holder is the component whose list is read.
    CMeshReadSink(bool trianglesBox, const CEntity* holder) : m_keepsTrianglesBox(trianglesBox), m_holder(holder)
    {
    }

    // A face whose one loop is an outer convex triangle through the corners, with what
    // its convexity test found: the turn at its first corner (twice its area along its
    // plane's normal, times the normal's length, which the file may hold of any length:
    // the shortest one's length divides them all) and the sum of its sides' squared
    // lengths.
    void TriangleRead(const CPoint3d* corners, const CVector3d& normal, double turn, double squaredSides)
    {
        if (m_keepsTrianglesBox) {
            for (int i = 0; i < 3; ++i) {
                Widen(m_trianglesBox, corners[i]);
            }
        }
        ++m_triangles;
        m_turns += std::fabs(turn);
        m_leastSquaredNormal = std::min(m_leastSquaredNormal, normal.GetLengthSquared());
        // Along each axis the box is half as long as the sides together; so its diagonal
        // is at most the root of three quarters of their squared lengths.
        m_diagonals += std::sqrt(std::max(0.75 * squaredSides, 0.0));
    }
    // Any other face: its loops are read whole.
    void FaceRead(const CFace& face) { m_otherFaces.push_back(&face); }
    // An edge between the points; an end is new unless an edge of the list reached it
    // before.
    void EdgeRead(const CPoint3d& p, const CPoint3d& q, bool newStart, bool newEnd)
    {
        ++m_edges;
        if (newStart) {
            Widen(m_edgesBox, p);
        }
        if (newEnd) {
            Widen(m_edgesBox, q);
        }
        // A line too short for CPoint3d::Distance adds its length all the same.
        m_lengths += std::sqrt((p - q).GetLengthSquared());
    }

    [[nodiscard]] std::uint64_t GetTriangleCount() const { return m_triangles; }
    // At least the triangles' areas (their turns each divided by the shortest normal's
    // length), a bound of their boxes' diagonals, and the box of their corners (empty
    // unless kept). Not finite where a normal has no length.
    [[nodiscard]] double GetTriangleArea() const
    {
        return m_triangles == 0 ? 0.0 : 0.5 * m_turns / std::sqrt(m_leastSquaredNormal);
    }
    [[nodiscard]] double GetTriangleDiagonals() const { return m_diagonals; }
    [[nodiscard]] const CEntity* GetHolder() const { return m_holder; }
    [[nodiscard]] bool KeepsTrianglesBox() const { return m_keepsTrianglesBox; }
    [[nodiscard]] const CBoundingBox3d& GetTrianglesBox() const { return m_trianglesBox; }
    [[nodiscard]] const std::vector<const CFace*>& GetOtherFaces() const { return m_otherFaces; }
    [[nodiscard]] std::uint64_t GetEdgeCount() const { return m_edges; }
    [[nodiscard]] double GetEdgeLengths() const { return m_lengths; }
    [[nodiscard]] const CBoundingBox3d& GetEdgesBox() const { return m_edgesBox; }

    // The sink of this thread's reads; null while none listens.
    [[nodiscard]] static CMeshReadSink* Current() { return s_current; }
    // Installs the sink (or none) and answers the one it replaces.
    static CMeshReadSink* Install(CMeshReadSink* sink)
    {
        CMeshReadSink* previous = s_current;
        s_current = sink;
        return previous;
    }

private:
    // Widens the box to the point, which a file holds finite; one beyond what a box holds
    // shows in the box at the end.
    static void Widen(CBoundingBox3d& box, const CPoint3d& p)
    {
        box.xmin = std::min(box.xmin, p.x);
        box.xmax = std::max(box.xmax, p.x);
        box.ymin = std::min(box.ymin, p.y);
        box.ymax = std::max(box.ymax, p.y);
        box.zmin = std::min(box.zmin, p.z);
        box.zmax = std::max(box.zmax, p.z);
    }

    static inline thread_local CMeshReadSink* s_current = nullptr;

    bool m_keepsTrianglesBox;
    const CEntity* m_holder;
    std::uint64_t m_triangles = 0;
    double m_turns = 0.0;
    double m_leastSquaredNormal = kUnbounded;
    double m_diagonals = 0.0;
    CBoundingBox3d m_trianglesBox;
    std::vector<const CFace*> m_otherFaces;
    std::uint64_t m_edges = 0;
    double m_lengths = 0.0;
    CBoundingBox3d m_edgesBox;
};
