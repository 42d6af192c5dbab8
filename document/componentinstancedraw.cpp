// How an instance draws its definition: under its transformation, with its material
// and layer handed down to the definition's default-material and default-layer
// entities, mirrored winding where the transformation mirrors, stippled when hidden.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "document/componentbehavior.h"
#include "document/componentdefinition.h"
#include "document/componentedit.h"
#include "document/componentinstance.h"
#include "document/drawingwork.h"
#include "document/instancepath.h"
#include "document/renderingoptions.h"
#include "document/tarnwickmodel.h"
#include "drawapi/glenums.h"
#include "drawapi/renderingflags.h"
#include "drawapi/stipplepatterns.h"
#include "drawapi/tarnisview.h"
#include "foundation/framemeter.h"
#include "foundation/geomfilter.h"
#include "model/facegl.h"
#include "model/undosuspender.h"

namespace {

using glenum::kPolygonStipple;
constexpr std::uint16_t kStippleHidden = 0x3333;

}  // namespace

int CComponentInstance::PushInherited(ITarnisView* view, bool materials) const
{
    int pushed = 0;
    if (materials) {
        if (m_definition->GetMaterial() != nullptr) {
            view->PushMaterial(m_definition->GetMaterial());
            pushed |= 1;
        }
        if (GetMaterial() != nullptr) {
            view->PushMaterial(GetMaterial());
            pushed |= 2;
        }
    }
    if (!m_definition->UsesDefaultLayer()) {
        view->PushLayer(m_definition->GetEffectiveLayer());
        pushed |= 4;
    }
    if (!UsesDefaultLayer()) {
        view->PushLayer(GetEffectiveLayer());
        pushed |= 8;
    }
    return pushed;
}

void CComponentInstance::PopInherited(ITarnisView* view, int pushed)
{
    for (int bit : {1, 2}) {
        if ((pushed & bit) != 0) {
            view->PopMaterial();
        }
    }
    for (int bit : {4, 8}) {
        if ((pushed & bit) != 0) {
            view->PopLayer();
        }
    }
}

const CComponentBehavior* CComponentInstance::GetFacingBehavior() const
{
    const auto* behavior =
        m_definition != nullptr ? dynamic_cast<const CComponentBehavior*>(m_definition->GetBehavior()) : nullptr;
    return behavior != nullptr && behavior->AlwaysFacesCamera() ? behavior : nullptr;
}

bool CComponentInstance::IsDefinitionBeingEdited() const
{
    const CTarnwickModel* model = GetModel();
    if (model == nullptr || m_definition == nullptr) {
        return false;
    }
    const CInstancePath& active = model->GetActivePath();
    for (int i = 0; i < active.GetCount(); ++i) {
        const auto* instance = dynamic_cast<const CComponentInstance*>(active.GetAt(i));
        if (instance != nullptr && instance->GetDefinition() == m_definition) {
            return true;
        }
    }
    return false;
}

bool CComponentInstance::IsSelectionBoxHidden(ITarnisView* view)
{
    const CRenderingOptions* options = view->GetRenderingOptions();
    if (options == nullptr) {
        return false;
    }
    const int mode = view->GetLightingMode();
    return (mode == IModelView::kLightingModeDimmed && options->IsHideRestOfModel()) ||
           (mode == IModelView::kLightingModeFaded && options->IsHideOtherInstances());
}

void CComponentInstance::FaceCamera(ITarnisView* view)
{
    // The contents of a definition being edited hold still.
    if (GetFacingBehavior() == nullptr || IsDefinitionBeingEdited()) {
        return;
    }
    const CUnitVector3d direction(view->GetCameraState().viewDirection);
    const CUnitVector3d z = m_transform.GetZAxis();
    if (std::abs(DotProduct(z, direction)) > 0.9999) {
        return;
    }
    CUnitVector3d y = m_transform.GetYAxis();
    bool mirrored = false;
    if (view->HasTransform()) {
        const CTransformation outer = view->GetTransform();
        outer.TransformUnitVector(y);
        mirrored = outer.IsMirrored();
    }
    double angle = z.AngleBetweenAround(y, direction);
    if (angle >= -0.001 && angle <= 0.001) {
        return;
    }
    if (mirrored) {
        angle = -angle;
    }
    // The turn follows the camera; it is no change of the model to undo.
    const CUndoSuspender suspender;
    m_transform = CTransformation::Rotation(m_transform.GetOrigin(), z, angle) * m_transform;
}

CTransformation CComponentInstance::GetShadowTransform(const CVector3d& light) const
{
    const CComponentBehavior* behavior = GetFacingBehavior();
    CUnitVector3d l(light);
    if (!renderingflags::FixFaceMeShadows || behavior == nullptr || !behavior->ShadowsFaceSun() || !l.Normalize()) {
        return m_transform;
    }
    CTransformation t = m_transform;
    // Inside the definition being edited the turn is taken in its edit axes.
    const CTarnwickModel* model = GetModel();
    const bool inAxes = model != nullptr && model->GetActiveInstance() != nullptr && IsDefinitionBeingEdited();
    if (inAxes) {
        t = t * m_definition->GetEditTransform();
    }
    CUnitVector3d y = t.GetYAxis();
    if (DotProduct(y, l) < 0.0) {
        y = -y;
    }
    const CUnitVector3d z = t.GetZAxis();
    double angle = z.AngleBetweenAround(y, l);
    if (t.IsMirrored()) {
        angle = -angle;
    }
    if (angle >= -0.001 && angle <= 0.001) {
        return m_transform;
    }
    CTransformation turned = t * CTransformation::Rotation(CPoint3d(0, 0, 0), z, angle);
    CTransformation inverse;
    if (inAxes && m_definition->GetEditTransform().GetInverse(inverse)) {
        turned = turned * inverse;
    }
    return turned;
}

void CComponentInstance::HoldEveryTurn(CBoundingBox3d& bounds) const
{
    if (bounds.IsEmpty() || GetFacingBehavior() == nullptr) {
        return;
    }
    const CPoint3d centre = bounds.GetCentre();
    const double m = std::max(bounds.xmax - bounds.xmin, bounds.ymax - bounds.ymin);
    const double h = bounds.zmax - bounds.zmin;
    bounds.SetEmpty();
    bounds.Add(centre + CVector3d(-m, -m, -h));
    bounds.Add(centre + CVector3d(m, m, h));
}

void CComponentInstance::ExtendBoundingBox(CBoundingBox3d& box) const
{
    if (m_definition == nullptr) {
        return;
    }
    CBoundingBox3d bounds;
    m_definition->GetBounds(bounds, false);
    if (bounds.IsEmpty()) {
        return;
    }
    HoldEveryTurn(bounds);
    box.Add(m_transform * bounds);
}

bool CComponentInstance::IsPickable(const orvell::geometry::IGeomFilter* filter) const
{
    if (filter == nullptr || m_definition == nullptr || m_definition->ContainsConstructionLine()) {
        return true;
    }
    CBoundingBox3d bounds;
    m_definition->GetDrawnBounds(bounds);
    if (bounds.IsEmpty()) {
        return true;
    }
    // The turn this frame's drawing gives is not known yet.
    HoldEveryTurn(bounds);
    return filter->TestBox(m_transform * bounds);
}

void CComponentInstance::Draw(ITarnisView* view)
{
    if (view->IsFrameAbandoned()) {
        return;
    }
    if (m_definition == nullptr || !IsShown(view)) {
        return;
    }
    (void)CFrameMeter::Charge(CFrameMeter::kPlacementCost);
    FlushFaces(view);
    view->BeginElement(this);
    view->EnterInstance(this);
    const int pushed = PushInherited(view, true);
    FaceCamera(view);
    view->PushTransform(m_transform, true);
    IFaceGL* faceGL = GetFaceGL();
    const bool wasMirrored =
        faceGL != nullptr ? faceGL->SetMirrored(view, view->GetTransform().IsMirrored()) : false;
    bool stippleWasOn = true;
    bool lineStippleSet = false;
    if (IsHiddenFlagSet()) {
        view->SetPolygonStipple(stipple::HiddenGeometry());
        stippleWasOn = view->SetCapability(kPolygonStipple, true);
        lineStippleSet = !view->IsLineStippled();
        view->SetLineStipple(kStippleHidden);
    }
    if (IsSelected() && !IsSelectionBoxHidden(view)) {
        const CRenderingOptions* options = view->GetRenderingOptions();
        if (options != nullptr) {
            view->SetColor(HasFlag(kFlagSecondHighlight) ? options->GetSecondSelectionColor()
                                                         : options->GetSelectionColor());
        }
        CBoundingBox3d box;
        m_definition->GetBounds(box, false);
        view->SetLineWidth(2.0);
        view->DrawBox(box);
        view->SetLineWidth(1.0);
    }
    if (view->GetDrawingLevel() >= 2) {
        m_definition->Draw(view);
    } else if (!IsSelected()) {
        CBoundingBox3d box;
        m_definition->GetBounds(box, false);
        view->SetColor(GetDrawColor(view));
        view->DrawBox(box);
    }
    FlushFaces(view);
    view->EndPrimitive();
    DrawComponentEditFrame(view, *this);
    if (!stippleWasOn) {
        view->SetCapability(kPolygonStipple, false);
    }
    if (lineStippleSet) {
        view->SetLineStipple(0);
    }
    if (faceGL != nullptr) {
        faceGL->SetMirrored(view, wasMirrored);
    }
    view->PopTransform(true);
    DrawInstanceAxes(view, *this);
    PopInherited(view, pushed);
    view->LeaveInstance();
    view->EndElement();
}

void CComponentInstance::DrawIfShown(ITarnisView* view)
{
    if (view->IsFrameAbandoned()) {
        return;
    }
    // Asked before the instance is entered: the view ends a walk into a definition it
    // is drawing already.
    if (m_definition == nullptr || !IsShown(view)) {
        return;
    }
    (void)CFrameMeter::Charge(CFrameMeter::kPlacementCost);
    FlushFaces(view);
    view->BeginElement(this);
    const int pushed = PushInherited(view, false);
    view->EnterInstance(this);
    view->PushTransform(m_transform, true);
    m_definition->DrawIfShown(view);
    FlushFaces(view);
    view->EndPrimitive();
    view->PopTransform(true);
    view->LeaveInstance();
    PopInherited(view, pushed);
    view->EndElement();
}

std::uint64_t CComponentInstance::GetDrawingWeight(bool /*shadows*/) const
{
    return CDrawingWork::kPlacementCost;
}
