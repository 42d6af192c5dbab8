// The index of definition slices answers what a walk of the list of slices would: the
// first made for the definition whose plane equals the given one within the tolerance,
// either way round.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "annotations/definitionsliceindex.h"

namespace {

struct Made
{
    const CComponentDefinition* definition;
    CPlane3d plane;
};

int WalkOf(const std::vector<Made>& made, const CComponentDefinition* definition, const CPlane3d& plane)
{
    for (std::size_t i = 0; i < made.size(); ++i) {
        if (made[i].definition == definition &&
            made[i].plane.IsEqual(plane, false, CDefinitionSliceIndex::kTolerance)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// Coefficients on a lattice of a fifth of the tolerance, so that pairs land on cell sides,
// just inside and just outside the tolerance, and either way round.
CPlane3d NearbyPlane(std::mt19937& random)
{
    std::uniform_int_distribution<int> step(-12, 12);
    std::uniform_int_distribution<int> sign(0, 1);
    const double s = sign(random) == 0 ? 1.0 : -1.0;
    const double fifth = CDefinitionSliceIndex::kTolerance / 5.0;
    CPlane3d plane;
    plane.a = s * step(random) * fifth;
    plane.b = s * (step(random) * fifth + 0.6);
    plane.c = s * step(random) * fifth;
    plane.d = s * (step(random) * fifth + (sign(random) == 0 ? 0.0 : 250.0));
    return plane;
}

TEST(DefinitionSliceIndex, FindsWhatAWalkOfTheListFinds)
{
    std::mt19937 random(53);
    const auto* first = reinterpret_cast<const CComponentDefinition*>(0x1000);
    const auto* second = reinterpret_cast<const CComponentDefinition*>(0x2000);
    CDefinitionSliceIndex index;
    std::vector<Made> made;
    int shared = 0;
    for (int i = 0; i < 4000; ++i) {
        const CComponentDefinition* definition = i % 3 == 0 ? second : first;
        const CPlane3d plane = NearbyPlane(random);
        const int found = index.Find(definition, plane);
        ASSERT_EQ(found, WalkOf(made, definition, plane)) << i;
        if (found < 0) {
            EXPECT_EQ(index.Add(definition, plane), static_cast<int>(made.size()));
            made.push_back({definition, plane});
        } else {
            ++shared;
        }
    }
    // Both answers were met often.
    EXPECT_GT(shared, 1000);
    EXPECT_GT(index.GetCount(), 200);
}

TEST(DefinitionSliceIndex, APlaneThatIsNotFiniteEqualsNone)
{
    const auto* definition = reinterpret_cast<const CComponentDefinition*>(0x1000);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    CDefinitionSliceIndex index;
    for (const CPlane3d& plane : {CPlane3d(0, 0, 1, 0), CPlane3d(0, 0, 1, 1e300)}) {
        (void)index.Add(definition, plane);
    }
    for (const double bad : {nan, infinity, -infinity}) {
        CPlane3d plane(0, 0, 1, 0);
        plane.d = bad;
        EXPECT_EQ(index.Find(definition, plane), -1) << bad;
        (void)index.Add(definition, plane);
        EXPECT_EQ(index.Find(definition, plane), -1) << bad;
    }
    EXPECT_EQ(index.Find(definition, CPlane3d(0, 0, 1, 1e300)), 1);
}

}  // namespace
