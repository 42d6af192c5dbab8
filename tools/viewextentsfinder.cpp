#include "tools/viewextentsfinder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "document/component.h"
#include "document/layermanager.h"
#include "document/tarniscs.h"
#include "document/tarnwickmodel.h"
#include "render/tarnisview.h"

namespace {

constexpr double kHalfDegree = 0.00872664625997165;
constexpr double kMargin = 0.95;
constexpr double kTolerance = 0.001;
constexpr double kMinWidth = 1e-6;
constexpr double kMinProjectedDepth = 1e-10;
constexpr int kRounds = 3;
// The points the first round keeps: enough for a grid of four million faces in under
// 50 MB; a larger model is walked again in each round.
constexpr std::size_t kMaxRemembered = std::size_t{1} << 21;
constexpr std::size_t kRecentSlots = std::size_t{1} << 14;

std::uint64_t Bits(double value)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// The same to the bit: even the sign of a zero could reach the box.
bool SameBits(const CPoint3d& a, const CPoint3d& b)
{
    return Bits(a.x) == Bits(b.x) && Bits(a.y) == Bits(b.y) && Bits(a.z) == Bits(b.z);
}

std::size_t Slot(const CPoint3d& point)
{
    std::uint64_t h = Bits(point.x) * 0x9E3779B97F4A7C15ULL;
    h = (h ^ Bits(point.y)) * 0xC2B2AE3D27D4EB4FULL;
    h = (h ^ Bits(point.z)) * 0x165667B19E3779F9ULL;
    return static_cast<std::size_t>(h >> 48) & (kRecentSlots - 1);
}

}  // namespace

CViewExtentsFinder::CViewExtentsFinder(CTarnisView& view) : CModelPointWalk(&view), m_view(view) {}

CViewExtentsFinder::~CViewExtentsFinder() = default;

void CViewExtentsFinder::AddPoint(const CPoint3d& point)
{
    // A stray coordinate (infinite, or as far as 1e300) would frame nothing else.
    if (!CBoundingBox3d::CanHold(point)) {
        return;
    }
    ++m_pointCount;
    if (m_boxMode) {
        CPoint3d p = m_transform * point;
        if (m_scale != 0.0 && std::abs(p.z) >= kMinProjectedDepth) {
            const double f = -m_scale / p.z;
            p = CPoint3d(p.x * f, p.y * f, -m_scale);
        }
        m_bounds.Add(p);
        return;
    }
    if (m_remembering) {
        Remember(point);
    }
    Measure(point);
}

void CViewExtentsFinder::Measure(const CPoint3d& point)
{
    for (std::size_t side = 0; side < m_planes.size(); ++side) {
        const double distance = m_planes[side].GetSignedDistance(point);
        if (distance > m_extremeDistances[side]) {
            m_extremeDistances[side] = distance;
            m_extremePoints[side] = point;
        }
    }
    m_bounds.Add(point);
}

void CViewExtentsFinder::Remember(const CPoint3d& point)
{
    RecentPoint& recent = m_recent[Slot(point)];
    if (recent.used && SameBits(recent.point, point)) {
        return;
    }
    recent.point = point;
    recent.used = true;
    if (m_remembered.size() >= kMaxRemembered) {
        m_remembering = false;
        m_keptAll = false;
        m_remembered = std::vector<CPoint3d>();
        return;
    }
    m_remembered.push_back(point);
}

void CViewExtentsFinder::CollectRemembering(IEntityIterator* entities)
{
    m_recent.assign(kRecentSlots, RecentPoint{});
    m_remembered.clear();
    m_remembering = true;
    m_keptAll = true;
    Collect(entities);
    m_remembering = false;
    m_recent = std::vector<RecentPoint>();
}

void CViewExtentsFinder::Recollect()
{
    StartCollecting();
    m_bounds = CBoundingBox3d();
    for (const CPoint3d& point : m_remembered) {
        Measure(point);
    }
}

void CViewExtentsFinder::Walk(IEntityIterator* entities)
{
    m_bounds = CBoundingBox3d();
    m_pointCount = 0;
    CTarnwickModel* model = m_view.GetModel();
    CComponent* root = model != nullptr ? model->GetRootComponent() : nullptr;
    CLayerManager* layers = root != nullptr ? root->GetLayerManager() : nullptr;
    m_view.PushLayer(layers != nullptr ? layers->GetDefaultLayer() : nullptr);
    if (entities != nullptr) {
        WalkEntities(*entities);
    } else if (root != nullptr) {
        WalkComponent(*root);
    }
    m_view.PopLayer();
}

void CViewExtentsFinder::StartCollecting()
{
    const CViewDefinition& definition = m_view.GetViewDefinition();
    // The sides of the whole viewport, normals pointing out.
    definition.GetPickVolume(0.0, 0.0, definition.GetViewportWidth(), definition.GetViewportHeight(), m_planes);
    m_extremeDistances.fill(-HUGE_VAL);
    m_extremePoints.fill(CPoint3d());
    m_boxMode = false;
}

void CViewExtentsFinder::Collect(IEntityIterator* entities)
{
    StartCollecting();
    Walk(entities);
}

bool CViewExtentsFinder::ComputeViewExtents()
{
    const CViewDefinition& definition = m_view.GetViewDefinition();
    m_transform = CTransformation();
    m_transform.SetLookAt(definition.GetEye(), definition.GetTarget(), definition.GetCamera().GetUp(), true);
    m_scale = definition.IsPerspective() ? definition.GetNear() : 0.0;
    m_boxMode = true;
    Walk(nullptr);
    m_boxMode = false;
    return m_pointCount > 0;
}

void CViewExtentsFinder::ZoomExtents(IEntityIterator* entities)
{
    CViewDefinition& definition = m_view.GetViewDefinition();
    for (int round = 0; round < kRounds; ++round) {
        const CViewDefinition before = definition;
        if (round == 0) {
            CollectRemembering(entities);
        } else if (m_keptAll) {
            Recollect();
        } else {
            Collect(entities);
        }
        if (m_pointCount == 0) {
            MoveTargetToOrigin();
            return;
        }
        if (definition.IsPerspective()) {
            if (!FitPerspective()) {
                return;
            }
        } else {
            FitParallel();
        }
        if (definition.IsSameCamera(before)) {
            return;
        }
    }
}

void CViewExtentsFinder::MoveTargetToOrigin()
{
    CViewDefinition& definition = m_view.GetViewDefinition();
    const CTarnwickModel* model = m_view.GetModel();
    CPoint3d origin;
    if (model != nullptr && model->IsDisplayAxes() && model->GetDrawingAxes() != nullptr) {
        origin = model->GetDrawingAxes()->GetOrigin();
    }
    const CVector3d offset = origin - definition.GetTarget();
    if (std::abs(offset.x) <= kTolerance && std::abs(offset.y) <= kTolerance && std::abs(offset.z) <= kTolerance) {
        return;
    }
    definition.SetEyeTarget(definition.GetEye() + offset, origin, definition.GetCamera().GetUp());
}

void CViewExtentsFinder::FitParallel()
{
    CViewDefinition& definition = m_view.GetViewDefinition();
    const CVector3d right = definition.GetXAxis();
    const CVector3d up = definition.GetYAxis();
    const CVector3d direction = definition.GetViewDirection();
    const auto& p = m_extremePoints;
    const double width = std::abs(DotProduct(p[kRight] - p[kLeft], right));
    double height = std::abs(DotProduct(p[kTop] - p[kBottom], up));
    const double viewportWidth = definition.GetViewportWidth();
    const double viewportHeight = definition.GetViewportHeight();
    if (width > kMinWidth && viewportWidth > 0.0 && height / width < viewportHeight / viewportWidth) {
        height = viewportHeight / viewportWidth * width;
    }
    // A model without width or height (a single point) keeps the scale it is seen at.
    const double viewHeight = height > kMinWidth ? height / kMargin : definition.GetViewHeight();
    // The middle between each pair of opposite sides, on the line of sight.
    const CPoint3d centre = m_bounds.GetCentre();
    const double across = DotProduct(p[kLeft] - centre, right) + DotProduct(p[kRight] - p[kLeft], right) * 0.5;
    const double upwards = DotProduct(p[kBottom] - centre, up) + DotProduct(p[kTop] - p[kBottom], up) * 0.5;
    const CPoint3d target = centre + right * across + up * upwards;
    const double tangent = std::tan(definition.GetCamera().GetFieldOfView() * kHalfDegree);
    double distance = tangent >= -kTolerance && tangent <= kTolerance ? 1.0 : viewHeight / 2.0 / tangent;
    distance = std::max(distance, definition.GetNear() + 1.0);
    // The eye stays in front of everything, or the nearest part would be clipped away.
    distance = std::max(distance, DotProduct(target - p[kNear], direction) + definition.GetNear() + 1.0);
    definition.SetEyeTarget(target + direction * -distance, target, definition.GetCamera().GetUp());
    definition.SetViewHeight(viewHeight);
}

bool CViewExtentsFinder::FitPerspective()
{
    CViewDefinition& definition = m_view.GetViewDefinition();
    const CVector3d direction = definition.GetViewDirection();
    const double nearDistance = definition.GetNear();
    // Each side moved out until it passes through its farthest point.
    CViewDefinition::Planes sides = m_planes;
    for (int side = kLeft; side <= kTop; ++side) {
        sides[side].Offset(m_extremeDistances[side]);
    }
    CLine3d across;
    CLine3d upwards;
    if (!sides[kLeft].Intersect(sides[kRight], across) || !sides[kBottom].Intersect(sides[kTop], upwards)) {
        return false;
    }
    CPoint3d p1;
    CPoint3d p2;
    across.GetClosestPoints(upwards, p1, p2);
    // The eye farther back frames both pairs of sides.
    const bool vertical = DotProduct(p2 - p1, direction) < 0.0;
    CPoint3d eye = vertical ? p2 : p1;
    const CPoint3d& first = m_extremePoints[vertical ? kBottom : kLeft];
    const CPoint3d& second = m_extremePoints[vertical ? kTop : kRight];
    const double pairDepth = std::min(DotProduct(first - eye, direction), DotProduct(second - eye, direction));
    if (pairDepth <= nearDistance) {
        eye = eye + direction * -(nearDistance / kMargin);
    }
    // Backing away keeps every side framed; the nearest point must not come before the
    // near plane.
    const double nearestDepth = DotProduct(m_extremePoints[kNear] - eye, direction);
    if (nearestDepth < nearDistance) {
        eye = eye + direction * -(nearDistance - nearestDepth);
    }
    const CPoint3d target = eye + direction * DotProduct(m_bounds.GetCentre() - eye, direction);
    eye = target + (eye - target) / kMargin;
    definition.SetEyeTarget(eye, target, definition.GetCamera().GetUp());
    return true;
}
