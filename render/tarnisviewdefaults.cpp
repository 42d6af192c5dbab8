// The view's operations that the frame drawing, the camera operations, text drawing
// and the view analysis give their full form; here they keep the view usable on its
// own: frames draw nothing, the camera moves at once, zooms do nothing.

#include <GL/gl.h>

#include "document/renderingoptions.h"
#include "foundation/boundingbox2d.h"
#include "foundation/geomfiltervolume.h"
#include "render/tarnisview.h"

using orvell::geometry::CGeomFilterCrossingExpandedVolume;
using orvell::geometry::CGeomFilterCrossingVolume;
using orvell::geometry::CGeomFilterInsideVolume;

namespace {

// The frustum's planes point inwards; the volume filters want them pointing out.
CViewDefinition::Planes Outward(const CViewDefinition::Planes& planes)
{
    CViewDefinition::Planes result = planes;
    for (CPlane3d& plane : result) {
        plane.Reverse();
    }
    return result;
}

template <class Filter>
Filter* MakeVolumeFilter(const CViewDefinition::Planes& p)
{
    return new Filter(p[0], p[1], p[2], p[3], p[4], p[5]);
}

}  // namespace

void CTarnisView::DrawFrame(int /*argument*/, bool /*swap*/) {}

void CTarnisView::DrawText(CTwFont* /*font*/, const CPoint3d& /*position*/, const CString& /*text*/,
                           int /*placement*/, int /*alignment*/, unsigned /*flags*/, const CPlane3d* /*plane*/,
                           bool /*flip*/, IGLTextImageCache* /*cache*/)
{
}

void CTarnisView::DrawScreenText(int /*x*/, int /*y*/, const CString& /*text*/) {}

void CTarnisView::ResetOpenGL()
{
    // Whatever the cache holds no longer describes the context.
    m_openPrimitive = -1;
    m_lineWidth = 0.0;
    m_stipple = 0;
    m_lightingOn = false;
    m_color = CColor();
    InitGLState();
}

bool CTarnisView::IsEyeAboveGround() const
{
    return m_viewDefinition.GetEye().z >= 0.0;
}

void CTarnisView::SetCamera(const CCamera& camera, double /*seconds*/)
{
    m_viewDefinition.SetCamera(camera);
    Reset(m_viewDefinition.GetEye(), m_viewDefinition.GetViewDirection());
    StoreCamera();
    Invalidate(false);
}

void CTarnisView::ZoomAboutPoint(const CPoint2d& /*screenPoint*/, double /*factor*/) {}

void CTarnisView::ZoomFieldOfView(double /*factor*/) {}

void CTarnisView::ZoomWindow(const CPoint2d& /*corner1*/, const CPoint2d& /*corner2*/) {}

void CTarnisView::ZoomToExtents(IEntityIterator* /*entities*/) {}

bool CTarnisView::FindViewCenter(CPoint3d& /*point*/)
{
    return false;
}

void CTarnisView::ApplyViewToGL(int /*argument*/, const CBoundingBox2d* pickRegion)
{
    EndPrimitive();
    if (pickRegion != nullptr && !pickRegion->IsEmpty()) {
        m_viewDefinition.ApplyPickRect(CPoint2d(pickRegion->xmin, pickRegion->ymin),
                                       CPoint2d(pickRegion->xmax, pickRegion->ymax));
        m_viewDefinition.ComputeFrustumPlanes();
        return;
    }
    m_viewDefinition.ApplyToGL(true);
}

void CTarnisView::UpdateViewBounds() {}

void CTarnisView::SetRenderMode(int mode)
{
    if (CRenderingOptions* options = GetRenderingOptions(); options != nullptr) {
        options->SetRenderMode(mode);
    }
}

// --- culling and selection volumes ---

void CTarnisView::PushFrustumFilter()
{
    PushFilter(MakeVolumeFilter<CGeomFilterCrossingExpandedVolume>(Outward(m_viewDefinition.GetFrustumPlanes())));
}

void CTarnisView::PushFrustumCrossingFilter()
{
    PushFilter(MakeVolumeFilter<CGeomFilterCrossingVolume>(Outward(m_viewDefinition.GetFrustumPlanes())));
}

void CTarnisView::PushWindowInsideFilter(const CPoint2d& corner1, const CPoint2d& corner2)
{
    CViewDefinition::Planes planes;
    m_viewDefinition.GetPickVolume(std::min(corner1.x, corner2.x), std::min(corner1.y, corner2.y),
                                   std::max(corner1.x, corner2.x), std::max(corner1.y, corner2.y), planes);
    PushFilter(MakeVolumeFilter<CGeomFilterInsideVolume>(planes));
}

void CTarnisView::PushWindowCrossingFilter(const CPoint2d& corner1, const CPoint2d& corner2)
{
    CViewDefinition::Planes planes;
    m_viewDefinition.GetPickVolume(std::min(corner1.x, corner2.x), std::min(corner1.y, corner2.y),
                                   std::max(corner1.x, corner2.x), std::max(corner1.y, corner2.y), planes);
    PushFilter(MakeVolumeFilter<CGeomFilterCrossingVolume>(planes));
}

void CTarnisView::PushPickRegionFilter(const CPoint2d& centre, double size)
{
    CViewDefinition::Planes planes;
    m_viewDefinition.GetPickVolumeAround(centre, size / 2.0, planes);
    PushFilter(MakeVolumeFilter<CGeomFilterCrossingVolume>(planes));
}
