#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "render/viewdefinition.h"
#include "tests/render/glcontextfixture.h"

namespace {

struct CameraCase
{
    std::string name;
    CPoint3d eye;
    CPoint3d target;
    CVector3d up;
    bool perspective;
    double fieldOfView;
    double viewHeight;
};

const std::vector<CameraCase> kCameras{
    {"perspective along -z", {0, 0, 10}, {0, 0, 0}, {0, 1, 0}, true, 30.0, 1.0},
    {"perspective from a corner", {120, -80, 45}, {3, 7, -2}, {0, 0, 1}, true, 55.0, 1.0},
    {"parallel from the side", {-40, 0, 5}, {0, 0, 5}, {0, 0, 1}, false, 30.0, 25.0},
    {"parallel from above, tilted up", {5, 5, 300}, {5, 6, 0}, {0.3, 1, 0}, false, 30.0, 80.0},
};

CViewDefinition MakeView(const CameraCase& c, int width = 64, int height = 48)
{
    CCamera camera;
    camera.SetView(c.eye, c.target, c.up, 0.1, 2.0, c.perspective, c.fieldOfView, c.viewHeight);
    CViewDefinition view;
    view.SetViewportSize(width, height);
    view.SetCamera(camera);
    return view;
}

CGLMatrix ReadMatrix(GLenum which)
{
    double values[16];
    glGetDoublev(which, values);
    return CGLMatrix(values);
}

void ExpectMatrixNear(const CGLMatrix& actual, const CGLMatrix& expected, const std::string& what)
{
    for (int i = 0; i < 16; ++i) {
        const double scale = std::max(1.0, std::fabs(expected.GetValues()[i]));
        EXPECT_NEAR(actual.GetValues()[i], expected.GetValues()[i], 1e-5 * scale) << what << " element " << i;
    }
}

// Builds a matrix with GL and GLU calls on the given stack and reads it back.
CGLMatrix BuildWithGL(GLenum mode, const std::function<void()>& calls)
{
    glMatrixMode(mode);
    glPushMatrix();
    glLoadIdentity();
    calls();
    const CGLMatrix result = ReadMatrix(mode == GL_PROJECTION ? GL_PROJECTION_MATRIX : GL_MODELVIEW_MATRIX);
    glPopMatrix();
    return result;
}

void GLProjection(const CViewDefinition& view, bool fitted)
{
    double nearZ = view.GetNear();
    double farZ = view.GetFar();
    if (fitted) {
        view.GetFittedRange(nearZ, farZ);
    }
    if (view.IsPerspective()) {
        gluPerspective(view.GetFieldOfView(), view.GetAspect(), nearZ, farZ);
    } else {
        glOrtho(-view.GetViewWidth() / 2, view.GetViewWidth() / 2, -view.GetViewHeight() / 2,
                view.GetViewHeight() / 2, nearZ, farZ);
    }
}

void GLLookAt(const CViewDefinition& view)
{
    const CCamera& c = view.GetCamera();
    gluLookAt(c.GetEye().x, c.GetEye().y, c.GetEye().z, c.GetTarget().x, c.GetTarget().y, c.GetTarget().z,
              c.GetUp().x, c.GetUp().y, c.GetUp().z);
}

}  // namespace

using ViewDefinitionGL = GLContextTest;

TEST_F(ViewDefinitionGL, LoadedMatricesEqualWhatGLAndGLUBuildForEveryCamera)
{
    for (const CameraCase& c : kCameras) {
        CViewDefinition view = MakeView(c);
        view.FitDepthRange(CBoundingBox3d(-5, 5, -5, 5, -5, 5));
        for (const bool fitted : {true, false}) {
            view.ApplyToGL(fitted);
            const CGLMatrix projection = ReadMatrix(GL_PROJECTION_MATRIX);
            const CGLMatrix modelView = ReadMatrix(GL_MODELVIEW_MATRIX);
            ExpectMatrixNear(projection, BuildWithGL(GL_PROJECTION, [&] { GLProjection(view, fitted); }),
                             c.name + " projection");
            ExpectMatrixNear(modelView, BuildWithGL(GL_MODELVIEW, [&] { GLLookAt(view); }), c.name + " look-at");
            const CViewDefinition::Planes expected = CViewDefinition::FrustumPlanesOf(projection, modelView);
            for (int i = 0; i < CViewDefinition::kPlaneCount; ++i) {
                EXPECT_TRUE(view.GetFrustumPlanes()[i].IsEqual(expected[i], true, 1e-6)) << c.name;
                // The target is inside every frustum plane.
                EXPECT_GT(view.GetFrustumPlanes()[i].GetSignedDistance(view.GetTarget()), 0.0) << c.name << i;
            }
        }
    }
}

TEST_F(ViewDefinitionGL, TheWindowMatrixIsTheViewportScaleOverTheFittedProjection)
{
    for (const CameraCase& c : kCameras) {
        CViewDefinition view = MakeView(c);
        view.FitDepthRange(CBoundingBox3d(-20, 20, -20, 20, -20, 20));
        const CGLMatrix expected = BuildWithGL(GL_MODELVIEW, [&] {
            glTranslated(32.0, 24.0, 0.5);
            glScaled(32.0, -24.0, 0.5);
            GLProjection(view, true);
            GLLookAt(view);
        });
        ExpectMatrixNear(view.GetWindowMatrix(), expected, c.name);
    }
}

TEST_F(ViewDefinitionGL, AnExplicitWindowInPerspectiveIsGivenOnTheFittedNearPlane)
{
    CViewDefinition view = MakeView(kCameras[0]);
    view.FitDepthRange(CBoundingBox3d(-1, 1, -1, 1, -1, 1));  // fitted 8.5 .. 11.5
    view.SetProjectionWindow(true, -2, 3, 1.5, -1);
    double nearZ = 0;
    double farZ = 0;
    view.GetFittedRange(nearZ, farZ);
    EXPECT_NEAR(nearZ, 0.9 * 8.5, 1e-9);
    view.ApplyToGL(true);
    ExpectMatrixNear(ReadMatrix(GL_PROJECTION_MATRIX),
                     BuildWithGL(GL_PROJECTION, [&] { glFrustum(-2, 3, -1, 1.5, nearZ, farZ); }), "fitted");
    view.ApplyToGL(false);
    const double k = 1.0 / nearZ;  // fixed near 1
    ExpectMatrixNear(ReadMatrix(GL_PROJECTION_MATRIX),
                     BuildWithGL(GL_PROJECTION, [&] { glFrustum(-2 * k, 3 * k, -k, 1.5 * k, 1.0, 10000.0); }),
                     "fixed");
    double left = 0;
    double right = 0;
    double bottom = 0;
    double top = 0;
    EXPECT_TRUE(view.GetProjectionWindow(left, right, bottom, top));
    EXPECT_EQ(bottom, -1.0);
}

TEST_F(ViewDefinitionGL, PickMatricesRestrictTheFittedProjectionToTheRegion)
{
    for (const CameraCase& c : kCameras) {
        CViewDefinition view = MakeView(c);
        int viewport[4];
        view.GetViewport(viewport);
        view.ApplyPickMatrix(CPoint2d(10, 7), 4, 6);
        ExpectMatrixNear(ReadMatrix(GL_PROJECTION_MATRIX), BuildWithGL(GL_PROJECTION, [&] {
                             gluPickMatrix(10, 48 - 7, 4, 6, viewport);
                             GLProjection(view, true);
                         }),
                         c.name);
        // Two equal corners pick one pixel around them.
        view.ApplyPickRect(CPoint2d(20, 30), CPoint2d(20, 30));
        ExpectMatrixNear(ReadMatrix(GL_PROJECTION_MATRIX), BuildWithGL(GL_PROJECTION, [&] {
                             gluPickMatrix(20, 48 - 30, 1, 1, viewport);
                             GLProjection(view, true);
                         }),
                         c.name + " rect");
        ExpectMatrixNear(ReadMatrix(GL_MODELVIEW_MATRIX), BuildWithGL(GL_MODELVIEW, [&] { GLLookAt(view); }),
                         c.name + " rect look-at");
    }
}

TEST(ViewDefinition, PointsRoundTripThroughTheWindowAndLinesOfSightHitThem)
{
    for (const CameraCase& c : kCameras) {
        const CViewDefinition view = MakeView(c);
        CPoint3d window;
        ASSERT_TRUE(view.ProjectPoint(view.GetTarget(), window)) << c.name;
        EXPECT_NEAR(window.x, 32.0, 1e-9) << c.name;
        EXPECT_NEAR(window.y, 24.0, 1e-9) << c.name;
        for (const CPoint3d& model : {CPoint3d(1, 2, 3), CPoint3d(-4, 0.5, 2), view.GetTarget()}) {
            ASSERT_TRUE(view.ProjectPoint(model, window)) << c.name;
            CPoint3d back;
            ASSERT_TRUE(view.UnprojectPoint(window, back)) << c.name;
            EXPECT_TRUE(back.IsEqual(model, 1e-6)) << c.name;
            const CLine3d sight = view.ScreenToModelLine(CPoint2d(window.x, window.y));
            CPoint3d foot;
            sight.ProjectPoint(model, foot);
            EXPECT_LT(foot.Distance(model), 1e-6) << c.name;
        }
    }
}

TEST(ViewDefinition, TheFittedRangeKeepsAMarginAndAThousandfoldRatio)
{
    struct Case
    {
        bool fit;
        CBoundingBox3d box;
        double nearZ;
        double farZ;
    };
    // Eye at z = 10 looking down -z; a box is fitted half a unit beyond its corners.
    const std::vector<Case> cases{
        {false, CBoundingBox3d(), 11.0, 11000.0},                            // nothing fitted yet
        {true, CBoundingBox3d(-1, 1, -1, 1, -1989.5, 9), 2.2, 2200.0},       // fitted 0.5 .. 2000
        {true, CBoundingBox3d(-1, 1, -1, 1, -1, 1), 0.9 * 8.5, 1.1 * 11.5},  // fitted 8.5 .. 11.5
    };
    for (const Case& c : cases) {
        CViewDefinition view = MakeView(kCameras[0]);
        if (c.fit) {
            view.FitDepthRange(c.box);
        }
        double nearZ = 0;
        double farZ = 0;
        view.GetFittedRange(nearZ, farZ);
        EXPECT_NEAR(nearZ, c.nearZ, 1e-9);
        EXPECT_NEAR(farZ, c.farZ, 1e-9);
    }
}

TEST_F(ViewDefinitionGL, WindowDepthsZeroAndOneAreTheUsedNearAndFar)
{
    for (const CameraCase& c : kCameras) {
        CViewDefinition view = MakeView(c);
        view.ApplyToGL(true);
        EXPECT_NEAR(view.DepthToDistance(0.0), view.GetUsedNear(), 1e-9) << c.name;
        EXPECT_NEAR(view.DepthToDistance(1.0), view.GetUsedFar(), 1e-6) << c.name;
        // The target's window depth maps back to its distance.
        CPoint3d window;
        ASSERT_TRUE(view.ProjectPoint(view.GetTarget(), window));
        EXPECT_NEAR(view.DepthToDistance(window.z), view.GetTargetDistance(), 1e-6) << c.name;
    }
}

// The used range stayed 0 until a frame loaded a projection: depths came out NaN in
// perspective and 0 in parallel projection.
TEST(ViewDefinition, WindowDepthsConvertToDistancesStraightAfterTheSettersInBothProjections)
{
    for (const CameraCase& c : kCameras) {
        CViewDefinition view = MakeView(c);
        for (int pass = 0; pass < 2; ++pass) {
            const std::string what = c.name + (view.IsPerspective() ? " in perspective" : " in parallel");
            double nearZ = 0.0;
            double farZ = 0.0;
            view.GetFittedRange(nearZ, farZ);
            EXPECT_NEAR(view.DepthToDistance(0.0), nearZ, 1e-9) << what;
            EXPECT_NEAR(view.DepthToDistance(1.0), farZ, 1e-6) << what;
            CPoint3d window;
            ASSERT_TRUE(view.ProjectPoint(view.GetTarget(), window)) << what;
            EXPECT_NEAR(view.DepthToDistance(window.z), view.GetTargetDistance(), 1e-6) << what;
            view.SetPerspective(!view.IsPerspective());
        }
    }
}

TEST_F(ViewDefinitionGL, PickVolumesHoldWhatProjectsIntoTheirRectangle)
{
    for (const CameraCase& c : kCameras) {
        CViewDefinition view = MakeView(c);
        view.ApplyToGL(true);
        CViewDefinition::Planes planes;
        view.GetPickVolume(10, 5, 30, 20, planes);
        const auto inside = [&planes](const CPoint3d& p) {
            for (const CPlane3d& plane : planes) {
                if (plane.GetSignedDistance(p) > 0.0) {
                    return false;
                }
            }
            return true;
        };
        for (const auto& [px, py, expected] : std::vector<std::tuple<double, double, bool>>{
                 {20, 12, true}, {11, 19, true}, {9, 12, false}, {31, 12, false}, {20, 4, false}, {20, 21, false}}) {
            CPoint3d model;
            ASSERT_TRUE(view.UnprojectPoint(CPoint3d(px, py, 0.5), model));
            EXPECT_EQ(inside(model), expected) << c.name << " pixel " << px << "," << py;
        }
    }
}

TEST(ViewDefinition, AViewportWithoutHeightHasAspectOne)
{
    CViewDefinition view = MakeView(kCameras[0], 100, 0);
    EXPECT_EQ(view.GetAspect(), 1.0);
    EXPECT_EQ(view.GetPixelSize(), 0.0);
    int x = 0;
    int y = 0;
    view.SetViewportSize(101, 51);
    view.GetViewportCenter(x, y);
    EXPECT_EQ(x, 50);
    EXPECT_EQ(y, 25);
}

TEST(ViewDefinition, ANarrowerWindowWidensTheViewSoThePictureKeepsItsWidth)
{
    for (const CameraCase& c : {kCameras[0], kCameras[2]}) {
        CViewDefinition view = MakeView(c, 64, 48);
        const double halfWidth = c.perspective ? std::tan(view.GetFieldOfView() * kPi / 360) * view.GetAspect()
                                               : view.GetViewWidth() / 2;
        const double previous = view.ResizeViewportFitHeight(32, 48);
        EXPECT_EQ(previous, c.perspective ? c.fieldOfView : c.viewHeight) << c.name;
        const double newHalfWidth = c.perspective
                                        ? std::tan(view.GetFieldOfView() * kPi / 360) * view.GetAspect()
                                        : view.GetViewWidth() / 2;
        EXPECT_NEAR(newHalfWidth, halfWidth, 1e-9) << c.name;
        // A wider window keeps the view as it is.
        view.ResizeViewportFitHeight(200, 48);
        EXPECT_EQ(view.GetViewportWidth(), 200) << c.name;
    }
}

// Pins a past fault: the projections zoomed opposite ways for one factor.
TEST(ViewDefinition, ANegativeFactorZoomsInTowardsThePixelInBothProjections)
{
    for (const CameraCase& c : kCameras) {
        for (const bool atPixel : {true, false}) {
            CViewDefinition view = MakeView(c);
            const CPoint2d pixel = atPixel ? CPoint2d(10, 40) : CPoint2d(32, 24);
            const CLine3d sight = view.ScreenToModelLine(pixel);
            const double depth = DotProduct(c.target - view.GetEye(), view.GetViewDirection());
            // A point under the pixel at the target's depth, and one a unit beside it.
            const double slant = DotProduct(CVector3d(sight.direction), view.GetViewDirection());
            const CPoint3d under = sight.GetPoint(depth / slant);
            const CPoint3d beside = under + view.GetXAxis();
            CPoint3d a;
            CPoint3d b;
            view.ProjectPoint(under, a);
            view.ProjectPoint(beside, b);
            const double before = b.x - a.x;
            if (atPixel) {
                view.ZoomAtPixel(pixel, depth, -0.5);
            } else {
                view.Dolly(depth, -0.5);
            }
            view.ProjectPoint(under, a);
            view.ProjectPoint(beside, b);
            // Half the way to the point along the line of sight, or half the view height.
            const double growth = c.perspective ? depth / (depth - 0.5 * depth * (atPixel ? slant : 1.0)) : 2.0;
            EXPECT_NEAR(b.x - a.x, before * growth, 1e-6) << c.name << atPixel;
            EXPECT_NEAR(a.x, pixel.x, 1e-6) << c.name << atPixel;
            EXPECT_NEAR(a.y, pixel.y, 1e-6) << c.name << atPixel;
        }
    }
}
