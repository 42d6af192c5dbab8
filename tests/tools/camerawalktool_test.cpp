#include "tools/camerawalktool.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "foundation/lengthformatter.h"
#include "samplegen/geometrybuilder.h"
#include "tests/tools/animationtestsupport.h"
#include "tools/cameracommands.h"
#include "tools/cameraorbittool.h"
#include "tools/camerapantool.h"
#include "tools/toolmanager.h"
#include "toolstestsupport.h"

namespace {

constexpr unsigned kUpKey = 38;
constexpr unsigned kRightKey = 39;
constexpr double kEyeHeight = 60.0;

// Lanes along y over a ground of 400 by 400 at z = 0, each with its obstacle 50 ahead of
// the eye: a wall, a step below a third of the eye height, one above it; one lane is free.
constexpr double kWallLane = -100.0;
constexpr double kLowStepLane = 0.0;
constexpr double kHighStepLane = 100.0;
constexpr double kFreeLane = 50.0;

class WalkToolTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const CGeometryBuilder builder(Root());
        builder.Face({builder.Vertex({-200, -200, 0}), builder.Vertex({200, -200, 0}), builder.Vertex({200, 200, 0}),
                      builder.Vertex({-200, 200, 0})},
                     CVector3d(0, 0, 1));
        builder.Box({kWallLane - 20, 50, 0}, {kWallLane + 20, 52, 100});
        builder.Box({kLowStepLane - 20, 20, 0}, {kLowStepLane + 20, 40, 10});
        builder.Box({kHighStepLane - 20, 20, 0}, {kHighStepLane + 20, 40, 30});
        view.SetModel(&m_model.Get());
        view.SetViewportSize(400, 300);
        host.activeView = &view;
        tools.Activate();
    }
    void TearDown() override
    {
        tools.Shutdown();
        view.DiscardAnimation();
        view.SetModel(nullptr);
    }

    CComponent& Root() const { return *m_model.Get().GetRootComponent(); }

    // A perspective camera at the lane's start looking along +y, then the walk tool.
    CCameraWalkTool* StartInLane(double x, double y = 0.0, double z = kEyeHeight)
    {
        view.GetViewDefinition().SetPerspective(true);
        view.GetViewDefinition().SetEyeTarget({x, y, z}, {x, y + 100, z}, {0, 0, 1});
        SelectWalkTool();
        return dynamic_cast<CCameraWalkTool*>(tools.GetActiveTool());
    }

    // Steps the running walk every so many seconds; the eye after each step.
    std::vector<CPoint3d> Walk(int steps, double seconds)
    {
        std::vector<CPoint3d> eyes;
        for (int i = 0; i < steps; ++i)
        {
            clock.Advance(seconds);
            EXPECT_TRUE(view.GetAnimation()->Step(&view));
            eyes.push_back(view.GetViewDefinition().GetEye());
        }
        return eyes;
    }

    const CPoint3d& Eye() const { return view.GetViewDefinition().GetEye(); }

    entitytest::CurrentModel m_model;
    animationtest::ManualClock clock;
    CRecordingHost host;
    animationtest::View view;
    CToolManager tools;
};

TEST_F(WalkToolTest, TheWalkCommandSelectsTheWalkInPlaceOfAnotherCameraTool)
{
    SelectOrbitTool();
    CCameraWalkTool* tool = StartInLane(kFreeLane);
    ASSERT_NE(tool, nullptr);
    EXPECT_EQ(tools.GetToolCount(), 1);
    EXPECT_EQ(GetCameraToolCheck(kWalkCommandId), 1);
    EXPECT_EQ(tool->GetToolCursorId(), 420);
    EXPECT_TRUE(host.valueBox);
    EXPECT_EQ(host.Pane(kValuePane), CLengthFormatter().Format(kEyeHeight));
}

TEST_F(WalkToolTest, WalkingStopsShortOfAWallClimbsALowStepAndNotAHighOneAndAltWalksThrough)
{
    const struct
    {
        double lane;
        unsigned flags;
        double nearDistance;
        // Where the obstacle stands in the way of the knees; none over the low step.
        double blockedAt;
        // The eye's height while above the low step (y 20..40).
        double heightOnStep;
        int cursor;
    } cases[] = {
        {kWallLane, 0, 1.0, 50.0, kEyeHeight, 466},
        // Steps shorter than the near distance once shook against the wall.
        {kWallLane, 0, 5.0, 50.0, kEyeHeight, 466},
        {kHighStepLane, 0, 1.0, 20.0, kEyeHeight, 466},
        {kLowStepLane, 0, 1.0, 1e30, kEyeHeight + 10.0, 420},
        {kWallLane, kMouseAlt, 1.0, 1e30, kEyeHeight, 420},
    };
    for (const auto& c : cases)
    {
        CCameraWalkTool* tool = StartInLane(c.lane);
        view.GetViewDefinition().SetDepthRange(c.nearDistance, 10000.0);
        tools.OnMouseMove(c.flags, 10, 10, &view);
        tools.OnKeyDown(kUpKey, 1, 0, &view);
        ASSERT_TRUE(tool->IsWalking());
        const std::vector<CPoint3d> eyes = Walk(32, CCameraWalkTool::kStepSeconds);
        for (const CPoint3d& eye : eyes)
        {
            EXPECT_LT(eye.y, c.blockedAt) << c.lane;
            EXPECT_DOUBLE_EQ(eye.x, c.lane);
            const double expected = eye.y > 20.0 && eye.y < 40.0 ? c.heightOnStep : kEyeHeight;
            EXPECT_NEAR(eye.z, expected, 1e-9) << c.lane << " at y " << eye.y;
        }
        // Stopped for good within a step of the obstacle and at least 1.1 near
        // distances from it.
        const double clearance = 1.1 * c.nearDistance;
        if (c.blockedAt < 1e30)
        {
            EXPECT_GT(Eye().y, c.blockedAt - clearance - 4.0) << c.lane;
            EXPECT_LE(Eye().y, c.blockedAt - clearance + 1e-9) << c.lane;
            EXPECT_TRUE(eyes[eyes.size() - 2].IsEqual(Eye())) << c.lane;
        }
        else
        {
            EXPECT_GT(Eye().y, 100.0) << c.lane;
        }
        EXPECT_EQ(tool->GetToolCursorId(), c.cursor) << c.lane;
        tools.OnKeyUp(kUpKey, 1, 0, &view);
        EXPECT_FALSE(tool->IsWalking());
        EXPECT_EQ(view.GetAnimation(), nullptr);
        EXPECT_TRUE(view.GetModel()->GetCamera().IsEqual(view.GetViewDefinition().GetCamera()));
    }
}

TEST_F(WalkToolTest, StepsMoveByTheTimeSinceTheLastSoTheFrameRateDoesNotChangeTheSpeed)
{
    const CPoint3d start(kFreeLane, -150, kEyeHeight);
    double walked[2] = {0.0, 0.0};
    CVector3d facing[2];
    const double periods[] = {CCameraWalkTool::kStepSeconds, 0.25};
    for (int i = 0; i < 2; ++i)
    {
        StartInLane(start.x, start.y);
        // The first step moves by the time the last frame took.
        view.RecordFrameTime(periods[i]);
        tools.OnKeyDown(kUpKey, 1, 0, &view);
        tools.OnKeyDown(kRightKey, 1, 0, &view);
        CPoint3d last = start;
        for (const CPoint3d& eye : Walk(static_cast<int>(1.0 / periods[i]), periods[i]))
        {
            walked[i] += (eye - last).GetLength();
            last = eye;
        }
        facing[i] = view.GetViewDefinition().GetViewDirection();
        EXPECT_DOUBLE_EQ(view.GetAnimationInterval(), 0.0);
        tools.OnKeyUp(kUpKey, 1, 0, &view);
        tools.OnKeyUp(kRightKey, 1, 0, &view);
    }
    // A right turn at half speed turns an eighth of a circle in a second, while four
    // tenths of the speed walk a tenth of the model's diagonal.
    EXPECT_NEAR(facing[0].x, std::sin(std::numbers::pi / 4), 1e-9);
    EXPECT_TRUE(animationtest::Near(facing[0], facing[1]));
    const double diagonal = std::sqrt(400.0 * 400.0 * 2 + 100.0 * 100.0);
    EXPECT_NEAR(walked[0], 0.1 * diagonal, 1e-9);
    EXPECT_NEAR(walked[1], walked[0], 1e-9);

    // Steps faster than sixteen a second wait for the rest of their period.
    tools.OnKeyDown(kUpKey, 1, 0, &view);
    Walk(2, 0.02);
    EXPECT_NEAR(view.GetAnimationInterval(), CCameraWalkTool::kStepSeconds - 0.02, 1e-9);
}

TEST_F(WalkToolTest, ADragWalksOnlyInPerspectiveAndCtrlRunsFourTimesAsFast)
{
    CCameraWalkTool* tool = StartInLane(kFreeLane, -150);
    view.GetViewDefinition().SetPerspective(false);
    tools.OnLButtonDown(kMouseLeft, 200, 150, &view);
    EXPECT_FALSE(tool->IsWalking());
    view.GetViewDefinition().SetPerspective(true);

    double distances[2];
    for (int run = 0; run < 2; ++run)
    {
        const CPoint3d before = Eye();
        if (run == 1)
            tools.OnKeyDown(17, 1, 0, &view);
        tools.OnLButtonDown(kMouseLeft, 200, 150, &view);
        ASSERT_TRUE(tool->IsWalking());
        EXPECT_TRUE(tool->HasFeedback());
        tools.OnMouseMove(kMouseLeft, 200, 120, &view);
        Walk(4, CCameraWalkTool::kStepSeconds);
        distances[run] = Eye().y - before.y;
        EXPECT_DOUBLE_EQ(Eye().x, kFreeLane);
        tools.OnLButtonUp(0, 200, 120, &view);
        EXPECT_FALSE(tool->IsWalking());
        tools.OnKeyUp(17, 1, 0, &view);
    }
    EXPECT_GT(distances[0], 0.0);
    EXPECT_NEAR(distances[1], 4.0 * distances[0], 1e-9);
}

TEST_F(WalkToolTest, ATypedEyeHeightGlidesTheEyeThereAndTheHeightShownChangesNothing)
{
    InstallAnimationFactories();
    const struct
    {
        bool walk;
        // Over the low step: the walk measures from its top, Look Around from z = 0.
        double typed;
        double eyeZ;
    } cases[] = {{true, 40.0, 50.0}, {false, 40.0, 40.0}};
    for (const auto& c : cases)
    {
        StartInLane(kLowStepLane, 30.0, 70.0);
        if (!c.walk)
            SelectLookAroundTool();
        CTool* tool = tools.GetActiveTool();
        tool->OnUserText(CLengthFormatter().Format(c.typed));
        ASSERT_NE(view.GetAnimation(), nullptr) << c.walk;
        EXPECT_GT(Eye().z, c.eyeZ);
        for (int i = 0; i < 20 && view.GetAnimation() != nullptr; ++i)
        {
            clock.Advance(CCameraWalkTool::kStepSeconds);
            if (!view.GetAnimation()->Step(&view))
                view.SetAnimation(nullptr);
        }
        EXPECT_EQ(view.GetAnimation(), nullptr);
        EXPECT_NEAR(Eye().z, c.eyeZ, 1e-9) << c.walk;
        EXPECT_EQ(host.Pane(kValuePane), CLengthFormatter().Format(c.typed)) << c.walk;
        tool->OnUserText(CLengthFormatter().Format(c.typed));
        EXPECT_EQ(view.GetAnimation(), nullptr) << c.walk;

        // What is no height is refused with a word, and the height comes back into the box.
        for (const char* refused : {"abc", "1e300", "-10", "-inf", "10x", "1/0"})
        {
            host.panes.erase(kFirstPane);
            host.panes[kValuePane] = CString(refused);
            tool->OnUserText(CString(refused));
            EXPECT_EQ(view.GetAnimation(), nullptr) << refused;
            EXPECT_NEAR(Eye().z, c.eyeZ, 1e-9) << refused;
            EXPECT_EQ(host.Pane(kValuePane), CLengthFormatter().Format(c.typed)) << refused;
            EXPECT_EQ(host.Pane(kFirstPane), CString(CCameraTool::kRefusedValueTip)) << refused;
        }
    }
}

}  // namespace
