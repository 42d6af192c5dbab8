#include "document/componentedit.h"

#include <cstdint>

#include "document/componentcs.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/renderingoptions.h"
#include "document/tarnwickmodel.h"
#include "drawapi/tarnisview.h"
#include "foundation/boundingbox3d.h"
#include "foundation/transformation.h"
#include "model/undosuspender.h"

namespace {

constexpr std::uint16_t kFrameStipple = 0x3333;
constexpr double kFrameMarginPixels = 30.0;
constexpr double kFrameWidth = 2.0;
// Arms of a component axes marker are this many pixels long per unit of its size.
constexpr double kMarkerPixelsPerSize = 1500.0;
constexpr double kDefinitionAxesPixels = 100.0;
constexpr double kInstanceAxesPixels = 25.0;
constexpr int kFullDetail = 8;

CTarnwickModel* ModelOf(const CComponentInstance& instance)
{
    return instance.GetModel() != nullptr ? instance.GetModel() : GetCurrentModel();
}

bool IsEditDisplay(ITarnisView* view)
{
    const CRenderingOptions* options = view->GetRenderingOptions();
    return options != nullptr && options->GetDisplayByte(CRenderingOptions::kComponentEditDisplay);
}

// The twelve edges of the box; an edge the eye sees (one of its two faces turned to
// the eye) light, the others dark.
void DrawFrameBox(ITarnisView* view, const CBoundingBox3d& box, const CPoint3d& eye)
{
    const CColor light(192, 192, 192, 255);
    const CColor dark(64, 64, 64, 255);
    const double low[3] = {box.xmin, box.ymin, box.zmin};
    const double high[3] = {box.xmax, box.ymax, box.zmax};
    const double eyeAt[3] = {eye.x, eye.y, eye.z};
    // Face (axis, side) faces the eye when the eye lies beyond it.
    const auto facing = [&](int axis, int side) {
        return side == 0 ? eyeAt[axis] < low[axis] : eyeAt[axis] > high[axis];
    };
    for (int axis = 0; axis < 3; ++axis) {
        const int u = (axis + 1) % 3;
        const int v = (axis + 2) % 3;
        for (int su = 0; su < 2; ++su) {
            for (int sv = 0; sv < 2; ++sv) {
                double from[3];
                from[u] = su == 0 ? low[u] : high[u];
                from[v] = sv == 0 ? low[v] : high[v];
                from[axis] = low[axis];
                double to[3] = {from[0], from[1], from[2]};
                to[axis] = high[axis];
                const bool seen = facing(u, su) || facing(v, sv);
                view->DrawStyledLine(CPoint3d(from[0], from[1], from[2]), CPoint3d(to[0], to[1], to[2]), kFrameWidth,
                                     seen ? light : dark, kFrameStipple);
            }
        }
    }
}

void DrawAxesMarker(ITarnisView* view, const CTransformation& placement, bool negativeZ, bool selected,
                    bool instanceAxes, double pixels)
{
    CComponentCS marker(nullptr, negativeZ, selected, true, instanceAxes, pixels / kMarkerPixelsPerSize);
    {
        // A marker of this draw alone: nothing to record.
        const CUndoSuspender suspender;
        marker.SetFromTransform(placement);
    }
    marker.Draw(view);
}

}  // namespace

void DrawComponentEditFrame(ITarnisView* view, const CComponentInstance& instance)
{
    CComponentDefinition* definition = instance.GetDefinition();
    CTarnwickModel* model = ModelOf(instance);
    if (view == nullptr || definition == nullptr || model == nullptr || model->GetActiveInstance() == nullptr ||
        !IsEditDisplay(view)) {
        return;
    }
    const CInstancePath& path = view->GetInstancePath();
    if (path.CommonPrefixLength(model->GetActivePath()) != path.GetCount()) {
        return;
    }
    const CTransformation& axes = definition->GetComponentTransform();
    CTransformation toAxes;
    if (!axes.GetInverse(toAxes)) {
        return;
    }
    CBoundingBox3d box;
    definition->GetBounds(box, false);
    box = toAxes * box;
    if (definition->GetDefinitionType() == 0) {
        box.Add(CPoint3d(0, 0, 0));
    }
    if (box.IsEmpty()) {
        return;
    }
    view->PushTransform(axes, true);
    const CVector3d margin = view->GetModelUnitsPerPixel(box.GetCentre(), kFrameMarginPixels);
    box.Expand(margin);
    CTransformation toLocal;
    CPoint3d eye = view->GetCameraState().eyePoint;
    if (view->GetTransform().GetInverse(toLocal)) {
        eye = toLocal * eye;
    }
    view->SetLighting(false);
    view->SetDrawingSwitch(0);
    DrawFrameBox(view, box, eye);
    view->EndPrimitive();
    view->SetLineStipple(0);
    view->SetLineWidth(1.0);
    view->PopTransform(true);
    if (definition->GetDefinitionType() == 0) {
        DrawAxesMarker(view, axes, instance.HasRelationships(), false, false, kDefinitionAxesPixels);
    }
}

void DrawInstanceAxes(ITarnisView* view, const CComponentInstance& instance)
{
    const CRenderingOptions* options = view != nullptr ? view->GetRenderingOptions() : nullptr;
    CTarnwickModel* model = ModelOf(instance);
    if (options == nullptr || model == nullptr || !options->IsInstanceAxes() ||
        view->GetDrawingLevel() != kFullDetail || instance.GetParentComponent() != model->GetActiveComponent()) {
        return;
    }
    DrawAxesMarker(view, instance.GetTransform(), instance.HasRelationships(), instance.IsSelected(), true,
                   kInstanceAxesPixels);
}
