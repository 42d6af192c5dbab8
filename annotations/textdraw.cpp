// The drawing of text annotations: the layout of leader, shoulder and label for a view,
// the visibility tests of the label, and the drawing itself.

#include <cmath>

#include "annotations/annotationlinks.h"
#include "annotations/dimensiondrawing.h"
#include "annotations/labelweight.h"
#include "annotations/sectionclipstack.h"
#include "annotations/text.h"
#include "annotations/textstyle.h"
#include "document/renderingoptions.h"
#include "document/tarnwickmodel.h"
#include "document/twfont.h"
#include "drawapi/glenums.h"
#include "drawapi/gltextimagecache.h"
#include "drawapi/pickhelper.h"
#include "drawapi/tarnisview.h"
#include "foundation/framemeter.h"
#include "foundation/plane3d.h"
#include "foundation/transformation.h"

namespace {

constexpr double kShortLeader = 0.001;
// The leader's three points and the end mark's.
constexpr std::uint64_t kLeaderVertices = 16;
// Placement codes of the label beside its shoulder.
constexpr int kLabelRight = 9;
constexpr int kLabelLeft = 10;

// The view's text drawing knows the nine box codes: beside the shoulder the label is
// centred on its point vertically.
int BoxCode(int placement)
{
    return placement == kLabelLeft ? 5 : 3;
}

}  // namespace

void CText::OnGeometryChanged()
{
    if (m_textImage != nullptr) {
        m_textImage->Reset();
    }
}

CVector3d CText::GetModelLeader(ITarnisView* view) const
{
    if (m_leaderKind == kModelLeader) {
        return m_leaderVector;
    }
    if (m_leaderKind != kScreenLeader || view == nullptr) {
        return {};
    }
    const CCameraState camera = view->GetCameraState();
    const CVector3d model = camera.rightAxis * m_leaderVector.x + camera.upAxis * m_leaderVector.y;
    return view->GetInverseTransform() * model;
}

CVector3d CText::GetScreenLeader(ITarnisView* view) const
{
    if (m_leaderKind == kScreenLeader) {
        return m_leaderVector;
    }
    if (m_leaderKind != kModelLeader || view == nullptr) {
        return {};
    }
    const CCameraState camera = view->GetCameraState();
    const CVector3d model = view->GetTransform() * m_leaderVector;
    return {DotProduct(model, camera.rightAxis), DotProduct(model, camera.upAxis), 0.0};
}

CPoint3d CText::GetTextPoint(ITarnisView* view) const
{
    if (!IsAttached()) {
        return {};
    }
    return m_anchor.GetPosition() + GetModelLeader(view);
}

CText::Layout CText::LayoutText(ITarnisView* view)
{
    Layout layout;
    if (IsAttached()) {
        m_anchor.Evaluate();
    }
    const CPoint3d anchor = m_anchor.GetPosition();
    const CPoint3d textPoint = GetTextPoint(view);
    for (CPoint3d& p : layout.points) {
        p = textPoint;
    }
    layout.points[0] = anchor;
    if (view == nullptr) {
        return layout;
    }
    if (!IsAttached()) {
        if (!view->IsPrinting()) {
            const CCameraState camera = view->GetCameraState();
            m_screenPoint = ScreenToModelPoint(view, std::trunc(camera.viewportWidth * m_screenX),
                                               std::trunc(camera.viewportHeight * m_screenY));
        }
        for (CPoint3d& p : layout.points) {
            p = m_screenPoint;
        }
        return layout;
    }
    if (GetModelLeader(view).GetLength() < kShortLeader) {
        for (CPoint3d& p : layout.points) {
            p = anchor;
        }
        return layout;
    }
    const CVector3d d = GetScreenLeader(view);
    if (d.GetLength() < kShortLeader) {
        return layout;
    }
    const bool left = m_sideMode == kSideLeft || (m_sideMode == kSideAutomatic && d.x < 0.0);
    layout.placement = left ? kLabelLeft : kLabelRight;
    layout.alignment = left ? IGLTextImageCache::kAlignRight : IGLTextImageCache::kAlignLeft;
    auto* font = dynamic_cast<CTwFont*>(GetEffectiveFont());
    const int height = font != nullptr ? font->GetScaledHeight() : 0;
    const CVector3d shoulder =
        view->GetInverseTransform() * GetLabelOffsetVector(view, height, font, textPoint, layout.placement);
    layout.points[2] = textPoint + shoulder;
    layout.points[3] = textPoint + shoulder * 1.5;
    return layout;
}

bool CText::IsLabelVisible(ITarnisView* view) const
{
    if (!IsAttached() || view->GetDrawMode() == IModelView::kDrawModeTextVisible) {
        return true;
    }
    if (view->IsPrinting()) {
        return m_visible;
    }
    const CCameraState camera = view->GetCameraState();
    const auto inside = [&](const CPoint3d& point, CPoint3d& window) {
        return view->ModelToScreen(point, window) && window.x >= 0.0 && window.y >= 0.0 &&
               window.x < camera.viewportWidth && window.y < camera.viewportHeight;
    };
    CPoint3d anchor;
    CPoint3d text;
    bool visible = inside(m_anchor.GetPosition(), anchor) && (!m_leaderShown || inside(GetTextPoint(view), text));
    const bool drawnOnTop = m_leaderKind == kScreenLeader || !m_leaderShown;
    double depth = 1.0;
    const bool readsDepth = visible && drawnOnTop && m_anchor.GetKind() != CModelPointRef::kFreePoint;
    // The read makes the GL finish what it queued: charged, and a frame that must stop
    // shows no more labels. A print reuses the stored answer: a test left unfinished
    // leaves the last whole one.
    if (readsDepth && !CFrameMeter::Charge(kLabelDepthReadUnits)) {
        return false;
    }
    if (readsDepth &&
        view->ReadWindowDepth(static_cast<int>(anchor.x), static_cast<int>(anchor.y), depth)) {
        // The anchor is behind what the frame drew there by more than a hundredth of the
        // depth range.
        visible = anchor.z <= depth + 0.01;
    }
    m_visible = visible;
    return visible;
}

bool CText::IsAnchorPathShown(ITarnisView* view) const
{
    for (const CEntity* entity : m_anchor.GetFirstPath().GetEntities()) {
        const auto* instance = dynamic_cast<const CDrawingElement*>(entity);
        if (instance != nullptr && !instance->IsShown(nullptr)) {
            return false;
        }
    }
    const CDrawingElement* element = m_anchor.GetDrawingElement();
    if (element == nullptr) {
        return true;
    }
    if (!element->IsShown(nullptr)) {
        return false;
    }
    CPlane3d plane;
    if (m_leaderKind == kScreenLeader && GetAnchorFacePlane(plane)) {
        const CCameraState camera = view->GetCameraState();
        const CVector3d normal(plane.a, plane.b, plane.c);
        const CVector3d toEye = camera.perspective ? camera.eyePoint - m_anchor.GetPosition() : -camera.viewDirection;
        return (DotProduct(normal, toEye) >= 0.0) == m_faceSide;
    }
    return true;
}

bool CText::IsShown(ITarnisView* view) const
{
    if (!CDrawingElement::IsShown(view)) {
        return false;
    }
    if (view == nullptr) {
        return true;
    }
    const CCameraState camera = view->GetCameraState();
    if (IsAttached() && (view->GetTransform() * m_anchor.GetPosition() - camera.eyePoint).GetLength() < 0.001) {
        return false;
    }
    const CRenderingOptions* options = view->GetRenderingOptions();
    if (options != nullptr && options->GetDisplayByte(CRenderingOptions::kHideAnnotations)) {
        return false;
    }
    if (IsAttached() && !IsAnchorPathShown(view)) {
        return false;
    }
    return IsLabelVisible(view);
}

void CText::AccumulateExtents(const CTransformation& transform, CBoundingBox3d& box) const
{
    if (!IsAttached()) {
        return;
    }
    const CPoint3d anchor = GetAnchorPoint();
    box.Add(transform * anchor);
    if (m_leaderKind == kModelLeader) {
        box.Add(transform * (anchor + m_leaderVector));
    }
}

bool CText::IsSelectedBy(IPickHelper* selector, const CInstancePath* /*path*/) const
{
    ITarnisView* view = selector != nullptr ? selector->GetPickView() : nullptr;
    if (view == nullptr || (!IsAttached() && view->GetDrawMode() == IModelView::kDrawModeTextVisible)) {
        return false;
    }
    // The layout only refreshes the anchor's position and a screen text's model point.
    const Layout layout = const_cast<CText*>(this)->LayoutText(view);
    const CSectionClipStack& sections = view->GetSectionFilters();
    if (IsAttached() && m_leaderShown && !sections.IsEmpty() && !sections.IsPointKept(layout.points[0])) {
        return false;
    }
    if (IsAttached() && (!selector->TestPoint(layout.points[0]) || !selector->TestPoint(layout.points[1]))) {
        return false;
    }
    return IsLabelSelected(*selector, layout.points[3], m_textImage.get(), BoxCode(layout.placement));
}

void CText::Draw(ITarnisView* view)
{
    // The visibility tests read the anchor where what it hangs on is now.
    if (IsAttached()) {
        m_anchor.Evaluate();
    }
    if (view == nullptr || view->GetDrawingLevel() <= 6 || !IsShown(view)) {
        return;
    }
    const CRenderingOptions* options = view->GetRenderingOptions();
    bool stippled = IsHiddenFlagSet();
    if (m_facingTest) {
        CVector3d normal = m_normal;
        normal.Normalize();
        if (std::fabs(DotProduct(view->GetCameraState().viewDirection, normal)) < 0.6) {
            if (options == nullptr || !options->IsShowHiddenGeometry()) {
                return;
            }
            stippled = true;
        }
    }
    CSectionClipStack& sections = view->GetSectionFilters();
    if (IsAttached() && !sections.IsEmpty() && !sections.IsPointKept(m_anchor.GetPosition())) {
        return;
    }
    sections.DisableClipPlanes(CSectionClipStack::kAllPlanes);
    view->BeginElement(this);
    view->SetLighting(false);
    view->SetLineStipple(stippled ? 0x3333 : 0);
    view->SetLineWidth(stippled ? 1.0 : m_lineWeight);
    view->SetColor(GetDrawColor(view));
    const bool onTop = m_leaderKind == kScreenLeader || !m_leaderShown;
    if (onTop) {
        view->SetDepthFunction(glenum::kAlways);
    }
    DrawLabel(view, !stippled);
    view->EndPrimitive();
    if (onTop) {
        view->SetDepthFunction(glenum::kLess);
    }
    if (stippled) {
        view->SetLineStipple(0);
    }
    view->EndElement();
    sections.EnableClipPlanes(CSectionClipStack::kAllPlanes);
}

std::uint64_t CText::GetDrawingWeight(bool /*shadows*/) const
{
    // The text style's font is looked at, not made: counting changes nothing.
    const CTextStyle* style = m_font == nullptr ? GetModelTextStyle(GetCurrentModel()) : nullptr;
    const CEntity* font = style != nullptr ? style->PeekFont() : m_font;
    const bool onTop = IsAttached() && (m_leaderKind == kScreenLeader || !m_leaderShown);
    return kLeaderVertices + LabelTextWeight(BoundLabel(m_text), LabelPixelHeight(font), false) +
           (onTop ? kLabelDepthReadUnits : 0);
}

void CText::DrawLabel(ITarnisView* view, bool normal)
{
    const Layout layout = LayoutText(view);
    const CPoint3d* p = layout.points;
    if (IsAttached() && m_leaderShown) {
        view->BeginPrimitive(glenum::kLineStrip);
        view->VertexV(p[0]);
        view->VertexV(p[1]);
        view->VertexV(p[2]);
        view->EndPrimitive();
        CVector3d direction = p[1] - p[0];
        direction.Normalize();
        const CPlane3d facing(p[0], view->GetLocalViewDirection());
        DrawEndMark(view, facing, p[0], direction, m_arrow, 10, 1);
    }
    auto* font = dynamic_cast<CTwFont*>(GetEffectiveFont());
    if (font == nullptr || m_text.IsEmpty()) {
        return;
    }
    CPlane3d plane;
    const bool inPlane = IsAttached() && m_anchor.HasPlane() && m_anchor.GetPlane(plane);
    if (inPlane) {
        plane = view->GetInverseTransform() * plane;
    }
    if (m_textImage == nullptr) {
        m_textImage = view->CreateTextImageCache(true);
    }
    view->DrawText(font, p[3], BoundLabel(m_text), BoxCode(layout.placement), layout.alignment, normal ? 1u : 0u,
                   inPlane ? &plane : nullptr, !normal, m_textImage.get());
}
