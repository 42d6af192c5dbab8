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
// Side quads are gathered and drawn in two runs (facing the eye, and not) since the
// counts they make do not depend on their order.

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "foundation/plane3d.h"
#include "foundation/point3d.h"
#include "foundation/transformation.h"

class CComponent;
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
    // and masks are the caller's.
    void Walk(CComponent& root);

    // 0 casts nothing; 1 see-through display; 2 side quads only; 3 with a near cap.
    [[nodiscard]] static int GetShadowClass(ITarnisView* view, const CFace& face, const CVector3d& light);
    // Shadow class bits of a face's flags.
    static constexpr unsigned kShadowModeShift = 9;
    static constexpr unsigned kShadowModeMask = 0x600;

private:
    void WalkComponent(CComponent& component, const CTransformation& transform, int depth);
    // The edge's counter; false when no face of the edge casts.
    bool CountEdge(CEdge& edge, const CTransformation* transform);
    void EmitEdgeSlab(const CEdge& edge, const CTransformation* transform);
    // Around a closed solid the first face to extrude an edge extrudes it for both.
    void EmitFace(CFace& face, int shadowClass, const CTransformation* transform, bool closedSolid);
    void AddQuad(const CPoint3d quad[4], bool facesEye, bool reverse);
    void FlushQuads();

    // False when an active section plane cuts the whole face away or holds it; else
    // the polygon keeps what every plane keeps.
    [[nodiscard]] bool CutBySections(CFacePolygon& polygon) const;

    ITarnisView* m_view;
    ShadowVolumeContext& m_context;
    // The active section planes of the components being walked, in model space.
    std::vector<CPlane3d> m_sections;
    std::vector<double> m_facing;
    std::vector<double> m_away;
    // Per edge of the component being walked: how many more of its faces turn to the light
    // than away. Kept here, not on the edge, so that an edge carries nothing only shadows use.
    std::unordered_map<const CEdge*, std::int32_t> m_facingCounts;
};
