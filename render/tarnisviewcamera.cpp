// The view's camera operations: standard views about the model point at the centre of
// the view, zooms (field of view, wheel, window, extents), centring on a pixel and
// autopan at the window border. Picking and the extents finder are reached through the
// picking service that the tools install.

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "document/component.h"
#include "document/tarnwickmodel.h"
#include "model/entityiterator.h"
#include "model/selectionset.h"
#include "render/autopananimation.h"
#include "render/frametimer.h"
#include "render/pickingservice.h"
#include "render/tarnisview.h"
#include "render/viewanalyzer.h"
#include "render/viewcenterfinder.h"

namespace {

constexpr double kDirectionTolerance = 0.001;
constexpr double kWheelStep = 0.1;
constexpr double kMinFieldOfView = 1.0;
constexpr double kMaxFieldOfView = 120.0;
constexpr int kAutopanBorder = 2;
// The interaction mode while the extents finder walks the model.
constexpr int kExtentsInteraction = 4;

bool SameDirection(const CVector3d& a, const CVector3d& b)
{
    return std::abs(a.x - b.x) <= kDirectionTolerance && std::abs(a.y - b.y) <= kDirectionTolerance &&
           std::abs(a.z - b.z) <= kDirectionTolerance;
}

CVector3d Normalised(CVector3d v)
{
    v.Normalize();
    return v;
}

double AngleBetween(const CVector3d& a, const CVector3d& b)
{
    return std::acos(std::clamp(DotProduct(Normalised(a), Normalised(b)), -1.0, 1.0));
}

}  // namespace

// --- standard views ---

void CTarnisView::SetStandardView(const CVector3d& direction, const CVector3d& up)
{
    const CViewDefinition before = m_viewDefinition;
    if (SameDirection(before.GetViewDirection(), direction) && SameDirection(before.GetCamera().GetUp(), up)) {
        return;
    }
    CPoint3d pivot = before.GetTarget();
    FindViewCenter(pivot);
    const double distance = (before.GetEye() - pivot).GetLength();
    m_viewDefinition.SetEyeTarget(pivot + Normalised(direction) * -distance, pivot, up);
    StoreCamera();
    Invalidate(false);
    SaveWhenChanged(before);
}

void CTarnisView::ViewTop()
{
    SetStandardView(CVector3d(0, 0, -1), CVector3d(0, 1, 0));
}

void CTarnisView::ViewBottom()
{
    SetStandardView(CVector3d(0, 0, 1), CVector3d(0, 1, 0));
}

void CTarnisView::ViewFront()
{
    SetStandardView(CVector3d(0, 1, 0), CVector3d(0, 0, 1));
}

void CTarnisView::ViewBack()
{
    SetStandardView(CVector3d(0, -1, 0), CVector3d(0, 0, 1));
}

void CTarnisView::ViewLeft()
{
    SetStandardView(CVector3d(1, 0, 0), CVector3d(0, 0, 1));
}

void CTarnisView::ViewRight()
{
    SetStandardView(CVector3d(-1, 0, 0), CVector3d(0, 0, 1));
}

CVector3d CTarnisView::ChooseIsoDirection(const CVector3d& current, bool perspective)
{
    CVector3d best;
    double bestAngle = 10.0;
    for (const double x : {-1.0, 1.0}) {
        for (const double y : {1.0, -1.0}) {
            for (const double z : {-1.0, 1.0}) {
                const CVector3d candidate(x, y, z);
                const double angle = AngleBetween(candidate, current);
                // A later candidate must be clearly nearer to win.
                if (angle < bestAngle - kDirectionTolerance) {
                    best = candidate;
                    bestAngle = angle;
                }
            }
        }
    }
    if (perspective) {
        best = CVector3d(2 * best.x, 2 * best.y, best.z);
    }
    return Normalised(best);
}

void CTarnisView::ViewIso()
{
    SetStandardView(ChooseIsoDirection(m_viewDefinition.GetViewDirection(), m_viewDefinition.IsPerspective()),
                    CVector3d(0, 0, 1));
}

bool CTarnisView::FindViewCenter(CPoint3d& point)
{
    CViewCenterFinder finder(*this);
    return finder.GetCentre(point);
}

// --- zooms ---

void CTarnisView::ZoomFieldOfView(double factor)
{
    if (!m_viewDefinition.IsPerspective()) {
        m_viewDefinition.Dolly(1.0, factor);
    } else {
        const double old = m_viewDefinition.GetCamera().GetFieldOfView();
        const double wanted = std::clamp(old * (1.0 + factor), kMinFieldOfView, kMaxFieldOfView);
        if (std::abs(wanted - old) < kDirectionTolerance) {
            return;
        }
        m_viewDefinition.SetFieldOfView(wanted);
    }
    StoreCamera();
    Invalidate(false);
}

void CTarnisView::ZoomAboutPoint(const CPoint2d& screenPoint, double factor)
{
    ZoomAt(screenPoint, factor, false);
}

void CTarnisView::ZoomAt(const CPoint2d& screenPoint, double factor, bool wheel)
{
    const double distance = m_viewDefinition.IsPerspective() ? GetZoomDistance(screenPoint, wheel) : 1.0;
    m_viewDefinition.ZoomAtPixel(screenPoint, distance, factor);
    StoreCamera();
    Invalidate(false);
}

void CTarnisView::ZoomByWheel(double amount, const CPoint2d& point)
{
    // A notch is no interaction: its frame draws at the level the view stands at (the
    // names and texts of the view stay) unless that would keep the user waiting (see
    // DrawFrame), and stops for the next notch, as its pick does; the whole picture
    // follows once the wheel has rested. Only a notch's frame draws lower outside a drag.
    SaveViewDefinition(nullptr);
    ZoomAt(point, -amount * kWheelStep, true);
    m_notchCamera = m_viewDefinition.GetCamera();
    m_notchTime = CFrameTimer::Now();
    // Counted from here: the zoom's look for the point under the cursor may take longer
    // than the rest time.
    ScheduleSettle(CViewMotion::kSettleSeconds);
}

double CTarnisView::GetZoomDistance(const CPoint2d& point, bool wheel)
{
    const CViewDefinition& definition = m_viewDefinition;
    double depth = definition.GetTargetDistance();
    CPoint3d shown;
    if (wheel ? FindWheelPoint(point, shown) : FindPickLinePoint(point, shown)) {
        depth = DotProduct(shown - definition.GetEye(), definition.GetViewDirection());
    }
    return std::max(depth, definition.GetNear());
}

bool CTarnisView::FindWheelPoint(const CPoint2d& point, CPoint3d& modelPoint)
{
    // A zoom moves the eye along the line through the window point, so the point found
    // there stays under it: a turning wheel need not walk a huge model at every notch.
    if (m_wheelPoint && m_wheelPoint->window == point && m_notchCamera &&
        CViewMotion::ShowSameView(*m_notchCamera, m_viewDefinition.GetCamera())) {
        modelPoint = m_wheelPoint->model;
        return true;
    }
    m_wheelPoint.reset();
    if (!FindPickLinePoint(point, modelPoint)) {
        return false;
    }
    // Kept for the camera the zoom leaves (ZoomByWheel).
    m_wheelPoint = WheelPoint{point, modelPoint};
    return true;
}

bool CTarnisView::FindPickLinePoint(const CPoint2d& point, CPoint3d& modelPoint)
{
    bool picked = false;
    bool stopped = false;
    {
        std::optional<CFrameMeter::CScope> meter;
        OpenQueryMeter(meter, false);
        IPickingService* picking = GetPickingService();
        stopped = CFrameMeter::ShouldStop();
        picked = !stopped && picking != nullptr && picking->FindNearestHitPoint(*this, point, modelPoint);
        stopped = stopped || CFrameMeter::ShouldStop();
    }
    if (stopped) {
        picked = FindShownPoint(point, modelPoint);
    }
    if (picked) {
        return true;
    }
    CComponent* root = m_model != nullptr ? m_model->GetRootComponent() : nullptr;
    if (root == nullptr) {
        return false;
    }
    CBoundingBox3d box;
    root->GetBounds(box, false);
    if (box.IsEmpty()) {
        return false;
    }
    GetPickRay(point).ProjectPoint(box.GetCentre(), modelPoint);
    return true;
}

bool CTarnisView::FindPointUnder(const CPoint2d& point, CPoint3d& modelPoint)
{
    // A pick stopped before or while it runs leaves the point the picture shown has.
    IPickingService* picking = GetPickingService();
    if (!CFrameMeter::ShouldStop() && picking != nullptr && picking->FindNearestHitPoint(*this, point, modelPoint) &&
        !CFrameMeter::ShouldStop()) {
        return true;
    }
    return FindShownPoint(point, modelPoint);
}

bool CTarnisView::FindShownPoint(const CPoint2d& point, CPoint3d& modelPoint)
{
    CViewAnalyzer analyzer(*this);
    analyzer.AnalyzeAround(point);
    return analyzer.GetCount() > 0 && ScreenToModel(CPoint3d(point.x, point.y, analyzer.GetAverage()), modelPoint);
}

void CTarnisView::ZoomWindow(const CPoint2d& corner1, const CPoint2d& corner2)
{
    const double width = std::abs(corner2.x - corner1.x);
    const double height = std::abs(corner2.y - corner1.y);
    if (width == 0.0 || height == 0.0) {
        return;
    }
    const CViewDefinition before = m_viewDefinition;
    const CPoint2d centre((corner1.x + corner2.x) / 2, (corner1.y + corner2.y) / 2);
    const CVector3d direction = before.GetViewDirection();
    // What the rectangle shows, at the average depth the frame drew there.
    CViewAnalyzer analyzer(*this);
    analyzer.AnalyzeRect(corner1, corner2, GL_DEPTH_COMPONENT);
    CPoint3d shown;
    if ((analyzer.GetCount() == 0 ||
         !ScreenToModel(CPoint3d(centre.x, centre.y, analyzer.GetAverage()), shown)) &&
        !FindPickLinePoint(centre, shown)) {
        GetPickRay(centre).ProjectPoint(before.GetTarget(), shown);
    }
    // The part of the view the rectangle covers along its tighter side.
    const double share = std::max(width / before.GetViewportWidth(), height / before.GetViewportHeight());
    const double depth = std::max(DotProduct(shown - before.GetEye(), direction), before.GetNear());
    if (before.IsPerspective()) {
        const CPoint3d eye = shown + direction * -(depth * share);
        m_viewDefinition.SetEyeTarget(eye, shown, before.GetCamera().GetUp());
    } else {
        const CPoint3d eye = shown + direction * -depth;
        m_viewDefinition.SetEyeTarget(eye, eye + direction * before.GetTargetDistance(), before.GetCamera().GetUp());
        m_viewDefinition.SetViewHeight(before.GetViewHeight() * share);
    }
    StoreCamera();
    Invalidate(false);
    SaveWhenChanged(before);
}

void CTarnisView::ZoomToExtents(IEntityIterator* entities)
{
    IPickingService* picking = GetPickingService();
    if (picking == nullptr) {
        return;
    }
    const CViewDefinition before = m_viewDefinition;
    const int mode = std::exchange(m_interactionMode, kExtentsInteraction);
    picking->ZoomExtents(*this, entities);
    m_interactionMode = mode;
    StoreCamera();
    SaveWhenChanged(before);
    Invalidate(false);
}

void CTarnisView::ZoomToSelection()
{
    if (m_model == nullptr) {
        return;
    }
    CEntityIterator selection(m_model->GetSelectionSet());
    ZoomToExtents(&selection);
}

void CTarnisView::CenterOnPoint(const CPoint2d& pixel)
{
    CPoint3d point;
    if (!FindPointUnder(pixel, point)) {
        return;
    }
    const CPoint3d& eye = m_viewDefinition.GetEye();
    const CVector3d direction = m_viewDefinition.GetViewDirection();
    const CPoint3d centre = eye + direction * DotProduct(point - eye, direction);
    const CVector3d offset = point - centre;
    m_viewDefinition.SetEyeTarget(eye + offset, m_viewDefinition.GetTarget() + offset,
                                  m_viewDefinition.GetCamera().GetUp());
    StoreCamera();
    Invalidate(false);
}

void CTarnisView::SaveWhenChanged(const CViewDefinition& before)
{
    if (!m_viewDefinition.IsSameCamera(before)) {
        SaveViewDefinition(&before);
    }
}

// --- autopan ---

bool CTarnisView::StartAutopan(int x, int y, unsigned /*flags*/)
{
    int viewport[4];
    m_viewDefinition.GetViewport(viewport);
    int across = 0;
    int up = 0;
    if (x < viewport[0] + kAutopanBorder) {
        across = -1;
    } else if (x > viewport[0] + viewport[2] - kAutopanBorder) {
        across = 1;
    }
    // Window rows grow downwards.
    if (y < viewport[1] + kAutopanBorder) {
        up = 1;
    } else if (y > viewport[1] + viewport[3] - kAutopanBorder) {
        up = -1;
    }
    const bool inBorder = m_autopanEnabled && (across != 0 || up != 0);
    if (!inBorder) {
        StopAutopan();
        return false;
    }
    if (m_autopan == nullptr) {
        auto* autopan = new CAutopanAnimation(*this, across, up);
        SetAnimation(autopan);
        m_autopan = autopan;
        if (!autopan->Step(this)) {
            SetAnimation(nullptr);
        }
    }
    return true;
}

void CTarnisView::StopAutopan()
{
    if (m_autopan == nullptr) {
        return;
    }
    EndInteraction();
    SetAnimation(nullptr);
    m_autopan = nullptr;
}
