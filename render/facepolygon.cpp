#include "render/facepolygon.h"

#include <GL/gl.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>

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
#include "model/keptfacetriangles.h"
#include "model/vertex.h"
#include "render/facecut.h"
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

// Renumbers the corners that triangles and added corners name, through map.
template <typename Map>
void Renumber(std::vector<std::uint32_t>& triangles, std::vector<CKeptFaceTriangles::SAddedCorner>& added, Map map)
{
    for (std::uint32_t& k : triangles) {
        k = map(k);
    }
    for (CKeptFaceTriangles::SAddedCorner& corner : added) {
        for (std::uint32_t& from : corner.from) {
            from = map(from);
        }
    }
}

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
    m_simple = false;
    m_keptFace = nullptr;
    m_openings.clear();
    m_openingEnds.clear();
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
    // Only the face's own loops, all of them, and the openings, match the triangles the
    // face keeps.
    const std::size_t ownLoops = m_loopEnds.size();
    if (!outerLoopOnly && !m_loopEnds.empty()) {
        AppendOpenings(face, transform, view);
    }
    m_simple = m_loopEnds.size() == 1 && face.GetLoop(0) != nullptr && face.GetLoop(0)->IsConvex();
    m_keptFace = static_cast<int>(ownLoops) == face.GetLoopCount() ? &face : nullptr;
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
        m_openings.insert(m_openings.end(), contour.begin(), contour.end());
        m_openingEnds.push_back(m_openings.size());
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
    DrawCut(normal);
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

const CKeptFaceTriangles::SEntry* CFacePolygon::FindKeptCut() const
{
    if (m_keptFace == nullptr) {
        return nullptr;
    }
    const CKeptFaceTriangles::SEntry* kept = CKeptFaceTriangles::Find(m_keptFace->GetDisplayCache());
    return kept != nullptr && kept->IsCutWith(m_points.size(), m_openings, m_openingEnds) ? kept : nullptr;
}

void CFacePolygon::MapKeptOrder(std::vector<std::uint32_t>& toKept) const
{
    // The face batch keeps each corner at the start of its edge use, the polygon at its
    // end: the polygon's point i is the kept corner after it in the loop.
    toKept.resize(m_points.size());
    int start = 0;
    const std::size_t ownLoops = m_loopEnds.size() - m_openingEnds.size();
    for (std::size_t loop = 0; loop < m_loopEnds.size(); ++loop) {
        const std::int32_t end = m_loopEnds[loop];
        for (int i = start; i < end; ++i) {
            const bool own = loop < ownLoops;
            toKept[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(own && i + 1 == end ? start : i + own);
        }
        start = end;
    }
}

bool CFacePolygon::GetCut(const CVector3d& axis, std::vector<std::uint32_t>& triangles,
                          std::vector<CKeptFaceTriangles::SAddedCorner>& added)
{
    const std::size_t corners = m_points.size();
    // Only a polygon that holds its face's own loops keeps or finds a cut.
    std::vector<std::uint32_t> toKept;
    if (m_keptFace != nullptr) {
        MapKeptOrder(toKept);
    }
    if (const CKeptFaceTriangles::SEntry* kept = FindKeptCut()) {
        std::vector<std::uint32_t> fromKept(corners);
        for (std::size_t i = 0; i < corners; ++i) {
            fromKept[toKept[i]] = static_cast<std::uint32_t>(i);
        }
        triangles = kept->triangles;
        added = kept->added;
        Renumber(triangles, added, [&](std::uint32_t k) { return k < corners ? fromKept[k] : k; });
        return true;
    }
    std::vector<std::uint32_t> ends(m_loopEnds.begin(), m_loopEnds.end());
    std::vector<CPoint2d> flat;
    flat.reserve(corners);
    for (const CPoint3d& p : m_points) {
        flat.push_back(CPolygonTriangulator::Flatten(p, axis));
    }
    CFaceCut cut;
    const CFaceCut::EResult result = cut.Cut(flat, ends);
    if (result == CFaceCut::EResult::kAbandoned) {
        // The frame ends unfinished anyway; nothing is kept.
        return false;
    }
    triangles = std::move(cut.GetTriangles());
    added = std::move(cut.GetAdded());
    if (m_keptFace != nullptr) {
        // Kept as the face batch keeps it (a face left unfilled without triangles), so
        // that neither road cuts the face again until it changes.
        CKeptFaceTriangles::SEntry entry{static_cast<std::uint32_t>(corners), triangles, added, m_openings,
                                         m_openingEnds};
        Renumber(entry.triangles, entry.added, [&](std::uint32_t k) { return k < corners ? toKept[k] : k; });
        if (m_keptFace->GetDisplayCache() > 0) {
            CKeptFaceTriangles::Release(m_keptFace->GetDisplayCache());
        }
        m_keptFace->SetDisplayCache(CKeptFaceTriangles::Keep(std::move(entry)));
    }
    return true;
}

void CFacePolygon::DrawCut(const CVector3d& normal)
{
    std::vector<std::uint32_t> triangles;
    std::vector<CKeptFaceTriangles::SAddedCorner> added;
    if (!GetCut(CVector3d(m_plane.a, m_plane.b, m_plane.c), triangles, added) || triangles.empty()) {
        return;
    }
    // Added corners are mixed from the first corner they name, so that a face far from
    // the origin keeps its precision.
    std::vector<CPoint3d> points = m_points;
    points.reserve(m_points.size() + added.size());
    for (const CKeptFaceTriangles::SAddedCorner& corner : added) {
        const CPoint3d& base = points[corner.from[0]];
        CVector3d offset(0.0, 0.0, 0.0);
        for (int i = 1; i < 4; ++i) {
            offset += (points[corner.from[i]] - base) * static_cast<double>(corner.weights[i]);
        }
        points.push_back(base + offset);
    }
    // The triangles all turn one way; they are drawn counter-clockwise about the normal
    // asked for, as culling and the shadow volumes' caps expect.
    double turn = 0.0;
    for (std::size_t t = 0; t + 2 < triangles.size(); t += 3) {
        const CPoint3d& a = points[triangles[t]];
        turn += DotProduct((points[triangles[t + 1]] - a).CrossProduct(points[triangles[t + 2]] - a), normal);
    }
    const bool flip = turn < 0.0;
    glNormal3d(normal.x, normal.y, normal.z);
    glBegin(GL_TRIANGLES);
    for (std::size_t t = 0; t + 2 < triangles.size(); t += 3) {
        const CPoint3d& a = points[triangles[t]];
        const CPoint3d& b = points[triangles[t + (flip ? 2 : 1)]];
        const CPoint3d& c = points[triangles[t + (flip ? 1 : 2)]];
        glVertex3d(a.x, a.y, a.z);
        glVertex3d(b.x, b.y, b.z);
        glVertex3d(c.x, c.y, c.z);
    }
    glEnd();
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
    const std::size_t before = m_points.size();
    const CFace* keptFace = m_keptFace;
    std::vector<CPoint3d> openings = std::move(m_openings);
    std::vector<std::size_t> openingEnds = std::move(m_openingEnds);
    Free();
    for (const ClippedLoop& loop : kept) {
        m_points.insert(m_points.end(), loop.points.begin(), loop.points.end());
        m_edgeUses.insert(m_edgeUses.end(), loop.uses.begin(), loop.uses.end());
        m_loopEnds.push_back(static_cast<std::int32_t>(m_points.size()));
    }
    // A convex loop cut by a plane stays convex. Unchanged, the polygon still matches
    // the face's kept triangles.
    m_simple = simple && !m_loopEnds.empty();
    m_keptFace = !cut && m_points.size() == before ? keptFace : nullptr;
    if (m_keptFace != nullptr) {
        m_openings = std::move(openings);
        m_openingEnds = std::move(openingEnds);
    }
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
