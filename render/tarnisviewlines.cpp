// The line drawing of the view: segments clipped by the section planes, styled lines,
// arrows, boxes and rays across the whole view.

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "annotations/sectionclipstack.h"
#include "foundation/boundedline3d.h"
#include "render/depthclamp.h"
#include "render/tarnisview.h"

namespace {

constexpr double kArrowHeadPixels = 5.0;
// Half the width of an arrowhead as a part of its length.
constexpr double kArrowHeadSpread = 0.35;
// Corner marks of a box reach this part of the box along each axis.
constexpr double kCornerMarkPart = 0.2;
// Rays end just inside the clamp planes so the clamping keeps every piece.
constexpr double kRayNearFactor = 1.0002;
constexpr double kRayFarFactor = 0.9998;

}  // namespace

const CVector3d& GetStandardAxisDirection(int index)
{
    // 0 the zero vector, 1..3 the unit axes, 4..6 their negations.
    static const CVector3d directions[7] = {{0, 0, 0},  {1, 0, 0},  {0, 1, 0}, {0, 0, 1},
                                            {-1, 0, 0}, {0, -1, 0}, {0, 0, -1}};
    return directions[std::clamp(index, 0, 6)];
}

void CTarnisView::EmitLine(const CPoint3d& start, const CPoint3d& end)
{
    VertexV(start);
    VertexV(end);
}

void CTarnisView::DrawLine(const CPoint3d& start, const CPoint3d& end)
{
    BeginPrimitive(GL_LINES);
    const CSectionClipStack& sections = GetSectionFilters();
    if (sections.IsEmpty() || AreClipPlanesSuppressed()) {
        EmitLine(start, end);
    } else {
        CPoint3d p = start;
        CPoint3d q = end;
        if (sections.ClipSegment(p, q)) {
            EmitLine(p, q);
        }
    }
    EndPrimitive();
}

void CTarnisView::DrawPlainLine(const CPlainLine& line)
{
    BeginElement(line.element);
    SetLighting(false);
    SetColor(line.color);
    const std::uint16_t previous = m_stipple;
    SetLineStipple(line.stipple);
    SetLineWidth(line.width);
    BeginPrimitive(GL_LINES);
    VertexV(line.start);
    VertexV(line.end);
    SetLineStipple(previous);
    EndElement();
}

bool CTarnisView::DrawPlainLines(const CPlainLine* lines, std::size_t count)
{
    // Where elements name themselves, sections cut lines or every setter must reach GL,
    // each line takes the calls its element would make.
    if (m_drawMode == kDrawModeSelection || m_forceState || !GetSectionFilters().IsEmpty()) {
        return false;
    }
    std::size_t index = 0;
    // The calls open the batch the way the element would have found it opened.
    for (; index < count && (!m_lineBatch.IsOpen() || m_lightingOn); ++index) {
        DrawPlainLine(lines[index]);
    }
    if (index == count) {
        return true;
    }
    // With the batch open and lighting off, what the calls leave behind is a colour and
    // a style for each line's two vertices; outside selection an element brackets
    // nothing.
    const std::uint16_t stipple = m_stipple;
    CColor given = lines[index].color;
    CColor faded = FadeColor(given);
    for (; index < count; ++index) {
        const CPlainLine& line = lines[index];
        if (line.color != given) {
            given = line.color;
            faded = FadeColor(given);
        }
        if (faded != CColor() && faded != m_color) {
            m_color = faded;
            m_lineBatch.SetColor(faded);
        }
        m_lineWidth = std::fmax(line.width * m_lineWidthScale, 1.0);
        m_lineBatch.SetStyle(CLineBatch::Style{m_lineWidth, line.stipple});
        m_lineBatch.AddLine(line.start, line.end);
    }
    m_lineBatch.SetStyle(CLineBatch::Style{m_lineWidth, stipple});
    return true;
}

void CTarnisView::DrawStyledLine(const CPoint3d& start, const CPoint3d& end, double width, const CColor& color,
                                 std::uint16_t stipple)
{
    SetLighting(false);
    SetColor(color);
    SetLineStipple(stipple);
    SetLineWidth(width);
    DrawLine(start, end);
}

void CTarnisView::DrawArrowHead(const CPoint3d& tip, const CPoint3d& from)
{
    CVector3d back = from - tip;
    if (!back.Normalize()) {
        return;
    }
    const double length = PixelsToModelLength(kArrowHeadPixels, tip);
    CVector3d across = back.CrossProduct(m_viewDefinition.GetViewDirection());
    if (!across.Normalize()) {
        return;
    }
    const CPoint3d base = tip + back * length;
    const CVector3d spread = across * (length * kArrowHeadSpread);
    DrawLine(tip, base + spread);
    DrawLine(tip, base + (-spread));
}

void CTarnisView::DrawArrow(const CPoint3d& start, const CPoint3d& end, const CColor& color, std::uint16_t stipple,
                            bool headAtStart, bool headAtEnd)
{
    SetLighting(false);
    SetColor(color);
    SetLineStipple(stipple);
    DrawDepthClampedSegment(*this, start, end);
    SetLineStipple(0);
    if (headAtStart) {
        DrawArrowHead(start, end);
    }
    if (headAtEnd) {
        DrawArrowHead(end, start);
    }
}

void CTarnisView::DrawRayLine(const CPoint3d& point, const CVector3d& direction, std::uint16_t stipple,
                              bool bothDirections, const CColor& color, double width)
{
    const CUnitVector3d unit(direction);
    if (!unit.IsValid()) {
        return;
    }
    CBoundedLine3d line(CLine3d(point, unit), bothDirections, true);

    // The four sides of the view, and depth limits just inside the clamp planes.
    const CViewDefinition& view = m_viewDefinition;
    const CViewDefinition::Planes frustum =
        CViewDefinition::FrustumPlanesOf(view.ComputeProjection(true), view.ComputeLookAt());
    double nearDistance = view.GetUsedNear();
    double farDistance = view.GetUsedFar();
    if (farDistance <= 0.0) {
        view.GetFittedRange(nearDistance, farDistance);
    }
    const CVector3d forward = view.GetViewDirection();
    const CPlane3d depthPlanes[2] = {
        CPlane3d(view.GetEye() + forward * (kRayNearFactor * nearDistance), forward),
        CPlane3d(view.GetEye() + forward * (kRayFarFactor * farDistance), -forward)};
    // The line is in the local coordinates of the instance being drawn; the planes are
    // carried there.
    const bool local = HasTransform();
    const CTransformation toLocal = local ? GetInverseTransform() : CTransformation();
    const auto clip = [&](CPlane3d plane) {
        if (local) {
            toLocal.TransformPlane(plane);
        }
        return line.ClipToPlane(plane);
    };
    for (int i = CViewDefinition::kLeftPlane; i <= CViewDefinition::kBottomPlane; ++i) {
        if (!clip(frustum[i])) {
            return;
        }
    }
    for (const CPlane3d& plane : depthPlanes) {
        if (!clip(plane)) {
            return;
        }
    }
    CPoint3d p;
    CPoint3d q;
    line.GetStartPoint(p);
    line.GetEndPoint(q);
    SetLighting(false);
    SetColor(color);
    SetLineStipple(stipple);
    SetLineWidth(width);
    if (local) {
        // Already inside the depth limits, which the clamping measures in model space.
        DrawLine(p, q);
        return;
    }
    DrawDepthClampedSegment(*this, p, q);
}

void CTarnisView::DrawBoxLines(const CBoundingBox3d& box, bool cornersOnly)
{
    if (box.IsEmpty()) {
        return;
    }
    // Boxes show selections and extents; a section must not cut them.
    CSectionClipStack& sections = GetSectionFilters();
    sections.DisableClipPlanes(CSectionClipStack::kAllPlanes);
    BeginPrimitive(GL_LINES);
    const double sizes[3] = {box.xmax - box.xmin, box.ymax - box.ymin, box.zmax - box.zmin};
    for (int corner = 0; corner < 8; ++corner) {
        const CPoint3d from = box.GetCorner(corner);
        for (int axis = 0; axis < 3; ++axis) {
            const int bit = 1 << axis;
            // Each edge once, from the corner with the lower coordinate on its axis.
            const bool atMinimum = (corner & bit) == 0;
            if (cornersOnly) {
                const CVector3d& inward = GetStandardAxisDirection(atMinimum ? axis + 1 : axis + 4);
                EmitLine(from, from + inward * (sizes[axis] * kCornerMarkPart));
            } else if (atMinimum) {
                EmitLine(from, box.GetCorner(corner | bit));
            }
        }
    }
    EndPrimitive();
    sections.EnableClipPlanes(CSectionClipStack::kAllPlanes);
}

void CTarnisView::DrawBox(const CBoundingBox3d& box)
{
    DrawBoxLines(box, false);
}

void CTarnisView::DrawBoxCorners(const CBoundingBox3d& box)
{
    DrawBoxLines(box, true);
}
