#pragma once
// CGroundShadows: the shadows the sun casts on the ground, drawn before the model by
// flattening every casting face (and, while edges cast, every edge that no casting face
// uses and that casts in its own right) onto z = 0 along the sun with the planar shadow
// matrix, as far as the active section planes keep them, in one flat colour darker
// than the ground. The flattened casters are compiled once into the shadow
// information's display list and replayed while the model is unchanged, unless they
// are too many for a list to keep.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/color.h"
#include "foundation/plane3d.h"
#include "foundation/vector3d.h"

class CComponent;
class CComponentInstance;
class CEdge;
class CFace;
class CFacePolygon;
class CShadowInfo;
class CTarnisView;
class CTransformation;

class CGroundShadows
{
public:
    explicit CGroundShadows(CTarnisView& view);

    // Nothing at night, when shadows do not fall on the ground, or with the eye below it.
    void Draw(CComponent& root, bool seeThrough);

    // The ground colour darkened by the dark percentage; a grey when ground and shadow
    // would both be too dark to tell apart.
    [[nodiscard]] static CColor GetShadowColor(const CColor& ground, int darkPercent);

private:
    void DrawCasters(CComponent& root, CShadowInfo& info);
    void DrawComponent(CComponent& component, const CTransformation& transform, int depth);
    // The instance's definition under its shadow transformation; nothing for an
    // instance that reaches below the ground.
    void DrawInstance(CComponentInstance& instance, const CTransformation& transform, int depth);
    void DrawFace(CFace& face, const CTransformation* transform);
    void DrawEdge(CEdge& edge, const CTransformation* transform);
    // False when an active section plane holds the polygon or cuts it all away; else
    // the polygon keeps what every plane keeps.
    [[nodiscard]] bool CutBySections(CFacePolygon& polygon) const;
    [[nodiscard]] std::uint64_t GetModelStamp() const;
    // One more caster drawn; past the most a list keeps, the list being compiled is
    // given up and the rest drawn straight away.
    void CountListed();
    // The quit request, asked once every few thousand calls.
    [[nodiscard]] bool IsAbandoned();

    CTarnisView& m_view;
    bool m_fromEdges = false;
    // Inside an instance that faces the camera: its faces cast whatever their material.
    bool m_faceMe = false;
    // The direction the sunlight travels.
    CVector3d m_light;
    // The active section planes of the components being walked, in model space.
    std::vector<CPlane3d> m_sections;
    // The list being compiled, and how many casters it holds.
    unsigned m_list = 0;
    std::size_t m_listed = 0;
    unsigned m_polls = 0;
};
