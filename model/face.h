#pragma once
// CFace: a planar face bounded by loops of edge uses; loop 0 is the outer boundary,
// wound counter-clockwise seen from the front (the side the plane's normal points
// to), every further loop is a hole. The front side shows the drawing element's
// material, the back side a material of the face's own. The face caches its display
// data, which every geometric change drops; its box is taken from the outer loop's
// vertices when asked.

#include <cstddef>
#include <cstdint>

#include "foundation/boundingbox3d.h"
#include "foundation/plane3d.h"
#include "model/drawingelement.h"
#include "model/smalltopologyarray.h"

class CEdge;
class CEnumEdge;
class CEnumOpeningLoopFace;
class CEnumEdgeUse;
class CEnumLoop;
class CEnumVertex;
class CLoop;
class CVertex;
class CEdgeUse;
class CSmoothNormals;
class ITarnisView;

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

class CFace final : public CDrawingElement
{
    DECLARE_SERIAL(CFace)

public:
    // Objects of exactly this class take slots of the class's slab allocator; larger
    // derived objects go to the heap.
    [[nodiscard]] static void* operator new(std::size_t size);
    static void operator delete(void* object, std::size_t size);

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
    // Discards every loop, leaving the materials' use counts to the managers that go
    // with the same model.
    void Discard() override;
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

    // Drops the display cache.
    void OnGeometryChanged() override;
    // The outer loop's vertices, transformed.
    void AccumulateExtents(const CTransformation& transform, CBoundingBox3d& box) const override;
    void GetExtents(CBoundingBox3d& box) const override;
    // The box of the outer loop's vertices.
    [[nodiscard]] CBoundingBox3d GetBoundingBox() const override;
    // kFaceLineHitsPlane with the point, kFaceLineParallel when the line runs parallel.
    [[nodiscard]] int IntersectLine(const CLine3d& line, CPoint3d& point) const override;
    [[nodiscard]] bool IntersectPickRay(const CBoundedLine3d& ray, double pixelScale, CPoint3d& hitPoint,
                                        double& hitParameter, CInstancePath* hitPath,
                                        bool skipHidden) const override;
    [[nodiscard]] bool CanHaveMaterial() const override;
    // Drawing into the view (facedraw.cpp).
    void Draw(ITarnisView* view) override;
    // Its triangles, sent and set up, whether drawn as a fan or cut; a face cut into
    // triangles its corners handed to the sweep and, when its loops cross, what resolving
    // them costs (nothing when it is too costly to fill and is left unfilled); with shadows, its
    // triangles again and, for a face that casts one, its shadow's volume and the shadow
    // on the ground, by its corners. The pixels it fills are weighed apart (CDrawingWork).
    [[nodiscard]] std::uint64_t GetDrawingWeight(bool shadows) const override;
    // The drawing weight in its two parts. Drawn: what every draw of the face costs (its
    // triangles, those crossings add among them, with shadows again and its shadow).
    // Cut: what only its first draw costs, the corners handed to the sweep and resolving
    // crossing loops, since the cut is kept with the face for every placement and frame
    // after it (CKeptFaceTriangles), on the shadows' roads too. Kept: the store's room the
    // cut takes, at most.
    struct SWeight
    {
        std::uint64_t drawn = 0;
        std::uint64_t cut = 0;
        std::uint64_t kept = 0;
        // The triangles its loops' corners make, set up each time the frame draws the
        // face (twice with shadows), each in every screen tile it reaches; those that
        // crossings add lie between the crossings.
        std::uint64_t triangles = 0;
    };
    [[nodiscard]] SWeight GetWeightParts(bool shadows) const;
    // The same for a face known to be one convex triangle, without walking its loop.
    [[nodiscard]] SWeight GetConvexTriangleWeight(bool shadows) const;
    // What any face of one convex triangle weighs without shadows.
    [[nodiscard]] static SWeight GetPlainTriangleWeight();
    [[nodiscard]] bool IsShown(ITarnisView* view) const override;
    [[nodiscard]] bool IsFrontFacing(ITarnisView* view) const;
    // reason (may be null): 0 none, 1 own, 2 the other side's transparent one, 3 the
    // layer's, 4 inherited or default.
    [[nodiscard]] CMaterial* GetSideMaterial(ITarnisView* view, bool front, int* reason) const;
    [[nodiscard]] CColor GetSideColor(ITarnisView* view, bool front) const;
    // The element's properties, then a face's back material.
    void CopyPropertiesFrom(const CDrawingElement* other) override;
    // --- picks and the extents a view sees (model/facepick.cpp) ---
    // A point pick: the pick line meets the face. A window or crossing pick: every point
    // of the outer loop, as the active section planes leave it, passes the point test; a
    // face in a section plane or cut away wholly is never taken.
    [[nodiscard]] bool IsSelectedBy(IPickHelper* selector, const CInstancePath* path) const override;
    // The window positions of the outer loop's vertices that the view can project.
    void AccumulateExtentsVariant(ITarnisView* view, CBoundingBox3d& box) const override;
    // The edges the face draws, then the face itself unless it lies in an active
    // section plane, in the view's colour: for picks and highlights.
    void DrawIfShown(ITarnisView* view) override;
    // Hands the face's triangles to a sink that accepts faces (model/facedwgoutput.cpp).
    bool ExportTessellation(IExportSink* sink) override;

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
    [[nodiscard]] const CSmallTopologyArray<CLoop>& GetLoops() const { return m_loops; }

    // Enumerators; the caller deletes them.
    [[nodiscard]] CEnumLoop* NewLoopEnum() const;
    [[nodiscard]] CEnumEdgeUse* NewEdgeUseEnum() const;
    [[nodiscard]] CEnumEdge* NewEdgeEnum() const;
    [[nodiscard]] CEnumVertex* NewVertexEnum() const;
    // The outlines of the openings that glued instances cut into the face; the view
    // (may be null) decides which instances are shown (model/faceopenings.cpp).
    [[nodiscard]] CEnumOpeningLoopFace* NewOpeningEnum(ITarnisView* view = nullptr) const;

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

    // --- editing across faces and loops, each recorded (model/faceedit.cpp) ---
    // Takes the other face's layer when it is not the default one and this face's is,
    // or when this face is the smaller.
    void TakeLayerFrom(const CFace* other);
    // A smaller face with materials of its own takes the other's, side by side, with
    // their texture placements.
    void TakeMaterialsFrom(const CFace* other);
    // The other face's texture placement of one side, when it has one.
    void CopyTexturePlacementFrom(const CFace* other, bool front);
    // Absorbs the other face across an edge both run along: its materials, layer,
    // relationships, the merged loop and its holes. The caller erases the other face.
    // False, with nothing changed, when one of the two loops runs wholly along the
    // other (a face that fills a hole): no single loop would be left.
    bool MergeWith(CFace* other, CEdge* sharedEdge);
    // Splits the loop along the chain of edges between two of its vertices; answers the
    // new face (not in any component), null when the loop would not split.
    CFace* SplitByEdges(int count, CEdge* const* edges, CLoop* loop);
    // Separates the loop that uses the edge twice; an outer piece becomes a new face,
    // an inner one a hole of this face. Answers the separated loop, null when none.
    CLoop* SplitAtEdge(CEdge* edge);
    // Hands what is glued to this face and lies within the new face over to it, each
    // move recorded (model/faceopenings.cpp).
    void MoveRelationshipsTo(CFace* newFace);
    // Moves the holes that lie outside this face's outer loop to the new face.
    void DistributeHoles(CFace* newFace);
    // Joins loops of this face that share an edge, then drops stray holes.
    void JoinTouchingLoops();
    // Erases holes outside the outer loop and holes inside other holes.
    void RemoveStrayLoops();
    // The first edge that a loop of this face shares with a loop of the other; null.
    [[nodiscard]] CEdge* FindSharedEdgeLoop(const CFace* other) const;
    // Joins the loops of the two uses of one edge; answers the loop kept.
    CLoop* JoinLoopsAtEdgeUse(CEdgeUse* a, CEdgeUse* b);
    // Joins a hole into the outer loop (or one loop into the other) along the chain of
    // edges between vertexA of loopA, whose edge there is edgeA, and vertexB of loopB.
    bool ConnectLoops(CVertex* vertexA, CEdge* edgeA, CLoop* loopA, CVertex* vertexB, CEdge* edgeB, CLoop* loopB);
    // The coplanar hole of another face that runs along this face's whole outer loop.
    [[nodiscard]] CLoop* FindHoleMatchingOuterLoop() const;
    // The face check's last repair for a face whose vertices leave its plane: the face
    // is cut into triangles that become faces of its component, and it leaves the
    // component. False (nothing changed) without a component or triangles
    // (model/facesplit.cpp).
    bool SplitIntoPlanarFaces();

    [[nodiscard]] CMaterial* GetBackMaterial() const { return m_backMaterial; }
    void SetBackMaterial(CMaterial* material);

    // >0 the number of the face's kept triangles (model/keptfacetriangles.h), <0 minus
    // the outer loop's use count of a face drawn as a fan, 0 nothing cached. Kept by the
    // drawing code, which may keep it for a face it draws as const (a cache, not the
    // face's state); the face lets go of its kept triangles when its geometry changes.
    [[nodiscard]] std::int32_t GetDisplayCache() const { return m_displayCache; }
    void SetDisplayCache(std::int32_t cache) const { m_displayCache = cache; }

    // --- queries ---
    // Outer loops count positive, holes and the openings cut into the face negative.
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
    void DrawWithState(ITarnisView* view, CMaterial* material, CColor color, bool lit, bool textured, bool stippled,
                       bool alphaTest, bool keepDepth);
    void DrawSelectionHighlight(ITarnisView* view, const CColor& selectionColor);
    // What drawing the face costs beyond its loops' own triangles when its loops cross
    // (a loop itself, or holes one another): cut, counting and resolving them and cutting
    // what is resolved; drawn, the triangles the crossings add; kept, the room the
    // resolved cut takes. Nothing for loops the sweep cuts; only the counting for loops
    // too costly to fill.
    [[nodiscard]] SWeight GetResolveWeight() const;
    // The weight of its corners drawn again where the sun lights them, and its shadow.
    [[nodiscard]] SWeight WithShadows(SWeight weight, std::uint64_t corners) const;
    // Each edge of whose ring this face holds the first use, by its DrawIfShown.
    void DrawEdgesIfShown(ITarnisView* view);
    [[nodiscard]] const CSmoothNormals* GetSmoothNormalsToDraw(ITarnisView* view) const;
    void InvalidateComponentSmoothNormals() const;
    void ReadRecord(CArchive& ar);
    void WriteRecord(CArchive& ar) const;
    void ReadLoops(CArchive& ar);
    void AppendLoop(CLoop* loop);
    void TakeBackMaterial(CMaterial* material, bool notify);
    int CheckLoops(int mode, CValidityResultMap* results);
    int CheckCaches(int mode, CValidityResultMap* results);
    // The openings' share of the area (never positive) and their point classification:
    // kFacePointOutside inside one, its edge or vertex class on one, else
    // kFacePointInside (model/faceopenings.cpp).
    [[nodiscard]] double GetOpeningsArea(const CTransformation* transform) const;
    [[nodiscard]] int ClassifyPointInOpenings(const CPoint3d& point, int axis) const;

    CPlane3d m_plane;
    // The display cache fills the room behind the loops' count.
    [[no_unique_address]] CSmallTopologyArray<CLoop> m_loops;
    mutable std::int32_t m_displayCache = 0;
    CMaterial* m_backMaterial = nullptr;
};
