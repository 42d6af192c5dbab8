// How an edge draws itself: whether it is shown, whether it is a profile from the
// eye, and the line effects of the display settings: profile width, extensions,
// depth cue, endpoints and jitter. Lines go through the view's shared line batch.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>

#include "annotations/sectionclipstack.h"
#include "document/renderingoptions.h"
#include "drawapi/tarnisview.h"
#include "foundation/framemeter.h"
#include "model/edge.h"
#include "model/curve.h"
#include "model/edgeuse.h"
#include "model/face.h"
#include "model/profilefacing.h"
#include "model/vertex.h"

namespace {

constexpr unsigned kLines = 0x0001;
// The options' edge colour modes that ask for one colour and for the axis colours;
// any other takes the material rule.
constexpr int kEdgeColorForeground = 1;
constexpr int kEdgeColorByAxis = 2;

// Depth-cue widths: for a width setting, the far limits of each width from the
// widest down; past the last limit lines are one pixel wide.
struct DepthCueRow
{
    int setting;
    int widest;
    double limits[9];
};

constexpr DepthCueRow kDepthCue[] = {
    {10, 10, {0.05, 0.1, 0.15, 0.2, 0.25, 0.3, 0.4, 0.5, 0.6}},
    {9, 9, {0.1, 0.15, 0.2, 0.25, 0.3, 0.35, 0.4, 0.5, 0.0}},
    {8, 8, {0.1, 0.2, 0.25, 0.3, 0.35, 0.4, 0.5, 0.0, 0.0}},
    {7, 7, {0.1, 0.17, 0.25, 0.32, 0.4, 0.5, 0.0, 0.0, 0.0}},
    {6, 6, {0.1, 0.2, 0.3, 0.4, 0.5, 0.0, 0.0, 0.0, 0.0}},
    {5, 5, {0.15, 0.25, 0.35, 0.5, 0.0, 0.0, 0.0, 0.0, 0.0}},
    {4, 4, {0.15, 0.35, 0.5, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0}},
    {2, 3, {0.25, 0.5, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0}},
};

std::mt19937& JitterRandom()
{
    static std::mt19937 random(12345);
    return random;
}

// A random value in [0, limit).
double RandomBelow(double limit)
{
    return std::uniform_real_distribution<double>(0.0, limit)(JitterRandom());
}

int RandomStep()
{
    return std::uniform_int_distribution<int>(-1, 1)(JitterRandom());
}

// Without section planes the segment joins the view's open batch of lines, which
// the next state change or the end of the pass closes: strokes and ticks drawn each in a
// call of its own would cost the frame a draw call apiece.
void DrawSegment(ITarnisView* view, const CPoint3d& p1, const CPoint3d& p2)
{
    if (!view->GetSectionFilters().IsEmpty()) {
        view->DrawLine(p1, p2);
        return;
    }
    view->BeginPrimitive(kLines);
    view->VertexV(p1);
    view->VertexV(p2);
}

// -1 or +1 as the use's side of its face turns from or to the line of sight, 0 when
// it is within 0.001 of edge-on or the use has no face.
int GetUseFacing(const CEdgeUse& use, const CVector3d& sight)
{
    int sign = 0;
    if (CProfileFacing::Lookup(use, sign)) {
        return sign;
    }
    const CFace* face = use.GetFace();
    if (face == nullptr) {
        return 0;
    }
    const CPlane3d& plane = face->GetPlane();
    const CVector3d n = use.IsReversed() ? CVector3d(-plane.a, -plane.b, -plane.c) : CVector3d(plane.a, plane.b, plane.c);
    // (n x d) . (w x d) / (d . d) is n . w, the normal lying across d.
    const double s = DotProduct(n, sight);
    if (std::abs(s) < 0.001) {
        return 0;
    }
    return s > 0.0 ? 1 : -1;
}

}  // namespace

int GetDepthCueWidth(int setting, double t)
{
    for (const DepthCueRow& row : kDepthCue) {
        if (setting < row.setting) {
            continue;
        }
        int width = row.widest;
        for (double limit : row.limits) {
            if (limit == 0.0 || t < limit) {
                return limit == 0.0 ? 1 : width;
            }
            --width;
        }
        return 1;
    }
    return 1;
}

bool CEdge::IsShown(ITarnisView* view) const
{
    if (!CDrawingElement::IsShown(view) || m_start == nullptr || m_end == nullptr) {
        return false;
    }
    const CRenderingOptions* options = view != nullptr ? view->GetRenderingOptions() : nullptr;
    if (IsSelected() || options == nullptr || view->DrawsEdgesAlone()) {
        return true;
    }
    const int mode = options->GetRenderMode();
    return mode == 0 || mode == 1 || options->GetDisplayEdges() != 0 || options->IsDrawProfiles();
}

CColor CEdge::GetDrawColor(ITarnisView* view) const
{
    const CRenderingOptions* options = view != nullptr ? view->GetRenderingOptions() : nullptr;
    if (options == nullptr || IsHighlighted(view)) {
        return CDrawingElement::GetDrawColor(view);
    }
    switch (options->GetEdgeColorMode()) {
    case kEdgeColorForeground:
        return options->GetForegroundColor();
    case kEdgeColorByAxis:
        if (m_start != nullptr && m_end != nullptr) {
            return view->GetDirectionColor(m_start->GetPosition(), m_end->GetPosition());
        }
        return options->GetForegroundColor();
    default:
        return CDrawingElement::GetDrawColor(view);
    }
}

bool CEdge::IsProfile(const CPoint3d& p1, const CPoint3d& p2, const CVector3d& sight) const
{
    // Two uses of opposite signs settle it whatever the others say, without a visit to
    // any use.
    if (CProfileFacing::HasOppositeNotes(*this)) {
        return false;
    }
    if (IsAlwaysProfile()) {
        return true;
    }
    const CVector3d d = p2 - p1;
    const double dd = DotProduct(d, d);
    if (dd == 0.0) {
        return false;
    }
    const CVector3d c = sight.CrossProduct(d);
    if (DotProduct(c, c) == 0.0) {
        return false;
    }
    // The faces noted their facing while they were drawn; only the others are asked.
    int reference = 0;
    const CEdgeUse* use = m_firstUse;
    do {
        const int sign = GetUseFacing(*use, sight);
        if (reference == 0) {
            reference = sign;
        } else if (sign != 0 && sign != reference) {
            return false;
        }
        use = use->GetNextAroundEdge();
    } while (use != nullptr && use != m_firstUse);
    return true;
}

void CEdge::Draw(ITarnisView* view)
{
    const CRenderingOptions* options = view->GetRenderingOptions();
    if (options == nullptr || m_start == nullptr || m_end == nullptr) {
        return;
    }
    // The drawing level, not the render mode, makes the line modes: wireframe at full
    // quality takes the settings of the shaded modes.
    const bool lineMode = view->DrawsEdgesAlone();
    if (lineMode ? (view->IsHiddenByLightingMode(this) || IsLayerHidden(view)) : !IsShown(view)) {
        return;
    }
    CPoint3d p1 = m_start->GetPosition();
    CPoint3d p2 = m_end->GetPosition();
    const CSectionClipStack& sections = view->GetSectionFilters();
    if (!sections.IsEmpty() && sections.GetPlanesThroughSegment(p1, p2) != 0) {
        return;
    }
    const bool drawnAsHidden = options->IsShowHiddenGeometry() && IsUnderHiddenInstance(view);
    std::uint16_t stipple = IsHiddenFlagSet() || drawnAsHidden ? kStippleHidden : 0;
    double width = 1.0;
    if (!lineMode) {
        if (options->IsExtendEdges()) {
            ExtendEnds(view, options->GetExtendLength(), p1, p2);
        }
        const bool onlyProfiles = options->IsDrawProfiles() && options->GetDisplayEdges() == 0;
        const bool testProfile = options->IsDrawProfiles() && (options->GetProfileWidth() != 1 || onlyProfiles);
        // Most edges of a surface are told by their note, without the sight line.
        const bool profile = testProfile && !CProfileFacing::HasOppositeNotes(*this) &&
                             IsProfile(p1, p2, GetSightLine(view, p1, p2));
        if (onlyProfiles && !profile && !IsSelected()) {
            return;
        }
        if (IsSoft() && options->IsHideSoftEdges() && !profile) {
            if (!IsSelected() && !options->IsShowHiddenGeometry()) {
                return;
            }
            stipple = kStippleSoft;
        }
        if (profile) {
            width = options->GetProfileWidth();
        }
    }
    // An edge inside a selected instance shows its place in it, not its effects.
    const bool highlighted = IsSelected() || IsHighlighted(view);
    if (IsSelected()) {
        width = (options->IsDrawProfiles() && options->GetProfileWidth() <= 2) || options->IsJitterEdges()
                    ? std::max(1, options->GetProfileWidth())
                    : 2.0;
    } else if (highlighted) {
        width = 1.0;
    }
    view->BeginElement(this);
    view->SetLighting(false);
    view->SetColor(GetDrawColor(view));
    const std::uint16_t previous = view->GetLineStipple();
    view->SetLineStipple(stipple);
    if (!lineMode && view->GetDrawingLevel() >= 8 && !highlighted && stipple == 0) {
        DrawWithEffects(view, *options, p1, p2, width);
    } else {
        view->SetLineWidth(width);
        DrawSegment(view, p1, p2);
    }
    view->SetLineStipple(previous);
    view->EndElement();
}

CVector3d CEdge::GetSightLine(ITarnisView* view, const CPoint3d& p1, const CPoint3d& p2)
{
    if (view->GetCameraState().perspective) {
        const CPoint3d eye = view->GetLocalEyePoint();
        return CPoint3d((p1.x + p2.x) * 0.5, (p1.y + p2.y) * 0.5, (p1.z + p2.z) * 0.5) - eye;
    }
    return view->GetLocalViewDirection();
}

void CEdge::ExtendEnds(ITarnisView* view, int pixels, CPoint3d& p1, CPoint3d& p2) const
{
    CVector3d d = p2 - p1;
    const double length = d.GetLength();
    if (length <= 0.0 || pixels <= 0) {
        return;
    }
    d = CVector3d(d.x / length, d.y / length, d.z / length);
    CVector3d sight = GetSightLine(view, p1, p2);
    if (!sight.Normalize() || std::abs(DotProduct(d, sight)) >= 0.707) {
        return;
    }
    const double extension = std::min(view->PixelsToModelLength(pixels, p1), length * 0.5);
    if (extension <= 0.0 || length <= 2.0 * extension) {
        return;
    }
    const auto runsAlongAnother = [this, &d](const CVertex* vertex) {
        for (int i = 0; i < vertex->GetEdgeCount(); ++i) {
            const CEdge* other = vertex->GetEdgeAt(i);
            if (other == this || other->m_start == nullptr || other->m_end == nullptr) {
                continue;
            }
            CVector3d o = other->m_end->GetPosition() - other->m_start->GetPosition();
            if (o.Normalize() && std::abs(DotProduct(o, d)) >= 0.707) {
                return true;
            }
        }
        return false;
    };
    // The edges of its own curve turn with it: an end inside the curve is not extended,
    // and at an end of the curve no other edge of it is left to run along.
    if (m_start->GetEdgeCount() > 1 && !IsInsideCurveAt(m_start) && !runsAlongAnother(m_start)) {
        p1 = p1 + d * (-extension);
    }
    if (m_end->GetEdgeCount() > 1 && !IsInsideCurveAt(m_end) && !runsAlongAnother(m_end)) {
        p2 = p2 + d * extension;
    }
}

bool CEdge::IsInsideCurveAt(const CVertex* vertex) const
{
    return m_curve != nullptr && m_curve->GetNextCurveEdge(vertex, this) != nullptr;
}

void CEdge::DrawWithEffects(ITarnisView* view, const CRenderingOptions& options, const CPoint3d& p1,
                            const CPoint3d& p2, double width) const
{
    const CPoint3d middle((p1.x + p2.x) * 0.5, (p1.y + p2.y) * 0.5, (p1.z + p2.z) * 0.5);
    if (options.IsDepthCue() && options.GetDepthCueWidth() > 1) {
        const CCameraState camera = view->GetCameraState();
        const double range = camera.farDistance - camera.nearDistance;
        const double distance = (middle - view->GetLocalEyePoint()).GetLength();
        const double t = range > 0.0 ? (distance - camera.nearDistance) / range : 0.0;
        width = std::max(width, static_cast<double>(GetDepthCueWidth(options.GetDepthCueWidth(), t)));
    }
    view->SetLineWidth(width);
    if (options.IsJitterEdges()) {
        DrawJittered(view, p1, p2);
    } else {
        DrawSegment(view, p1, p2);
    }
    if (options.IsDrawEndpoints()) {
        view->SetLineWidth(width + 2.0);
        DrawEndpointTicks(view, options.GetEndpointLength());
    }
}

// From the vertices, not from the ends of an extended segment: the extension would
// carry the ticks away from the corner they mark.
void CEdge::DrawEndpointTicks(ITarnisView* view, int pixels) const
{
    const CPoint3d start = m_start->GetPosition();
    const CPoint3d end = m_end->GetPosition();
    const CVector3d along = end - start;
    const double length = along.GetLength();
    if (length <= 0.0) {
        return;
    }
    const double tick = std::min(view->PixelsToModelLength(pixels, start), length / 3.0);
    const CVector3d unit(along.x / length, along.y / length, along.z / length);
    // Only where a curve ends: its joints and a closed curve have no ends.
    if (!IsInsideCurveAt(m_start)) {
        DrawSegment(view, start, start + unit * tick);
    }
    if (!IsInsideCurveAt(m_end)) {
        DrawSegment(view, end, end + unit * (-tick));
    }
}

void CEdge::DrawJittered(ITarnisView* view, const CPoint3d& p1, const CPoint3d& p2)
{
    CPoint3d s1;
    CPoint3d s2;
    double pixels = 0.0;
    if (view->ModelToScreen(p1, s1) && view->ModelToScreen(p2, s2)) {
        pixels = std::hypot(s2.x - s1.x, s2.y - s1.y);
    } else {
        const double size = view->PixelsToModelLength(1.0, p1);
        pixels = size > 0.0 ? (p2 - p1).GetLength() / size : 0.0;
    }
    if (pixels < 1.0) {
        return;
    }
    if (pixels * 0.1 < 1.0) {
        if (RandomBelow(pixels) >= 2.0) {
            DrawSegment(view, p1, p2);
        }
        return;
    }
    int strokes = std::min(2, static_cast<int>(pixels * 0.1));
    if (RandomBelow(pixels) >= 10.0) {
        ++strokes;
    }
    const CVector3d size = view->GetModelUnitsPerPixel(p1, 1.0);
    const auto shake = [&size](const CPoint3d& p) {
        return CPoint3d(p.x + RandomStep() * size.x, p.y + RandomStep() * size.y, p.z + RandomStep() * size.z);
    };
    for (int i = 0; i < strokes; ++i) {
        DrawSegment(view, shake(p1), shake(p2));
    }
}

CEdgeLineLook CEdge::GetLineLook(const CRenderingOptions& options, bool profile)
{
    // GL draws no line wider than its limit (255 pixels under Mesa).
    constexpr double kWidest = 255.0;
    constexpr double kSetupPixels = CEdgeLineLook::kSetupPixels;
    constexpr double kStepPixels = CEdgeLineLook::kStepPixels;
    CEdgeLineLook look;
    const int mode = options.GetRenderMode();
    const bool profiles = options.IsDrawProfiles();
    if (mode != 0 && mode != 1 && options.GetDisplayEdges() == 0 && !(profiles && profile)) {
        look.widthAlong = 0.0;
        return look;
    }
    const double width =
        profile && profiles ? std::clamp(static_cast<double>(options.GetProfileWidth()), 1.0, kWidest) : 1.0;
    // Up to three shaken strokes in the jittered style.
    const int strokes = options.IsJitterEdges() ? 3 : 1;
    look.vertices = 2 * static_cast<std::uint64_t>(strokes);
    look.widthAlong = strokes * (width + kStepPixels);
    look.fixedPixels = strokes * kSetupPixels;
    if (options.IsExtendEdges()) {
        look.fixedPixels += 2.0 * std::clamp(options.GetExtendLength(), 0, 10000) * (width + kStepPixels);
    }
    if (options.IsDrawEndpoints()) {
        look.vertices += 4;
        const int tick = std::clamp(options.GetEndpointLength(), 0, 10000);
        look.fixedPixels += 2.0 * (tick * (std::min(width + 2.0, kWidest) + kStepPixels) + kSetupPixels);
    }
    return look;
}

bool CEdge::IsAlwaysProfile() const
{
    return m_firstUse == nullptr || m_firstUse->GetNextAroundEdge() == m_firstUse ||
           m_firstUse->GetNextAroundEdge() == nullptr;
}

std::uint64_t CEdge::GetLineWeight()
{
    return 2 * CFrameMeter::kVertexCost;
}

std::uint64_t CEdge::GetDrawingWeight(bool shadows) const
{
    // Its shadow on the ground, a triangle's outline, and its volume, a thin box drawn
    // once for each side, when the sun's settings let edges cast.
    constexpr std::uint64_t kShadow = 3 * CFrameMeter::kVertexCost + 2 * 14 * CFrameMeter::kVertexCost;
    // An edge that bounds a face casts its shadow with the face.
    return GetLineWeight() + (shadows && CastsShadows() && IsFree() ? kShadow : 0);
}
