#include "foundation/geomfiltervolume.h"

#include <cmath>

#include "foundation/boundingbox3d.h"
#include "foundation/line3d.h"
#include "foundation/transformation.h"

namespace orvell::geometry {

namespace {

constexpr int kBoxCornerCount = 8;

// Every corner outside one plane of the first four. The corner nearest the inner side
// (each coordinate taken against the sign of the normal) stands for all eight: rounding
// keeps its distance the smallest, so it decides as testing each corner would, and a
// pick of a million faces tests one corner per plane instead of eight.
bool IsBoxOutsideSides(const std::array<CPlane3d, CGeomFilterVolume::kPlaneCount>& planes,
                       const CBoundingBox3d& box)
{
    for (int i = 0; i < 4; ++i) {
        const CPlane3d& plane = planes[i];
        const CPoint3d inner(plane.a > 0.0 ? box.xmin : box.xmax, plane.b > 0.0 ? box.ymin : box.ymax,
                             plane.c > 0.0 ? box.zmin : box.zmax);
        if (plane.GetSignedDistance(inner) > 0.0) {
            return true;
        }
    }
    return false;
}

// One stage of the segment test: the ends are cut back to the inner side of a pair of
// planes. False when both ends lie outside one of them.
bool ClipToPlanePair(const CPlane3d& first, const CPlane3d& second, CPoint3d& p, CPoint3d& q)
{
    const double p0 = first.GetSignedDistance(p);
    const double q0 = first.GetSignedDistance(q);
    const double p1 = second.GetSignedDistance(p);
    const double q1 = second.GetSignedDistance(q);
    if ((p0 > 0.0 && q0 > 0.0) || (p1 > 0.0 && q1 > 0.0)) {
        return false;
    }
    const auto crossing = [&p, &q](double vp, double vq) {
        const double scale = 1.0 / (std::fabs(vp) + std::fabs(vq));
        const double wp = std::fabs(vq) * scale;
        const double wq = std::fabs(vp) * scale;
        return CPoint3d(wp * p.x + wq * q.x, wp * p.y + wq * q.y, wp * p.z + wq * q.z);
    };
    const bool crossesFirst = !HaveSameSign(p0, q0);
    const bool crossesSecond = !HaveSameSign(p1, q1);
    if (crossesFirst && crossesSecond) {
        const CPoint3d a = crossing(p0, q0);
        const CPoint3d b = crossing(p1, q1);
        p = a;
        q = b;
    } else if (crossesFirst) {
        const CPoint3d inner = p0 < 0.0 ? p : q;
        p = crossing(p0, q0);
        q = inner;
    } else if (crossesSecond) {
        const CPoint3d inner = p1 < 0.0 ? p : q;
        q = crossing(p1, q1);
        p = inner;
    }
    return true;
}

} // namespace

CGeomFilterVolume::CGeomFilterVolume(const CPlane3d& p0, const CPlane3d& p1, const CPlane3d& p2,
                                     const CPlane3d& p3, const CPlane3d& p4, const CPlane3d& p5)
    : m_planes{p0, p1, p2, p3, p4, p5}
{
}

bool CGeomFilterVolume::TestPoint(const CPoint3d& p) const
{
    for (const CPlane3d& plane : m_planes) {
        if (!(plane.GetSignedDistance(p) <= 0.0)) {
            return false;
        }
    }
    return true;
}

void CGeomFilterVolume::Transform(const CTransformation& transform)
{
    for (CPlane3d& plane : m_planes) {
        transform.TransformPlane(plane);
    }
}

bool CGeomFilterInsideVolume::TestBox(const CBoundingBox3d& box) const
{
    for (int corner = 0; corner < kBoxCornerCount; ++corner) {
        if (!TestPoint(box.GetCorner(corner))) {
            return false;
        }
    }
    return true;
}

bool CGeomFilterInsideVolume::TestSegment(const CPoint3d& p, const CPoint3d& q) const
{
    return TestPoint(p) && TestPoint(q);
}

IGeomFilter* CGeomFilterInsideVolume::Clone() const
{
    return new CGeomFilterInsideVolume(*this);
}

bool CGeomFilterCrossingVolume::TestBox(const CBoundingBox3d& box, bool& wholly) const
{
    wholly = false;
    return TestBox(box);
}

bool CGeomFilterCrossingVolume::TestBox(const CBoundingBox3d& box) const
{
    return !IsBoxOutsideSides(m_planes, box);
}

bool CGeomFilterCrossingVolume::TestSegment(const CPoint3d& p, const CPoint3d& q) const
{
    CPoint3d a = p;
    CPoint3d b = q;
    if (!ClipToPlanePair(m_planes[0], m_planes[1], a, b) || !ClipToPlanePair(m_planes[2], m_planes[3], a, b)) {
        return false;
    }
    return m_planes[4].GetSignedDistance(a) <= 0.0 || m_planes[4].GetSignedDistance(b) <= 0.0;
}

IGeomFilter* CGeomFilterCrossingVolume::Clone() const
{
    return new CGeomFilterCrossingVolume(*this);
}

IGeomFilter* CGeomFilterCrossingExpandedVolume::Clone() const
{
    return new CGeomFilterCrossingExpandedVolume(*this);
}

bool CGeomFilterCrossingExpandedVolume::TestSegmentExpanded(const CPoint3d& p, const CPoint3d& q,
                                                            double radius) const
{
    // The grown planes live in a copy, so the filter itself never changes.
    CGeomFilterCrossingExpandedVolume grown(*this);
    CVector3d direction = q - p;
    direction.Normalize();
    for (int i = 0; i < kPlaneCount; ++i) {
        const CPlane3d& plane = m_planes[i];
        const double along = plane.a * direction.x + plane.b * direction.y + plane.c * direction.z;
        grown.m_planes[i].d = plane.d - radius * std::sqrt(std::fmax(0.0, 1.0 - along * along));
    }
    return grown.TestSegment(p, q);
}

bool CGeomFilterInsideCrossingVolume2::TestBox(const CBoundingBox3d& box, bool& wholly) const
{
    wholly = false;
    bool allAbove = true;
    for (int i = 0; i < 5; ++i) {
        const int side = m_planes[i].ClassifyBox(box);
        if (side == kBoxBelowPlane) {
            return false;
        }
        allAbove = allAbove && side == kBoxAbovePlane;
    }
    wholly = allAbove;
    return true;
}

bool CGeomFilterInsideCrossingVolume2::TestBox(const CBoundingBox3d& box) const
{
    for (int i = 0; i < 5; ++i) {
        if (m_planes[i].ClassifyBox(box) == kBoxBelowPlane) {
            return false;
        }
    }
    return true;
}

IGeomFilter* CGeomFilterInsideCrossingVolume2::Clone() const
{
    return new CGeomFilterInsideCrossingVolume2(*this);
}

} // namespace orvell::geometry
