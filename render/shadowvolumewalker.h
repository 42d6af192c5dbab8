#pragma once
// CShadowVolumeWalker: draws the stencil shadow volumes of a model for one frame.
// Every face first takes its shadow class (whether and how it casts: not at all, side
// quads only, or with a cap); every edge then counts on which side of its own plane
// along the light its casting faces lie, so that an edge between two faces on opposite
// sides (no silhouette from the sun) is extruded by neither; the faces extrude the
// rest down to the context's floor, each piece counting the stencil up or down by
// whether it faces the eye. Edges that no casting face uses cast a thin slab of their
// own while edges cast shadows. Instances are walked with their transformation, the
// volumes emitted in model space. A face casts only the part that the components'
// active section planes keep, cut in software so that the volumes stay closed.
//
// Single-pass volumes set the stencil operation of every piece by whether it faces the
// eye; their side quads are gathered and drawn in two runs (facing the eye, and not)
// since the counts they make do not depend on their order. The runs are drawn whenever
// they hold a batch's worth of quads, so that what the walk holds stays the same
// however many instance paths the model places. Two-pass volumes wind every
// piece to face out of its volume and leave culling and counting to the pass, which
// draws them twice; lone edges then cast closed slabs.

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "foundation/plane3d.h"
#include "foundation/point3d.h"
#include "foundation/transformation.h"

class CComponent;
class CComponentDefinition;
class CComponentInstance;
class CEdge;
class CFace;
class CFacePolygon;
class ITarnisView;
struct ShadowVolumeContext;

class CShadowVolumeWalker
{
public:
    CShadowVolumeWalker(ITarnisView* view, ShadowVolumeContext& context);

    // Emits the volumes of the component and everything placed in it; the stencil test
    // and masks are the caller's, and with two-pass volumes also the culling and the
    // stencil operations.
    void Walk(CComponent& root);

    // The most side quads the walk holds before it draws them.
    static constexpr std::size_t kBatchQuads = 4096;
    // The most side quads one draw of the last walk held.
    [[nodiscard]] std::size_t GetLargestBatch() const { return m_largestBatch; }

    // 0 casts nothing; 1 see-through display; 2 side quads only; 3 with a near cap.
    // faceMe asks for the cap at once (while the face-me fix is on).
    // The light's direction in the coordinates of the component the transform places.
    [[nodiscard]] static CVector3d LightIn(const CTransformation& transform, const CVector3d& light);
    [[nodiscard]] static int GetShadowClass(ITarnisView* view, const CFace& face, const CVector3d& light,
                                            bool transparentCanCast, bool faceMe = false);
    // Whether an edge that no casting face uses casts in its own right: an edge shown in
    // a transparent material only when transparent things may cast and its transparency
    // is at most 0.3; then always while selected or while hidden geometry shows, and a
    // soft edge only where it is a profile from the light.
    [[nodiscard]] static bool PassesCastingTest(ITarnisView* view, const CEdge& edge, const CPoint3d& start,
                                                const CPoint3d& end, const CVector3d& light,
                                                const CTransformation* transform, bool transparentCanCast);
    // The part of the segment every plane keeps (its non-negative side); false when less
    // than 0.001 is left.
    static bool ClipSegmentByPlanes(CPoint3d& start, CPoint3d& end, const std::vector<CPlane3d>& planes);
    // The definition a casting instance walks, and in placed the transformation that puts
    // it where its shadow is cast; null when the instance has no definition, does not
    // cast or is not shown, or when its placed box reaches below the floor.
    [[nodiscard]] static CComponentDefinition* PlaceCaster(ITarnisView* view, CComponentInstance& instance,
                                                           const CTransformation& transform, const CVector3d& light,
                                                           const CPlane3d& floor, CTransformation& placed);
    // Appends the component's active section plane, in the space the transformation
    // leads to, when it cuts what the component holds.
    static void AddActiveSection(ITarnisView* view, CComponent& component, const CTransformation* transform,
                                 std::vector<CPlane3d>& planes);
    // Shadow class bits of a face's flags.
    static constexpr unsigned kShadowModeShift = 9;
    static constexpr unsigned kShadowModeMask = 0x600;

private:
    void WalkComponent(CComponent& component, const CTransformation& transform, int depth);
    // The instance's definition under its shadow transformation, its faces taking their
    // caps at once when it faces the camera.
    void WalkInstance(CComponentInstance& instance, const CTransformation& transform, int depth);
    // The face's class, none when the active section planes hold the face or cut it away.
    [[nodiscard]] int ClassifyFace(const CFace& face, const CTransformation* transform) const;
    // The edge's counter; false when no face of the edge casts.
    bool CountEdge(CEdge& edge, const CTransformation* transform);
    // The volume of an edge no casting face uses, when it casts.
    void EmitLoneEdge(const CEdge& edge, const CTransformation* transform);
    void EmitEdgeSlab(CPoint3d start, CPoint3d end);
    // Around a closed solid the first face to extrude an edge extrudes it for both.
    void EmitFace(CFace& face, int shadowClass, const CTransformation* transform, bool closedSolid);
    void EmitFaceTwoPass(CFace& face, int shadowClass, const CTransformation* transform);
    // The face's cap, pushed behind the face itself.
    static void DrawCap(CFacePolygon& polygon, bool reverse);
    void AddQuad(const CPoint3d quad[4], bool facesEye, bool reverse);
    // Draws the gathered runs, or only lets them go once the frame is abandoned.
    void FlushQuads();
    // Draws the bound run of quads in pieces, each charged its vertices, its call and
    // the pixels its quads cover; false where the frame meter said stop.
    bool DrawQuadPieces(const std::vector<double>& run);
    // The quit request, asked once every few thousand calls.
    [[nodiscard]] bool IsAbandoned();

    // False when an active section plane cuts the whole face away or, unless only the
    // cut is asked for, holds it; else the polygon keeps what every plane keeps.
    [[nodiscard]] bool CutBySections(CFacePolygon& polygon, bool coplanarCasts = false) const;

    ITarnisView* m_view;
    ShadowVolumeContext& m_context;
    // The active section planes of the components being walked, in model space.
    std::vector<CPlane3d> m_sections;
    std::vector<double> m_facing;
    std::vector<double> m_away;
    std::size_t m_largestBatch = 0;
    unsigned m_polls = 0;
    // Per edge of the component being walked: how many more of its faces lie on one side
    // of its plane along the light than on the other. Kept here, not on the edge, so that
    // an edge carries nothing only shadows use.
    std::unordered_map<const CEdge*, std::int32_t> m_facingCounts;
};
