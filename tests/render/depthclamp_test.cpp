#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "render/depthclamp.h"

TEST(ComputeCameraUp, UpIsPerpendicularToTheViewAndOnTheSideOfTheHint)
{
    struct Case
    {
        std::string name;
        CPoint3d eye;
        CPoint3d target;
        CVector3d hint;
        CVector3d expected;
    };
    const std::vector<Case> cases{
        {"level view, hint up", {0, -10, 0}, {0, 0, 0}, {0, 0, 1}, {0, 0, 1}},
        {"level view, hint down", {0, -10, 0}, {0, 0, 0}, {0, 0, -1}, {0, 0, -1}},
        {"looking down at 45 degrees", {0, -10, 10}, {0, 0, 0}, {0, 0, 1}, {0, std::sqrt(0.5), std::sqrt(0.5)}},
        {"straight down, hint +y", {0, 0, 10}, {0, 0, 0}, {0, 1, 0}, {0, 1, 0}},
        {"straight down, hint tilted", {0, 0, 10}, {0, 0, 0}, {1, 1, 0.5}, {std::sqrt(0.5), std::sqrt(0.5), 0}},
        {"straight up, hint along the view", {0, 0, 0}, {0, 0, 10}, {0, 0, 1}, {0, 1, 0}},
    };
    for (const Case& c : cases) {
        CVector3d up;
        ComputeCameraUp(c.eye, c.target, c.hint, up);
        EXPECT_TRUE(up.IsEqual(c.expected, 1e-9)) << c.name << ": " << up.x << " " << up.y << " " << up.z;
        EXPECT_NEAR(DotProduct(up, c.target - c.eye), 0.0, 1e-9) << c.name;
    }
    CVector3d v(1, -2, 3);
    ScaleVectorInPlace(v, -2);
    EXPECT_EQ(v, CVector3d(-2, 4, -6));
}
