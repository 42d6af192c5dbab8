#include "tools/cameramotions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "foundation/plane3d.h"
#include "render/viewdefinition.h"

namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 300;

CViewDefinition MakeView(bool perspective, const CPoint3d& eye = CPoint3d(0, -100, 0))
{
    CViewDefinition view;
    view.SetViewportSize(kWidth, kHeight);
    view.SetPerspective(perspective);
    view.SetFieldOfView(35.0);
    view.SetViewHeight(80.0);
    view.SetEyeTarget(eye, CPoint3d(0, 0, 0), CVector3d(0, 0, 1));
    return view;
}

double AngleDegrees(const CVector3d& a, const CVector3d& b)
{
    return std::acos(std::clamp(DotProduct(a, b) / (a.GetLength() * b.GetLength()), -1.0, 1.0)) * 180.0 /
           std::numbers::pi;
}

CPoint2d Project(const CViewDefinition& view, const CPoint3d& point)
{
    CPoint3d window;
    EXPECT_TRUE(view.ProjectPoint(point, window));
    return {window.x, window.y};
}

TEST(CameraMotions, AFullHeightDragOrbitsNinetyDegreesKeepingThePivotDistanceAndLookAroundTurnsHalfAsFar)
{
    CViewDefinition view = MakeView(true);
    const CPoint3d pivot(0, 0, 0);
    const CVector3d before = view.GetViewDirection();
    ASSERT_TRUE(OrbitCamera(view, pivot, CPoint2d(200, kHeight), CPoint2d(200, 0)));
    EXPECT_NEAR(AngleDegrees(before, view.GetViewDirection()), 90.0, 1e-9);
    EXPECT_NEAR((view.GetEye() - pivot).GetLength(), 100.0, 1e-9);
    // Dragging up brings the eye down: the model follows the cursor.
    EXPECT_LT(view.GetEye().z, -99.0);
    EXPECT_NEAR(DotProduct(view.GetCamera().GetUp(), view.GetViewDirection()), 0.0, 1e-9);

    CViewDefinition turning = MakeView(true);
    ASSERT_TRUE(LookAroundCamera(turning, CPoint2d(200, kHeight), CPoint2d(200, 0)));
    EXPECT_NEAR(AngleDegrees(before, turning.GetViewDirection()), 45.0, 1e-9);
    EXPECT_TRUE(turning.GetEye().IsEqual(CPoint3d(0, -100, 0)));
}

TEST(CameraMotions, LookingStraightDownAnOrbitTurnsOnlyAboutTheHorizontalAxis)
{
    CViewDefinition view = MakeView(true, CPoint3d(0, 0, 100));
    view.SetEyeTarget(CPoint3d(0, 0, 100), CPoint3d(0, 0, 0), CVector3d(0, 1, 0));
    EXPECT_FALSE(OrbitCamera(view, CPoint3d(0, 0, 0), CPoint2d(100, 100), CPoint2d(300, 100)));
    EXPECT_TRUE(view.GetEye().IsEqual(CPoint3d(0, 0, 100)));
}

TEST(CameraMotions, PanKeepsTheGrabbedPointUnderTheCursorInBothProjections)
{
    for (const bool perspective : {true, false})
    {
        CViewDefinition view = MakeView(perspective);
        const CPoint3d grabbed(10, 20, 5);
        const CPoint2d start = Project(view, grabbed);
        const CPoint2d end(start.x + 37, start.y - 21);
        const CVector3d direction = view.GetViewDirection();
        ASSERT_TRUE(PanCamera(view, grabbed, start, end));
        const CPoint2d now = Project(view, grabbed);
        EXPECT_NEAR(now.x, end.x, 1e-6) << perspective;
        EXPECT_NEAR(now.y, end.y, 1e-6) << perspective;
        EXPECT_TRUE(view.GetViewDirection().IsEqual(direction));
    }
}

TEST(CameraMotions, FieldOfViewChangesStayWithinOneToOneHundredTwentyAndKeepTheFraming)
{
    const CPoint3d reference(0, 0, 0);
    const CPoint3d beside(10, 0, 0);
    const struct
    {
        double wanted;
        double result;
    } cases[] = {{60.0, 60.0}, {1.0, 1.0}, {120.0, 120.0}, {150.0, 120.0}, {0.2, 1.0}};
    for (const auto& c : cases)
    {
        CViewDefinition view = MakeView(true);
        const double apart = Project(view, beside).x - Project(view, reference).x;
        ASSERT_TRUE(ChangeFieldOfViewKeepingFraming(view, reference, c.wanted)) << c.wanted;
        EXPECT_DOUBLE_EQ(view.GetCamera().GetFieldOfView(), c.result);
        EXPECT_NEAR(Project(view, beside).x - Project(view, reference).x, apart, 1e-6) << c.wanted;
    }
    CViewDefinition parallel = MakeView(false);
    EXPECT_FALSE(ChangeFieldOfViewKeepingFraming(parallel, reference, 60.0));
}

}  // namespace
