#include "tools/camerapath.h"

#include <cmath>

#include "foundation/tolerance.h"
#include "tools/camerapathhelical.h"

namespace {

constexpr double kHalfDegreesToRadians = 0.00872664625997165;  // pi / 360
constexpr double kRadiansToDoubleDegrees = 114.59155902616465;  // 360 / pi
constexpr double kSameTolerance = 0.001;
// Both cameras look along the line of travel (or both against it) beyond this cosine.
constexpr double kAlongTravel = 0.9;

double Blend(double from, double to, double t)
{
    return to * t + from * (1.0 - t);
}

double BlendAspect(double from, double to, double t)
{
    if (from > 0.0 && to > 0.0)
        return Blend(from, to, t);
    if (from > 0.0)
        return from;
    return to > 0.0 ? to : 0.0;
}

bool IsStraight(const CCamera& from, const CCamera& to)
{
    const CPoint3d& e0 = from.GetEye();
    const CPoint3d& e1 = to.GetEye();
    if (e0.IsEqualPerAxis(e1, kSameTolerance))
        return true;
    const CVector3d d0 = from.GetDirection();
    const CVector3d d1 = to.GetDirection();
    if (d0.IsEqual(d1, kSameTolerance))
        return true;
    const CVector3d travel = CUnitVector3d(e0, e1);
    const double c0 = DotProduct(travel, d0);
    const double c1 = DotProduct(travel, d1);
    if (std::abs(c0) > kAlongTravel && std::abs(c1) > kAlongTravel && (c0 >= 0.0) == (c1 >= 0.0))
        return true;
    return c0 < 0.0 && c1 > 0.0;
}

}  // namespace

CVector3d TurnAbout(const CVector3d& v, const CVector3d& axis, double angle)
{
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    return v * c + axis.CrossProduct(v) * s + axis * (DotProduct(axis, v) * (1.0 - c));
}

CCameraPath::CCameraPath(const CCamera& from, const CCamera& to) : m_from(from), m_to(to)
{
    const CUnitVector3d d0 = from.GetDirection();
    const CUnitVector3d d1 = to.GetDirection();
    const CUnitVector3d n(CVector3d(d0).CrossProduct(d1));
    if (CVector3d(n).GetLengthSquared() > 0.0)
    {
        m_directionTurn = true;
        m_directionAxis = n;
        m_directionAngle = n.AngleBetweenAround(d0, d1);
    }
    else if (DotProduct(d0, d1) < 0.0)
    {
        m_directionTurn = true;
        m_directionAxis = CUnitVector3d(from.GetUp());
        m_directionAngle = kPi;
    }
    const CUnitVector3d u0(from.GetUp());
    const CUnitVector3d u1(to.GetUp());
    const CUnitVector3d m(CVector3d(u0).CrossProduct(u1));
    if (CVector3d(m).GetLengthSquared() > 0.0)
    {
        m_upTurn = true;
        m_upAxis = m;
        m_upAngle = m.AngleBetweenAround(u0, u1);
    }
}

void CCameraPath::ReverseDirectionTurn()
{
    if (m_directionTurn)
        m_directionAngle -= 2.0 * kPi;
}

void CCameraPath::GetCamera(double t, CCamera& camera) const
{
    double fieldOfView = m_to.GetFieldOfView();
    if (m_to.IsPerspective())
    {
        const double s = 1.0 - t;
        fieldOfView = std::atan(s * std::tan(m_from.GetFieldOfView() * kHalfDegreesToRadians) +
                                t * std::tan(m_to.GetFieldOfView() * kHalfDegreesToRadians)) *
                      kRadiansToDoubleDegrees;
    }
    camera.SetViewFromDirection(GetEye(t), GetDirection(t), GetUp(t), Blend(m_from.GetValueA(), m_to.GetValueA(), t),
                                Blend(m_from.GetValueB(), m_to.GetValueB(), t), m_to.IsPerspective(), fieldOfView,
                                Blend(m_from.GetParallelHeight(), m_to.GetParallelHeight(), t));
    camera.SetAspectRatio(BlendAspect(m_from.GetAspectRatio(), m_to.GetAspectRatio(), t));
    camera.SetFieldOfViewFixed(m_from.IsFieldOfViewFixed());
}

CPoint3d CCameraPath::GetEye(double t) const
{
    const CPoint3d& e0 = m_from.GetEye();
    const CPoint3d& e1 = m_to.GetEye();
    return {Blend(e0.x, e1.x, t), Blend(e0.y, e1.y, t), Blend(e0.z, e1.z, t)};
}

CVector3d CCameraPath::GetDirection(double t) const
{
    const CVector3d d0 = m_from.GetDirection();
    return m_directionTurn ? TurnAbout(d0, m_directionAxis, t * m_directionAngle) : d0;
}

CVector3d CCameraPath::GetUp(double t) const
{
    const CVector3d& u0 = m_from.GetUp();
    return m_upTurn ? TurnAbout(u0, m_upAxis, t * m_upAngle) : u0;
}

CCameraPath* CreateCameraPath(const CCamera& from, const CCamera& to)
{
    if (IsStraight(from, to))
        return new CCameraPath(from, to);
    return new CCameraPathHelical(from, to);
}
