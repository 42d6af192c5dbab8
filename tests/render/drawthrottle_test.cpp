// A frame of more draws than the driver is let fall behind: the copies of a box drawn over
// one another, over several windows of draws, show exactly as one copy does.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "document/tarnwickmodel.h"
#include "render/drawthrottle.h"
#include "samplegen/stressmodels.h"
#include "tests/render/hiddenaxes.h"
#include "tests/render/modelframefixture.h"

namespace {

class DrawThrottleTest : public ModelFrameTest
{
protected:
    // The first frame of a doubling model of that many levels, as the view shows it from
    // the model's camera.
    std::vector<std::uint8_t> DrawDoubling(int levels)
    {
        m_view.SetModel(nullptr);
        m_model->Release();
        m_model = new CTarnwickModel();
        HideModelAxes(*m_model);
        BuildDoublingModel(*m_model, levels);
        m_view.SetModel(m_model);
        m_view.SetViewportSize(kWidth, kHeight);
        m_view.SetCamera(m_model->GetCamera(), 0.0);
        Draw();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << levels << " levels";
        return m_pixels;
    }
};

TEST_F(DrawThrottleTest, CopiesDrawnOverSeveralWindowsOfDrawsShowAsOneCopyDoes)
{
    const std::vector<std::uint8_t> one = DrawDoubling(1);
    // 256 boxes, each its faces, its edges and its profiles: three windows and more.
    static_assert(3 * 256 > 2 * CDrawThrottle::kDrawsPerWindow);
    const std::vector<std::uint8_t> many = DrawDoubling(9);
    EXPECT_EQ(many, one);
    EXPECT_NE(Pixel(kWidth / 2, kHeight / 2), (std::array<int, 3>{one[0], one[1], one[2]}))
        << "the box stands in the middle of the view";
}

}  // namespace
