#include "tools/cameragrab.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <vector>

#include "foundation/line3d.h"
#include "render/tarnisview.h"
#include "render/viewdefinition.h"
#include "tools/cameramotions.h"

namespace {

// Depth values at or above this are the background.
constexpr float kBackgroundDepth = 0.99999F;
// The square searched around a pixel that hits no model.
constexpr int kAroundHalfSize = 50;

// The point of the line whose distance from the eye along the view is the depth.
CPoint3d PointAtDistance(const CViewDefinition& view, const CLine3d& line, double distance)
{
    const CVector3d along = view.GetViewDirection();
    const double rate = DotProduct(CVector3d(line.direction), along);
    if (std::abs(rate) < 1e-9)
        return line.origin;
    return line.GetPoint((distance - DotProduct(line.origin - view.GetEye(), along)) / rate);
}

bool IsBehindEye(const CViewDefinition& view, const CPoint3d& point)
{
    return DotProduct(point - view.GetEye(), view.GetViewDirection()) < 0.0;
}

// The model point at the mean depth of the rectangle, on the line through the pixel.
bool ModelPointAt(const CViewDefinition& view, const CPoint2d& pixel, const CDepthSample& sample, CPoint3d& point)
{
    if (sample.count == 0)
        return false;
    point = PointAtDistance(view, view.ScreenToModelLine(pixel), view.DepthToDistance(sample.average));
    return true;
}

CDepthSample AnalyzeAround(const CViewDefinition& view, const CPoint2d& pixel)
{
    const int x = static_cast<int>(pixel.x);
    const int y = static_cast<int>(pixel.y);
    CDepthSample sample = AnalyzeDepth(view, x, y, x, y);
    if (sample.count == 0)
        sample = AnalyzeDepth(view, x - kAroundHalfSize, y - kAroundHalfSize, x + kAroundHalfSize, y + kAroundHalfSize);
    return sample;
}

}  // namespace

CDepthSample AnalyzeDepth(const CViewDefinition& view, int left, int top, int right, int bottom)
{
    CDepthSample sample;
    const int width = view.GetViewportWidth();
    const int height = view.GetViewportHeight();
    left = std::max(std::min(left, right), 0);
    right = std::min(std::max(left, right), width - 1);
    top = std::max(std::min(top, bottom), 0);
    bottom = std::min(std::max(top, bottom), height - 1);
    if (left > right || top > bottom)
        return sample;
    const int columns = right - left + 1;
    // Without a context the read leaves the row as it was: all background.
    std::vector<float> row(static_cast<size_t>(columns), 1.0F);
    double sum = 0.0;
    for (int y = top; y <= bottom; ++y)
    {
        std::fill(row.begin(), row.end(), 1.0F);
        glReadPixels(left, height - 1 - y, columns, 1, GL_DEPTH_COMPONENT, GL_FLOAT, row.data());
        for (const float depth : row)
            if (depth < kBackgroundDepth)
            {
                ++sample.count;
                sum += depth;
            }
    }
    if (sample.count > 0)
        sample.average = sum / sample.count;
    return sample;
}

CPoint3d FindOrbitPivot(CTarnisView& view, const CPoint2d& /*pixel*/)
{
    const CViewDefinition& definition = view.GetViewDefinition();
    int x = 0;
    int y = 0;
    definition.GetViewportCenter(x, y);
    CPoint3d pivot;
    const CDepthSample sample =
        AnalyzeDepth(definition, 0, 0, definition.GetViewportWidth() - 1, definition.GetViewportHeight() - 1);
    if (!ModelPointAt(definition, CPoint2d(x, y), sample, pivot) || IsBehindEye(definition, pivot))
        return definition.GetTarget();
    return pivot;
}

CPoint3d FindReferencePoint(CTarnisView& view, const CPoint2d& pixel)
{
    const CViewDefinition& definition = view.GetViewDefinition();
    CPoint3d point;
    if (!ModelPointAt(definition, pixel, AnalyzeAround(definition, pixel), point))
        view.GetPickRay(pixel).ProjectPoint(definition.GetTarget(), point);
    return IsBehindEye(definition, point) ? definition.GetTarget() : point;
}

void ZoomAboutPoint(CTarnisView& view, const CPoint2d& pixel, double factor)
{
    CViewDefinition& definition = view.GetViewDefinition();
    double distance = 1.0;
    if (definition.IsPerspective())
    {
        const CPoint3d under = FindReferencePoint(view, pixel);
        distance = std::max(DotProduct(under - definition.GetEye(), definition.GetViewDirection()), definition.GetNear());
    }
    ZoomAtPoint(definition, pixel, distance, factor);
    view.StoreCamera();
    view.Invalidate(false);
}

void ZoomWindow(CTarnisView& view, const CPoint2d& corner1, const CPoint2d& corner2)
{
    CViewDefinition& definition = view.GetViewDefinition();
    const CPoint2d centre((corner1.x + corner2.x) / 2.0, (corner1.y + corner2.y) / 2.0);
    const CDepthSample sample = AnalyzeDepth(definition, static_cast<int>(corner1.x), static_cast<int>(corner1.y),
                                             static_cast<int>(corner2.x), static_cast<int>(corner2.y));
    CPoint3d shown;
    if (!ModelPointAt(definition, centre, sample, shown))
        view.GetPickRay(centre).ProjectPoint(definition.GetTarget(), shown);
    const double depth = std::max(DotProduct(shown - definition.GetEye(), definition.GetViewDirection()),
                                  definition.GetNear());
    if (!ZoomWindow(definition, corner1, corner2, depth))
        return;
    view.StoreCamera();
    view.Invalidate(false);
}

void CenterOnPoint(CTarnisView& view, const CPoint2d& pixel)
{
    CViewDefinition& definition = view.GetViewDefinition();
    int x = 0;
    int y = 0;
    definition.GetViewportCenter(x, y);
    if (!PanCamera(definition, FindReferencePoint(view, pixel), pixel, CPoint2d(x, y)))
        return;
    view.StoreCamera();
    view.Invalidate(false);
}
