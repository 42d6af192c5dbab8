#include "render/facepolygon.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <climits>
#include <cmath>

#include "document/enumopeningloopface.h"
#include "foundation/framemeter.h"
#include "foundation/line3d.h"
#include "foundation/point2d.h"
#include "foundation/polygon2d.h"
#include "foundation/transformation.h"
#include "model/edgeuse.h"
#include "model/enumedgeuse.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/tessellationcost.h"
#include "model/vertex.h"
#include "render/polygontriangulator.h"

namespace {

// Points closer than this to a plane lie on it; consecutive points closer than this
// to each other are one point.
constexpr double kOnPlaneTolerance = 0.001;

// Primitives of a simple loop by its point count.
GLenum SimplePrimitive(int pointCount)
{
    if (pointCount == 3) {
        return GL_TRIANGLES;
    }
    return pointCount == 4 ? GL_QUADS : GL_POLYGON;
}

void TessBegin(GLenum /*type*/)
{
}

void TessVertex(void* data, void* polygonData)
{
    static_cast<CFacePolygon*>(polygonData)->AddTessellatedCorner(static_cast<const double*>(data));
}

// Registered only so that GLU hands over separate triangles, never fans or strips.
void TessEdgeFlag(GLboolean /*flag*/)
{
}

void TessCombine(GLdouble coordinates[3], void* /*neighbours*/[4], GLfloat /*weights*/[4], void** out,
                 void* polygonData)
{
    *out = static_cast<CFacePolygon*>(polygonData)->AddCombinedPoint(coordinates);
}

template <typename Callback>
void SetTessCallback(GLUtesselator* tess, GLenum which, Callback callback)
{
    gluTessCallback(tess, which, reinterpret_cast<_GLUfuncptr>(callback));
}

// One loop being rebuilt by a clip: its points with their edge uses.
struct ClippedLoop
{
    std::vector<CPoint3d> points;
    std::vector<CEdgeUse*> uses;

    void Add(const CPoint3d& point, CEdgeUse* use)
    {
        if (!points.empty() && points.back().Distance(point) <= kOnPlaneTolerance) {
            return;
        }
        points.push_back(point);
        uses.push_back(use);
    }
    // A last point that closes onto the first is the first.
    void Close()
    {
        while (points.size() > 1 && points.back().Distance(points.front()) <= kOnPlaneTolerance) {
            points.pop_back();
            uses.pop_back();
        }
    }
};

}  // namespace

CFacePolygon::CFacePolygon() = default;

CFacePolygon::~CFacePolygon() = default;

void CFacePolygon::Free()
{
    m_points.clear();
    m_points.shrink_to_fit();
    m_loopEnds.clear();
    m_loopEnds.shrink_to_fit();
    m_edgeUses.clear();
    m_edgeUses.shrink_to_fit();
    m_combinedPoints.clear();
    m_simple = false;
}

void CFacePolygon::Build(const CFace& face, const CTransformation* transform, bool outerLoopOnly,
                         ITarnisView* view)
{
    Free();
    m_plane = transform != nullptr ? *transform * face.GetPlane() : face.GetPlane();
    const std::int32_t cache = face.GetDisplayCache();
    if (cache < 0) {
        // The cache counts the outer loop's points; the loop itself still bounds the
        // read, so a stale count never reaches past its vertices.
        const int count = cache == INT32_MIN ? INT_MAX : -cache;
        AppendLoop(face, 0, count, transform);
        m_simple = !m_loopEnds.empty();
        return;
    }
    const int loopCount = outerLoopOnly ? std::min(1, face.GetLoopCount()) : face.GetLoopCount();
    for (int i = 0; i < loopCount; ++i) {
        AppendLoop(face, i, INT_MAX, transform);
        if (m_loopEnds.empty()) {
            // Holes without their outer loop bound nothing.
            return;
        }
    }
    if (!outerLoopOnly && !m_loopEnds.empty()) {
        AppendOpenings(face, transform, view);
    }
    m_simple = m_loopEnds.size() == 1 && face.GetLoop(0) != nullptr && face.GetLoop(0)->IsConvex();
}

void CFacePolygon::AppendOpenings(const CFace& face, const CTransformation* transform, ITarnisView* view)
{
    const std::unique_ptr<CEnumOpeningLoopFace> openings(face.NewOpeningEnum(view));
    COpeningLoop* opening = nullptr;
    std::vector<CPoint3d> contour;
    while (openings->Next(opening)) {
        opening->GetContour(contour);
        if (contour.size() < 3) {
            continue;
        }
        for (const CPoint3d& point : contour) {
            m_points.push_back(transform != nullptr ? *transform * point : point);
            m_edgeUses.push_back(nullptr);
        }
        m_loopEnds.push_back(static_cast<std::int32_t>(m_points.size()));
    }
}

void CFacePolygon::AppendLoop(const CFace& face, int loopIndex, int maxPoints, const CTransformation* transform)
{
    const CLoop* loop = face.GetLoop(loopIndex);
    if (loop == nullptr) {
        return;
    }
    const std::size_t start = m_points.size();
    std::unique_ptr<CEnumEdgeUse> uses(loop->NewEdgeUseEnum());
    CEdgeUse* use = nullptr;
    int count = 0;
    while (count < maxPoints && uses->Next(use)) {
        const CVertex* vertex = use->GetEndVertex();
        if (vertex == nullptr) {
            break;
        }
        m_points.push_back(transform != nullptr ? *transform * vertex->GetPosition() : vertex->GetPosition());
        m_edgeUses.push_back(use);
        ++count;
    }
    if (count < 3) {
        m_points.resize(start);
        m_edgeUses.resize(start);
        return;
    }
    m_loopEnds.push_back(static_cast<std::int32_t>(m_points.size()));
}

int CFacePolygon::LoopStart(int loop) const
{
    return loop == 0 ? 0 : m_loopEnds[loop - 1];
}

int CFacePolygon::LoopPointCount(int loop) const
{
    if (loop < 0 || loop >= GetLoopCount()) {
        return 0;
    }
    return m_loopEnds[loop] - LoopStart(loop);
}

CEdgeUse* CFacePolygon::GetLoopEdge(int loop, int index, CPoint3d& previous, CPoint3d& point) const
{
    const int count = LoopPointCount(loop);
    if (index < 0 || index >= count) {
        return nullptr;
    }
    const int start = LoopStart(loop);
    previous = m_points[start + (index == 0 ? count - 1 : index - 1)];
    point = m_points[start + index];
    return m_edgeUses[start + index];
}

double* CFacePolygon::AddCombinedPoint(const double coordinates[3])
{
    m_combinedPoints.push_back(
        std::make_unique<std::array<double, 3>>(std::array<double, 3>{coordinates[0], coordinates[1], coordinates[2]}));
    return m_combinedPoints.back()->data();
}

void CFacePolygon::Draw(bool reverse)
{
    if (m_loopEnds.empty()) {
        return;
    }
    CVector3d normal(m_plane.a, m_plane.b, m_plane.c);
    if (reverse) {
        normal = -normal;
    }
    if (m_simple) {
        if (m_points.size() >= 3) {
            DrawSimple(reverse, normal);
        }
        return;
    }
    DrawTessellated(reverse, normal);
}

void CFacePolygon::DrawSimple(bool reverse, const CVector3d& normal)
{
    const int count = static_cast<int>(m_points.size());
    glBegin(SimplePrimitive(count));
    glNormal3d(normal.x, normal.y, normal.z);
    for (int i = 0; i < count; ++i) {
        const CPoint3d& p = m_points[reverse ? count - 1 - i : i];
        glVertex3d(p.x, p.y, p.z);
    }
    glEnd();
}

void CFacePolygon::AddTessellatedCorner(const double* corner)
{
    m_tessellated.push_back(corner);
}

bool CFacePolygon::IsTessellationAffordable(const CVector3d& axis) const
{
    std::vector<CPoint2d> flat;
    flat.reserve(m_points.size());
    for (const CPoint3d& p : m_points) {
        flat.push_back(CPolygonTriangulator::Flatten(p, axis));
    }
    std::vector<std::uint32_t> ends(m_loopEnds.begin(), m_loopEnds.end());
    return CTessellationCost::ChargeFill(flat, ends);
}

void CFacePolygon::DrawTessellated(bool reverse, const CVector3d& normal)
{
    if (DrawTriangulated(normal)) {
        return;
    }
    const CVector3d axis(m_plane.a, m_plane.b, m_plane.c);
    if (!IsTessellationAffordable(axis)) {
        return;
    }
    // Under a mirroring placement the loops turn the other way about the plane's normal,
    // and the positive winding rule would fill nothing: GLU is given the normal the
    // outer loop turns counter-clockwise about, and the triangles are turned back.
    const bool turned = OuterLoopTurn(reverse, normal) < 0.0;
    const CVector3d tessNormal = turned ? -normal : normal;
    // GLU keeps the vertex pointers until the polygon ends.
    std::vector<std::array<GLdouble, 3>> coordinates;
    coordinates.reserve(m_points.size());
    for (const CPoint3d& p : m_points) {
        coordinates.push_back({p.x, p.y, p.z});
    }
    GLUtesselator* tess = gluNewTess();
    if (tess == nullptr) {
        return;
    }
    SetTessCallback(tess, GLU_TESS_BEGIN, TessBegin);
    SetTessCallback(tess, GLU_TESS_VERTEX_DATA, TessVertex);
    SetTessCallback(tess, GLU_TESS_EDGE_FLAG, TessEdgeFlag);
    SetTessCallback(tess, GLU_TESS_COMBINE_DATA, TessCombine);
    gluTessNormal(tess, tessNormal.x, tessNormal.y, tessNormal.z);
    gluTessProperty(tess, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_POSITIVE);
    m_tessellated.clear();
    gluTessBeginPolygon(tess, this);
    for (int loop = 0; loop < GetLoopCount(); ++loop) {
        const int start = LoopStart(loop);
        const int count = LoopPointCount(loop);
        gluTessBeginContour(tess);
        for (int i = 0; i < count; ++i) {
            GLdouble* vertex = coordinates[start + (reverse ? count - 1 - i : i)].data();
            gluTessVertex(tess, vertex, vertex);
        }
        gluTessEndContour(tess);
    }
    gluTessEndPolygon(tess);
    gluDeleteTess(tess);
    glNormal3d(normal.x, normal.y, normal.z);
    glBegin(GL_TRIANGLES);
    for (std::size_t t = 0; t + 2 < m_tessellated.size(); t += 3) {
        glVertex3dv(m_tessellated[t]);
        glVertex3dv(m_tessellated[t + (turned ? 2 : 1)]);
        glVertex3dv(m_tessellated[t + (turned ? 1 : 2)]);
    }
    glEnd();
    m_tessellated.clear();
}

double CFacePolygon::OuterLoopTurn(bool reverse, const CVector3d& normal) const
{
    // Twice the outer loop's area about the normal, walked as it is handed to GLU.
    const int count = LoopPointCount(0);
    CVector3d sum(0.0, 0.0, 0.0);
    for (int i = 0; i < count; ++i) {
        const CPoint3d& a = m_points[reverse ? count - 1 - i : i];
        const CPoint3d& b = m_points[reverse ? (2 * count - 2 - i) % count : (i + 1) % count];
        sum += CVector3d(a.x, a.y, a.z).CrossProduct(CVector3d(b.x, b.y, b.z));
    }
    return DotProduct(sum, normal);
}

bool CFacePolygon::DrawTriangulated(const CVector3d& normal)
{
    std::vector<std::uint32_t> ends;
    for (int loop = 0; loop < GetLoopCount(); ++loop) {
        if (LoopPointCount(loop) < 3) {
            return false;
        }
        ends.push_back(static_cast<std::uint32_t>(m_loopEnds[loop]));
    }
    // The sweep wants outer loops counter-clockwise about the plane's normal; a mirroring
    // placement turns them, so the other order is tried.
    const CVector3d axis(m_plane.a, m_plane.b, m_plane.c);
    std::vector<CPoint2d> flat;
    flat.reserve(m_points.size());
    for (const CPoint3d& p : m_points) {
        flat.push_back(CPolygonTriangulator::Flatten(p, axis));
    }
    if (!CFrameMeter::Charge(CFrameMeter::kCutCornerCost * flat.size())) {
        // The frame stops here; nothing more of it is drawn.
        return true;
    }
    CPolygonTriangulator triangulator;
    std::vector<std::uint32_t> triangles;
    auto result = triangulator.Triangulate(flat, ends, triangles);
    if (result == CPolygonTriangulator::EResult::kUnsuited) {
        for (CPoint2d& p : flat) {
            std::swap(p.x, p.y);
        }
        triangles.clear();
        result = triangulator.Triangulate(flat, ends, triangles);
    }
    // Loops that touch only at corners are cut with those corners moved apart, both ways
    // round as above; the triangles are drawn at the corners' own places.
    for (int attempt = 0; attempt < 4 && result == CPolygonTriangulator::EResult::kUnsuited; ++attempt) {
        if (attempt % 2 == 0) {
            for (CPoint2d& p : flat) {
                std::swap(p.x, p.y);
            }
        }
        std::vector<CPoint2d> separated = flat;
        if (!CPolygonTriangulator::SeparateTouchingCorners(separated, ends, attempt < 2)) {
            break;
        }
        result = triangulator.Triangulate(separated, ends, triangles);
    }
    if (result == CPolygonTriangulator::EResult::kUnsuited) {
        return false;
    }
    if (result == CPolygonTriangulator::EResult::kAbandoned) {
        // The frame ends unfinished anyway.
        return true;
    }
    // The triangles all turn one way; they are drawn counter-clockwise about the normal
    // asked for, as culling and the shadow volumes' caps expect.
    double turn = 0.0;
    for (std::size_t t = 0; t + 2 < triangles.size(); t += 3) {
        const CPoint3d& a = m_points[triangles[t]];
        turn += DotProduct((m_points[triangles[t + 1]] - a).CrossProduct(m_points[triangles[t + 2]] - a), normal);
    }
    const bool flip = turn < 0.0;
    glNormal3d(normal.x, normal.y, normal.z);
    glBegin(GL_TRIANGLES);
    for (std::size_t t = 0; t + 2 < triangles.size(); t += 3) {
        const CPoint3d& a = m_points[triangles[t]];
        const CPoint3d& b = m_points[triangles[t + (flip ? 2 : 1)]];
        const CPoint3d& c = m_points[triangles[t + (flip ? 1 : 2)]];
        glVertex3d(a.x, a.y, a.z);
        glVertex3d(b.x, b.y, b.z);
        glVertex3d(c.x, c.y, c.z);
    }
    glEnd();
    return true;
}

bool CFacePolygon::ClipByPlane(const CPlane3d& plane, bool& cut)
{
    cut = false;
    std::vector<ClippedLoop> kept;
    for (int loop = 0; loop < GetLoopCount(); ++loop) {
        ClippedLoop result;
        const int count = LoopPointCount(loop);
        for (int i = 0; i < count; ++i) {
            CPoint3d previous;
            CPoint3d point;
            CEdgeUse* use = GetLoopEdge(loop, i, previous, point);
            const double dPrevious = plane.GetSignedDistance(previous);
            const double dPoint = plane.GetSignedDistance(point);
            const bool previousKept = dPrevious >= -kOnPlaneTolerance;
            const bool pointKept = dPoint >= -kOnPlaneTolerance;
            if (previousKept && pointKept) {
                result.Add(point, use);
            } else if (previousKept) {
                if (dPrevious > kOnPlaneTolerance) {
                    CPoint3d crossing;
                    IntersectSegmentWithPlane(previous, point, plane, crossing);
                    result.Add(crossing, use);
                    cut = true;
                }
            } else if (pointKept) {
                if (dPoint > kOnPlaneTolerance) {
                    CPoint3d crossing;
                    IntersectSegmentWithPlane(previous, point, plane, crossing);
                    result.Add(crossing, nullptr);
                    result.Add(point, use);
                    cut = true;
                } else {
                    // The edge into a point on the plane now runs along the cut.
                    result.Add(point, nullptr);
                }
            }
        }
        result.Close();
        if (result.points.size() < 3) {
            if (loop == 0) {
                break;
            }
            continue;
        }
        kept.push_back(std::move(result));
    }
    const bool simple = m_simple;
    std::vector<std::unique_ptr<std::array<double, 3>>> combined = std::move(m_combinedPoints);
    Free();
    m_combinedPoints = std::move(combined);
    for (const ClippedLoop& loop : kept) {
        m_points.insert(m_points.end(), loop.points.begin(), loop.points.end());
        m_edgeUses.insert(m_edgeUses.end(), loop.uses.begin(), loop.uses.end());
        m_loopEnds.push_back(static_cast<std::int32_t>(m_points.size()));
    }
    // A convex loop cut by a plane stays convex.
    m_simple = simple && !m_loopEnds.empty();
    return !m_loopEnds.empty();
}

bool CFacePolygon::ContainsPoint(const CPoint3d& point) const
{
    if (m_loopEnds.empty()) {
        return false;
    }
    const CPoint2d projected = m_plane.ProjectTo2d(point);
    std::vector<CPoint2d> loopPoints;
    for (int loop = 0; loop < GetLoopCount(); ++loop) {
        loopPoints.clear();
        const int start = LoopStart(loop);
        for (int i = start; i < m_loopEnds[loop]; ++i) {
            loopPoints.push_back(m_plane.ProjectTo2d(m_points[i]));
        }
        const int where =
            ClassifyPointInPolygon2d(projected, loopPoints.data(), static_cast<int>(loopPoints.size()));
        if (loop == 0 ? where != kPointInPolygon : where != kPointOutsidePolygon) {
            return false;
        }
    }
    return true;
}

void CFacePolygon::IntersectWithPlane(const CPlane3d& plane, std::vector<CFaceSegment>& segments) const
{
    CLine3d line;
    if (m_loopEnds.empty() || !m_plane.Intersect(plane, line)) {
        return;
    }
    // A point on the plane counts with the points below it, so a vertex touching the
    // plane crosses twice (or not at all) and a vertex passing through crosses once.
    std::vector<double> crossings;
    for (int loop = 0; loop < GetLoopCount(); ++loop) {
        for (int i = 0; i < LoopPointCount(loop); ++i) {
            CPoint3d a;
            CPoint3d b;
            GetLoopEdge(loop, i, a, b);
            const double da = plane.GetSignedDistance(a);
            const double db = plane.GetSignedDistance(b);
            if ((da > kOnPlaneTolerance) == (db > kOnPlaneTolerance)) {
                continue;
            }
            CPoint3d crossing = b;
            if (std::fabs(da) <= kOnPlaneTolerance) {
                crossing = a;
            } else if (std::fabs(db) > kOnPlaneTolerance) {
                IntersectSegmentWithPlane(a, b, plane, crossing);
            }
            crossings.push_back(line.GetParameter(crossing));
        }
    }
    std::sort(crossings.begin(), crossings.end());
    std::vector<std::pair<double, double>> intervals;
    for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
        if (crossings[i + 1] - crossings[i] <= kOnPlaneTolerance) {
            continue;
        }
        if (!intervals.empty() && crossings[i] - intervals.back().second <= kOnPlaneTolerance) {
            intervals.back().second = crossings[i + 1];
        } else {
            intervals.emplace_back(crossings[i], crossings[i + 1]);
        }
    }
    for (const auto& [from, to] : intervals) {
        segments.push_back({line.GetPoint(from), line.GetPoint(to)});
    }
}

void IntersectSegmentWithPlane(const CPoint3d& a, const CPoint3d& b, const CPlane3d& plane, CPoint3d& point)
{
    const double da = plane.GetSignedDistance(a);
    const double db = plane.GetSignedDistance(b);
    if (std::fabs(da - db) < 1e-12) {
        point = a;
        return;
    }
    point = a + (b - a) * (da / (da - db));
}

void CopyPointSwap(CPoint3d& a, CPoint3d& b)
{
    std::swap(a, b);
}
