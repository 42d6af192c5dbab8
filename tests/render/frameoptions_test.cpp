// What the options and the view's colour-override table change in a frame: smooth
// edges blended into the background, and the background and ground colours.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <set>
#include <vector>

#include "samplegen/geometrybuilder.h"
#include "tests/render/modelframefixture.h"

namespace {

class FrameOptionsTest : public ModelFrameTest
{
protected:
    void SetUp() override
    {
        ModelFrameTest::SetUp();
        Options().SetBackgroundColor(CColor(255, 255, 255, 255));
        Options().SetForegroundColor(CColor(0, 0, 0, 255));
        Options().SetRenderMode(0);
        LookDown(20.0);
        const CGeometryBuilder builder(Root());
        builder.Edge(builder.Vertex(CPoint3d(-9, -7, 0)), builder.Vertex(CPoint3d(9, 6, 0)));
    }

    // The distinct greys of the frame.
    std::set<int> Greys()
    {
        Draw();
        std::set<int> greys;
        for (std::size_t i = 0; i < m_pixels.size(); i += 4) {
            greys.insert(m_pixels[i]);
        }
        return greys;
    }
};

}  // namespace

TEST_F(FrameOptionsTest, ASmoothEdgeBlendsIntoTheBackgroundAndLeavesTheStateAsItFoundIt)
{
    EXPECT_EQ(Greys().size(), 2U) << "black on white";
    m_model->GetRenderingOptions()->SetDisplayByte(CRenderingOptions::kSmoothEdges, true);
    EXPECT_GT(Greys().size(), 4U) << "shades between";
    EXPECT_EQ(glIsEnabled(GL_LINE_SMOOTH), GL_FALSE);
    EXPECT_EQ(m_view.IsLightingOn(), glIsEnabled(GL_LIGHTING) == GL_TRUE);
    GLint depthFunction = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunction);
    EXPECT_EQ(static_cast<unsigned>(depthFunction), m_view.GetDepthFunction());
}

TEST_F(FrameOptionsTest, TheOverrideTableGivesTheBackgroundAndTheGroundTheirColours)
{
    CRenderingOptions& options = *m_model->GetRenderingOptions();
    options.SetDisplayGround(true);
    options.SetGroundColor(CColor(0, 200, 0, 255));
    // The corner's colour within a few steps of the dithering.
    const auto corner = [this] {
        Draw();
        return std::vector<int>{m_pixels[0] / 16, m_pixels[1] / 16, m_pixels[2] / 16};
    };
    EXPECT_EQ(corner(), (std::vector<int>{0, 12, 0})) << "looking down on the ground";
    const CColorOverrideMap table{{CString("GroundPlaneColor"), CColor(0, 0, 200, 128)},
                                  {CString("BackgroundColor"), CColor(200, 0, 0, 128)}};
    m_view.SetColorOverrides(&table);
    EXPECT_EQ(corner(), (std::vector<int>{0, 0, 12}));
    options.SetDisplayGround(false);
    EXPECT_EQ(corner(), (std::vector<int>{12, 0, 0}));
    m_view.SetColorOverrides(nullptr);
}

TEST_F(FrameOptionsTest, TheTransparentGroundIsLightenedWhereTheHorizonCutsADetailedPerspectiveView)
{
    CRenderingOptions& options = *m_model->GetRenderingOptions();
    options.SetDisplayGround(true);
    options.SetGroundColor(CColor(0, 200, 0, 255));
    options.SetGroundTransparency(0);
    // Off to the side, it brings the depth range up to the eye and the ground before it.
    const CGeometryBuilder builder(Root());
    builder.Edge(builder.Vertex(CPoint3d(20, -48, 0)), builder.Vertex(CPoint3d(20, 48, 0)));
    struct Case
    {
        const char* name;
        CPoint3d eye;
        CPoint3d target;
        bool detail;
        std::array<int, 3> bottom;
    };
    const Case cases[] = {
        {"across the ground, detailed", CPoint3d(0, -50, 5), CPoint3d(0, 0, 5), true, {128, 228, 128}},
        {"across the ground, plain", CPoint3d(0, -50, 5), CPoint3d(0, 0, 5), false, {0, 200, 0}},
        {"down on it, detailed", CPoint3d(0, 0, 30), CPoint3d(0, 0, 0), true, {0, 200, 0}},
    };
    for (const Case& c : cases) {
        CViewDefinition definition = m_view.GetViewDefinition();
        definition.SetPerspective(true);
        definition.SetEyeTarget(c.eye, c.target, CVector3d(0, 1, 1));
        m_view.SetViewDefinition(definition);
        m_view.SetBackgroundDetail(c.detail);
        Draw();
        const std::array<int, 3> pixel = Pixel(kWidth / 2, kHeight - 1);
        for (int channel = 0; channel < 3; ++channel) {
            EXPECT_NEAR(pixel[channel], c.bottom[channel], 6) << c.name << channel;
        }
    }
}
