#include "model/arccurve.h"

#include <algorithm>
#include <cmath>

#include "document/versionmap.h"
#include "foundation/tolerance.h"
#include "foundation/transformation.h"
#include "foundation/unitvector3d.h"
#include "model/edge.h"
#include "model/vertex.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CArcCurve, CCurve, VERSIONABLE_SCHEMA | 1)

CArcCurve::CArcCurve()
    : m_arc(CArc3d::FullCircle())
{
}

CArcCurve::CArcCurve(const CArcCurve& other)
    : CCurve(other)
{
    m_arc.centre = other.m_arc.centre;
    m_arc.xAxis = other.m_arc.xAxis;
    m_arc.plane = other.m_arc.plane;
    m_arc.radius = other.m_arc.radius;
    m_arc.startAngle = other.m_arc.startAngle;
    m_arc.endAngle = other.m_arc.endAngle;
}

CArcCurve::~CArcCurve() = default;

// Record

void CArcCurve::Serialize(CArchive& ar)
{
    CCurve::Serialize(ar);
    if (ar.IsLoading()) {
        // Records of version 0 did not store the y axis; the arc derives it.
        m_arc.Serialize(ar, GetLoadedClassVersion(RUNTIME_CLASS(CArcCurve)) != 0);
    } else {
        m_arc.Serialize(ar, true);
    }
    OrientPlaneToAxes();
}

// A mirrored arc keeps its axes; the plane follows them so angles keep their sense.
void CArcCurve::OrientPlaneToAxes()
{
    const CVector3d normal(m_arc.plane.a, m_arc.plane.b, m_arc.plane.c);
    if (DotProduct(m_arc.xAxis.CrossProduct(m_arc.yAxis), normal) < 0.0) {
        m_arc.plane.Reverse();
    }
}

// Entity operations

void CArcCurve::Transform(const CTransformation& transform)
{
    RecordChange(true);
    m_arc.Transform(transform);
}

CEntity* CArcCurve::Clone() const
{
    return new CArcCurve(*this);
}

void CArcCurve::SwapData(CEntity& other)
{
    CCurve::SwapData(other);
    auto& arcCurve = static_cast<CArcCurve&>(other);
    std::swap(m_arc.centre, arcCurve.m_arc.centre);
    std::swap(m_arc.xAxis, arcCurve.m_arc.xAxis);
    std::swap(m_arc.plane, arcCurve.m_arc.plane);
    std::swap(m_arc.radius, arcCurve.m_arc.radius);
    std::swap(m_arc.startAngle, arcCurve.m_arc.startAngle);
    std::swap(m_arc.endAngle, arcCurve.m_arc.endAngle);
}

int CArcCurve::GetTypeId() const
{
    return kTypeArcCurve;
}

void CArcCurve::SetArc(const CArc3d& arc)
{
    RecordChange(true);
    m_arc = arc;
}

// Queries

int CArcCurve::GetEdgeDirection(const CEdge* edge) const
{
    if (edge == nullptr || edge->GetStartVertex() == nullptr || edge->GetEndVertex() == nullptr) {
        return kCurveDirectionUnknown;
    }
    const double a = m_arc.GetAngleOfPoint(edge->GetStartVertex()->GetPosition());
    const double b = m_arc.GetAngleOfPoint(edge->GetEndVertex()->GetPosition());
    if (std::fabs(a - b) <= kPi) {
        return b <= a ? kCurveDirectionReversed : kCurveDirectionForward;
    }
    // The edge crosses angle 0.
    return b >= a ? kCurveDirectionReversed : kCurveDirectionForward;
}

bool CArcCurve::IsClosed(bool geometric) const
{
    return m_arc.IsClosed(geometric);
}

double CArcCurve::GetLength() const
{
    if (m_arc.IsClosed(false)) {
        return m_arc.radius * kTwoPi;
    }
    return (m_arc.endAngle - m_arc.startAngle) * m_arc.radius;
}

bool CArcCurve::IsPointOnArc(const CPoint3d& point) const
{
    if (m_arc.plane.GetDistance(point) > kLengthTolerance ||
        std::fabs(point.Distance(m_arc.centre) - m_arc.radius) > kLengthTolerance) {
        return false;
    }
    const double angle = m_arc.GetAngleOfPoint(point);
    // A seamless circle keeps both angles at 0 yet covers every angle.
    const double end = m_arc.IsClosed(false) ? kTwoPi : m_arc.endAngle;
    return m_arc.startAngle - kUnitTolerance <= angle && angle <= end + kUnitTolerance;
}

bool CArcCurve::IsArc() const
{
    return true;
}

CPlane3d CArcCurve::GetPlane() const
{
    return m_arc.plane;
}

CVector3d CArcCurve::GetNormal() const
{
    return {m_arc.plane.a, m_arc.plane.b, m_arc.plane.c};
}

CCurve* CArcCurve::NewEmptyCurve() const
{
    auto* curve = new CArcCurve;
    curve->SetFlag(GetFlag());
    CArc3d& arc = curve->m_arc;
    arc.centre = m_arc.centre;
    arc.xAxis = m_arc.xAxis;
    arc.yAxis = m_arc.yAxis;
    arc.SetNormal(GetNormal());
    arc.Update(false);
    arc.startAngle = 0.0;
    arc.endAngle = kTwoPi;
    return curve;
}

// Points of the chain

bool CArcCurve::FindPolylineCrossing(const CVector3d& direction, CPoint3d& point) const
{
    std::vector<CVertex*> vertices;
    GetVertices(vertices);
    const CPoint2d origin = m_arc.plane.ProjectTo2d(m_arc.centre);
    const CPoint2d ahead = m_arc.plane.ProjectTo2d(m_arc.centre + direction);
    const CVector2d d = ahead - origin;
    for (size_t i = 1; i < vertices.size(); ++i) {
        const CPoint3d& p3 = vertices[i - 1]->GetPosition();
        const CPoint3d& q3 = vertices[i]->GetPosition();
        const CPoint2d p = m_arc.plane.ProjectTo2d(p3);
        const CVector2d e = m_arc.plane.ProjectTo2d(q3) - p;
        // Solve origin + t*d = p + s*e.
        const double denominator = d.x * e.y - d.y * e.x;
        if (std::fabs(denominator) < kDivisionTolerance) {
            continue;
        }
        const CVector2d w = p - origin;
        const double t = (w.x * e.y - w.y * e.x) / denominator;
        const double s = (w.x * d.y - w.y * d.x) / denominator;
        if (t >= 0.0 && s >= -kUnitTolerance && s <= 1.0 + kUnitTolerance) {
            point = p3 + (q3 - p3) * s;
            return true;
        }
    }
    return false;
}

bool CArcCurve::GetPolylinePoint(const CPoint3d& towards, CPoint3d& point) const
{
    CPoint3d projected;
    m_arc.plane.ProjectPoint(towards, projected);
    const CVector3d direction = projected - m_arc.centre;
    if (direction.GetLength() <= kLengthTolerance) {
        return false;
    }
    return FindPolylineCrossing(direction, point);
}

bool CArcCurve::GetPolylinePointAtAngle(double angle, CPoint3d& point) const
{
    CPoint3d onArc;
    m_arc.GetPointAtAngle(angle, onArc);
    return GetPolylinePoint(onArc, point);
}

bool CArcCurve::GetMidPoint(CPoint3d& point) const
{
    if (!IsValidArcCurve(this) || m_arc.IsClosed(true)) {
        return false;
    }
    return GetPolylinePointAtAngle((m_arc.startAngle + m_arc.endAngle) / 2.0, point);
}

bool CArcCurve::GetQuadrantPoints(CPoint3d points[4]) const
{
    if (!IsValidArcCurve(this) || !m_arc.IsClosed(true)) {
        return false;
    }
    std::vector<CVertex*> vertices;
    if (GetVertices(vertices) == 0) {
        return false;
    }
    const CVector3d normal = GetNormal();
    const bool byY = std::fabs(normal.x) > std::fabs(normal.y) && std::fabs(normal.x) > std::fabs(normal.z);
    const CVertex* extreme = vertices.front();
    for (const CVertex* vertex : vertices) {
        const CPoint3d& p = vertex->GetPosition();
        const CPoint3d& best = extreme->GetPosition();
        if (byY ? p.y > best.y : p.x > best.x) {
            extreme = vertex;
        }
    }
    points[0] = extreme->GetPosition();
    const double angle = m_arc.GetAngleOfPoint(points[0]);
    for (int i = 1; i < 4; ++i) {
        if (!GetPolylinePointAtAngle(angle + i * kPi / 2.0, points[i])) {
            return false;
        }
    }
    return true;
}
