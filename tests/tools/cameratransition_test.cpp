#include "tools/cameratransition.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/tools/animationtestsupport.h"
#include "tools/camerapath.h"

namespace {

using animationtest::MakeCamera;

TEST(CameraTransition, MovesAtMostSixteenFramesASecondAndLandsOnTheCamera)
{
    const CCamera from = MakeCamera({0, -10, 0}, {});
    const CCamera to = MakeCamera({10, 0, 0}, {});
    const struct
    {
        double seconds;
        double frameTime;
        int frames;
    } cases[] = {{1.0, 0.0, 16}, {0.05, 0.0, 1}, {1.0, 0.25, 4}};
    for (const auto& c : cases)
    {
        animationtest::View view;
        view.SetCamera(from, 0.0);
        if (c.frameTime > 0.0)
            view.RecordFrameTime(c.frameTime);
        CCameraTransition transition(from, to, c.seconds);
        int steps = 0;
        while (transition.Step(&view))
        {
            ++steps;
            if (steps < c.frames)
            {
                EXPECT_FALSE(view.GetViewDefinition().GetCamera().IsEqual(to)) << c.seconds << " step " << steps;
            }
            ASSERT_LE(steps, c.frames);
        }
        EXPECT_EQ(steps, c.frames) << c.seconds;
        EXPECT_TRUE(view.GetViewDefinition().GetCamera().IsEqual(to)) << c.seconds;
    }
}

TEST(CameraTransition, EachStepTakesOneFramesShareOfThePathHoweverSlowItsFramesOrLongItsPauses)
{
    animationtest::ManualClock clock;
    const CCamera from = MakeCamera({0, -10, 0}, {});
    const CCamera to = MakeCamera({10, 0, 0}, {});
    const std::unique_ptr<CCameraPath> path(CreateCameraPath(from, to));
    animationtest::View view;
    view.SetCamera(from, 0.0);
    CCameraTransition transition(from, to, 1.0);
    int steps = 0;
    while (transition.Step(&view))
    {
        ++steps;
        ASSERT_LE(steps, 16);
        if (steps < 16)
        {
            CCamera expected = from;
            path->GetCamera(steps / 16.0, expected);
            EXPECT_TRUE(view.GetViewDefinition().GetCamera().IsEqual(expected)) << "step " << steps;
        }
        // Frames of 0.4 s, and a pause of 10 s after the first.
        clock.Advance(0.4);
        if (steps == 1)
        {
            transition.Pause(true);
            clock.Advance(10.0);
            transition.Pause(false);
        }
    }
    EXPECT_EQ(steps, 16);
    EXPECT_TRUE(view.GetViewDefinition().GetCamera().IsEqual(to));
}

TEST(CameraTransition, FinishingStopsTheCameraWhereItStands)
{
    animationtest::View view;
    view.SetCamera(MakeCamera({0, -10, 0}, {}), 0.0);
    CCameraTransition transition(view.GetViewDefinition().GetCamera(), MakeCamera({10, 0, 0}, {}), 1.0);
    ASSERT_TRUE(transition.Step(&view));
    const CCamera reached = view.GetViewDefinition().GetCamera();
    transition.Finish();
    EXPECT_FALSE(transition.Step(&view));
    EXPECT_TRUE(view.GetViewDefinition().GetCamera().IsEqual(reached));
}

TEST(CameraTransition, ACameraSetForMoreThanATenthOfASecondMovesThereInFrames)
{
    InstallAnimationFactories();
    animationtest::View view;
    const CCamera near = MakeCamera({0, -10, 0}, {});
    const CCamera far = MakeCamera({10, 0, 0}, {});
    view.SetCamera(near, 0.1);
    EXPECT_EQ(view.GetAnimation(), nullptr);
    EXPECT_TRUE(view.GetViewDefinition().GetCamera().IsEqual(near));
    view.SetCamera(far, 0.5);
    EXPECT_NE(dynamic_cast<CCameraTransition*>(view.GetAnimation()), nullptr);
    EXPECT_FALSE(view.GetViewDefinition().GetCamera().IsEqual(far));
    EXPECT_FALSE(view.GetViewDefinition().GetCamera().IsEqual(near));
    view.DiscardAnimation();
}

}  // namespace
