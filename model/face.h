#pragma once
// CFace: a planar face bounded by loops of edge uses; loop 0 is the outer boundary,
// wound counter-clockwise seen from the front (the side the plane's normal points
// to), every further loop is a hole. The front side shows the drawing element's
// material, the back side a material of the face's own. The face caches its
// bounding box and its display data; every geometric change drops both.

#include <cstdint>

#include "foundation/boundingbox3d.h"
#include "foundation/plane3d.h"
#include "model/drawingelement.h"
#include "model/topologyarray.h"

class CEdge;
class CEnumEdge;
class CEnumEdgeUse;
class CEnumLoop;
class CEnumVertex;
class CLoop;

// Answers of CFace::ClassifyPoint.
enum FacePointClass : int
{
    kFacePointNoLoops = 0,
    kFacePointInside = 1,
    kFacePointOutside = 2,
    kFacePointOnEdge = 3,
    kFacePointOnVertex = 4,
    kFacePointOffPlane = 5
};

// Answers of CFace::IntersectLine.
inline constexpr int kFaceLineHitsPlane = 1;
inline constexpr int kFaceLineParallel = 4;

class CFace : public CDrawingElement
{
    DECLARE_SERIAL(CFace)

public:
    // More loops than any file may hold.
    static constexpr std::int32_t kMaxLoopCount = 99999;

    // The XY plane, no loops, no back material.
    CFace();
    // The loop becomes the outer loop; the plane is reversed when the loop does not
    // wind counter-clockwise about it.
    CFace(const CPlane3d& plane, CLoop* outerLoop);
    // The outer loop is built from the chain of edges.
    CFace(int edgeCount, CEdge* const* edges, const CPlane3d& plane);
    // The same loops in an array of its own and the same back material (without a
    // use of it); nothing cached.
    CFace(const CFace& other);
    // Frees the loop array only: the loops go with Erase.
    ~CFace() override;

    // The drawing-element part, the plane, the loops and the back material. Throws
    // the archive exception on bad input: a loop count outside 0..99999 is
    // genericException, a missing loop or a loop of another face badIndex.
    void Serialize(CArchive& ar) override;
    // Lets go of the back material and erases every loop, then the element.
    void Erase() override;
    // Adds every loop with the face.
    bool CollectDependents(CEntitySet& set) override;
    // Moves the plane and the texture placements; a mirroring transformation reverses
    // the loops.
    void Transform(const CTransformation& transform) override;
    [[nodiscard]] CEntity* Clone() const override;
    // The other entity must be a face.
    void SwapData(CEntity& other) override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;

    // Drops the display cache and the bounding box.
    void OnGeometryChanged() override;
    // The outer loop's vertices, transformed.
    void AccumulateExtents(const CTransformation& transform, CBoundingBox3d& box) const override;
    void GetExtents(CBoundingBox3d& box) const override;
    // The cached box of the outer loop's vertices.
    [[nodiscard]] CBoundingBox3d GetBoundingBox() const override;
    // kFaceLineHitsPlane with the point, kFaceLineParallel when the line runs parallel.
    [[nodiscard]] int IntersectLine(const CLine3d& line, CPoint3d& point) const override;
    [[nodiscard]] bool IntersectPickRay(const CBoundedLine3d& ray, double pixelScale, CPoint3d& hitPoint,
                                        double& hitParameter, CInstancePath* hitPath,
                                        bool skipHidden) const override;
    [[nodiscard]] bool CanHaveMaterial() const override;
    // The element's properties, then a face's back material.
    void CopyPropertiesFrom(const CDrawingElement* other) override;

    // --- loops (none of these records a change) ---
    [[nodiscard]] int GetLoopCount() const { return m_loops.GetCount(); }
    // Null for an index outside 0..count-1.
    [[nodiscard]] CLoop* GetLoop(int index) const { return m_loops.GetAt(index); }
    // Null without loops.
    [[nodiscard]] CLoop* GetOuterLoop() const { return m_loops.GetAt(0); }
    [[nodiscard]] bool HasLoop(const CLoop* loop) const { return m_loops.Contains(loop); }
    [[nodiscard]] int GetEdgeUseCount() const;
    // The start of the outer loop's first use; the origin when there is none.
    [[nodiscard]] CPoint3d GetFirstPoint() const;
    [[nodiscard]] const CTopologyArray<CLoop>& GetLoops() const { return m_loops; }

    // Enumerators; the caller deletes them.
    [[nodiscard]] CEnumLoop* NewLoopEnum() const;
    [[nodiscard]] CEnumEdgeUse* NewEdgeUseEnum() const;
    [[nodiscard]] CEnumEdge* NewEdgeEnum() const;
    [[nodiscard]] CEnumVertex* NewVertexEnum() const;

    // --- plane and loops, each recorded ---
    [[nodiscard]] const CPlane3d& GetPlane() const { return m_plane; }
    [[nodiscard]] CUnitVector3d GetNormal() const { return m_plane.GetNormal(); }
    void SetPlane(const CPlane3d& plane);
    // Negates the plane only.
    void FlipPlane();
    // Negates the plane and reverses every loop; the referrers are told.
    void Reverse();
    // Takes the loop out of the array; erases it, or else leaves it without face.
    void RemoveLoop(CLoop* loop, bool erase);
    // Erases every hole.
    void EraseInnerLoops();
    // Makes the loop a hole of this face, wound clockwise seen from the front. A loop
    // of another face is copied first; the other face keeps its own.
    void AddInnerLoop(CLoop* loop);

    [[nodiscard]] CMaterial* GetBackMaterial() const { return m_backMaterial; }
    void SetBackMaterial(CMaterial* material);

    // >0 a display list, <0 minus the outer loop's use count of a face drawn
    // directly, 0 nothing cached. Kept by the drawing code.
    [[nodiscard]] std::int32_t GetDisplayCache() const { return m_displayCache; }
    void SetDisplayCache(std::int32_t cache) { m_displayCache = cache; }

    // --- queries ---
    // Outer loops count positive, holes negative.
    [[nodiscard]] double GetArea(const CTransformation* transform = nullptr) const;
    // A FacePointClass.
    [[nodiscard]] int ClassifyPoint(const CPoint3d& point, bool ignoreOpenings = true) const;
    [[nodiscard]] bool AreAllVerticesOnPlane() const;
    // The coordinate dropped when the face is seen in 2-D: 1 x, 2 y, 0 z.
    [[nodiscard]] int GetDominantAxis() const;
    // Fits a plane to the outer loop's vertices; with apply, stores it and turns the
    // plane to agree with the outer loop's winding. False when no plane fits within
    // 0.001 or there are fewer than three vertices.
    bool RefitPlane(CPlane3d* fitted, bool apply);
    // Every vertex lies within 0.001 of the plane (the face's own when null).
    [[nodiscard]] bool IsPlanarWith(const CPlane3d* plane = nullptr) const;

private:
    void ReadRecord(CArchive& ar);
    void WriteRecord(CArchive& ar) const;
    void ReadLoops(CArchive& ar);
    void AppendLoop(CLoop* loop);
    void TakeBackMaterial(CMaterial* material, bool notify);
    void FillBoundingBox() const;
    int CheckLoops(int mode, CValidityResultMap* results);
    int CheckCaches(int mode, CValidityResultMap* results);

    CPlane3d m_plane;
    CTopologyArray<CLoop> m_loops;
    CMaterial* m_backMaterial = nullptr;
    std::int32_t m_displayCache = 0;
    mutable CBoundingBox3d m_box;
};
