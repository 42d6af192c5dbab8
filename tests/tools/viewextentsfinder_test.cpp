#include "tools/viewextentsfinder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <vector>

#include "tests/tools/viewfixture.h"

namespace {

using ExtentsTest = ViewFixture;

struct Camera
{
    const char* name;
    CPoint3d eye;
    CPoint3d target;
    CVector3d up;
};

TEST_F(ExtentsTest, ZoomExtentsLeavesEveryCornerOfTheModelsBoxInsideTheViewWithItsMargin)
{
    const CPoint3d low(10, 20, 0);
    const CPoint3d high(14, 30, 6);
    CGeometryBuilder(Root()).Box(low, high);
    const CBoundingBox3d box(low.x, high.x, low.y, high.y, low.z, high.z);
    const Camera cameras[] = {
        {"from far above at a slant", CPoint3d(-50, -80, 140), CPoint3d(0, 0, 0), CVector3d(0, 0, 1)},
        {"from close beside", CPoint3d(12, 24, 3), CPoint3d(12, 40, 3), CVector3d(0, 0, 1)},
        {"straight down", CPoint3d(0, 0, 30), CPoint3d(0, 0, 0), CVector3d(0, 1, 0)},
    };
    for (const bool perspective : {false, true}) {
        for (const Camera& camera : cameras) {
            Look(camera.eye, camera.target, camera.up, perspective);
            const CVector3d direction = m_view.GetViewDefinition().GetViewDirection();
            m_view.ZoomToExtents(nullptr);
            m_view.UpdateViewBounds();  // the depth range the next frame fits
            const CViewDefinition& view = m_view.GetViewDefinition();
            EXPECT_LT((view.GetViewDirection() - direction).GetLength(), 1e-9) << camera.name;
            // The largest share of the half viewport a corner reaches.
            double reach = 0.0;
            for (int corner = 0; corner < 8; ++corner) {
                CPoint3d window;
                ASSERT_TRUE(view.ProjectPoint(box.GetCorner(corner), window));
                EXPECT_TRUE(window.z > 0.0 && window.z < 1.0) << camera.name << perspective;
                reach = std::max({reach, std::abs(window.x - kWidth / 2.0) / (kWidth / 2.0),
                                  std::abs(window.y - kHeight / 2.0) / (kHeight / 2.0)});
            }
            EXPECT_LE(reach, perspective ? 0.97 : 0.95 + 1e-9) << camera.name << perspective;
            EXPECT_GE(reach, perspective ? 0.85 : 0.95 - 1e-9) << camera.name << perspective;
        }
    }
}

TEST_F(ExtentsTest, AnEmptyModelTurnsTheTargetToTheOriginFromTheSameDistance)
{
    Look(CPoint3d(10, 10, 10), CPoint3d(5, 5, 5), CVector3d(0, 0, 1), true);
    m_view.ZoomToExtents(nullptr);
    EXPECT_EQ(m_view.GetViewDefinition().GetTarget(), CPoint3d(0, 0, 0));
    EXPECT_EQ(m_view.GetViewDefinition().GetEye(), CPoint3d(5, 5, 5));
}

TEST_F(ExtentsTest, ViewExtentsAreWhatIsDrawnInCameraCoordinates)
{
    CGeometryBuilder(Root()).Box(CPoint3d(-1, -2, 0), CPoint3d(1, 2, 3));
    for (const bool perspective : {false, true}) {
        Look(CPoint3d(0, 0, 10), CPoint3d(0, 0, 0), CVector3d(0, 1, 0), perspective);
        CViewExtentsFinder finder(m_view);
        ASSERT_TRUE(finder.ComputeViewExtents());
        const CBoundingBox3d& box = finder.GetBounds();
        // In perspective the nearest corners, 7 units away, project onto the near plane 1 away.
        const double scale = perspective ? 1.0 / 7.0 : 1.0;
        EXPECT_NEAR(box.xmax, 1.0 * scale, 1e-9) << perspective;
        EXPECT_NEAR(box.ymin, -2.0 * scale, 1e-9) << perspective;
        EXPECT_NEAR(box.zmin, perspective ? -1.0 : -10.0, 1e-9) << perspective;
    }
}

TEST_F(ExtentsTest, AStrayCoordinateIsLeftOutOfTheExtentsAndTheDepthRangeAndTheRestShows)
{
    m_model->GetRenderingOptions()->SetBackgroundColor(CColor(0, 0, 0, 255));
    const CGeometryBuilder builder(Root());
    Square(Root(), 2.0, 0.0);
    const double inf = std::numeric_limits<double>::infinity();
    struct Case
    {
        const char* name;
        std::function<void()> add;
    };
    const Case cases[] = {
        {"an infinite vertex",
         [&] { builder.Edge(builder.Vertex(CPoint3d(1, 1, 0)), builder.Vertex(CPoint3d(inf, 0, 0))); }},
        {"an instance 1e300 away",
         [&] {
             CComponentDefinition* far = Place(Root(), nullptr, Shift(1e300, 0, -1e300));
             Square(*far, 1.0, 0.0);
         }},
        {"an instance at minus infinity", [&] { Place(Root(), nullptr, Shift(0, -inf, 0)); }},
    };
    for (const Case& c : cases) {
        c.add();
        Root().InvalidateBounds();
        Look(CPoint3d(500, 500, 100), CPoint3d(500, 500, 0), CVector3d(0, 1, 0), false);
        m_view.ZoomToExtents(nullptr);
        Draw();
        const CViewDefinition& view = m_view.GetViewDefinition();
        EXPECT_LT((view.GetTarget() - CPoint3d(0, 0, 0)).GetLength(), 1.0) << c.name;
        EXPECT_NEAR(view.GetViewHeight(), 4.0 / 0.95, 0.5) << c.name;
        EXPECT_GT(view.GetFittedNear(), 0.0) << c.name;
        EXPECT_LT(view.GetFittedFar(), 1000.0) << c.name;
        std::vector<std::uint8_t> pixels;
        ASSERT_TRUE(m_device->ReadPixels(pixels));
        const std::size_t centre = (static_cast<std::size_t>(kHeight / 2) * kWidth + kWidth / 2) * 4;
        EXPECT_GT(pixels[centre] + pixels[centre + 1] + pixels[centre + 2], 300) << c.name << ": the square shows";
    }
}

}  // namespace
