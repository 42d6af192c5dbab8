#pragma once
// CEdge: the straight segment between two vertices and the drawable line of the
// model. Every face that runs along the edge does so through an edge use; the edge
// keeps those uses in its radial ring. Consecutive edges may form one curve, which
// counts them and knows its first and last edge.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/boundedline3d.h"
#include "foundation/point3d.h"
#include "model/drawingelement.h"
#include "model/edgelinelook.h"

class CArcCurve;
class CComponent;
class CCurve;
class CEdgeUse;
class CEnumEdgeUse;
class CEnumFace;
class CEnumLoop;
class CFace;
class CLoop;
class CVertex;

class CRenderingOptions;

class CEdge final : public CDrawingElement
{
    DECLARE_SERIAL(CEdge)

public:
    // The dash patterns of a hidden edge and of a soft one, the same whether the edge
    // draws itself or goes with the lines of its component's run.
    static constexpr std::uint16_t kStippleHidden = 0x3333;
    static constexpr std::uint16_t kStippleSoft = 0x0F0F;

    // Objects of exactly this class take slots of the class's slab allocator; larger
    // derived objects go to the heap.
    [[nodiscard]] static void* operator new(std::size_t size);
    static void operator delete(void* object, std::size_t size);

    // For reading: every link null.
    CEdge();
    // Registers with the start and then the end vertex (a null vertex is skipped).
    CEdge(CVertex* start, CVertex* end, bool curveCheck);
    // Copies the links as they are; the copy is not registered with the vertices.
    CEdge(const CEdge& other);
    ~CEdge() override;

    // The drawing-element part, the two vertices and the curve. Reading registers the
    // edge with its vertices and the curve registry. Throws the archive exception on
    // bad input; a missing vertex is badIndex.
    void Serialize(CArchive& ar) override;
    // How many edge records were read so far, from any archive: a component compares it
    // with the edges its list took to learn whether one went into no list.
    // User-interface thread only.
    [[nodiscard]] static std::uint64_t GetReadCount();
    // Dissolves the curve, leaves both vertices (erasing a vertex left without edges)
    // and erases every use, then the drawing element.
    void Erase() override;
    // Dissolves the curve and leaves both vertices, discarding a vertex left without
    // edges; the uses are not touched: their faces go with the same model and discard them.
    void Discard() override;
    // Adds the vertices and the curve with the edge.
    bool CollectDependents(CEntitySet& set) override;
    // The edge has no coordinates of its own: its faces are told their geometry changed.
    void Transform(const CTransformation& transform) override;
    [[nodiscard]] CEntity* Clone() const override;
    // The other entity must be an edge.
    void SwapData(CEntity& other) override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;
    // Sets the bit, then tells every face of the edge that its geometry changed.
    void SetSmooth(bool smooth) override;

    // Both vertices, transformed; nothing when a vertex is missing.
    void AccumulateExtents(const CTransformation& transform, CBoundingBox3d& box) const override;
    void GetExtents(CBoundingBox3d& box) const override;

    // From the start to the end vertex; the z axis through the origin when a vertex
    // is missing. Not through the line-provider interface: nothing asks an edge through
    // it, and its table pointer would cost every edge eight bytes.
    [[nodiscard]] CBoundedLine3d GetLine() const;

    [[nodiscard]] CVertex* GetStartVertex() const { return m_start; }
    [[nodiscard]] CVertex* GetEndVertex() const { return m_end; }
    // The old vertex lets go of the edge (and is erased when left without edges);
    // the new one (when not null) takes it. Nothing when the vertex is the same.
    void SetStartVertex(CVertex* vertex, bool curveCheck);
    void SetEndVertex(CVertex* vertex, bool curveCheck);
    // Clears the start and/or end where they are the vertex; for an erased vertex.
    void ClearVertex(const CVertex* vertex);
    // The end vertex for the start vertex, else the start vertex.
    [[nodiscard]] CVertex* GetOtherVertex(const CVertex* vertex) const;
    [[nodiscard]] bool HasVertex(const CVertex* vertex) const;
    // A vertex both edges have (the start vertex tried first); null when none.
    [[nodiscard]] CVertex* GetCommonVertex(const CEdge* other) const;
    // 0 when a vertex is missing.
    [[nodiscard]] double GetLength() const;
    // The origin when a vertex is missing.
    [[nodiscard]] CPoint3d GetMidPoint() const;

    [[nodiscard]] CEdgeUse* GetFirstEdgeUse() const { return m_firstUse; }
    void SetFirstEdgeUse(CEdgeUse* use);
    // The uses in the radial ring (a broken ring is counted only up to its first
    // repeated use).
    [[nodiscard]] int GetEdgeUseCount() const;
    // True when no face uses the edge.
    [[nodiscard]] bool IsFree() const { return m_firstUse == nullptr; }
    [[nodiscard]] CEdgeUse* FindEdgeUseInLoop(const CLoop* loop) const;
    [[nodiscard]] CEdgeUse* FindEdgeUseOnFace(const CFace* face) const;
    [[nodiscard]] CLoop* GetLoopOnFace(const CFace* face) const;
    [[nodiscard]] bool HasEdgeUseOnFace(const CFace* face) const;
    [[nodiscard]] bool IsFirstUseOnFace(const CFace* face) const;

    [[nodiscard]] CCurve* GetCurve() const { return m_curve; }
    // Tells the referrers, sets the curve and forgets the cached direction; a new
    // curve counts the edge and takes the edge's parent.
    void SetCurve(CCurve* curve);
    // A CurveEdgeDirection, asked of the curve and cached; 0 without a curve.
    [[nodiscard]] int GetCurveDirection() const;
    // The curve when it is a valid arc curve, else null.
    [[nodiscard]] CArcCurve* GetArcCurve() const;
    // Dissolves the curve the edge belongs to: every edge of the curve connected to
    // this one becomes a plain edge, and the curve goes when none is left.
    void DetachFromCurve();

    // --- drawing into the view (model/edgedraw.cpp) ---
    void Draw(ITarnisView* view) override;
    // Two line ends; while shadows are on, the shadow a lone edge casts (its volume and
    // its shadow on the ground), counted whether or not the sun's settings let edges cast.
    [[nodiscard]] std::uint64_t GetDrawingWeight(bool shadows) const override;
    // What any edge's line weighs without shadows: its two ends.
    [[nodiscard]] static std::uint64_t GetLineWeight();
    // What the settings make of the line of an edge drawn as a profile or not, in its
    // heaviest case (three jittered strokes, both ticks); the drawing weight counts its
    // two vertices.
    [[nodiscard]] static CEdgeLineLook GetLineLook(const CRenderingOptions& options, bool profile);
    // Drawn as a profile from wherever it is seen: it bounds at most one face.
    [[nodiscard]] bool IsAlwaysProfile() const;
    [[nodiscard]] bool IsShown(ITarnisView* view) const override;
    // By the options' edge colour mode: the foreground colour, the colour of the
    // drawing axis the edge runs along, or the material rule; a highlighted edge keeps
    // its selection colour.
    [[nodiscard]] CColor GetDrawColor(ITarnisView* view) const override;
    // Whether the faces of the edge turn different sides to the sight line, or the
    // edge has fewer than two faces.
    [[nodiscard]] bool IsProfile(const CPoint3d& p1, const CPoint3d& p2, const CVector3d& sight) const;

    using CDrawingElement::IsSoft;
    using CDrawingElement::IsSmooth;
    void SetSoftAndSmooth(bool soft, bool smooth);

    // What the faces drawn in the current pass noted of the sides they turn to the eye
    // (CProfileFacing): the pass and the signs seen, and which uses were noted with
    // which sign; written and read by the drawing only.
    [[nodiscard]] std::uint32_t GetProfileNote() const { return m_profileNote; }
    void SetProfileNote(std::uint32_t note) { m_profileNote = note; }
    [[nodiscard]] std::uint32_t GetProfileUses() const { return m_profileUses; }
    void SetProfileUses(std::uint32_t uses) { m_profileUses = uses; }

    // --- picks, extents a view sees, export (model/edgepick.cpp) ---
    // The segment left by the active section planes must pass the selector's segment
    // test; outside a window pick a soft edge that is not drawn is never taken.
    [[nodiscard]] bool IsSelectedBy(IPickHelper* selector, const CInstancePath* path) const override;
    // The point of the segment nearest to the line; 1 when it lies on the line, else 4;
    // 0 when a vertex is missing.
    [[nodiscard]] int IntersectLine(const CLine3d& line, CPoint3d& point) const override;
    // The point of the segment nearest to the ray when it lies on the ray, not behind
    // its start nor beyond its end.
    [[nodiscard]] bool IntersectPickRay(const CBoundedLine3d& ray, double pixelScale, CPoint3d& hitPoint,
                                        double& hitParameter, CInstancePath* hitPath,
                                        bool skipHidden) const override;
    // The window positions of both vertices that the view can project.
    void AccumulateExtentsVariant(ITarnisView* view, CBoundingBox3d& box) const override;
    // The plain segment for picks and highlights, whole also where it lies in an active
    // section plane.
    void DrawIfShown(ITarnisView* view) override;
    // A plain edge as one segment; the first edge of an arc hands over the arc's chain.
    bool ExportTessellation(IExportSink* sink) override;

    // Enumerators over the radial ring; the caller deletes them.
    [[nodiscard]] CEnumEdgeUse* NewEdgeUseEnum() const;
    [[nodiscard]] CEnumLoop* NewLoopEnum() const;
    [[nodiscard]] CEnumFace* NewFaceEnum() const;

    // Tells every face of the edge that its geometry changed.
    void NotifyFacesGeometryChanged() const;
    // Erases the uses of every edge among the elements whose ring holds more than a
    // few, one ring at a time. A use that leaves its ring on its own walks round it for
    // the use before it, so a list erased in order whose faces come before their edges
    // would take time quadratic in the uses of a ring; erasing the whole list calls
    // this first. The faces keep their loops, emptied of those uses.
    static void EraseLongRings(const std::vector<CDrawingElement*>& elements);

    // --- splitting, merging and removal, each recorded (model/edgesplit.cpp) ---
    // Removes the edge the way erasing it from its component should: faces across it
    // merge, faces that depend on it go, vertices left redundant are healed.
    void EraseFromComponent(CComponent* component) override;
    // Splits at a vertex on the segment (within 0.001, not an end): this edge ends at
    // the vertex and the answered new edge runs on to the old end, through every loop
    // and the curve. Null when the vertex is an end or off the segment. The caller adds
    // the new edge to a component.
    CEdge* SplitAtVertex(CVertex* vertex);
    // As SplitAtVertex without the segment test; the new edge joins the parent component
    // and edges that already join the vertex to either end are absorbed.
    CEdge* SplitAt(CVertex* vertex);
    // Joins the other edge, which meets this one at a vertex of exactly two edges, into
    // this one; false (nothing changed) when the vertex has other edges or their curves
    // cannot be one.
    bool MergeWith(CEdge* other, CVertex* vertex, CComponent* component, bool healVertices);
    // Takes over another edge between the same two vertices: its uses, its place in the
    // curve; faces that then run along this edge twice are split or their loops joined.
    void AbsorbDuplicate(CEdge* other, CComponent* component);
    // Takes the edge out of the component with what depends on it; false when a face on
    // a hidden layer keeps it (it then moves to that layer).
    bool RemoveFromComponent(CComponent* component, bool mergeFaces, bool healVertices);
    // Two faces across the edge that may become one, or one face the edge runs into and
    // back out of (answered twice).
    bool FindMergeableFaces(CFace*& face1, CFace*& face2, bool checkOrientation) const;

private:
    // Soft, not selected, not shown as hidden geometry, and no profile: not drawn.
    [[nodiscard]] bool IsHiddenSoftEdge(ITarnisView* view, const CPoint3d& p1, const CPoint3d& p2) const;
    [[nodiscard]] static CVector3d GetSightLine(ITarnisView* view, const CPoint3d& p1, const CPoint3d& p2);
    void ExtendEnds(ITarnisView* view, int pixels, CPoint3d& p1, CPoint3d& p2) const;
    // Another edge of the edge's curve meets it at the vertex.
    [[nodiscard]] bool IsInsideCurveAt(const CVertex* vertex) const;
    void DrawWithEffects(ITarnisView* view, const CRenderingOptions& options, const CPoint3d& p1, const CPoint3d& p2,
                         double width) const;
    // A tick of that many pixels, at most a third of the edge, at each end of a curve.
    void DrawEndpointTicks(ITarnisView* view, int pixels) const;
    static void DrawJittered(ITarnisView* view, const CPoint3d& p1, const CPoint3d& p2);
    CEdge* SplitCore(CVertex* vertex);
    void RepairFacesAfterAbsorb(CComponent* component);
    void ReleaseCurveForRemoval();
    void ReadRecord(CArchive& ar);
    void WriteRecord(CArchive& ar) const;
    void LeaveVertex(CVertex*& vertex);
    // Erases every use of a ring of more than a few at once; nothing for a short ring.
    void EraseLongRing();
    int CheckVertices(int mode, CValidityResultMap* results);
    int CheckRegistrations(int mode, CValidityResultMap* results);
    int CheckDuplicates(int mode, CValidityResultMap* results);
    int CheckCurve(int mode, CValidityResultMap* results);
    int CheckRadialRing(int mode, CValidityResultMap* results);

    // The cached curve direction (0 not asked yet) takes two flag bits above the
    // element's own instead of a field: a model holds millions of edges.
    static constexpr int kCurveDirectionShift = 14;
    static constexpr std::uint32_t kCurveDirectionMask = 0x3u << kCurveDirectionShift;
    [[nodiscard]] int GetCachedCurveDirection() const;
    void SetCachedCurveDirection(int direction) const;

    CVertex* m_start = nullptr;
    CVertex* m_end = nullptr;
    CCurve* m_curve = nullptr;
    CEdgeUse* m_firstUse = nullptr;
    // The two notes fill the room behind the pointers: the uses, three per triangle,
    // then need no note of their own.
    std::uint32_t m_profileNote = 0;
    std::uint32_t m_profileUses = 0;
};

// Reads an object reference that must be an edge (null allowed); throws the archive
// exception badClass for another class.
[[nodiscard]] CEdge* ReadEdge(CArchive& ar);
// The line width that depth cue gives a line at the relative depth t (0 near, 1 far)
// for the width setting.
[[nodiscard]] int GetDepthCueWidth(int setting, double t);
