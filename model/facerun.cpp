#include "model/facerun.h"

#include "annotations/sectionclipstack.h"
#include "document/component.h"
#include "document/material.h"
#include "document/renderingoptions.h"
#include "drawapi/tarnisview.h"
#include "model/face.h"
#include "model/facegl.h"
#include "model/profilefacing.h"
#include "model/smoothnormals.h"

CFaceRun::CFaceRun(ITarnisView* view)
    : m_view(view), m_gl(GetFaceGL()), m_options(view->GetRenderingOptions()), m_visibility(view)
{
    if (m_gl == nullptr || m_options == nullptr || view->DrawsEdgesAlone() ||
        view->GetDrawMode() == IModelView::kDrawModeSelection || !view->GetSectionFilters().IsEmpty()) {
        return;
    }
    m_mode = m_options->GetRenderMode();
    m_pass = m_options->GetTransparencyPass();
    m_seeThrough = m_options->IsTransparentDisplay();
    m_perspective = view->GetCameraState().perspective;
    if (m_perspective) {
        m_eye = view->GetLocalEyePoint();
    } else {
        m_direction = view->GetLocalViewDirection();
    }
    m_ownDraws = false;
}

// As CFace::Draw, for a face neither selected nor hidden by its flag.
void CFaceRun::Draw(CFace& face)
{
    if (m_ownDraws || face.IsSelected() || face.IsHiddenFlagSet()) {
        face.Draw(m_view);
        return;
    }
    if (face.GetLoopCount() == 0 || m_visibility.IsHidden(face) || m_mode == 0) {
        return;
    }
    const double facing = m_perspective ? -face.GetPlane().GetSignedDistance(m_eye)
                                        : DotProduct(face.GetNormal(), m_direction);
    CProfileFacing::Note(face, facing);
    if (m_pass == 1 && m_seeThrough) {
        return;
    }
    const Side& side = GetSide(face, facing < 0.0);
    if (side.skipped) {
        return;
    }
    if (side.ownDraw) {
        face.Draw(m_view);
        return;
    }
    m_gl->AddFace(m_view, face, side.color, m_mode != 1, GetSmoothNormals(face));
}

const CFaceRun::Side& CFaceRun::GetSide(CFace& face, bool front)
{
    Side& side = m_sides[front ? 1 : 0];
    const CMaterial* own = face.GetMaterial();
    const CMaterial* back = face.GetBackMaterial();
    const CLayer* layer = face.GetLayer();
    if (side.known && side.material == own && side.backMaterial == back && side.layer == layer) {
        return side;
    }
    side.front = front;
    side.material = own;
    side.backMaterial = back;
    side.layer = layer;
    side.known = true;
    int reason = 0;
    const CMaterial* material = face.GetSideMaterial(m_view, front, &reason);
    side.color = face.GetSideColor(m_view, front);
    const bool blended = material != nullptr ? material->Blends() : side.color.GetAlphaByte() < 255;
    side.skipped = (m_pass == 1 && blended) || (m_pass >= 2 && !blended && !m_seeThrough);
    const bool textured = material != nullptr && material->IsTextured() && m_mode >= 2 && m_mode <= 4 &&
                          m_options->IsDisplayTextures() &&
                          m_view->GetDrawingLevel() >= IModelView::kLowestTextureLevel;
    const bool alphaTest = material != nullptr && material->IsFullyTransparent();
    const bool keepDepth = reason == 2 && material != nullptr && !material->IsOpaque();
    side.ownDraw = textured || alphaTest || keepDepth;
    return side;
}

const CSmoothNormals* CFaceRun::GetSmoothNormals(const CFace& face)
{
    if (!face.HasFlag(CSmoothNormals::kFlagSmoothSurface)) {
        return nullptr;
    }
    // The faces of the run share their component's table; picking is no run.
    if (!m_smoothKnown) {
        CComponent* component = m_options->IsAverageNormals() ? face.GetParentComponent() : nullptr;
        m_smooth = component != nullptr ? &component->GetSmoothNormals() : nullptr;
        m_smoothKnown = true;
    }
    return m_smooth;
}
