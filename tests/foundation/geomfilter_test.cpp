// The volume, plane and combined geometry filters against boxes, segments and points.

#include <gtest/gtest.h>

#include <memory>

#include "foundation/boundingbox3d.h"
#include "foundation/geomfiltercombined.h"
#include "foundation/geomfilterplane.h"
#include "foundation/geomfiltervolume.h"
#include "foundation/transformation.h"

namespace {

using namespace orvell::geometry;

// The unit cube with outward normals: -x, +x, -y, +y, -z (near), +z (far).
template <typename Filter>
Filter UnitCube()
{
    return Filter(CPlane3d(-1, 0, 0, 0), CPlane3d(1, 0, 0, -1), CPlane3d(0, -1, 0, 0), CPlane3d(0, 1, 0, -1),
                  CPlane3d(0, 0, -1, 0), CPlane3d(0, 0, 1, -1));
}

CBoundingBox3d Box(double x0, double x1, double y0, double y1, double z0, double z1)
{
    return {x0, x1, y0, y1, z0, z1};
}

TEST(GeomFilter, CrossingVolumeCutsSegmentsByTheSidePairsAndDecidesByTheNearPlane)
{
    const auto volume = UnitCube<CGeomFilterCrossingVolume>();
    const struct {
        CPoint3d p, q;
        bool passes;
    } cases[] = {
        {{-1, 0.5, 0.5}, {2, 0.5, 0.5}, true},      // through both x planes
        {{-0.5, 0.6, 0.5}, {0.6, -0.5, 0.5}, true}, // across a corner
        {{-1, 0.5, 0.5}, {0.5, -1, 0.5}, false},    // cut to a piece outside -y
        {{-1, 0.5, -1}, {2, 0.5, -1}, false},       // outside the near plane
        {{-1, 0.5, 2}, {2, 0.5, 2}, true},          // outside the far plane only
        {{2, 0, 0}, {3, 1, 1}, false},              // both ends outside +x
    };
    for (const auto& c : cases) {
        EXPECT_EQ(volume.TestSegment(c.p, c.q), c.passes) << c.p.x << ' ' << c.q.x << ' ' << c.q.y;
    }
}

TEST(GeomFilter, CrossingVolumeRejectsOnlyBoxesWhollyOutsideASidePlane)
{
    const auto volume = UnitCube<CGeomFilterCrossingVolume>();
    bool wholly = true;
    EXPECT_TRUE(volume.TestBox(Box(0.2, 0.8, 0.2, 0.8, 5, 6), wholly)); // beyond the far plane
    EXPECT_FALSE(wholly);
    EXPECT_TRUE(volume.TestBox(Box(0.2, 0.8, 0.2, 0.8, -6, -5)));       // beyond the near plane
    EXPECT_FALSE(volume.TestBox(Box(1.5, 2, 0, 1, 0, 1)));
    EXPECT_TRUE(volume.TestBox(Box(0.5, 2, 0, 1, 0, 1)));
}

TEST(GeomFilter, InsideVolumeAcceptsOnlyWhatLiesWhollyInside)
{
    const auto volume = UnitCube<CGeomFilterInsideVolume>();
    EXPECT_TRUE(volume.TestBox(Box(0, 1, 0, 1, 0, 1)));
    EXPECT_FALSE(volume.TestBox(Box(0, 1.1, 0, 1, 0, 1)));
    EXPECT_TRUE(volume.TestSegment({0, 0, 0}, {1, 1, 1}));
    EXPECT_FALSE(volume.TestSegment({0, 0, 0}, {1, 1, 1.01}));
    bool wholly = true;
    EXPECT_FALSE(volume.TestBox(Box(0.1, 0.2, 0.1, 0.2, 0.1, 0.2), wholly));
    EXPECT_FALSE(wholly);
}

TEST(GeomFilter, ExpandedSegmentTestGrowsTheVolumeAcrossTheSegmentAndLeavesThePlanes)
{
    const auto volume = UnitCube<CGeomFilterCrossingExpandedVolume>();
    const CPoint3d p(1.2, -1, 0.5);
    const CPoint3d q(1.2, 2, 0.5);
    EXPECT_FALSE(volume.TestSegment(p, q));
    EXPECT_TRUE(volume.TestSegmentExpanded(p, q, 0.3));
    EXPECT_FALSE(volume.TestSegmentExpanded(p, q, 0.1));
    EXPECT_DOUBLE_EQ(volume.GetPlane(1).d, -1.0);
}

TEST(GeomFilter, PlaneFilterAcceptsWhatTouchesThePlaneWithinTolerance)
{
    const CGeomFilterPlane plane(CPlane3d(0, 0, 1, 0));
    EXPECT_TRUE(plane.TestBox(Box(0, 1, 0, 1, -1, 1)));
    EXPECT_TRUE(plane.TestBox(Box(0, 1, 0, 1, 0.0005, 1)));
    EXPECT_FALSE(plane.TestBox(Box(0, 1, 0, 1, 0.002, 1)));
    EXPECT_TRUE(plane.TestSegment({0, 0, -1}, {0, 0, 1}));
    EXPECT_FALSE(plane.TestSegment({0, 0, 0.01}, {0, 0, 1}));
    EXPECT_TRUE(plane.TestPoint({5, 5, 0.0009}));
    EXPECT_FALSE(plane.TestPoint({5, 5, 0.001}));
}

TEST(GeomFilter, AbovePlaneFilterAcceptsWhatLiesOnOrAboveThePlane)
{
    const CGeomFilterAbovePlane above(CPlane3d(0, 0, 1, 0));
    EXPECT_TRUE(above.TestPoint({0, 0, -0.0005}));
    EXPECT_FALSE(above.TestPoint({0, 0, -0.001}));
    EXPECT_TRUE(above.TestSegment({0, 0, -1}, {0, 0, 0.5}));
    bool wholly = false;
    EXPECT_TRUE(above.TestBox(Box(0, 1, 0, 1, 1, 2), wholly));
    EXPECT_TRUE(wholly);
    EXPECT_TRUE(above.TestBox(Box(0, 1, 0, 1, -1, 2), wholly));
    EXPECT_FALSE(wholly);
    EXPECT_FALSE(above.TestBox(Box(0, 1, 0, 1, -2, -1), wholly));
}

TEST(GeomFilter, CombinedFilterAcceptsOnlyWhatEveryChildAccepts)
{
    const CGeomFilterCombined combined(new CGeomFilterAbovePlane(CPlane3d(0, 0, 1, 0)),
                                       new CGeomFilterPlane(CPlane3d(0, 0, 1, 0)));
    EXPECT_FALSE(combined.TestBox(Box(0, 1, 0, 1, 1, 2)));
    EXPECT_TRUE(combined.TestSegment({0, 0, -1}, {0, 0, 1}));
    EXPECT_FALSE(combined.TestSegment({0, 0, 1}, {0, 0, 2}));
    EXPECT_TRUE(combined.TestPoint({3, 3, 0}));
    EXPECT_FALSE(combined.TestPoint({3, 3, 1}));
    const CGeomFilterCombined empty;
    bool wholly = false;
    EXPECT_TRUE(empty.TestBox(Box(0, 1, 0, 1, 0, 1), wholly));
    EXPECT_TRUE(wholly);
    EXPECT_TRUE(empty.TestSegment({0, 0, 0}, {1, 1, 1}));
}

TEST(GeomFilter, TransformingACloneLeavesTheSourceUnchanged)
{
    CTransformation up;
    up.SetTranslation(CVector3d(0, 0, 5));
    const CGeomFilterCombined source(new CGeomFilterPlane(CPlane3d(0, 0, 1, 0)), nullptr);
    std::unique_ptr<IGeomFilter> clone(source.Clone());
    clone->Transform(up);
    EXPECT_TRUE(clone->TestPoint({0, 0, 5}));
    EXPECT_FALSE(clone->TestPoint({0, 0, 0}));
    EXPECT_TRUE(source.TestPoint({0, 0, 0}));

    const auto volume = UnitCube<CGeomFilterInsideVolume>();
    std::unique_ptr<IGeomFilter> moved(volume.Clone());
    moved->Transform(up);
    EXPECT_TRUE(moved->TestPoint({0.5, 0.5, 5.5}));
    EXPECT_TRUE(volume.TestPoint({0.5, 0.5, 0.5}));
}

} // namespace
