#include "tools/camerapathhelical.h"

#include <cmath>

#include "document/component.h"
#include "document/tarnwickmodel.h"
#include "foundation/boundingbox3d.h"
#include "foundation/line3d.h"
#include "foundation/tolerance.h"

namespace {

constexpr double kOnAxis = 0.001;
constexpr double kSameEye = 0.001;
constexpr double kBoundsMargin = 0.001;
constexpr double kHalfDegreesToRadians = 0.00872664625997165;  // pi / 360
constexpr double kSmallestTilt = 0.001;

CPoint3d Midpoint(const CPoint3d& a, const CPoint3d& b)
{
    return {(a.x + b.x) * 0.5, (a.y + b.y) * 0.5, (a.z + b.z) * 0.5};
}

// The model's bounds; false without a current model or with nothing in it.
bool GetModelBounds(CBoundingBox3d& bounds)
{
    const CTarnwickModel* model = GetCurrentModel();
    if (model == nullptr || model->GetRootComponent() == nullptr)
        return false;
    model->GetRootComponent()->GetBounds(bounds, false);
    return !bounds.IsEmpty();
}

// The model, seen from the camera, fits within its field of view.
bool FitsInView(const CCamera& camera, const CBoundingBox3d& bounds, const CPoint3d& centre)
{
    const double reach = 2.0 * std::tan(camera.GetFieldOfView() * kHalfDegreesToRadians) *
                         camera.GetEye().Distance(centre);
    return bounds.GetDiagonal() < reach;
}

}  // namespace

CCameraPathHelical::CCameraPathHelical(const CCamera& from, const CCamera& to) : CCameraPath(from, to)
{
    const CUnitVector3d d0 = from.GetDirection();
    const CUnitVector3d d1 = to.GetDirection();
    if (d0.IsParallelTo(d1))
        BuildForOppositeDirections();
    else
        BuildForTurn();
    if (m_helicalEye)
        SetEyeCoordinates();
    if (m_helicalDirection)
        SetDirectionSwing();
}

void CCameraPathHelical::BuildForOppositeDirections()
{
    const CPoint3d& e0 = GetFrom().GetEye();
    const CPoint3d& e1 = GetTo().GetEye();
    if (DotProduct(GetFrom().GetDirection(), GetTo().GetDirection()) >= 0.0 || e0.IsEqual(e1, kSameEye))
        return;
    m_pivot = PivotFromModel(Midpoint(e0, e1));
    SetFrame(CUnitVector3d(GetFrom().GetUp()));
    m_helicalEye = true;
}

void CCameraPathHelical::BuildForTurn()
{
    const CCamera& from = GetFrom();
    const CCamera& to = GetTo();
    const CUnitVector3d d0 = from.GetDirection();
    const CUnitVector3d d1 = to.GetDirection();
    const CUnitVector3d axis(CVector3d(d0).CrossProduct(d1));
    CPoint3d nearest0;
    CPoint3d nearest1;
    (void)GetClosestPoints(from.GetEye(), d0, to.GetEye(), d1, nearest0, nearest1);
    const CPoint3d turningPoint = Midpoint(nearest0, nearest1);
    const CVector3d turnedUp = TurnAbout(from.GetUp(), axis, axis.AngleBetweenAround(d0, d1));
    if (DotProduct(turnedUp, to.GetUp()) >= 0.0)
    {
        m_pivot = turningPoint;
        CBoundingBox3d bounds;
        if (SeesWholeModel(turningPoint) && GetModelBounds(bounds))
            CLine3d(turningPoint, axis).ProjectPoint(bounds.GetCentre(), m_pivot);
        SetFrame(axis);
        m_helicalEye = true;
        return;
    }
    // Turning the view straight would roll the camera over: swing it about the mean up.
    CUnitVector3d meanUp(CVector3d(from.GetUp()) * 0.5 + CVector3d(to.GetUp()) * 0.5);
    if (CVector3d(meanUp).GetLengthSquared() == 0.0)
        meanUp = axis;
    m_pivot = PivotFromModel(turningPoint);
    SetFrame(meanUp);
    m_helicalEye = true;
    m_helicalDirection = true;
}

CPoint3d CCameraPathHelical::PivotFromModel(const CPoint3d& fallback) const
{
    CBoundingBox3d bounds;
    if (!GetModelBounds(bounds))
        return fallback;
    const CPoint3d centre = bounds.GetCentre();
    const CPoint3d& e0 = GetFrom().GetEye();
    const CPoint3d& e1 = GetTo().GetEye();
    const CVector3d d0 = GetFrom().GetDirection();
    const CVector3d d1 = GetTo().GetDirection();
    const double a0 = DotProduct(centre - e0, d0);
    const double a1 = DotProduct(centre - e1, d1);
    if (a0 <= 0.0 || a1 <= 0.0)
        return fallback;
    return Midpoint(e0 + d0 * a0, e1 + d1 * a1);
}

bool CCameraPathHelical::SeesWholeModel(const CPoint3d& turningPoint) const
{
    CBoundingBox3d bounds;
    if (!GetModelBounds(bounds))
        return false;
    const CPoint3d centre = bounds.GetCentre();
    CBoundingBox3d grown = bounds;
    grown.Expand(kBoundsMargin);
    for (const CCamera* camera : {&GetFrom(), &GetTo()})
    {
        if (grown.Contains(camera->GetEye()) || !camera->IsPerspective() ||
            DotProduct(centre - camera->GetEye(), camera->GetDirection()) <= 0.0 ||
            !FitsInView(*camera, bounds, centre))
            return false;
    }
    return !grown.Contains(turningPoint);
}

void CCameraPathHelical::SetFrame(const CVector3d& zAxis)
{
    m_z = zAxis;
    const CVector3d toEye = GetFrom().GetEye() - m_pivot;
    CUnitVector3d x(toEye - m_z * DotProduct(toEye, m_z));
    if (CVector3d(x).GetLengthSquared() == 0.0)
    {
        // The from eye lies on the axis: any direction across it will do.
        CUnitVector3d y;
        (void)CUnitVector3d(m_z).GetPerpendicularAxes(x, y);
    }
    m_x = x;
    m_y = m_z.CrossProduct(m_x);
}

CCameraPathHelical::CCylinderPoint CCameraPathHelical::ToCylinder(const CPoint3d& point,
                                                                  const CVector3d& reference) const
{
    const CVector3d offset = point - m_pivot;
    const double x = DotProduct(offset, m_x);
    const double y = DotProduct(offset, m_y);
    const double squared = x * x + y * y;
    CCylinderPoint result;
    result.radius = squared < 1e-20 ? 0.0 : std::sqrt(squared);
    result.height = DotProduct(offset, m_z);
    if (result.radius < kOnAxis)
    {
        result.angle = CUnitVector3d(m_z).AngleBetweenAround(CUnitVector3d(m_x), CUnitVector3d(-reference));
    }
    else
    {
        result.angle = std::atan2(y, x);
        // A camera looking away from the axis: the same point on the far side.
        if (DotProduct(offset, reference) > 0.0)
        {
            result.radius = -result.radius;
            result.angle += kPi;
        }
    }
    while (result.angle >= kTwoPi)
        result.angle -= kTwoPi;
    return result;
}

void CCameraPathHelical::SetEyeCoordinates()
{
    m_fromEye = ToCylinder(GetFrom().GetEye(), GetFrom().GetDirection());
    m_toEye = ToCylinder(GetTo().GetEye(), GetTo().GetDirection());
    double& a0 = m_fromEye.angle;
    double& a1 = m_toEye.angle;
    // The eye takes the short way round.
    if (std::abs(a0 - a1) > kPi)
    {
        if (a0 < 0.0)
            a0 += kTwoPi;
        else if (a1 < 0.0)
            a1 += kTwoPi;
        else if (a0 > a1)
            a0 -= kTwoPi;
        else
            a1 -= kTwoPi;
    }
    if (a1 < a0)
        ReverseDirectionTurn();
}

void CCameraPathHelical::SetDirectionSwing()
{
    const CUnitVector3d d0 = GetFrom().GetDirection();
    const CUnitVector3d d1 = GetTo().GetDirection();
    m_swing = CUnitVector3d(m_z).AngleBetweenAround(d0, d1);
    if (m_swing > kPi)
        m_swing -= kTwoPi;
    const double eyeTurn = m_toEye.angle - m_fromEye.angle;
    if ((m_swing >= 0.0) != (eyeTurn >= 0.0))
        m_swing = -m_swing;
    const CUnitVector3d swung(TurnAbout(d0, m_z, m_swing));
    const CUnitVector3d normal(CVector3d(swung).CrossProduct(d1));
    if (CVector3d(normal).GetLengthSquared() == 0.0)
        return;
    m_tilt = normal.AngleBetweenAround(swung, d1);
    // Kept at the start of the swing; GetDirection swings it along with the view.
    m_tiltReference = TurnAbout(normal, m_z, -m_swing);
}

CPoint3d CCameraPathHelical::GetEye(double t) const
{
    if (!m_helicalEye)
        return CCameraPath::GetEye(t);
    const double radius = m_fromEye.radius * (1.0 - t) + m_toEye.radius * t;
    const double angle = m_fromEye.angle * (1.0 - t) + m_toEye.angle * t;
    const double height = m_fromEye.height * (1.0 - t) + m_toEye.height * t;
    return m_pivot + m_x * (radius * std::cos(angle)) + m_y * (radius * std::sin(angle)) + m_z * height;
}

CVector3d CCameraPathHelical::GetDirection(double t) const
{
    if (!m_helicalDirection)
        return CCameraPath::GetDirection(t);
    CVector3d direction = TurnAbout(GetFrom().GetDirection(), m_z, t * m_swing);
    if (m_tilt >= kSmallestTilt)
        direction = TurnAbout(direction, TurnAbout(m_tiltReference, m_z, t * m_swing), t * m_tilt);
    return direction;
}
