#include "document/componentcs.h"

#include <gtest/gtest.h>

#include <memory>

#include "foundation/transformation.h"
#include "tests/document/documenttestsupport.h"

using documenttest::Bytes;
using documenttest::Load;
using documenttest::Store;
using undotest::TestEnvironment;

namespace {

class ComponentCSTest : public ::testing::Test
{
protected:
    TestEnvironment m_environment;
    const CUndoSuspender m_suspender;
};

bool HasModelDefaults(const CComponentCS& axes)
{
    return axes.GetOwner() == nullptr && !axes.HasNegativeZ() && !axes.GetFlag2() && axes.IsDepthTested() &&
           !axes.IsAlternateStyle() && axes.GetSize() == 1.0 / 15.0 && !axes.ShowsExtents() &&
           !axes.ShowsExtentsOutline();
}

}  // namespace

TEST_F(ComponentCSTest, ResetGivesBackTheModelsMarkerAndKeepsTheAxes)
{
    CComponentCS axes;
    EXPECT_TRUE(HasModelDefaults(axes));
    EXPECT_TRUE(axes.GetExtents().IsEmpty());
    EXPECT_EQ(axes.GetTypeId(), CTarnisCS().GetTypeId());

    CComponentCS owner;
    CComponentCS marker(&owner, true, true, false, true, 2.0);
    marker.SetShowExtents(true);
    marker.SetShowExtentsOutline(true);
    marker.SetAxes(CPoint3d(1, 2, 3), CVector3d(0, 1, 0), CVector3d(-1, 0, 0), CVector3d(0, 0, 1));
    std::unique_ptr<CEntity> copy(marker.Clone());
    auto* clone = dynamic_cast<CComponentCS*>(copy.get());
    ASSERT_NE(clone, nullptr);
    EXPECT_TRUE(clone->HasNegativeZ());
    EXPECT_EQ(clone->GetSize(), 2.0);

    marker.Reset();
    EXPECT_TRUE(HasModelDefaults(marker));
    EXPECT_TRUE(marker.GetOrigin() == CPoint3d(1, 2, 3));
    const CTransformation transform = marker.GetTransform();
    EXPECT_TRUE(transform * CPoint3d(1, 0, 0) == CPoint3d(1, 3, 3));
    EXPECT_TRUE(transform * CPoint3d(0, 1, 0) == CPoint3d(0, 2, 3));
}

TEST_F(ComponentCSTest, WritesTheAxesRecordAndNothingOfItsOwn)
{
    CComponentCS marker(nullptr, true, false, false, true, 3.0);
    marker.SetShowExtents(true);
    marker.SetAxes(CPoint3d(3, 4, 5), CVector3d(0, 1, 0), CVector3d(-1, 0, 0), CVector3d(0, 0, 1));
    CTarnisCS axes;
    axes.SetAxes(CPoint3d(3, 4, 5), CVector3d(0, 1, 0), CVector3d(-1, 0, 0), CVector3d(0, 0, 1));
    const Bytes written = Store([&](CArchive& ar) { marker.Serialize(ar); });
    EXPECT_EQ(written, Store([&](CArchive& ar) { axes.Serialize(ar); }));

    CComponentCS read;
    Load(written, [&](CArchive& ar) { read.Serialize(ar); });
    EXPECT_TRUE(read.GetOrigin() == CPoint3d(3, 4, 5));
    EXPECT_TRUE(HasModelDefaults(read));
}
