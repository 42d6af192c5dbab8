#include "annotations/dimensiondrawing.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "annotations/labelweight.h"
#include "document/twfont.h"
#include "drawapi/glenums.h"
#include "drawapi/gltextimagecache.h"
#include "drawapi/pickhelper.h"
#include "drawapi/tarnisview.h"
#include "foundation/framemeter.h"
#include "foundation/plane3d.h"
#include "foundation/transformation.h"

namespace {

CVector3d Unit(const CVector3d& v)
{
    CVector3d unit = v;
    unit.Normalize();
    return unit;
}

// The slash rises to the right on the screen, whichever way the frame is seen.
bool IsSlashMirrored(ITarnisView* view)
{
    const CCameraState camera = view->GetCameraState();
    const CTransformation& t = view->GetTransform();
    const bool xBackwards = DotProduct(t * CVector3d(1.0, 0.0, 0.0), camera.rightAxis) < 0.0;
    const bool yBackwards = DotProduct(t * CVector3d(0.0, 1.0, 0.0), camera.upAxis) < 0.0;
    return xBackwards != yBackwards;
}

void Segment(ITarnisView* view, const CPoint3d& a, const CPoint3d& b)
{
    view->VertexV(a);
    view->VertexV(b);
}

void DrawMarkShape(ITarnisView* view, int type, double s, int weight)
{
    switch (type) {
    case kEndMarkSlash: {
        const double h = s / 2.0;
        const double turn = IsSlashMirrored(view) ? -1.0 : 1.0;
        view->SetLineWidth(2.0 * weight);
        view->BeginPrimitive(glenum::kLines);
        Segment(view, CPoint3d(-h, -h * turn, 0.0), CPoint3d());
        Segment(view, CPoint3d(), CPoint3d(h, h * turn, 0.0));
        view->EndPrimitive();
        view->SetLineWidth(weight);
        view->BeginPrimitive(glenum::kLines);
        Segment(view, CPoint3d(), CPoint3d(-h, 0.0, 0.0));
        view->EndPrimitive();
        break;
    }
    case kEndMarkDot:
    case kEndMarkClosedArrow:
        view->PushPolygonOffset(true, -2.5, -2.5);
        view->BeginPrimitive(glenum::kPolygon);
        if (type == kEndMarkDot) {
            for (int i = 0; i < 10; ++i) {
                const double a = i * 2.0 * std::numbers::pi / 10.0;
                view->Vertex(std::cos(a) * s / 3.0, std::sin(a) * s / 3.0, 0.0);
            }
        } else {
            view->Vertex(0.0, 0.0, 0.0);
            view->Vertex(s, -s / 3.0, 0.0);
            view->Vertex(s, s / 3.0, 0.0);
        }
        view->EndPrimitive();
        view->PopPolygonOffset();
        break;
    case kEndMarkOpenArrow: {
        const double q = 0.75 * s;
        view->SetLineWidth(2.0 * weight);
        view->BeginPrimitive(glenum::kLineStrip);
        view->Vertex(q, -q, 0.0);
        view->Vertex(0.0, 0.0, 0.0);
        view->Vertex(q, q, 0.0);
        view->EndPrimitive();
        view->SetLineWidth(weight);
        break;
    }
    default: break;
    }
}

// Out-codes of a window point against the box, per axis, with a small tolerance.
int OutCode(double x, double y, double left, double bottom, double right, double top)
{
    constexpr double kTolerance = 0.001;
    int code = 0;
    code |= x < left - kTolerance ? 1 : 0;
    code |= x > right + kTolerance ? 2 : 0;
    code |= y < bottom - kTolerance ? 4 : 0;
    code |= y > top + kTolerance ? 8 : 0;
    return code;
}

// The part of the window segment a-b inside the box as parameters t0 <= t1; false
// when it misses.
bool ClipToBox(const CPoint3d& a, const CPoint3d& b, const double box[4], double& t0, double& t1)
{
    t0 = 0.0;
    t1 = 1.0;
    const double d[2] = {b.x - a.x, b.y - a.y};
    const double p[2] = {a.x, a.y};
    for (int axis = 0; axis < 2; ++axis) {
        const double low = box[axis];
        const double high = box[axis + 2];
        if (std::fabs(d[axis]) < 1e-10) {
            if (p[axis] < low || p[axis] > high) {
                return false;
            }
            continue;
        }
        double enter = (low - p[axis]) / d[axis];
        double leave = (high - p[axis]) / d[axis];
        if (enter > leave) {
            std::swap(enter, leave);
        }
        t0 = std::max(t0, enter);
        t1 = std::min(t1, leave);
    }
    return t0 <= t1;
}

CPoint3d Lerp(const CPoint3d& a, const CPoint3d& b, double t)
{
    return CPoint3d(a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t);
}

}  // namespace

CString BoundLabel(const CString& text)
{
    return text.GetLength() > kMaxLabelLength ? text.Left(kMaxLabelLength) : text;
}

void DrawEndMark(ITarnisView* view, const CPlane3d& plane, const CPoint3d& point, const CVector3d& direction,
                 int type, int sizePixels, int weight)
{
    if (type == kEndMarkNone || (direction.x == 0.0 && direction.y == 0.0 && direction.z == 0.0)) {
        return;
    }
    int size = sizePixels;
    if ((type == kEndMarkDot || type == kEndMarkClosedArrow) && weight > 1) {
        size += 2 * weight;
    }
    const double s = view->PixelsToModelLength(size, point);
    if (!(s > 0.0)) {
        return;
    }
    const CVector3d x = Unit(direction);
    const CVector3d z = Unit(CVector3d(plane.a, plane.b, plane.c));
    const CTransformation frame(x, Unit(z.CrossProduct(x)), z, point);
    view->EndPrimitive();
    view->PushTransform(frame, true);
    DrawMarkShape(view, type, s, weight);
    view->EndPrimitive();
    view->PopTransform(true);
}

CVector3d GetLabelOffsetVector(ITarnisView* view, int heightPixels, CTwFont* font, const CPoint3d& point, int code)
{
    int height = heightPixels;
    if (height < 0 && font != nullptr) {
        height = font->GetScaledHeight();
    }
    double sign = 0.0;
    if (code == 3 || code == 9) {
        sign = 1.0;
    } else if (code == 5 || code == 10) {
        sign = -1.0;
    }
    if (height <= 0 || sign == 0.0) {
        return {};
    }
    const CPoint3d modelPoint = view->GetTransform() * point;
    view->PushTransform(view->GetInverseTransform(), false);
    const double length = view->PixelsToModelLength(height, modelPoint);
    view->PopTransform(false);
    return view->GetCameraState().rightAxis * (sign * length);
}

void DrawLineAroundLabel(ITarnisView* view, const CPoint3d& start, const CPoint3d& end, const CPoint3d& anchor,
                         const IGLTextImageCache& label, int code, bool /*inPlane*/)
{
    CPoint3d a;
    CPoint3d b;
    CPoint3d c;
    const bool projected = view->ModelToScreen(start, a) && view->ModelToScreen(end, b) &&
                           view->ModelToScreen(anchor, c);
    const double w = std::max(0, label.GetWidth());
    const double h = std::max(0, label.GetHeight());
    const int column = code >= 0 && code <= 8 ? code % 3 : 0;
    const int row = code >= 0 && code <= 8 ? code / 3 : 0;
    // Rows count downwards from above the anchor, as window rows do.
    const double left = c.x - column * w / 2.0 - 3.0;
    const double top = c.y - h + row * h / 2.0 - 3.0;
    const double box[4] = {left, top, left + w + 6.0, top + h + 6.0};
    double t0 = 0.0;
    double t1 = 1.0;
    const bool sameSide = (OutCode(a.x, a.y, box[0], box[1], box[2], box[3]) &
                           OutCode(b.x, b.y, box[0], box[1], box[2], box[3])) != 0;
    CPoint3d entry;
    CPoint3d exit;
    view->BeginPrimitive(glenum::kLines);
    if (!projected || sameSide || w <= 0.0 || !ClipToBox(a, b, box, t0, t1) ||
        !view->ScreenToModel(Lerp(a, b, t0), entry) || !view->ScreenToModel(Lerp(a, b, t1), exit)) {
        Segment(view, start, end);
    } else {
        if (t0 > 0.0) {
            Segment(view, start, entry);
        }
        if (t1 < 1.0) {
            Segment(view, exit, end);
        }
    }
    view->EndPrimitive();
}

void DrawDimensionLabel(ITarnisView* view, CTwFont* font, const CPoint3d& position, const CString& text,
                        int alignment, bool solid, const CPlane3d* plane, bool flip, IGLTextImageCache* image)
{
    // The model drawn so far decides, as for texts drawn on top: hidden when the anchor
    // lies behind it by more than a hundredth of the depth range.
    // The read makes the GL finish what it queued; a frame that must stop draws no more
    // labels.
    const bool facing = plane == nullptr && view->GetDrawMode() != IModelView::kDrawModeSelection;
    if (facing && !CFrameMeter::Charge(kLabelDepthReadUnits)) {
        return;
    }
    CPoint3d window;
    double depth = 0.0;
    const bool onTop = facing && view->ModelToScreen(position, window) &&
                       view->ReadWindowDepth(static_cast<int>(window.x), static_cast<int>(window.y), depth) &&
                       window.z <= depth + 0.01;
    const unsigned function = view->GetDepthFunction();
    if (onTop) {
        view->SetDepthFunction(glenum::kAlways);
    }
    view->DrawText(font, position, text, alignment, IGLTextImageCache::kAlignCentre, solid ? 1u : 0u, plane, flip,
                   image);
    if (onTop) {
        view->SetDepthFunction(function);
    }
}

bool IsLabelSelected(IPickHelper& selector, const CPoint3d& anchor, const IGLTextImageCache* label, int code)
{
    if (label == nullptr || label->GetWidth() <= 0 || label->GetHeight() <= 0) {
        return true;
    }
    ITarnisView* view = selector.GetPickView();
    CPoint3d screen;
    if (view == nullptr || !view->ModelToScreen(anchor, screen)) {
        return false;
    }
    if (code < 0 || code > 8) {
        code = 0;
    }
    for (const CPoint3d& pixel : GetLabelScreenCorners(screen, label->GetWidth(), label->GetHeight(), code)) {
        CPoint3d corner;
        if (!view->ScreenToModel(pixel, corner) || !selector.TestPoint(corner)) {
            return false;
        }
    }
    return true;
}

std::array<CPoint3d, 4> GetLabelScreenCorners(const CPoint3d& screen, double width, double height, int code)
{
    // Window rows run downwards: a label above its anchor (row 0) ends on it.
    const double left = screen.x - 0.5 * (code % 3) * width;
    const double bottom = screen.y + 0.5 * (code / 3) * height;
    return {CPoint3d(left, bottom, screen.z), CPoint3d(left, bottom - height, screen.z),
            CPoint3d(left + width, bottom, screen.z), CPoint3d(left + width, bottom - height, screen.z)};
}
