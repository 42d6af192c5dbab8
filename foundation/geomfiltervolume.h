#pragma once
// The volume filters: six planes whose normals point out of the volume, so that a point
// is inside when its value for every plane is at most 0. The inside kind accepts what
// lies wholly inside; the crossing kinds accept what lies inside or crosses the volume.
// The crossing tests use the first four planes (the sides of a pick frustum) and the
// fifth (its near plane); the sixth (the far plane) is not consulted.

#include <array>

#include "foundation/geomfilter.h"
#include "foundation/plane3d.h"

namespace orvell::geometry {

class CGeomFilterVolume : public IGeomFilter
{
public:
    static constexpr int kPlaneCount = 6;

    CGeomFilterVolume(const CPlane3d& p0, const CPlane3d& p1, const CPlane3d& p2, const CPlane3d& p3,
                      const CPlane3d& p4, const CPlane3d& p5);
    CGeomFilterVolume(const CGeomFilterVolume& other) = default;

    // Every plane value at most 0.
    [[nodiscard]] bool TestPoint(const CPoint3d& p) const override;
    void Transform(const CTransformation& transform) override;

    [[nodiscard]] const CPlane3d& GetPlane(int index) const { return m_planes[index]; }

protected:
    std::array<CPlane3d, kPlaneCount> m_planes;
};

class CGeomFilterInsideVolume : public CGeomFilterVolume
{
public:
    using CGeomFilterVolume::CGeomFilterVolume;
    using IGeomFilter::TestBox;

    // All eight corners inside.
    [[nodiscard]] bool TestBox(const CBoundingBox3d& box) const override;
    // Both ends inside.
    [[nodiscard]] bool TestSegment(const CPoint3d& p, const CPoint3d& q) const override;
    [[nodiscard]] IGeomFilter* Clone() const override;
};

class CGeomFilterCrossingVolume : public CGeomFilterVolume
{
public:
    using CGeomFilterVolume::CGeomFilterVolume;

    // Never wholly.
    bool TestBox(const CBoundingBox3d& box, bool& wholly) const override;
    // False only when all corners lie strictly outside one of the first four planes.
    [[nodiscard]] bool TestBox(const CBoundingBox3d& box) const override;
    // The segment is cut by the side planes in two pairs and passes when what is left
    // reaches the near plane's inner side. The comparisons are exact.
    [[nodiscard]] bool TestSegment(const CPoint3d& p, const CPoint3d& q) const override;
    [[nodiscard]] IGeomFilter* Clone() const override;
};

class CGeomFilterCrossingExpandedVolume : public CGeomFilterCrossingVolume
{
public:
    using CGeomFilterCrossingVolume::CGeomFilterCrossingVolume;

    [[nodiscard]] IGeomFilter* Clone() const override;
    // The segment test against the volume grown by the radius across the segment's
    // direction (a thick line); the planes are the same afterwards.
    [[nodiscard]] virtual bool TestSegmentExpanded(const CPoint3d& p, const CPoint3d& q, double radius) const;
};

class CGeomFilterInsideCrossingVolume2 : public CGeomFilterCrossingVolume
{
public:
    using CGeomFilterCrossingVolume::CGeomFilterCrossingVolume;

    // Judged by the first five planes: false when the box lies wholly outside one of
    // them, wholly when it lies wholly inside all five.
    bool TestBox(const CBoundingBox3d& box, bool& wholly) const override;
    [[nodiscard]] bool TestBox(const CBoundingBox3d& box) const override;
    [[nodiscard]] IGeomFilter* Clone() const override;
};

} // namespace orvell::geometry
