// The view's camera operations that pick the model point under the cursor.

#include <gtest/gtest.h>

#include <string>

#include "tests/tools/viewfixture.h"
#include "tools/pickhelper.h"

namespace {

using CameraTest = ViewFixture;

// Pins a past fault: one notch zoomed in in parallel projection and out in perspective.
TEST_F(CameraTest, AWheelNotchForwardEnlargesTheModelTowardsTheCursorInBothProjections)
{
    Square(Root(), 8.0, 0.0);
    const CPoint2d cursor(22, 30);
    for (const bool perspective : {false, true}) {
        Look(CPoint3d(3, -20, 30), CPoint3d(0, 0, 0), CVector3d(0, 0, 1), perspective);
        CPoint3d under;
        ASSERT_TRUE(CPickHelper(&m_view, cursor, 0).FindNearestHitPoint(under));
        const auto span = [&] {
            CPoint3d a;
            CPoint3d b;
            m_view.ModelToScreen(under, a);
            m_view.ModelToScreen(under + CVector3d(1, 0, 0), b);
            return std::make_pair(a, (b - a).GetLength());
        };
        const double before = span().second;
        m_view.ZoomByWheel(1.0, cursor);
        const auto [point, after] = span();
        EXPECT_GT(after, before * 1.05) << perspective;
        EXPECT_NEAR(point.x, cursor.x, 1e-6) << perspective;
        EXPECT_NEAR(point.y, cursor.y, 1e-6) << perspective;
        EXPECT_TRUE(m_model->GetCamera().IsEqual(m_view.GetViewDefinition().GetCamera()));
    }
}

// A turning wheel keeps the point it found under the cursor instead of looking again at
// every notch: the zooms come out as if each notch had looked.
TEST_F(CameraTest, NotchesAtOneCursorZoomAsIfEachLookedForThePointAfresh)
{
    Square(Root(), 8.0, 0.0);
    const CPoint2d cursor(22, 30);
    const auto turn = [&](bool restEachNotch) {
        Look(CPoint3d(3, -20, 30), CPoint3d(0, 0, 0), CVector3d(0, 0, 1), true);
        for (int notch = 0; notch < 4; ++notch) {
            m_view.ZoomByWheel(notch < 3 ? 1.0 : -1.0, cursor);
            if (restEachNotch)
                m_view.OnViewSettled();
        }
        return m_view.GetViewDefinition().GetEye();
    };
    const CPoint3d looked = turn(true);
    const CPoint3d kept = turn(false);
    EXPECT_LT((looked - kept).GetLength(), 1e-6);
    EXPECT_GT((looked - CPoint3d(3, -20, 30)).GetLength(), 1.0);
}

TEST_F(CameraTest, FieldOfViewZoomsStopAtHundredAndTwentyDegreesAndWidenAParallelView)
{
    Look(CPoint3d(0, 0, 30), CPoint3d(0, 0, 0), CVector3d(0, 1, 0), true);
    m_view.GetViewDefinition().SetFieldOfView(100.0);
    m_view.ZoomFieldOfView(0.5);
    EXPECT_DOUBLE_EQ(m_view.GetViewDefinition().GetCamera().GetFieldOfView(), 120.0);
    m_view.ZoomFieldOfView(-0.999);
    EXPECT_DOUBLE_EQ(m_view.GetViewDefinition().GetCamera().GetFieldOfView(), 1.0);
    Look(CPoint3d(0, 0, 30), CPoint3d(0, 0, 0), CVector3d(0, 1, 0), false);
    m_view.ZoomFieldOfView(0.5);
    EXPECT_DOUBLE_EQ(m_view.GetViewDefinition().GetViewHeight(), 30.0);
}

TEST_F(CameraTest, ZoomWindowFillsTheViewWithTheRectangle)
{
    // Once pinned a fault: without a depth buffer the read-back left zeros that counted as
    // model at the near plane, and the rectangle came to cover 120 x 90 pixels of 160 x 120.
    constexpr int kWide = 160;
    constexpr int kTall = 120;
    Square(Root(), 10.0, 0.0);
    for (const int depthBits : {24, 0}) {
        UseFramebuffer(kWide, kTall, depthBits);
        for (const bool perspective : {false, true}) {
            Look(CPoint3d(0, 0, 40), CPoint3d(0, 0, 0), CVector3d(0, 1, 0), perspective);
            Draw();
            const CPlane3d squarePlane(CPoint3d(0, 0, 0), CVector3d(0, 0, 1));
            const auto shownAt = [&](double x, double y) {
                CPoint3d point;
                EXPECT_TRUE(squarePlane.IntersectLine(m_view.GetPickRay(CPoint2d(x, y)), point));
                return point;
            };
            const CPoint3d topLeft = shownAt(90, 20);
            const CPoint3d bottomRight = shownAt(130, 50);
            m_view.ZoomWindow(CPoint2d(90, 20), CPoint2d(130, 50));
            CPoint3d a;
            CPoint3d b;
            m_view.ModelToScreen(topLeft, a);
            m_view.ModelToScreen(bottomRight, b);
            const std::string name = std::to_string(depthBits) + (perspective ? " perspective" : " parallel");
            // The depth is read back from the frame in single precision.
            EXPECT_NEAR(a.x, 0.0, 0.01) << name;
            EXPECT_NEAR(a.y, 0.0, 0.01) << name;
            EXPECT_NEAR(b.x, kWide, 0.01) << name;
            EXPECT_NEAR(b.y, kTall, 0.01) << name;
        }
    }
}

TEST_F(CameraTest, CentringOnAPixelBringsTheModelPointThereToTheViewCentre)
{
    Square(Root(), 8.0, 0.0);
    Look(CPoint3d(3, -20, 30), CPoint3d(0, 0, 0), CVector3d(0, 0, 1), true);
    CPoint3d under;
    ASSERT_TRUE(CPickHelper(&m_view, CPoint2d(20, 30), 0).FindNearestHitPoint(under));
    m_view.CenterOnPoint(CPoint2d(20, 30));
    CPoint3d window;
    m_view.ModelToScreen(under, window);
    EXPECT_NEAR(window.x, kWidth / 2.0, 1e-6);
    EXPECT_NEAR(window.y, kHeight / 2.0, 1e-6);
}

TEST_F(CameraTest, AutopanRunsWhileTheCursorRestsInTheBorder)
{
    Square(Root(), 8.0, 0.0);
    Draw();
    const CPoint3d eye = m_view.GetViewDefinition().GetEye();
    EXPECT_TRUE(m_view.StartAutopan(1, kHeight / 2, 0));
    EXPECT_TRUE(m_view.IsAutopanning());
    EXPECT_LT(m_view.GetViewDefinition().GetEye().x, eye.x);
    EXPECT_DOUBLE_EQ(m_view.GetViewDefinition().GetEye().y, eye.y);
    EXPECT_FALSE(m_view.StartAutopan(kWidth / 2, kHeight / 2, 0));
    EXPECT_FALSE(m_view.IsAutopanning());
    EXPECT_EQ(m_view.GetAnimation(), nullptr);
    m_view.SetAutopanEnabled(false);
    EXPECT_FALSE(m_view.StartAutopan(kWidth - 1, 0, 0));
    EXPECT_EQ(m_view.GetAnimation(), nullptr);
}

}  // namespace
