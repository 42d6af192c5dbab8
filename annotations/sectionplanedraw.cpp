// How a section plane draws itself: the rectangle around its component with broken
// sides, corner arrows and a fill, and the section cut of its component.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "annotations/sectionplane.h"
#include "annotations/sectionplaneslice.h"
#include "document/component.h"
#include "document/renderingoptions.h"
#include "annotations/sectionclipstack.h"
#include "drawapi/glenums.h"
#include "drawapi/pickhelper.h"
#include "drawapi/tarnisview.h"
#include "foundation/framemeter.h"
#include "foundation/boundedline3d.h"

namespace {

constexpr std::uint16_t kStippleHidden = 0x3333;
constexpr double kDegenerateSide = 0.001;
constexpr double kDegeneratePixels = 100.0;
constexpr double kMargin = 0.1;
constexpr double kArrowPart = 0.1;
constexpr double kArrowPixels = 30.0;
constexpr int kSubOutline = 1;
constexpr int kSubFill = 2;
constexpr int kFillBlended = 1;
constexpr int kFillStippled = 2;
constexpr int kFillAuto = 3;

// Pieces of each side, as fractions of its length: solid with four short gaps around
// the middle.
constexpr double kSidePieces[5][2] = {
    {0.0, 0.4125}, {0.4375, 0.4625}, {0.4875, 0.5125}, {0.5375, 0.5625}, {0.5875, 1.0}};

const std::uint8_t* Checkerboard()
{
    static const std::array<std::uint8_t, 128> pattern = [] {
        std::array<std::uint8_t, 128> bytes{};
        for (int row = 0; row < 32; ++row) {
            for (int i = 0; i < 4; ++i) {
                bytes[row * 4 + i] = (row % 2) == 0 ? 0xAA : 0x55;
            }
        }
        return bytes;
    }();
    return pattern.data();
}

double Width(const CBoundingBox2d& box)
{
    return box.IsEmpty() ? 0.0 : box.xmax - box.xmin;
}

double Height(const CBoundingBox2d& box)
{
    return box.IsEmpty() ? 0.0 : box.ymax - box.ymin;
}

std::array<CPoint3d, 4> Corners(const CBoundingBox2d& box)
{
    return {CPoint3d(box.xmin, box.ymin, 0), CPoint3d(box.xmax, box.ymin, 0), CPoint3d(box.xmax, box.ymax, 0),
            CPoint3d(box.xmin, box.ymax, 0)};
}

void DrawBrokenOutline(ITarnisView* view, const std::array<CPoint3d, 4>& corners)
{
    view->BeginPrimitive(glenum::kLines);
    for (int side = 0; side < 4; ++side) {
        const CPoint3d& from = corners[side];
        const CVector3d along = corners[(side + 1) % 4] - from;
        for (const auto& piece : kSidePieces) {
            view->VertexV(from + along * piece[0]);
            view->VertexV(from + along * piece[1]);
        }
    }
    view->EndPrimitive();
}

void DrawQuad(ITarnisView* view, const std::array<CPoint3d, 4>& corners)
{
    view->BeginPrimitive(glenum::kQuads);
    for (const CPoint3d& corner : corners) {
        view->VertexV(corner);
    }
    view->EndPrimitive();
}

// An arrow standing on the corner along the frame's z axis: a shaft up to half its
// size and a head of four triangles; outlined heads are drawn as their triangles'
// outlines.
void DrawCornerArrows(ITarnisView* view, const std::array<CPoint3d, 4>& corners, double size, double hx,
                      double hy, bool outlined)
{
    const double half = size * 0.5;
    view->BeginPrimitive(glenum::kLines);
    for (const CPoint3d& c : corners) {
        view->Vertex(c.x, c.y, 0.0);
        view->Vertex(c.x, c.y, half);
    }
    view->EndPrimitive();
    for (const CPoint3d& c : corners) {
        const CPoint3d apex(c.x, c.y, size);
        const CPoint3d base(c.x, c.y, half);
        const CPoint3d triangles[4][2] = {{CPoint3d(c.x - hx, c.y, half), base},
                                          {base, CPoint3d(c.x + hx, c.y, half)},
                                          {CPoint3d(c.x, c.y - hy, half), base},
                                          {base, CPoint3d(c.x, c.y + hy, half)}};
        for (const auto& triangle : triangles) {
            view->BeginPrimitive(outlined ? glenum::kLineLoop : glenum::kTriangles);
            view->VertexV(triangle[0]);
            view->VertexV(triangle[1]);
            view->VertexV(apex);
            view->EndPrimitive();
        }
    }
}

}  // namespace

bool CSectionPlane::IsShown(ITarnisView* view) const
{
    if (!CDrawingElement::IsShown(view)) {
        return false;
    }
    const CRenderingOptions* options = view != nullptr ? view->GetRenderingOptions() : nullptr;
    return options == nullptr || (options->GetSectionFlags() & CRenderingOptions::kSectionPlanesShown) != 0 ||
           IsSelected();
}

bool CSectionPlane::IsActiveCut(ITarnisView* view) const
{
    const CComponent* component = GetParentComponent();
    if (component == nullptr || component->GetActiveSectionPlane() != this) {
        return false;
    }
    const CRenderingOptions* options = view != nullptr ? view->GetRenderingOptions() : nullptr;
    return options == nullptr || (options->GetSectionFlags() & CRenderingOptions::kSectionCutsShown) != 0;
}

bool CSectionPlane::IsHighlighted(ITarnisView* view) const
{
    return IsSelected() || (IsNewComponentHighlight() && IsOnSelectedPath(view));
}

void CSectionPlane::ComputeOwnBounds()
{
    CBoundingBox3d box;
    if (const CComponent* component = GetParentComponent()) {
        component->GetBounds(box, false);
    }
    ComputeBounds(box);
}

CBoundingBox2d CSectionPlane::InflateDrawBounds(const CBoundingBox2d& bounds, double pixelLength)
{
    CBoundingBox2d box = bounds;
    if (box.IsEmpty()) {
        box.Add(CPoint2d(0, 0));
    }
    const double widen = pixelLength * kDegeneratePixels * 0.5;
    if (Width(box) <= kDegenerateSide) {
        box.xmin -= widen;
        box.xmax += widen;
    }
    if (Height(box) <= kDegenerateSide) {
        box.ymin -= widen;
        box.ymax += widen;
    }
    const double margin = kMargin * 0.5 * (Width(box) + Height(box));
    box.xmin -= margin;
    box.xmax += margin;
    box.ymin -= margin;
    box.ymax += margin;
    return box;
}

void CSectionPlane::Draw(ITarnisView* view)
{
    if (!IsShown(view)) {
        return;
    }
    const bool picking = view->GetDrawMode() == IModelView::kDrawModeSelection;
    const bool active = IsActiveCut(view);
    const bool highlighted = IsHighlighted(view);
    const CRenderingOptions* options = view->GetRenderingOptions();
    view->BeginElement(this);
    view->SetLineWidth(2.0);
    if (options != nullptr) {
        if (highlighted) {
            const bool second = HasFlag(kFlagSecondHighlight) || IsUnderFlaggedInstance(view);
            view->SetColor(second ? options->GetSecondSelectionColor() : options->GetSelectionColor());
        } else {
            view->SetColor(active ? options->GetActiveSectionColor() : options->GetSectionPlaneColor());
        }
    }
    const bool stippled = IsHiddenFlagSet();
    if (stippled) {
        view->SetLineStipple(kStippleHidden);
    }
    view->SetLighting(false);
    ComputeOwnBounds();
    DrawPlane(view, active, picking, highlighted);
    if (stippled) {
        view->SetLineStipple(0);
    }
    view->SetLineWidth(1.0);
    view->EndElement();
}

bool CSectionPlane::IsSelectedBy(IPickHelper* selector, const CInstancePath* /*path*/) const
{
    ITarnisView* view = selector != nullptr ? selector->GetPickView() : nullptr;
    if (view == nullptr) {
        return false;
    }
    // The bounds are a cache of the component's extent, refreshed before every use.
    const_cast<CSectionPlane*>(this)->ComputeOwnBounds();
    const CTransformation frame = GetFrame();
    const CPoint3d centre = m_bounds.IsEmpty() ? CPoint3d()
                                               : CPoint3d((m_bounds.xmin + m_bounds.xmax) * 0.5,
                                                          (m_bounds.ymin + m_bounds.ymax) * 0.5, 0.0);
    const double pixel = view->PixelsToModelLength(1.0, view->GetTransform() * (frame * centre));
    CBoundingBox3d box;
    for (const CPoint3d& corner : Corners(InflateDrawBounds(m_bounds, pixel))) {
        box.Add(frame * corner);
    }
    const CSectionClipStack& sections = view->GetSectionFilters();
    if (sections.IsEmpty()) {
        for (int corner = 0; corner < 8; ++corner) {
            if (!selector->TestPoint(box.GetCorner(corner))) {
                return false;
            }
        }
        return true;
    }
    static constexpr int kEdges[12][2] = {{0, 1}, {2, 3}, {0, 2}, {1, 3}, {4, 5}, {6, 7},
                                          {4, 6}, {5, 7}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
    for (const auto& edge : kEdges) {
        CBoundedLine3d line(box.GetCorner(edge[0]), box.GetCorner(edge[1]));
        if (line.IsDegenerate() || !sections.ClipLine(line)) {
            continue;
        }
        if (!selector->TestLine(line)) {
            return false;
        }
    }
    return true;
}

void CSectionPlane::DrawPlane(ITarnisView* view, bool active, bool picking, bool /*highlighted*/)
{
    const CTransformation frame = GetFrame();
    const bool framed = !frame.IsIdentity();
    if (framed) {
        view->PushTransform(frame, true);
    }
    const CPoint3d localCentre = m_bounds.IsEmpty() ? CPoint3d()
                                                    : CPoint3d((m_bounds.xmin + m_bounds.xmax) * 0.5,
                                                               (m_bounds.ymin + m_bounds.ymax) * 0.5, 0.0);
    const CPoint3d centre = view->GetTransform() * localCentre;
    const CBoundingBox2d box = InflateDrawBounds(m_bounds, view->PixelsToModelLength(1.0, centre));
    const std::array<CPoint3d, 4> corners = Corners(box);

    view->BeginSubElement(kSubOutline);
    if (picking) {
        view->BeginPrimitive(glenum::kLineLoop);
        for (const CPoint3d& corner : corners) {
            view->VertexV(corner);
        }
        view->EndPrimitive();
    } else {
        DrawBrokenOutline(view, corners);
    }
    const CVector3d perPixel = view->GetModelUnitsPerPixel(centre, kArrowPixels);
    const double diagonal = std::hypot(Width(box), Height(box));
    const double size = std::min(kArrowPart * diagonal, perPixel.z > 0.0 ? perPixel.z : kArrowPart * diagonal);
    const double ratioX = perPixel.z > 0.0 ? perPixel.x / perPixel.z : 1.0;
    const double ratioY = perPixel.z > 0.0 ? perPixel.y / perPixel.z : 1.0;
    const double hx = size * 0.5 * ratioX;
    const double hy = size * 0.5 * ratioY;
    if (active) {
        DrawCornerArrows(view, corners, size, hx, hy, false);
    }
    const CColor lineColor = view->GetColor();
    const CRenderingOptions* options = view->GetRenderingOptions();
    if (active && options != nullptr && !picking) {
        view->SetColor(options->GetForegroundColor());
    }
    view->SetLineWidth(1.0);
    DrawCornerArrows(view, corners, size, hx, hy, true);
    view->SetColor(lineColor);
    view->EndSubElement();

    view->BeginSubElement(kSubFill);
    if (picking) {
        DrawQuad(view, corners);
    } else if (options != nullptr) {
        int mode = options->GetTranslucentFillStyle();
        if (mode == kFillAuto) {
            mode = view->CanBlend() ? kFillBlended : kFillStippled;
        }
        view->PushLightingMode(0);
        view->SetColor(options->GetSectionFillColor());
        if (mode == kFillBlended) {
            const bool wasBlending = view->SetCapability(glenum::kBlend, true);
            view->SetBlendFunction(glenum::kSourceAlpha, glenum::kOneMinusSourceAlpha);
            const bool wasWriting = view->SetDepthMask(false);
            DrawQuad(view, corners);
            view->SetDepthMask(wasWriting);
            if (!wasBlending) {
                view->SetCapability(glenum::kBlend, false);
            }
        } else if (mode == kFillStippled) {
            view->SetPolygonStipple(Checkerboard());
            const bool wasStippled = view->SetCapability(glenum::kPolygonStipple, true);
            DrawQuad(view, corners);
            if (!wasStippled) {
                view->SetCapability(glenum::kPolygonStipple, false);
            }
        }
        view->PopLightingMode();
        view->SetColor(lineColor);
    }
    view->EndSubElement();
    if (framed) {
        view->PopTransform(true);
    }
}

void CSectionPlane::BuildSlice(ITarnisView* view)
{
    if (m_slice != nullptr) {
        return;
    }
    CComponent* component = GetParentComponent();
    if (component == nullptr) {
        return;
    }
    m_slice = std::make_unique<CSectionPlaneSlice>(component);
    // A cut the frame stopped part way is not kept: the next frame cuts afresh.
    if (!m_slice->Compute(m_plane, view)) {
        m_slice.reset();
    }
}

void CSectionPlane::DrawSlice(ITarnisView* view)
{
    const CRenderingOptions* options = view->GetRenderingOptions();
    if (options != nullptr && (options->GetSectionFlags() & CRenderingOptions::kSectionCutsShown) == 0) {
        return;
    }
    view->EndPrimitive();
    view->SetLineWidth(options != nullptr ? std::max(1, options->GetSectionCutWidth()) : 1.0);
    view->SetLighting(false);
    if (options != nullptr) {
        ApplyColor(view, options->GetSectionCutColor());
    }
    BuildSlice(view);
    if (m_slice != nullptr) {
        m_slice->Draw(view);
    }
    view->SetLineWidth(1.0);
}

std::uint64_t CSectionPlane::GetDrawingWeight(bool /*shadows*/) const
{
    // The outline, its corner arrows and the fill.
    constexpr std::uint64_t kPlane = 48 * CFrameMeter::kVertexCost;
    // Only the active plane cuts, walking its component's entities.
    const CComponent* component = GetParentComponent();
    if (component == nullptr || component->GetActiveSectionPlane() != this) {
        return kPlane;
    }
    return kPlane + CSectionPlaneSlice::GetVisitWeight(*component);
}
