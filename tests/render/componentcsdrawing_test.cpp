#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

#include "document/componentcs.h"
#include "document/renderingoptions.h"
#include "render/tarnisview.h"
#include "render/viewdefinition.h"
#include "tests/render/glcontextfixture.h"

namespace {

// A view with its own display settings whose blending permission a test chooses.
class FadeView : public CTarnisView
{
public:
    [[nodiscard]] bool CanBlend() const override { return canBlend; }

    CRenderingOptions options;
    bool canBlend = true;

protected:
    CRenderingOptions* GetModelRenderingOptions() const override { return const_cast<CRenderingOptions*>(&options); }
};

class ComponentCSDrawing : public GLContextTest
{
protected:
    // Red, green and blue of every pixel, bottom row first.
    static std::vector<GLubyte> ReadPixels()
    {
        std::vector<GLubyte> pixels(static_cast<std::size_t>(kWidth * kHeight * 4));
        glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }
    static GLubyte Red(const std::vector<GLubyte>& pixels, int x, int y) { return pixels[(y * kWidth + x) * 4]; }
};

}  // namespace

TEST_F(ComponentCSDrawing, TheFadeIsBlendedWhereTheViewCanBlendAndStippledWhereItCannot)
{
    // The default translucent fill style blends when the view can.
    for (const bool canBlend : {true, false}) {
        FadeView view;
        view.canBlend = canBlend;
        glViewport(0, 0, kWidth, kHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, kWidth, 0, kHeight, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);

        CComponentCS axes;
        axes.DrawFade(&view, 0, 0, kWidth, kHeight);
        const std::vector<GLubyte> pixels = ReadPixels();
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 4; ++x) {
                const int expected = canBlend ? 38 : ((x + y) % 2 == 0 ? 128 : 0);
                EXPECT_NEAR(Red(pixels, x, y), expected, 8) << canBlend << " " << x << "," << y;
            }
        }
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        EXPECT_FALSE(glIsEnabled(GL_POLYGON_STIPPLE));
        GLboolean depthWrites = GL_FALSE;
        glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
        EXPECT_TRUE(depthWrites);
    }
}

TEST_F(ComponentCSDrawing, AMarkerThatIsNotDepthTestedShowsThroughAFaceInFront)
{
    for (const bool depthTested : {true, false}) {
        FadeView view;
        CViewDefinition definition;
        definition.SetViewportSize(kWidth, kHeight);
        definition.SetEyeTarget(CPoint3d(0, 0, 10), CPoint3d(0, 0, 0), CVector3d(0, 1, 0));
        definition.SetPerspective(false);
        definition.SetViewHeight(4.0);
        definition.FitDepthRange(CBoundingBox3d(-10, 10, -10, 10, -2, 2));
        view.SetViewDefinition(definition);
        view.ApplyViewToGL(0, nullptr);
        glViewport(0, 0, kWidth, kHeight);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glColor3ub(0, 0, 255);
        glBegin(GL_QUADS);  // a face between the eye and the marker
        glVertex3d(-10, -10, 1);
        glVertex3d(10, -10, 1);
        glVertex3d(10, 10, 1);
        glVertex3d(-10, 10, 1);
        glEnd();

        CComponentCS axes;
        axes.SetDepthTested(depthTested);
        axes.Draw(&view);
        view.EndPrimitive();
        const std::vector<GLubyte> pixels = ReadPixels();
        // Along the x arm, right of the centre.
        EXPECT_EQ(Red(pixels, kWidth / 2 + 10, kHeight / 2) > 150, !depthTested) << depthTested;
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        GLint function = 0;
        glGetIntegerv(GL_DEPTH_FUNC, &function);
        EXPECT_EQ(function, GL_LESS);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}
