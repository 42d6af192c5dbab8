#include "render/projectionswitch.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/tools/viewfixture.h"

namespace {

using ProjectionSwitchTest = ViewFixture;

// The model (a square at z = 0) lies 20 units below the eye; the stored target of the
// perspective camera lies one unit from the eye, as samples and old files keep it.
TEST_F(ProjectionSwitchTest, BothProjectionsShowTheModelAtTheViewCentreAtOneSize)
{
    Square(Root(), 5.0, 0.0);
    const double spanAt20 = 20.0 * 2.0 * std::tan(17.5 * M_PI / 180.0);
    Look(CPoint3d(0, 0, 20), CPoint3d(0, 0, 19), CVector3d(0, 1, 0), true);
    Draw();

    const CCamera parallel = SwitchProjection(m_view, false);
    EXPECT_FALSE(parallel.IsPerspective());
    EXPECT_NEAR(parallel.GetParallelHeight(), spanAt20, 1e-6);
    EXPECT_LT(parallel.GetEye().Distance(CPoint3d(0, 0, 20)), 1e-9);

    // Back again from a parallel view whose eye stands far off: the eye comes to the
    // distance where the field of view spans the parallel height at the model.
    m_view.GetViewDefinition().SetCamera(parallel);
    m_view.GetViewDefinition().SetEyeTarget(CPoint3d(0, 0, 100), CPoint3d(0, 0, 99), CVector3d(0, 1, 0));
    const CCamera perspective = SwitchProjection(m_view, true);
    EXPECT_TRUE(perspective.IsPerspective());
    EXPECT_LT(perspective.GetEye().Distance(CPoint3d(0, 0, 20)), 1e-6);
    EXPECT_LT(perspective.GetTarget().Distance(CPoint3d(0, 0, 0)), 1e-6);
    EXPECT_NEAR(perspective.GetFieldOfView(), 35.0, 1e-9);

    // Asking for the projection the view already has changes nothing.
    EXPECT_LT(SwitchProjection(m_view, false).GetEye().Distance(CPoint3d(0, 0, 100)), 1e-9);
}

}  // namespace
