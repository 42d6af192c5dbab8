// How an image draws: always as a shaded, textured picture without profiles, whatever
// the view's style, pulled in front of a face it is glued to when it shows the same
// side, and outlined only while an instance around it is selected.

#include "document/image.h"
#include "document/renderingoptions.h"
#include "drawapi/tarnisview.h"
#include "model/face.h"
#include "model/facegl.h"
#include "model/undosuspender.h"

void CImage::Draw(ITarnisView* view)
{
    CRenderingOptions* options = view->GetRenderingOptions();
    if (options == nullptr || GetDefinition() == nullptr) {
        CComponentInstance::Draw(view);
        return;
    }
    // A frame past its budget leaves the picture, and the options it would switch, alone.
    if (view->IsFrameAbandoned()) {
        return;
    }
    const CUndoSuspender suspender;
    const bool profiles = options->IsDrawProfiles();
    const bool textures = options->IsDisplayTextures();
    const bool colorByLayer = options->IsColorByLayer();
    const int renderMode = options->GetRenderMode();
    const int edges = options->GetDisplayEdges();
    options->SetDrawProfiles(false);
    options->SetDisplayTextures(true);
    options->SetColorByLayer(false);
    options->SetRenderMode(2);
    view->SetDrawingSwitch(1);

    bool facing = true;
    if (const CFace* face = GetFace()) {
        view->PushTransform(GetTransform(), false);
        facing = face->IsFrontFacing(view);
        view->PopTransform(false);
    }
    const bool glued = HasRelationships();
    SetDrawingFlags(glued, facing);
    FlushFaces(view);
    const double offset = glued == facing ? -1.5 : 2.0;
    view->PushPolygonOffset(true, offset, offset);
    options->SetDisplayEdges(!IsSelected() && IsOnSelectedPath(view) ? 1 : 0);

    CComponentInstance::Draw(view);

    FlushFaces(view);
    view->PopPolygonOffset();
    options->SetDisplayTextures(textures);
    options->SetColorByLayer(colorByLayer);
    options->SetRenderMode(renderMode);
    options->SetDisplayEdges(edges);
    options->SetDrawProfiles(profiles);
}

void CImage::DrawIfShown(ITarnisView* view)
{
    CRenderingOptions* options = view->GetRenderingOptions();
    if (options == nullptr) {
        CComponentInstance::DrawIfShown(view);
        return;
    }
    // The flags of the image's last drawing: a glued picture seen from behind shows no
    // outline to pick.
    const CUndoSuspender suspender;
    const int edges = options->GetDisplayEdges();
    options->SetDisplayEdges(m_glued && !m_facing ? 0 : 1);
    CComponentInstance::DrawIfShown(view);
    options->SetDisplayEdges(edges);
}
