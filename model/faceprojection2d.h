#pragma once
// CFaceProjection2d: one face flattened into the 2-D frame of its own plane, so that
// points, loops and other faces can be classified against it with the 2-D polygon
// test. The frame comes from the canonical plane, so a face and its reversed twin
// project to the same points. Built on the stack for one query and thrown away.

#include <cstdint>
#include <vector>

#include "foundation/boundingbox2d.h"
#include "foundation/point2d.h"
#include "foundation/point3d.h"
#include "foundation/unitvector3d.h"

class CFace;
class CLoop;
class CTransformation;

// Answers of ClassifyProjection and ClassifyFace.
enum FaceProjectionClass : int
{
    kProjectionNoFace = 0,
    kProjectionOtherInside = 1,   // the other face lies inside this one
    kProjectionThisInside = 2,    // this face lies inside the other
    kProjectionTouching = 3,      // a point of one lies on the other's boundary
    kProjectionOverlapping = 4,
    kProjectionDisjoint = 5
};

// Answers of ClassifyLoop.
enum LoopProjectionClass : int
{
    kLoopProjectionNone = 0,
    kLoopInsideFace = 2,     // the loop lies inside the face's outer boundary
    kLoopEnclosesFace = 3,
    kLoopCrossesFace = 4
};

class CFaceProjection2d
{
public:
    // No face: every classification answers 0.
    CFaceProjection2d();
    explicit CFaceProjection2d(const CFace* face);
    CFaceProjection2d(const CFaceProjection2d&) = delete;
    CFaceProjection2d& operator=(const CFaceProjection2d&) = delete;
    ~CFaceProjection2d();

    void SetFace(const CFace* face);
    // Builds frame and points again for the current face (after it changed).
    void Rebuild();
    void FreePoints();

    [[nodiscard]] const CFace* GetFace() const { return m_face; }
    [[nodiscard]] std::int32_t GetPointCount() const { return m_pointCount; }
    [[nodiscard]] const CPoint2d* GetPoints() const { return m_points.data(); }
    [[nodiscard]] const CBoundingBox2d& GetBox() const { return m_box; }

    [[nodiscard]] CPoint2d Project(const CPoint3d& point) const;
    // The loop's first point in the array; null when the loop is not the face's.
    [[nodiscard]] const CPoint2d* GetLoopPoints(const CLoop* loop) const;
    // The number of points of the loop in the array; 0 when it is not the face's.
    [[nodiscard]] int GetLoopPointCount(const CLoop* loop) const;

    // Codes of the 2-D polygon test (1 inside, 2 on an edge, 4 on a vertex, 8 outside),
    // 0 without face. Inside a hole is outside.
    [[nodiscard]] int ClassifyPoint(const CPoint3d& point) const;
    // Against the outer loop alone.
    [[nodiscard]] int ClassifyPointOuter(const CPoint3d& point) const;
    // With outerOnly the first loop alone decides (a hole there counts as inside).
    [[nodiscard]] int ClassifyPoint2d(const CPoint2d& point, bool outerOnly) const;
    // A FaceProjectionClass of the other projected face against this one.
    [[nodiscard]] int ClassifyProjection(const CFaceProjection2d& other, bool outerOnly) const;
    [[nodiscard]] int ClassifyFace(const CFace* other) const;
    // A LoopProjectionClass of the loop (transformed first when a transformation is
    // given) against this face.
    [[nodiscard]] int ClassifyLoop(const CLoop* loop, const CTransformation* transform) const;
    // 2 when the other face's loop lies inside this face, 3 outside, 4 when they cross,
    // 0 when nothing could be classified.
    [[nodiscard]] int ClassifyLoopOfFace(const CFaceProjection2d& other, const CLoop* loop, bool outerOnly) const;

private:
    void BuildFrame();
    void BuildPoints();
    // The class shared by count points under this projection; 3 for a point on the
    // boundary, 4 for mixed classes. insideGivesOverlap: any point inside answers 4.
    [[nodiscard]] int ClassifyAll(const CPoint2d* points, int count, bool outerOnly, bool insideGivesOverlap) const;

    const CFace* m_face = nullptr;
    // Grows to the largest face projected and is reused.
    std::vector<CPoint2d> m_points;
    std::int32_t m_pointCount = 0;
    CBoundingBox2d m_box;
    CPoint3d m_origin;
    CUnitVector3d m_xAxis;
    CUnitVector3d m_yAxis;
};

// True when the faces lie in one plane (either orientation) and every vertex of a
// lies strictly inside b.
[[nodiscard]] bool IsFaceInsideFace(const CFace* a, const CFace* b);
