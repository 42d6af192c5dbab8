// How guides draw themselves: dashed lines, rays and segments in the guide colour, and
// small crosses for guide points; clipped by the active section planes in software, so
// that the GL clip planes are switched off around them.

#include <cstdint>

#include "annotations/constructionline.h"
#include "annotations/constructionpoint.h"
#include "annotations/sectionclipstack.h"
#include "document/layer.h"
#include "document/material.h"
#include "document/renderingoptions.h"
#include "drawapi/glenums.h"
#include "drawapi/pickhelper.h"
#include "drawapi/tarnisview.h"
#include "foundation/framemeter.h"
#include "foundation/line3d.h"
#include "foundation/point2d.h"

namespace {

constexpr std::uint16_t kStippleGuide = 0x0F0F;
constexpr std::uint16_t kStippleHidden = 0x3333;
constexpr double kCrossPixels = 3.0;

// Switches the GL clip planes off for its life: the guide was clipped already.
class ClipPlanesOff
{
public:
    explicit ClipPlanesOff(ITarnisView* view) : m_sections(view->GetSectionFilters())
    {
        m_sections.DisableClipPlanes(CSectionClipStack::kAllPlanes);
    }
    ~ClipPlanesOff() { m_sections.EnableClipPlanes(CSectionClipStack::kAllPlanes); }
    ClipPlanesOff(const ClipPlanesOff&) = delete;
    ClipPlanesOff& operator=(const ClipPlanesOff&) = delete;

private:
    CSectionClipStack& m_sections;
};

}  // namespace

bool CConstructionGeometry::IsShown(ITarnisView* view) const
{
    if (!CDrawingElement::IsShown(view)) {
        return false;
    }
    const CRenderingOptions* options = view != nullptr ? view->GetRenderingOptions() : nullptr;
    return options == nullptr || !options->GetDisplayByte(CRenderingOptions::kHideConstructionGeometry);
}

bool CConstructionGeometry::IsDrawnAtLevel(ITarnisView* view)
{
    return view->GetDrawingLevel() >= IModelView::kFullDrawingLevel;
}

CColor CConstructionGeometry::GetDrawColor(ITarnisView* view) const
{
    const CRenderingOptions* options = view != nullptr ? view->GetRenderingOptions() : nullptr;
    if (options == nullptr) {
        return CDrawingElement::GetDrawColor(view);
    }
    if (IsSelected() || (IsNewComponentHighlight() && IsOnSelectedPath(view))) {
        const bool second = HasFlag(kFlagSecondHighlight) || IsUnderFlaggedInstance(view);
        return second ? options->GetSecondSelectionColor() : options->GetSelectionColor();
    }
    CColor color;
    if (options->IsColorByLayer()) {
        CLayer* layer = GetEffectiveLayer();
        if (CLayer::IsDefaultLayer(layer) && view->GetCurrentLayer() != nullptr) {
            layer = view->GetCurrentLayer();
        }
        if (layer != nullptr && layer->GetMaterial() != nullptr) {
            color = layer->GetMaterial()->GetColor();
        }
    }
    if (color.GetValue() == 0) {
        color = options->GetConstructionColor();
    }
    if (IsHiddenFlagSet()) {
        color.Blend(view->GetBackgroundColor(), 0.5);
    }
    return color;
}

void CConstructionLine::Draw(ITarnisView* view)
{
    if (!IsShown(view) || !IsDrawnAtLevel(view)) {
        return;
    }
    CBoundedLine3d line = m_line;
    if (!view->GetSectionFilters().ClipLine(line)) {
        return;
    }
    std::uint16_t stipple = m_stipple;
    if (stipple == 0) {
        stipple = IsHiddenFlagSet() ? kStippleHidden : kStippleGuide;
    }
    view->BeginElement(this);
    view->SetLighting(false);
    const CColor color = GetDrawColor(view);
    view->SetColor(color);
    {
        const ClipPlanesOff off(view);
        CPoint3d start;
        CPoint3d end;
        line.GetStartPoint(start);
        line.GetEndPoint(end);
        const CVector3d direction = line.line.direction;
        if (!line.IsStartBounded() && !line.IsEndBounded()) {
            view->DrawRayLine(line.line.origin, direction, stipple, true, color, 1.0);
        } else if (!line.IsStartBounded()) {
            view->DrawRayLine(end, -direction, stipple, false, color, 1.0);
        } else if (!line.IsEndBounded()) {
            view->DrawRayLine(start, direction, stipple, false, color, 1.0);
        } else {
            view->SetLineStipple(stipple);
            view->SetLineWidth(1.0);
            view->BeginPrimitive(glenum::kLines);
            view->VertexV(start);
            view->VertexV(end);
            view->EndPrimitive();
        }
        view->EndPrimitive();
    }
    view->SetLineStipple(0);
    view->EndElement();
}

bool CConstructionLine::IsSelectedBy(IPickHelper* selector, const CInstancePath* /*path*/) const
{
    ITarnisView* view = selector != nullptr ? selector->GetPickView() : nullptr;
    CBoundedLine3d line = m_line;
    return view != nullptr && view->GetSectionFilters().ClipLine(line) && selector->TestLine(line);
}

bool CConstructionPoint::IsSelectedBy(IPickHelper* selector, const CInstancePath* /*path*/) const
{
    ITarnisView* view = selector != nullptr ? selector->GetPickView() : nullptr;
    if (view == nullptr) {
        return false;
    }
    const CSectionClipStack& sections = view->GetSectionFilters();
    if (!m_withSegment) {
        return sections.IsPointKept(m_point) && selector->TestPoint(m_point);
    }
    CPoint3d from = m_secondPoint;
    CPoint3d to = m_point;
    return sections.ClipSegment(from, to) && selector->TestSegment(from, to);
}

void CConstructionPoint::Draw(ITarnisView* view)
{
    if (!IsShown(view) || !IsDrawnAtLevel(view)) {
        return;
    }
    const bool picking = view->GetDrawMode() == IModelView::kDrawModeSelection;
    const CSectionClipStack& sections = view->GetSectionFilters();
    view->BeginElement(this);
    view->SetLighting(false);
    const CColor color = GetDrawColor(view);
    const ClipPlanesOff off(view);
    CPoint3d from = m_secondPoint;
    CPoint3d to = m_point;
    if (m_withSegment && sections.ClipSegment(from, to)) {
        if (!picking) {
            view->SetColor(color);
            view->SetLineStipple(kStippleGuide);
        }
        view->BeginPrimitive(glenum::kLines);
        view->VertexV(from);
        view->VertexV(to);
        view->EndPrimitive();
        view->SetLineStipple(0);
    }
    CPoint3d screen;
    if (sections.IsPointKept(m_point) && view->ModelToScreen(m_point, screen)) {
        if (!picking) {
            view->SetColor(color);
            view->SetLineWidth(2.0);
        }
        // One pixel along each screen axis, as a local model vector.
        view->BeginPrimitive(glenum::kLines);
        for (const CPoint2d& step : {CPoint2d(1, 0), CPoint2d(0, 1)}) {
            CPoint3d beside;
            if (!view->ScreenToModel(CPoint3d(screen.x + step.x, screen.y + step.y, screen.z), beside)) {
                continue;
            }
            const CVector3d pixel = beside - m_point;
            view->VertexV(m_point + pixel * (-kCrossPixels));
            view->VertexV(m_point + pixel * kCrossPixels);
        }
        view->EndPrimitive();
        view->SetLineWidth(1.0);
    }
    view->EndElement();
}

// Each primitive a guide draws is closed at once: a draw call of its own; its line may
// run across the whole view, at most its diagonal long (1,280 by 1,024 pixels), and is
// set up as a triangle is.
std::uint64_t CConstructionLine::GetDrawingWeight(bool /*shadows*/) const
{
    constexpr double kDiagonal = 1640.0;
    constexpr double kPixels = kDiagonal * (1 + CFrameMeter::kLineStepPixels);
    return CFrameMeter::kDrawCallCost + 2 * CFrameMeter::kVertexCost + CFrameMeter::kTriangleSetupCost +
           CFrameMeter::RasterUnits(kPixels, CFrameMeter::kLinePixelsPerUnit);
}

std::uint64_t CConstructionPoint::GetDrawingWeight(bool /*shadows*/) const
{
    constexpr std::uint64_t kMark = CFrameMeter::kDrawCallCost + 4 * CFrameMeter::kVertexCost;
    constexpr std::uint64_t kSegment = CFrameMeter::kDrawCallCost + 2 * CFrameMeter::kVertexCost;
    return kMark + (m_withSegment ? kSegment : 0);
}
