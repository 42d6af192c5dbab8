#include "tools/sectionplanetransition.h"

#include <gtest/gtest.h>

#include <cmath>

#include "annotations/sectionplane.h"
#include "document/renderingoptions.h"
#include "model/undosuspender.h"
#include "tests/tools/animationtestsupport.h"

namespace {

using animationtest::MakeCamera;
using animationtest::Near;
using animationtest::PointElement;

// The root component holds the box (-1, -1, 0) to (1, 1, 2); the camera looks along +y.
class SectionPlaneTransitionTest : public animationtest::ModelFixture
{
protected:
    void SetUp() override
    {
        ModelFixture::SetUp();
        view.SetCamera(MakeCamera({0, -10, 1}, {0, 0, 1}), 0.0);
    }

    CSectionPlane* AddPlane(const CPlane3d& plane)
    {
        auto* added = new CSectionPlane(plane);
        Root().Add(added);
        return added;
    }
    std::vector<std::unique_ptr<CSectionPlaneTransition>> Build(std::vector<CSectionPlane*> before,
                                                                std::vector<CSectionPlane*> after,
                                                                bool targetShowsCuts = true)
    {
        return BuildSectionPlaneTransitions(std::move(before), std::move(after), view.GetViewDefinition(),
                                            targetShowsCuts);
    }
    // No corner of the root's box lies behind the plane.
    bool CutsNothing(const CSectionPlane& plane) const
    {
        for (const double x : {-1.0, 1.0})
            for (const double y : {-1.0, 1.0})
                for (const double z : {0.0, 2.0})
                    if (plane.GetPlane().GetSignedDistance({x, y, z}) < -1e-9)
                        return false;
        return true;
    }
    int SectionFlags() const { return Model().GetRenderingOptions()->GetSectionFlags(); }
};

TEST_F(SectionPlaneTransitionTest, PlanesPairByComponentAndOnlyThoseThatMoveGetARecord)
{
    CSectionPlane* low = AddPlane({0, 0, 1, -0.5});
    CSectionPlane* high = AddPlane({0, 0, 1, -1.5});
    auto* other = new CComponent;
    other->Add(new PointElement({5, 5, 5}));
    auto* elsewhere = new CSectionPlane(CPlane3d(1, 0, 0, -5));
    other->Add(elsewhere);
    CSectionPlane loose;
    const struct
    {
        const char* name;
        std::vector<CSectionPlane*> before;
        std::vector<CSectionPlane*> after;
        std::vector<CSectionPlane*> moving;
    } cases[] = {
        {"the same plane stays", {low}, {low}, {}},
        {"another plane of the component", {low}, {high}, {high}},
        {"the cut goes", {low}, {}, {low}},
        {"a cut comes", {}, {high}, {high}},
        {"two components", {low, elsewhere}, {high}, {elsewhere, high}},
        {"a plane outside every component", {&loose}, {}, {}},
    };
    for (const auto& c : cases)
    {
        const auto records = Build(c.before, c.after);
        ASSERT_EQ(records.size(), c.moving.size()) << c.name;
        for (size_t i = 0; i < records.size(); ++i)
            EXPECT_EQ(records[i]->GetMovingPlane(), c.moving[i]) << c.name;
    }
    const CUndoSuspender suspender;
    other->Erase();
}

TEST_F(SectionPlaneTransitionTest, APlaneWithTheSameNormalOnlySlides)
{
    CSectionPlane* low = AddPlane({0, 0, 1, -0.5});
    CSectionPlane* high = AddPlane({0, 0, 1, -1.5});
    const auto records = Build({low}, {high});
    InterpolateSectionPlane(*records[0], 0.5);
    EXPECT_TRUE(Near(high->GetPlane().GetNormal(), {0, 0, 1}));
    EXPECT_NEAR(high->GetPlane().d, -1.0, 1e-12);
    FinishSectionPlaneTransition(*records[0]);
    EXPECT_NEAR(high->GetPlane().d, -1.5, 1e-12);
}

TEST_F(SectionPlaneTransitionTest, APlaneTurningOverFacesAlongTheViewHalfway)
{
    CSectionPlane* east = AddPlane({1, 0, 0, 0});
    CSectionPlane* west = AddPlane({-1, 0, 0, 0});
    const auto records = Build({east}, {west});
    InterpolateSectionPlane(*records[0], 0.25);
    EXPECT_TRUE(Near(west->GetPlane().GetNormal(), CUnitVector3d(1, 1, 0)));
    InterpolateSectionPlane(*records[0], 0.5);
    EXPECT_TRUE(Near(west->GetPlane().GetNormal(), {0, 1, 0}));
    InterpolateSectionPlane(*records[0], 1.0);
    EXPECT_TRUE(Near(west->GetPlane().GetNormal(), {-1, 0, 0}));
}

TEST_F(SectionPlaneTransitionTest, ACutThatGoesRecedesUntilItCutsNothingAndIsLetGo)
{
    CSectionPlane* cut = AddPlane({0, 1, 0, 0});
    const CPlane3d own = cut->GetPlane();
    const auto records = Build({cut}, {});
    Root().SetActiveSectionPlane(nullptr);  // as the next page leaves it
    InterpolateSectionPlane(*records[0], 0.1);
    EXPECT_EQ(Root().GetActiveSectionPlane(), cut);
    InterpolateSectionPlane(*records[0], 1.0);
    EXPECT_TRUE(CutsNothing(*cut));
    FinishSectionPlaneTransition(*records[0]);
    EXPECT_TRUE(cut->GetPlane().IsEqual(own, true));
    EXPECT_EQ(Root().GetActiveSectionPlane(), nullptr);
}

TEST_F(SectionPlaneTransitionTest, ANewCutSweepsInFromBehindItsComponent)
{
    CSectionPlane* cut = AddPlane({0, -1, 0, 0.5});
    const CPlane3d own = cut->GetPlane();
    const auto records = Build({}, {cut});
    InterpolateSectionPlane(*records[0], 0.0);
    EXPECT_TRUE(CutsNothing(*cut));
    InterpolateSectionPlane(*records[0], 1.0);
    EXPECT_TRUE(cut->GetPlane().IsEqual(own, true));
}

TEST_F(SectionPlaneTransitionTest, AGoingCutStaysInSightOnlyWhileTheNextPageHidesCuts)
{
    const struct
    {
        bool targetShowsCuts;
        bool stepped;
        bool shownWhileGoing;
    } cases[] = {{true, true, true}, {false, true, true}, {false, false, false}};
    for (const auto& c : cases)
    {
        CSectionPlane* cut = AddPlane({0, 1, 0, 0});
        const auto records = Build({cut}, {}, c.targetShowsCuts);
        // The next page's own settings are in place when the transition starts.
        if (!c.targetShowsCuts)
            Model().GetRenderingOptions()->ToggleSectionDisplay(CRenderingOptions::kSectionCutsShown);
        const int before = SectionFlags();
        if (c.stepped)
            InterpolateSectionPlane(*records[0], 0.5);
        EXPECT_EQ((SectionFlags() & CRenderingOptions::kSectionCutsShown) != 0, c.shownWhileGoing);
        FinishSectionPlaneTransition(*records[0]);
        EXPECT_EQ(SectionFlags(), before) << c.targetShowsCuts << c.stepped;
        if (!c.targetShowsCuts)
            Model().GetRenderingOptions()->ToggleSectionDisplay(CRenderingOptions::kSectionCutsShown);
    }
}

}  // namespace
