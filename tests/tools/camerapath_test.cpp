#include "tools/camerapath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "foundation/tolerance.h"
#include "tests/tools/animationtestsupport.h"
#include "tools/camerapathhelical.h"

namespace {

using animationtest::MakeCamera;
using animationtest::Near;

constexpr double kDegrees = kPi / 180.0;

struct CameraPair
{
    const char* name;
    CCamera from;
    CCamera to;
};

CPoint3d OnCircle(double degrees, double radius = 10.0)
{
    return {radius * std::cos(degrees * kDegrees), radius * std::sin(degrees * kDegrees), 0.0};
}

TEST(CameraPath, IsAHelixOnlyWhenTheEyeCirclesWhatItLooksAt)
{
    const CPoint3d origin;
    const struct
    {
        CameraPair cameras;
        bool helical;
    } cases[] = {
        {{"the eye stays", MakeCamera({0, -10, 0}, origin), MakeCamera({0, -10, 0}, {5, 0, 0})}, false},
        {{"the view keeps its direction", MakeCamera({0, -10, 0}, origin), MakeCamera({5, -10, 0}, {5, 0, 0})},
         false},
        {{"both look along the way", MakeCamera({0, -10, 0}, origin), MakeCamera({0, -5, 0}, {0.2, 0, 0})}, false},
        {{"backing away and turning round", MakeCamera({0, -10, 0}, origin),
          MakeCamera({0, -20, 0}, {0, -30, 0})},
         false},
        {{"circling", MakeCamera({0, -10, 0}, origin), MakeCamera({10, 0, 0}, origin)}, true},
    };
    for (const auto& c : cases)
    {
        const std::unique_ptr<CCameraPath> path(CreateCameraPath(c.cameras.from, c.cameras.to));
        EXPECT_EQ(dynamic_cast<CCameraPathHelical*>(path.get()) != nullptr, c.helical) << c.cameras.name;
    }
}

TEST(CameraPath, StartsOnTheFromCameraAndEndsOnTheToCamera)
{
    const CPoint3d origin;
    const CVector3d downUp = CUnitVector3d(5, 0, -10);
    const CameraPair cases[] = {
        {"circling a quarter", MakeCamera({0, -10, 0}, origin), MakeCamera({10, 0, 0}, origin)},
        {"circling from above", MakeCamera({0, -10, 5}, origin), MakeCamera({10, 0, 5}, origin)},
        {"round to the other side", MakeCamera({0, -10, 0}, origin), MakeCamera({0, 10, 0}, origin)},
        {"circling onto its head", MakeCamera({0, -10, 0}, origin), MakeCamera({10, 0, 0}, origin, {0, 0, -1})},
        {"tilting onto its head", MakeCamera({0, -10, 0}, origin), MakeCamera({10, 0, 5}, origin, downUp)},
        {"turning on the spot", MakeCamera({0, -10, 0}, origin), MakeCamera({0, -10, 0}, {0, -20, 0})},
        {"moving sideways", MakeCamera({0, -10, 0}, origin), MakeCamera({5, -10, 1}, {5, 0, 1})},
    };
    for (const CameraPair& c : cases)
    {
        const std::unique_ptr<CCameraPath> path(CreateCameraPath(c.from, c.to));
        EXPECT_TRUE(Near(path->GetEye(0.0), c.from.GetEye())) << c.name;
        EXPECT_TRUE(Near(path->GetEye(1.0), c.to.GetEye())) << c.name;
        EXPECT_TRUE(Near(path->GetDirection(0.0), c.from.GetDirection())) << c.name;
        EXPECT_TRUE(Near(path->GetDirection(1.0), c.to.GetDirection())) << c.name;
    }
}

TEST(CameraPath, OppositeDirectionsFromOneEyeTurnHalfwayAboutTheUpVector)
{
    const std::unique_ptr<CCameraPath> path(
        CreateCameraPath(MakeCamera({0, 0, 0}, {0, 10, 0}), MakeCamera({0, 0, 0}, {0, -10, 0})));
    const CVector3d halfway = path->GetDirection(0.5);
    EXPECT_TRUE(Near(CVector3d(std::abs(halfway.x), halfway.y, halfway.z), {1, 0, 0}));
    EXPECT_TRUE(Near(path->GetEye(0.5), CPoint3d()));
    EXPECT_TRUE(Near(path->GetUp(0.5), {0, 0, 1}));
}

TEST(CameraPath, TheFieldOfViewChangesTheImageScaleEvenly)
{
    const std::unique_ptr<CCameraPath> path(CreateCameraPath(MakeCamera({0, -10, 0}, {}, {0, 0, 1}, 30.0),
                                                             MakeCamera({0, -10, 0}, {}, {0, 0, 1}, 60.0)));
    CCamera camera;
    path->GetCamera(0.5, camera);
    EXPECT_NEAR(std::tan(camera.GetFieldOfView() * kDegrees / 2),
                (std::tan(15 * kDegrees) + std::tan(30 * kDegrees)) / 2, 1e-12);
    EXPECT_NEAR(camera.GetTargetDistance(), 1.0, 1e-12);
}

TEST(CameraPath, AHelixTakesTheShortWayRound)
{
    const struct
    {
        double start;
        double turn;
    } cases[] = {{0, 20}, {0, -20}, {170, 20}, {350, 20}, {10, -20}};
    for (const auto& c : cases)
    {
        const std::unique_ptr<CCameraPath> path(
            CreateCameraPath(MakeCamera(OnCircle(c.start), {}), MakeCamera(OnCircle(c.start + c.turn), {})));
        ASSERT_NE(dynamic_cast<CCameraPathHelical*>(path.get()), nullptr) << c.start;
        const CPoint3d halfway = OnCircle(c.start + c.turn / 2);
        EXPECT_TRUE(Near(path->GetEye(0.5), halfway, 1e-9)) << c.start << " by " << c.turn;
        EXPECT_TRUE(Near(path->GetDirection(0.5), CUnitVector3d(halfway, CPoint3d()), 1e-9)) << c.start;
    }
}

}  // namespace
