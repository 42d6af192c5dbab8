#pragma once
// The plane filters: the plain kind accepts what touches the plane (within 0.001), the
// above kind what lies on or above it.

#include "foundation/geomfilter.h"
#include "foundation/plane3d.h"

namespace orvell::geometry {

class CGeomFilterPlane : public IGeomFilter
{
public:
    explicit CGeomFilterPlane(const CPlane3d& plane) : m_plane(plane) {}
    CGeomFilterPlane(const CGeomFilterPlane& other) = default;

    using IGeomFilter::TestBox;
    // A corner within 0.001 of the plane, or corners on both sides.
    [[nodiscard]] bool TestBox(const CBoundingBox3d& box) const override;
    // An end within 0.001 of the plane, or the ends on opposite sides.
    [[nodiscard]] bool TestSegment(const CPoint3d& p, const CPoint3d& q) const override;
    // Strictly within 0.001 of the plane.
    [[nodiscard]] bool TestPoint(const CPoint3d& p) const override;
    [[nodiscard]] IGeomFilter* Clone() const override;
    void Transform(const CTransformation& transform) override;

    [[nodiscard]] const CPlane3d& GetPlane() const { return m_plane; }

protected:
    CPlane3d m_plane;
};

class CGeomFilterAbovePlane : public CGeomFilterPlane
{
public:
    explicit CGeomFilterAbovePlane(const CPlane3d& plane) : CGeomFilterPlane(plane) {}

    // Wholly above: passes wholly; crossing: passes; wholly below: fails.
    bool TestBox(const CBoundingBox3d& box, bool& wholly) const override;
    [[nodiscard]] bool TestBox(const CBoundingBox3d& box) const override;
    // Either end's value above -0.001.
    [[nodiscard]] bool TestSegment(const CPoint3d& p, const CPoint3d& q) const override;
    [[nodiscard]] bool TestPoint(const CPoint3d& p) const override;
    [[nodiscard]] IGeomFilter* Clone() const override;
};

} // namespace orvell::geometry
