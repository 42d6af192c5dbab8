#pragma once
// CFaceRun: the faces of a component's opaque pass taken as one run. What is the same
// for every face of the pass is decided once: the display settings, the camera, whether
// the lighting mode hides faces, whether a layer is hidden, the material and colour of a
// side with its materials on a layer, and the component's smooth normals. A plain face
// goes straight to the view's face batch; a selected, hidden, textured or see-through
// one, and every face where sections cut or picking names them, draws itself.
// User-interface thread only.

#include "foundation/color.h"
#include "foundation/point3d.h"
#include "foundation/vector3d.h"
#include "model/runvisibility.h"

class CFace;
class CLayer;
class CMaterial;
class CRenderingOptions;
class CSmoothNormals;
class IFaceGL;
class ITarnisView;

class CFaceRun
{
public:
    explicit CFaceRun(ITarnisView* view);
    CFaceRun(const CFaceRun&) = delete;
    CFaceRun& operator=(const CFaceRun&) = delete;

    void Draw(CFace& face);

private:
    // A side's materials and layer, and how the side draws with them.
    struct Side
    {
        bool front = false;
        const CMaterial* material = nullptr;
        const CMaterial* backMaterial = nullptr;
        const CLayer* layer = nullptr;
        bool known = false;
        CColor color;
        // Blended in a pass that leaves it out, or a state of its own.
        bool skipped = false;
        bool ownDraw = false;
    };

    [[nodiscard]] const Side& GetSide(CFace& face, bool front);
    [[nodiscard]] const CSmoothNormals* GetSmoothNormals(const CFace& face);

    ITarnisView* m_view;
    IFaceGL* m_gl = nullptr;
    const CRenderingOptions* m_options = nullptr;
    // Every face draws itself.
    bool m_ownDraws = true;
    int m_mode = 0;
    int m_pass = 0;
    bool m_seeThrough = false;
    bool m_perspective = false;
    CPoint3d m_eye;
    CVector3d m_direction;
    CRunVisibility m_visibility;
    // The last side of each facing.
    Side m_sides[2];
    bool m_smoothKnown = false;
    const CSmoothNormals* m_smooth = nullptr;
};
