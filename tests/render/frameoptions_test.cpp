// What the options and the view's colour-override table change in a frame: smooth
// edges blended into the background, and the background and ground colours.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <vector>

#include "document/component.h"
#include "document/renderingoptions.h"
#include "document/tarnwickmodel.h"
#include "model/undosuspender.h"
#include "render/tarnisview.h"
#include "samplegen/geometrybuilder.h"
#include "tests/render/glcontextfixture.h"

namespace {

class FrameOptionsTest : public GLContextTest
{
protected:
    void SetUp() override
    {
        GLContextTest::SetUp();
        m_model = new CTarnwickModel();
        m_model->SetDisplayAxes(false);
        m_view.SetModel(m_model);
        m_view.InitGLState();
        CRenderingOptions& options = *m_model->GetRenderingOptions();
        options.SetBackgroundColor(CColor(255, 255, 255, 255));
        options.SetForegroundColor(CColor(0, 0, 0, 255));
        options.SetRenderMode(0);
        CViewDefinition definition;
        definition.SetViewportSize(kWidth, kHeight);
        definition.SetEyeTarget(CPoint3d(0, 0, 100), CPoint3d(0, 0, 0), CVector3d(0, 1, 0));
        definition.SetPerspective(false);
        definition.SetViewHeight(20.0);
        m_view.SetViewDefinition(definition);
        m_view.SetViewportSize(kWidth, kHeight);
        const CGeometryBuilder builder(*m_model->GetRootComponent());
        builder.Edge(builder.Vertex(CPoint3d(-9, -7, 0)), builder.Vertex(CPoint3d(9, 6, 0)));
    }
    void TearDown() override
    {
        m_view.SetModel(nullptr);
        m_model->Release();
        GLContextTest::TearDown();
    }

    std::vector<std::uint8_t> Draw()
    {
        const CurrentModelScope scope(m_model);
        m_view.DrawFrame(0, false);
        glFinish();
        std::vector<std::uint8_t> pixels;
        EXPECT_TRUE(m_device->ReadPixels(pixels));
        return pixels;
    }
    // The distinct greys of the frame.
    std::set<int> Greys()
    {
        const std::vector<std::uint8_t> pixels = Draw();
        std::set<int> greys;
        for (std::size_t i = 0; i < pixels.size(); i += 4) {
            greys.insert(pixels[i]);
        }
        return greys;
    }

    const CUndoSuspender m_suspender;
    CTarnisView m_view;
    CTarnwickModel* m_model = nullptr;
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
        const std::vector<std::uint8_t> pixels = Draw();
        return std::vector<int>{pixels[0] / 16, pixels[1] / 16, pixels[2] / 16};
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
