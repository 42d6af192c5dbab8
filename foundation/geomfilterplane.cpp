#include "foundation/geomfilterplane.h"

#include "foundation/boundingbox3d.h"
#include "foundation/line3d.h"
#include "foundation/transformation.h"

namespace orvell::geometry {

namespace {

bool IsNearPlane(double value)
{
    return value >= -kLengthTolerance && value <= kLengthTolerance;
}

} // namespace

bool CGeomFilterPlane::TestBox(const CBoundingBox3d& box) const
{
    bool anyAbove = false;
    bool anyBelow = false;
    for (int corner = 0; corner < 8; ++corner) {
        const double value = m_plane.GetSignedDistance(box.GetCorner(corner));
        if (IsNearPlane(value)) {
            return true;
        }
        anyAbove = anyAbove || value >= 0.0;
        anyBelow = anyBelow || value < 0.0;
    }
    return anyAbove && anyBelow;
}

bool CGeomFilterPlane::TestSegment(const CPoint3d& p, const CPoint3d& q) const
{
    const double vp = m_plane.GetSignedDistance(p);
    const double vq = m_plane.GetSignedDistance(q);
    return IsNearPlane(vp) || IsNearPlane(vq) || !HaveSameSign(vp, vq);
}

bool CGeomFilterPlane::TestPoint(const CPoint3d& p) const
{
    return p.IsOnPlane(m_plane);
}

IGeomFilter* CGeomFilterPlane::Clone() const
{
    return new CGeomFilterPlane(*this);
}

void CGeomFilterPlane::Transform(const CTransformation& transform)
{
    transform.TransformPlane(m_plane);
}

bool CGeomFilterAbovePlane::TestBox(const CBoundingBox3d& box, bool& wholly) const
{
    const int side = m_plane.ClassifyBox(box);
    wholly = side == kBoxAbovePlane;
    return side != kBoxBelowPlane;
}

bool CGeomFilterAbovePlane::TestBox(const CBoundingBox3d& box) const
{
    bool wholly = false;
    return TestBox(box, wholly);
}

bool CGeomFilterAbovePlane::TestSegment(const CPoint3d& p, const CPoint3d& q) const
{
    return TestPoint(p) || TestPoint(q);
}

bool CGeomFilterAbovePlane::TestPoint(const CPoint3d& p) const
{
    return m_plane.GetSignedDistance(p) > -kLengthTolerance;
}

IGeomFilter* CGeomFilterAbovePlane::Clone() const
{
    return new CGeomFilterAbovePlane(*this);
}

} // namespace orvell::geometry
