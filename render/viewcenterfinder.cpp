#include "render/viewcenterfinder.h"

#include <cmath>
#include <optional>
#include <vector>

#include "annotations/sectionplane.h"
#include "document/component.h"
#include "document/layermanager.h"
#include "document/tarnwickmodel.h"
#include "foundation/framemeter.h"
#include "render/pickingservice.h"
#include "render/tarnisview.h"

namespace {

constexpr double kTolerance = 0.001;

}  // namespace

CViewCenterFinder::CViewCenterFinder(CTarnisView& view)
    : CModelPointWalk(&view), m_view(view), m_depthLimit(HUGE_VAL)
{
    const CViewDefinition& definition = view.GetViewDefinition();
    int viewport[4];
    definition.GetViewport(viewport);
    m_left = viewport[0];
    m_top = viewport[1];
    m_right = viewport[0] + viewport[2];
    m_bottom = viewport[1] + viewport[3];
    int x = 0;
    int y = 0;
    definition.GetViewportCenter(x, y);
    m_ray = view.GetPickRay(CPoint2d(x, y));
    m_eye = definition.GetEye();
}

CViewCenterFinder::~CViewCenterFinder() = default;

bool CViewCenterFinder::Run()
{
    m_sum = 0.0;
    m_count = 0;
    m_complete = true;
    m_bounds = CBoundingBox3d();
    CTarnwickModel* model = m_view.GetModel();
    CComponent* root = model != nullptr ? model->GetRootComponent() : nullptr;
    if (root == nullptr) {
        return true;
    }
    std::vector<CDrawingElement*> planes;
    model->CollectActiveSectionPlanes(planes);
    m_sectioned = false;
    for (CDrawingElement* element : planes) {
        const auto* plane = dynamic_cast<const CSectionPlane*>(element);
        if (plane != nullptr && plane->GetParent() == root) {
            m_sectioned = true;
            m_section = plane->GetPlane();
        }
    }
    CLayerManager* layers = root->GetLayerManager();
    m_view.PushLayer(layers != nullptr ? layers->GetDefaultLayer() : nullptr);
    m_complete = WalkComponent(*root);
    m_view.PopLayer();
    return m_complete;
}

void CViewCenterFinder::AddPoint(const CPoint3d& point)
{
    if (m_sectioned && m_section.GetSignedDistance(point) < -kTolerance) {
        return;
    }
    CPoint3d window;
    if (!m_view.GetViewDefinition().ProjectPoint(point, window) || window.z < 0.0 || window.z > 1.0 ||
        window.x < m_left || window.x > m_right || window.y < m_top || window.y > m_bottom) {
        return;
    }
    const double depth = DotProduct(point - m_eye, CVector3d(m_ray.direction));
    if (depth < m_depthLimit) {
        m_sum += depth;
        ++m_count;
    }
    m_bounds.Add(point);
}

bool CViewCenterFinder::GetCentre(CPoint3d& centre)
{
    m_depthLimit = HUGE_VAL;
    Run();
    if (!m_bounds.IsEmpty()) {
        centre = m_bounds.GetCentre();
        return true;
    }
    CTarnwickModel* model = m_view.GetModel();
    CBoundingBox3d box;
    if (model != nullptr && model->GetRootComponent() != nullptr) {
        model->GetRootComponent()->GetBounds(box, false);
    }
    if (box.IsEmpty()) {
        return false;
    }
    centre = box.GetCentre();
    return true;
}

bool CViewCenterFinder::GetPivot(const CPoint2d& windowPoint, CPoint3d& pivot)
{
    // A drag takes hold of the view here. The picks and the walk share one meter, which
    // the pointer's motion and the wheel stop too: the drag then moves about the pivot
    // the picture shown gives, and asks again with its next move.
    std::optional<CFrameMeter::CScope> meter;
    m_view.OpenQueryMeter(meter, false);
    const CViewDefinition& definition = m_view.GetViewDefinition();
    IPickingService* picking = GetPickingService();
    CPoint3d hit;
    bool found = !CFrameMeter::ShouldStop() && picking != nullptr &&
                 picking->FindNearestHitPoint(m_view, windowPoint, hit);
    if (!found && picking != nullptr && !CFrameMeter::ShouldStop()) {
        int x = 0;
        int y = 0;
        definition.GetViewportCenter(x, y);
        found = picking->FindNearestHitPoint(m_view, CPoint2d(x, y), hit);
    }
    m_depthLimit = HUGE_VAL;
    if (found) {
        const double depth = DotProduct(hit - definition.GetEye(), definition.GetViewDirection());
        if (depth > definition.GetNear()) {
            m_depthLimit = 2.0 * depth;
        }
    }
    if (!CFrameMeter::ShouldStop()) {
        Run();
    }
    if (CFrameMeter::ShouldStop()) {
        pivot = GetPivotAtHand(windowPoint);
        return false;
    }
    if (m_count > 0) {
        pivot = m_eye + CVector3d(m_ray.direction) * GetAverageDepth();
    } else {
        pivot = found ? hit : definition.GetTarget();
    }
    return true;
}

CPoint3d CViewCenterFinder::GetPivotAtHand(const CPoint2d& windowPoint)
{
    const CViewDefinition& definition = m_view.GetViewDefinition();
    CPoint3d shown;
    if (!m_view.FindShownPoint(windowPoint, shown)) {
        return definition.GetTarget();
    }
    const double depth = DotProduct(shown - m_eye, CVector3d(m_ray.direction));
    return depth > definition.GetNear() ? m_eye + CVector3d(m_ray.direction) * depth : definition.GetTarget();
}
