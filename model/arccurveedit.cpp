// Keeping an arc curve's arc and its chain in step: refitting the arc after the chain
// changed, and moving the chain's vertices when an end, the middle or the radius is
// dragged.

#include <cmath>

#include "foundation/tolerance.h"
#include "foundation/transformation.h"
#include "foundation/unitvector3d.h"
#include "model/arccurve.h"
#include "model/vertex.h"

namespace {

// The drags converge in a step or two; a chain that does not must not hold the user.
constexpr int kMaxDragCorrections = 32;

} // namespace

// Refitting

void CArcCurve::Update(bool keepSeamless, bool throughStart)
{
    RefitArc(keepSeamless, throughStart);
}

void CArcCurve::RefitArc(bool keepSeamless, bool throughStart)
{
    CVertex* startVertex = GetStartVertex();
    CVertex* endVertex = GetEndVertex();
    if (startVertex == nullptr || endVertex == nullptr) {
        return;
    }
    RecordChange(true);
    CPoint3d startPosition = startVertex->GetPosition();
    CPoint3d endPosition = endVertex->GetPosition();

    // A skewed arc (from a non-uniform scaling) is refitted as the circle its axes
    // stand for, and mapped back afterwards.
    CTransformation toSkewed;
    bool skewed = false;
    const CVector3d normal = GetNormal();
    if (!IsValidArcCurve(this) &&
        !IsWithin(DotProduct(m_arc.xAxis.CrossProduct(m_arc.yAxis), normal), kUnitTolerance)) {
        const double radius = m_arc.xAxis.GetLength();
        if (radius > kDivisionTolerance) {
            CTransformation frame(m_arc.xAxis / radius, m_arc.yAxis / radius, CVector3d(CUnitVector3d(normal)),
                                  CPoint3d());
            CTransformation toCircle;
            if (frame.GetInverse(toCircle)) {
                toSkewed = frame;
                skewed = true;
                m_arc.Transform(toCircle);
                toCircle.TransformPoint(startPosition);
                toCircle.TransformPoint(endPosition);
            }
        }
    }

    const CVector3d towardsStart = startPosition - m_arc.centre;
    if (towardsStart.GetLength() > kDivisionTolerance) {
        if (throughStart) {
            m_arc.xAxis = towardsStart;
        } else {
            CVector3d xAxis = towardsStart;
            xAxis.SetLength(m_arc.radius);
            m_arc.xAxis = xAxis;
            // The normal is made perpendicular to the new x axis on its former side.
            const CVector3d oldNormal = GetNormal();
            CVector3d newNormal = xAxis.CrossProduct(oldNormal.CrossProduct(xAxis));
            if (newNormal.Normalize()) {
                m_arc.SetNormal(newNormal);
            }
        }
    }
    m_arc.Update(true);
    m_arc.startAngle = 0.0;
    if (startVertex == endVertex) {
        m_arc.endAngle = keepSeamless && startVertex->GetEdgeCount() == 2 ? 0.0 : kTwoPi;
    } else {
        m_arc.endAngle = m_arc.GetAngleOfPoint(endPosition);
    }
    if (skewed) {
        m_arc.Transform(toSkewed);
    }
}

// Placing vertices

void CArcCurve::PlaceVerticesEvenly(double step)
{
    std::vector<CVertex*> vertices;
    GetVertices(vertices);
    std::vector<CPoint3d> positions(vertices.size());
    for (size_t i = 0; i < vertices.size(); ++i) {
        m_arc.GetPointAtAngle(m_arc.startAngle + static_cast<double>(i) * step, positions[i]);
    }
    MoveVertices(vertices, positions);
}

void CArcCurve::StretchToEndpoint(CVertex* vertex, const CPoint3d& positionP, const CPoint3d& positionQ)
{
    const bool closed = m_arc.IsClosed(true);
    if (!closed && (vertex == GetStartVertex() || vertex == GetEndVertex())) {
        StretchPolyline(vertex, positionP, positionQ);
        return;
    }
    std::vector<CVertex*> vertices;
    const int n = GetVertices(vertices);
    if (n < 2) {
        return;
    }
    if (!closed) {
        RecordChange(true);
        FitThrough(vertices.front()->GetPosition(), positionQ, vertices.back()->GetPosition(), n);
        return;
    }
    const double distance = positionQ.Distance(m_arc.centre);
    if (distance < kLengthTolerance) {
        return;
    }
    RecordChange(true);
    m_arc.xAxis.SetLength(distance);
    m_arc.Update(true);
    PlaceVerticesEvenly(kTwoPi / (n - 1));
}

void CArcCurve::FitThrough(const CPoint3d& start, const CPoint3d& middle, const CPoint3d& end, int vertexCount)
{
    const CArc3d through(start, middle, end);
    m_arc.centre = through.centre;
    m_arc.xAxis = through.xAxis;
    m_arc.plane = through.plane;
    m_arc.radius = through.radius;
    m_arc.startAngle = through.startAngle;
    m_arc.endAngle = through.endAngle;
    // The old y axis would bend the arc into an ellipse once the x axis turned.
    m_arc.Update(true);
    PlaceVerticesEvenly((m_arc.endAngle - m_arc.startAngle) / (vertexCount - 1));
}

void CArcCurve::MoveBulge(const CPoint3d& target)
{
    std::vector<CVertex*> vertices;
    const int n = GetVertices(vertices);
    if (m_arc.IsClosed(true) || n < 3) {
        return;
    }
    const CPoint3d start = vertices.front()->GetPosition();
    const CPoint3d end = vertices.back()->GetPosition();
    CPoint3d middle;
    m_arc.GetPointAtAngle((m_arc.startAngle + m_arc.endAngle) / 2.0, middle);
    CVector3d outwards = middle - m_arc.centre;
    if (!outwards.Normalize()) {
        return;
    }
    middle = m_arc.centre + outwards * DotProduct(target - m_arc.centre, outwards);
    RecordChange(true);
    for (int attempt = 0; attempt < kMaxDragCorrections; ++attempt) {
        FitThrough(start, middle, end, n);
        CPoint3d reached;
        if (!GetPolylinePoint(target, reached) || reached.Distance(target) <= kLengthTolerance) {
            break;
        }
        middle = middle + (target - reached);
    }
}

void CArcCurve::MoveRadius(const CPoint3d& directionPoint, const CPoint3d& target)
{
    std::vector<CVertex*> vertices;
    const int n = GetVertices(vertices);
    if (!m_arc.IsClosed(true) || n < 2) {
        return;
    }
    CPoint3d projected;
    m_arc.plane.ProjectPoint(directionPoint, projected);
    double radius = projected.Distance(m_arc.centre);
    if (radius < kLengthTolerance) {
        return;
    }
    RecordChange(true);
    CPoint3d projectedTarget;
    m_arc.plane.ProjectPoint(target, projectedTarget);
    const double wanted = projectedTarget.Distance(m_arc.centre);
    for (int attempt = 0; attempt < kMaxDragCorrections; ++attempt) {
        m_arc.xAxis.SetLength(radius);
        m_arc.Update(true);
        PlaceVerticesEvenly(kTwoPi / (n - 1));
        CPoint3d reached;
        if (!GetPolylinePoint(target, reached)) {
            break;
        }
        const double difference = wanted - reached.Distance(m_arc.centre);
        if (std::fabs(difference) <= kLengthTolerance || radius + difference < kLengthTolerance) {
            break;
        }
        radius += difference;
    }
}
