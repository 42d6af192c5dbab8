#include "render/stencilshadows.h"

#include <GL/gl.h>

#include <cstdint>

#include "document/component.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/tarnwickmodel.h"
#include "drawapi/renderingflags.h"
#include "foundation/framemeter.h"
#include "model/facegl.h"
#include "platform/folders.h"
#include "render/polygonoffset.h"
#include "render/shadowvolumecontext.h"
#include "render/shadowvolumewalker.h"
#include "render/tarnisview.h"

namespace {

constexpr int kDarkPass = 1;
constexpr int kLitPass = 2;

}  // namespace

CStencilShadows::CStencilShadows(CTarnisView& view) : m_view(view) {}

void CStencilShadows::DrawModel(CComponent& root)
{
    root.Draw(&m_view);
    FlushFaces(&m_view);
    m_view.EndPrimitive();
}

CString CStencilShadows::GetStencilSnapshotPath()
{
    return GetTempFolder() + CString("glimra-stencil.png");
}

void CStencilShadows::DrawVolumes(CComponent& root, ShadowVolumeContext& context, CShadowInfo& info)
{
    if (info.GetSecondDisplayList() != 0) {
        glDeleteLists(info.GetSecondDisplayList(), 1);
        info.SetSecondDisplayList(0);
    }
    info.GetScratchList().clear();
    if (context.singlePass) {
        CShadowVolumeWalker(&m_view, context).Walk(root);
        return;
    }
    // Culling leaves the pieces facing the eye to one pass and those facing away to the
    // other; with depth-fail the back pieces count first. The volumes of the first pass
    // are kept in a list for the second, the lone edges' segments beside it.
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    const unsigned list = glGenLists(1);
    std::uint64_t listed = 0;
    for (int pass = 0; pass < 2; ++pass) {
        const bool facing = (pass == 0) != context.zFail;
        glCullFace(facing ? GL_BACK : GL_FRONT);
        SetShadowVolumeStencilOp(context, facing);
        if (pass == 1 && list != 0) {
            glCallList(list);
            // The list replays what the first pass drew, at its cost.
            (void)CFrameMeter::Charge(listed);
        } else {
            info.GetScratchList().clear();
            context.collectEdges = list != 0;
            context.compiling = list != 0;
            if (list != 0) {
                glNewList(list, GL_COMPILE_AND_EXECUTE);
                info.SetSecondDisplayList(list);
            }
            const std::uint64_t before = CFrameMeter::GetUsed();
            CShadowVolumeWalker(&m_view, context).Walk(root);
            listed = CFrameMeter::GetUsed() - before;
            if (list != 0) {
                glEndList();
            }
            context.compiling = false;
        }
        DrawCachedEdgeShadows(&m_view, info.GetScratchList(), context.light, context.floor);
    }
    glDisable(GL_CULL_FACE);
}

void CStencilShadows::Draw(CComponent& root, bool seeThrough)
{
    CTarnwickModel* model = m_view.GetModel();
    CShadowInfo* info = model != nullptr ? model->GetShadowInfo() : nullptr;
    CRenderingOptions* options = m_view.GetRenderingOptions();
    if (info == nullptr || options == nullptr || info->GetSunDirection().z < 0.001) {
        // Night: no sun to cast shadows or to light the model.
        glDisable(GL_LIGHT0);
        DrawModel(root);
        glEnable(GL_LIGHT0);
        return;
    }
    const int bits = m_view.GetStencilBits();
    ShadowVolumeContext context;
    context.light = -info->GetSunDirection();
    context.light.Normalize();
    context.Init(&m_view, info, bits == 8, seeThrough, m_view.IsEyeAboveGround());
    if (!context.volumesEnabled) {
        DrawModel(root);
        return;
    }
    const int dark = info->GetDarkIntensity();
    const int light = info->GetLightIntensity();

    m_view.EndPrimitive();
    glEnable(GL_STENCIL_TEST);
    glStencilFunc(GL_ALWAYS, 0, ~0U);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    options->SetShadowPass(kDarkPass);
    m_view.SetLightIntensities(dark, 0.0);
    m_view.SetLighting(true);
    m_view.SetDepthFunction(GL_LESS);
    DrawModel(root);

    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    m_view.SetDepthMask(false);
    glStencilFunc(GL_ALWAYS, 0, 0);
    m_view.SetLighting(false);
    glFrontFace(GL_CCW);
    DrawVolumes(root, context, *info);

    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    m_litReference = StencilClearValue(bits) - context.eyeInsideCount;
    if (renderingflags::StencilSnapshot) {
        (void)SaveStencilSnapshot(GetStencilSnapshotPath(), m_litReference);
    }
    glStencilFunc(GL_EQUAL, m_litReference, static_cast<GLuint>(StencilMaskFromBits(bits)));
    m_view.SetDepthFunction(GL_LEQUAL);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    options->SetShadowPass(kLitPass);
    const bool hiddenLine = options->GetRenderMode() == 1;
    if (hiddenLine) {
        const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
        glLightfv(GL_LIGHT1, GL_AMBIENT, white);
        glDisable(GL_LIGHT0);
        glEnable(GL_LIGHT1);
    } else {
        m_view.SetLightIntensities(dark, light);
    }
    m_view.SetLighting(true);
    DrawModel(root);
    if (hiddenLine) {
        glDisable(GL_LIGHT1);
        glEnable(GL_LIGHT0);
    }
    options->SetShadowPass(0);
    glDisable(GL_STENCIL_TEST);
    m_view.SetDepthFunction(GL_LESS);
    m_view.SetDepthMask(true);
}
