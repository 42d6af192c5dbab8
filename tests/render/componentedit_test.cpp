// The sample house saved with its instance axes on, read back and drawn with its garden
// group open and closed: the edit frame around the garden shows while it is open, the
// component axes whenever the component-edit display is on.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "document/classregistration.h"
#include "document/renderingoptions.h"
#include "document/tarnwickmodel.h"
#include "foundation/versioninfo.h"
#include "model/undosuspender.h"
#include "render/tarnisview.h"
#include "samplegen/housemodel.h"
#include "samplegen/modelfiles.h"
#include "tests/render/glcontextfixture.h"

namespace {

constexpr int kWide = 160;
constexpr int kTall = 120;
// The rows along the top: the frame's far edge runs here, 30 pixels beyond the garden.
constexpr int kStrip = 20;

struct Counts
{
    int frameLight = 0;  // light grey in the strip along the top, where only the frame lies
    int xArm = 0;        // the red arm of an axes marker
    int yArm = 0;        // the green arm
};

class ComponentEditTest : public GLContextTest
{
protected:
    void SetUp() override
    {
        MakeCurrent(kWide, kTall, 8);
        RegisterModelClasses();
        auto* saved = new CTarnwickModel();
        {
            const CurrentModelScope scope(saved);
            BuildHouseModel(*saved);
            const CUndoSuspender suspender;
            saved->GetRenderingOptions()->SetInstanceAxes(true);
            m_bytes = WriteModelBytes(*saved, kSaveFormat5000);
        }
        saved->Release();
        m_model = new CTarnwickModel();
        const CurrentModelScope scope(m_model);
        ReadModelBytes(m_bytes, *m_model);
        CRenderingOptions& options = *m_model->GetRenderingOptions();
        options.SetDisplaySky(false);
        options.SetDisplayGround(false);
        m_model->SetDisplayAxes(false);
        m_view.SetModel(m_model);
        m_view.InitGLState();
        // Straight down at the garden (-8..18 by -6..14), two pixels to the unit.
        CViewDefinition definition;
        definition.SetViewportSize(kWide, kTall);
        definition.SetEyeTarget(CPoint3d(5, 4, 100), CPoint3d(5, 4, 0), CVector3d(0, 1, 0));
        definition.SetPerspective(false);
        definition.SetViewHeight(60.0);
        m_view.SetViewDefinition(definition);
        m_view.SetViewportSize(kWide, kTall);
    }
    void TearDown() override
    {
        const CUndoSuspender suspender;
        m_view.SetModel(nullptr);
        m_model->Release();
        GLContextTest::TearDown();
    }

    Counts Draw()
    {
        const CurrentModelScope scope(m_model);
        m_view.DrawFrame(0, false);
        glFinish();
        std::vector<std::uint8_t> pixels(static_cast<std::size_t>(kWide) * kTall * 4);
        glReadPixels(0, 0, kWide, kTall, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        const auto near = [](const std::uint8_t* p, int r, int g, int b) {
            return std::abs(p[0] - r) <= 8 && std::abs(p[1] - g) <= 8 && std::abs(p[2] - b) <= 8;
        };
        // FRAME_DUMP names a folder of the developer's own for the frames.
        static int n = 0;
        const char* folder = std::getenv("FRAME_DUMP");
        const std::string dump = folder != nullptr ? std::string(folder) + "/edit" + std::to_string(n++) + ".ppm" : "";
        if (FILE* f = dump.empty() ? nullptr : std::fopen(dump.c_str(), "wb"); f != nullptr) {
            std::fprintf(f, "P6 %d %d 255\n", kWide, kTall);
            for (int y = kTall - 1; y >= 0; --y) {
                for (int x = 0; x < kWide; ++x) {
                    std::fwrite(&pixels[(static_cast<std::size_t>(y) * kWide + x) * 4], 1, 3, f);
                }
            }
            std::fclose(f);
        }
        Counts counts;
        for (std::size_t at = 0; at < pixels.size(); at += 4) {
            const bool topStrip = at / 4 / kWide >= static_cast<std::size_t>(kTall - kStrip);
            counts.frameLight += topStrip && near(&pixels[at], 195, 195, 195) ? 1 : 0;
            counts.xArm += near(&pixels[at], 178, 0, 0) ? 1 : 0;
            counts.yArm += near(&pixels[at], 0, 178, 0) ? 1 : 0;
        }
        return counts;
    }

    std::vector<std::uint8_t> m_bytes;
    CTarnwickModel* m_model = nullptr;
    CTarnisView m_view;
};

}  // namespace

TEST_F(ComponentEditTest, TheComponentAxesFollowTheDisplayByteOpenOrNotAndTheOpenGardenShowsItsEditFrame)
{
    // The file keeps the instance axes; which component was open it does not keep.
    ASSERT_TRUE(m_model->GetRenderingOptions()->IsInstanceAxes());
    ASSERT_EQ(m_model->GetActiveInstance(), nullptr);
    struct Row
    {
        const char* name;
        bool open;
        bool display;
        bool frame;  // the frame's far side runs dashed along the top, about 110 pixels long
        bool axes;
    };
    // With none open the component axes stand at the model's origin, after the model.
    const Row rows[] = {
        {"closed", false, true, false, true},
        {"closed, display off", false, false, false, false},
        {"open", true, true, true, true},
        {"open, display off", true, false, false, false},
        {"closed again", false, true, false, true},
    };
    for (const Row& row : rows) {
        if (row.open && m_model->GetActiveInstance() == nullptr) {
            ASSERT_TRUE(OpenGardenForEditing(*m_model));
        } else if (!row.open) {
            m_model->CloseInstance();
        }
        m_model->GetRenderingOptions()->SetDisplayByte(CRenderingOptions::kComponentEditDisplay, row.display);
        const Counts counts = Draw();
        EXPECT_EQ(counts.frameLight > 40, row.frame) << row.name;
        EXPECT_EQ(counts.frameLight == 0, !row.frame) << row.name;
        EXPECT_EQ(counts.xArm > 20 && counts.yArm > 20, row.axes) << row.name;
        EXPECT_EQ(counts.xArm < 5 && counts.yArm < 5, !row.axes) << row.name;
    }
}
