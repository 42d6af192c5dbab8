// The standard views and Iso of the sample house, checked by the model's pixels in the
// depth buffer of the frame.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "document/classregistration.h"
#include "document/renderingoptions.h"
#include "document/tarnwickmodel.h"
#include "model/undosuspender.h"
#include "render/tarnisview.h"
#include "samplegen/housemodel.h"
#include "tests/render/glcontextfixture.h"

namespace {

constexpr int kViewWidth = 128;
constexpr int kViewHeight = 96;

class StandardViewTest : public GLContextTest
{
protected:
    void SetUp() override
    {
        MakeCurrent(kViewWidth, kViewHeight, 8);
        RegisterModelClasses();
        m_model = new CTarnwickModel();
        BuildHouseModel(*m_model);
        m_model->GetRenderingOptions()->SetDisplaySky(false);
        m_model->GetRenderingOptions()->SetDisplayGround(false);
        m_view.SetModel(m_model);
        m_view.InitGLState();
        CViewDefinition definition;
        definition.SetViewportSize(kViewWidth, kViewHeight);
        definition.SetCamera(m_model->GetCamera());
        m_view.SetViewDefinition(definition);
        m_view.SetViewportSize(kViewWidth, kViewHeight);
    }
    void TearDown() override
    {
        const CUndoSuspender suspender;
        m_view.SetModel(nullptr);
        m_model->Release();
        GLContextTest::TearDown();
    }

    struct Shown
    {
        int pixels = 0;
        double centreX = 0.0;
        double centreY = 0.0;
    };

    // The model's pixels in a new frame and their centre.
    Shown Draw()
    {
        {
            const CurrentModelScope scope(m_model);
            m_view.DrawFrame(0, false);
        }
        glFinish();
        std::vector<float> depth(static_cast<std::size_t>(kViewWidth) * kViewHeight);
        glReadPixels(0, 0, kViewWidth, kViewHeight, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
        Shown shown;
        for (int y = 0; y < kViewHeight; ++y) {
            for (int x = 0; x < kViewWidth; ++x) {
                if (depth[static_cast<std::size_t>(y) * kViewWidth + x] < 0.99999f) {
                    ++shown.pixels;
                    shown.centreX += x;
                    shown.centreY += y;
                }
            }
        }
        if (shown.pixels > 0) {
            shown.centreX /= shown.pixels;
            shown.centreY /= shown.pixels;
        }
        return shown;
    }

    CTarnwickModel* m_model = nullptr;
    CTarnisView m_view;
};

// Pins a past fault: the views turned about a point one unit before the eye and showed
// nothing, and Iso pushed the house into a corner.
TEST_F(StandardViewTest, EachStandardViewAndIsoShowTheHouseInTheMiddle)
{
    struct View
    {
        const char* name;
        void (CTarnisView::*turn)();
    };
    const View views[] = {{"Top", &CTarnisView::ViewTop},     {"Bottom", &CTarnisView::ViewBottom},
                          {"Front", &CTarnisView::ViewFront}, {"Back", &CTarnisView::ViewBack},
                          {"Left", &CTarnisView::ViewLeft},   {"Right", &CTarnisView::ViewRight},
                          {"Iso", &CTarnisView::ViewIso}};
    for (const View& view : views) {
        (m_view.*view.turn)();
        const Shown shown = Draw();
        EXPECT_GT(shown.pixels, kViewWidth * kViewHeight / 20) << view.name;
        EXPECT_LT(std::abs(shown.centreX - kViewWidth / 2.0), kViewWidth / 4.0) << view.name;
        EXPECT_LT(std::abs(shown.centreY - kViewHeight / 2.0), kViewHeight / 4.0) << view.name;
    }
}

}  // namespace
