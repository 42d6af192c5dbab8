#include "model/faceprojection2d.h"

#include <algorithm>
#include <vector>

#include "foundation/plane3d.h"
#include "foundation/polygon2d.h"
#include "foundation/transformation.h"
#include "model/enumvertex.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/vertex.h"

namespace {

int Classify(const CPoint2d& point, const CPoint2d* polygon, int count)
{
    return ClassifyPointInPolygon2d(point, polygon, count);
}

bool IsOnBoundary(int found)
{
    return found == kPointOnPolygonEdge || found == kPointOnPolygonVertex;
}

} // namespace

CFaceProjection2d::CFaceProjection2d() = default;

CFaceProjection2d::CFaceProjection2d(const CFace* face) : m_face(face)
{
    Rebuild();
}

CFaceProjection2d::~CFaceProjection2d()
{
    FreePoints();
}

void CFaceProjection2d::SetFace(const CFace* face)
{
    m_face = face;
    Rebuild();
}

void CFaceProjection2d::Rebuild()
{
    m_pointCount = 0;
    m_box.SetEmpty();
    if (m_face == nullptr) {
        return;
    }
    BuildFrame();
    BuildPoints();
}

void CFaceProjection2d::FreePoints()
{
    std::vector<CPoint2d>().swap(m_points);
    m_pointCount = 0;
}

void CFaceProjection2d::BuildFrame()
{
    // The canonical plane gives a face and its reversed twin the same frame.
    CPlane3d plane = m_face->GetPlane();
    plane.MakeCanonical();
    plane.GetPointNearestOrigin(m_origin);
    plane.GetNormal().GetPerpendicularAxes(m_xAxis, m_yAxis);
}

void CFaceProjection2d::BuildPoints()
{
    const std::int32_t needed = m_face->GetEdgeUseCount();
    if (needed > static_cast<std::int32_t>(m_points.size())) {
        m_points.resize(static_cast<std::size_t>(needed));
    }
    const auto capacity = static_cast<std::int32_t>(m_points.size());
    CEnumVertexFace vertices(m_face);
    CVertex* vertex = nullptr;
    while (m_pointCount < capacity && vertices.Next(vertex)) {
        const CPoint2d point = vertex != nullptr ? Project(vertex->GetPosition()) : Project(m_origin);
        m_points[m_pointCount++] = point;
        m_box.Add(point);
    }
}

CPoint2d CFaceProjection2d::Project(const CPoint3d& point) const
{
    const CVector3d offset = point - m_origin;
    return {DotProduct(offset, m_xAxis), DotProduct(offset, m_yAxis)};
}

const CPoint2d* CFaceProjection2d::GetLoopPoints(const CLoop* loop) const
{
    if (m_face == nullptr) {
        return nullptr;
    }
    std::int32_t offset = 0;
    for (int i = 0; i < m_face->GetLoopCount(); ++i) {
        const CLoop* own = m_face->GetLoop(i);
        if (own == loop) {
            return offset < m_pointCount ? m_points.data() + offset : nullptr;
        }
        offset += own->GetEdgeUseCount();
    }
    return nullptr;
}

int CFaceProjection2d::GetLoopPointCount(const CLoop* loop) const
{
    const CPoint2d* first = GetLoopPoints(loop);
    if (first == nullptr) {
        return 0;
    }
    const auto available = static_cast<int>(m_points.data() + m_pointCount - first);
    return std::min(loop->GetEdgeUseCount(), available);
}

int CFaceProjection2d::ClassifyPoint(const CPoint3d& point) const
{
    return ClassifyPoint2d(Project(point), false);
}

int CFaceProjection2d::ClassifyPointOuter(const CPoint3d& point) const
{
    if (m_face == nullptr) {
        return 0;
    }
    const CPoint2d projected = Project(point);
    if (!m_box.Contains(projected)) {
        return kPointOutsidePolygon;
    }
    const CLoop* outer = m_face->GetOuterLoop();
    return Classify(projected, GetLoopPoints(outer), GetLoopPointCount(outer));
}

int CFaceProjection2d::ClassifyPoint2d(const CPoint2d& point, bool outerOnly) const
{
    if (m_face == nullptr) {
        return 0;
    }
    if (!m_box.Contains(point)) {
        return kPointOutsidePolygon;
    }
    for (int i = 0; i < m_face->GetLoopCount(); ++i) {
        const CLoop* loop = m_face->GetLoop(i);
        const int found = Classify(point, GetLoopPoints(loop), GetLoopPointCount(loop));
        if (outerOnly) {
            return loop->IsOuter() ? found : kPointInPolygon;
        }
        if (loop->IsOuter()) {
            if (found != kPointInPolygon) {
                return found;
            }
        } else if (found != kPointOutsidePolygon) {
            // Inside a hole is outside the face.
            return found == kPointInPolygon ? kPointOutsidePolygon : found;
        }
    }
    return kPointInPolygon;
}

int CFaceProjection2d::ClassifyAll(const CPoint2d* points, int count, bool outerOnly, bool insideGivesOverlap) const
{
    int common = 0;
    for (int i = 0; i < count; ++i) {
        const int found = ClassifyPoint2d(points[i], outerOnly);
        if (IsOnBoundary(found)) {
            return kProjectionTouching;
        }
        if (insideGivesOverlap && found == kPointInPolygon) {
            return kProjectionOverlapping;
        }
        if (common != 0 && found != common) {
            return kProjectionOverlapping;
        }
        common = found;
    }
    return common;
}

int CFaceProjection2d::ClassifyProjection(const CFaceProjection2d& other, bool outerOnly) const
{
    if (m_face == nullptr) {
        return kProjectionNoFace;
    }
    if (!m_box.Intersects(other.m_box)) {
        return kProjectionDisjoint;
    }
    const auto pointsOf = [outerOnly](const CFaceProjection2d& projection, int& count) {
        if (outerOnly) {
            const CLoop* outer = projection.m_face->GetOuterLoop();
            count = projection.GetLoopPointCount(outer);
            return projection.GetLoopPoints(outer);
        }
        count = projection.m_pointCount;
        return projection.m_points.data();
    };
    int otherCount = 0;
    const CPoint2d* otherPoints = pointsOf(other, otherCount);
    const int a = ClassifyAll(otherPoints, otherCount, outerOnly, false);
    if (a == kProjectionTouching || a == kProjectionOverlapping) {
        return a;
    }
    int ownCount = 0;
    const CPoint2d* ownPoints = pointsOf(*this, ownCount);
    const int b = other.ClassifyAll(ownPoints, ownCount, outerOnly, a == kPointInPolygon);
    if (b == kProjectionTouching) {
        return b;
    }
    if (a == kPointOutsidePolygon && b == kPointOutsidePolygon) {
        return kProjectionDisjoint;
    }
    if (a == kPointOutsidePolygon && b == kPointInPolygon) {
        return kProjectionThisInside;
    }
    if (a == kPointInPolygon && b == kPointOutsidePolygon) {
        return kProjectionOtherInside;
    }
    return kProjectionOverlapping;
}

int CFaceProjection2d::ClassifyFace(const CFace* other) const
{
    if (m_face == nullptr) {
        return kProjectionNoFace;
    }
    const CFaceProjection2d projection(other);
    return ClassifyProjection(projection, false);
}

int CFaceProjection2d::ClassifyLoop(const CLoop* loop, const CTransformation* transform) const
{
    if (m_face == nullptr || loop == nullptr || loop->GetFirstEdgeUse() == nullptr) {
        return kLoopProjectionNone;
    }
    std::vector<CPoint3d> points;
    loop->GetPoints(points, transform);
    int first = 0;
    std::vector<CPoint2d> polygon;
    for (const CPoint3d& point : points) {
        const int found = ClassifyPointOuter(point);
        if (polygon.empty()) {
            if (IsOnBoundary(found)) {
                return kLoopCrossesFace;
            }
            first = found;
        } else if (found != first) {
            return kLoopCrossesFace;
        }
        polygon.push_back(Project(point));
    }
    const int count = static_cast<int>(polygon.size());
    for (int i = 0; i < m_pointCount; ++i) {
        const int found = Classify(m_points[i], polygon.data(), count);
        if ((first == kPointInPolygon && found != kPointOutsidePolygon) ||
            (first == kPointOutsidePolygon && found != kPointInPolygon)) {
            return kLoopCrossesFace;
        }
    }
    return first == kPointInPolygon ? kLoopInsideFace : kLoopEnclosesFace;
}

int CFaceProjection2d::ClassifyLoopOfFace(const CFaceProjection2d& other, const CLoop* loop, bool outerOnly) const
{
    const CPoint2d* points = other.GetLoopPoints(loop);
    const int count = other.GetLoopPointCount(loop);
    if (m_face == nullptr || points == nullptr) {
        return kLoopProjectionNone;
    }
    int state = kLoopProjectionNone;
    CBoundingBox2d box;
    for (int i = 0; i < count; ++i) {
        const int found = ClassifyPoint2d(points[i], outerOnly);
        box.Add(points[i]);
        if (IsOnBoundary(found)) {
            continue;
        }
        const int seen = found == kPointInPolygon ? kLoopInsideFace : kLoopEnclosesFace;
        if (state == kLoopProjectionNone) {
            state = seen;
        } else if (state != seen) {
            return kLoopCrossesFace;
        }
    }
    if (state == kLoopProjectionNone) {
        return state;
    }
    for (int i = 0; i < m_pointCount; ++i) {
        const int found = box.Contains(m_points[i]) ? Classify(m_points[i], points, count) : kPointOutsidePolygon;
        if ((state == kLoopInsideFace && found == kPointInPolygon) ||
            (state == kLoopEnclosesFace && found == kPointOutsidePolygon)) {
            return kLoopCrossesFace;
        }
    }
    return state;
}

bool IsFaceInsideFace(const CFace* a, const CFace* b)
{
    if (a == nullptr || b == nullptr || !a->GetPlane().IsEqual(b->GetPlane(), false)) {
        return false;
    }
    const CFaceProjection2d projection(b);
    CEnumVertexFace vertices(a);
    CVertex* vertex = nullptr;
    bool any = false;
    while (vertices.Next(vertex)) {
        if (vertex == nullptr ||
            projection.ClassifyPoint2d(projection.Project(vertex->GetPosition()), false) != kPointInPolygon) {
            return false;
        }
        any = true;
    }
    return any;
}
