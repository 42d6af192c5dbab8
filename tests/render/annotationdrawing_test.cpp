// The annotations of the sample house in the view's pixels: the label and the
// dimension where their anchors put them, the dimension following its edge and the
// model's units, and watermarks at each of their places.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "annotations/dimensionlinear.h"
#include "annotations/dimensionstyle.h"
#include "annotations/text.h"
#include "annotations/watermark.h"
#include "document/classregistration.h"
#include "document/component.h"
#include "document/optionsmanager.h"
#include "document/renderingoptions.h"
#include "document/tarnwickmodel.h"
#include "document/twfont.h"
#include "document/unitsoptions.h"
#include "foundation/framemeter.h"
#include "foundation/typedvalue.h"
#include "model/undosuspender.h"
#include "model/vertex.h"
#include "render/gltextimagecache.h"
#include "render/installedfontlist.h"
#include "render/tarnisview.h"
#include "samplegen/housemodel.h"
#include "tests/render/glcontextfixture.h"
#include "tests/render/picturesupport.h"

namespace {

constexpr int kWide = 320;
constexpr int kTall = 240;

struct Box
{
    int left = kWide;
    int bottom = kTall;
    int right = -1;
    int top = -1;
    int count = 0;

    void Add(int x, int y)
    {
        left = std::min(left, x);
        right = std::max(right, x);
        bottom = std::min(bottom, y);
        top = std::max(top, y);
        ++count;
    }
};

using Pixels = std::vector<std::uint8_t>;

class AnnotationDrawingTest : public GLContextTest
{
protected:
    void SetUp() override
    {
        if (CInstalledFontList::GetInstalled().GetFonts().empty()) {
            GTEST_SKIP() << "no TrueType font installed";
        }
        MakeCurrent(kWide, kTall, 8);
        RegisterModelClasses();
        m_model = new CTarnwickModel();
        const CurrentModelScope scope(m_model);
        BuildHouseModel(*m_model);
        CRenderingOptions& options = *m_model->GetRenderingOptions();
        options.SetDisplaySky(false);
        options.SetDisplayGround(false);
        m_view.SetModel(m_model);
        m_view.InitGLState();
        CViewDefinition definition;
        definition.SetViewportSize(kWide, kTall);
        definition.SetCamera(m_model->GetCamera());
        m_view.SetViewDefinition(definition);
        m_view.SetViewportSize(kWide, kTall);
        for (CDrawingElement* entity : m_model->GetRootComponent()->GetEntityList()) {
            m_label = m_label != nullptr ? m_label : dynamic_cast<CText*>(entity);
            m_dimension = m_dimension != nullptr ? m_dimension : dynamic_cast<CDimensionLinear*>(entity);
        }
        ASSERT_NE(m_label, nullptr);
        ASSERT_NE(m_dimension, nullptr);
    }
    void TearDown() override
    {
        if (m_model == nullptr) {
            return;
        }
        const CUndoSuspender suspender;
        m_view.SetModel(nullptr);
        m_model->Release();
        GLContextTest::TearDown();
    }

    Pixels Draw(bool annotations)
    {
        const CurrentModelScope scope(m_model);
        m_model->GetRenderingOptions()->SetDisplayByte(CRenderingOptions::kHideAnnotations, !annotations);
        m_view.DrawFrame(0, false);
        glFinish();
        Pixels pixels(static_cast<std::size_t>(kWide) * kTall * 4);
        glReadPixels(0, 0, kWide, kTall, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }

    // The pixels the annotations changed inside the window rectangle.
    static Box Changed(const Pixels& with, const Pixels& without, int left, int bottom, int right, int top)
    {
        Box box;
        for (int y = std::max(0, bottom); y <= std::min(kTall - 1, top); ++y) {
            for (int x = std::max(0, left); x <= std::min(kWide - 1, right); ++x) {
                const std::size_t at = (static_cast<std::size_t>(y) * kWide + x) * 4;
                if (std::abs(with[at] - without[at]) + std::abs(with[at + 1] - without[at + 1]) +
                        std::abs(with[at + 2] - without[at + 2]) > 24) {
                    box.Add(x, y);
                }
            }
        }
        return box;
    }

    CPoint3d Window(const CPoint3d& model)
    {
        // The view's window rows count downwards, GL's upwards.
        CPoint3d window;
        EXPECT_TRUE(m_view.ModelToScreen(model, window));
        window.y = kTall - window.y;
        return window;
    }

    CTarnwickModel* m_model = nullptr;
    CTarnisView m_view;
    CText* m_label = nullptr;
    CDimensionLinear* m_dimension = nullptr;
};

TEST_F(AnnotationDrawingTest, TheHouseLabelAndDimensionShowWhereTheirAnchorsPutThem)
{
    const Pixels without = Draw(false);
    const Pixels with = Draw(true);
    const CurrentModelScope scope(m_model);
    // The label starts at its point, right of the leader, and is as large as its text image.
    const CText::Layout layout = m_label->LayoutText(&m_view);
    ASSERT_EQ(layout.placement, 9);
    const CPoint3d labelPoint = Window(layout.points[3]);
    CGLTextImageCache image;
    image.SetText(m_label->GetText(), 0, dynamic_cast<CTwFont*>(m_label->GetEffectiveFont()), &m_view);
    const int w = image.GetWidth();
    const int h = image.GetHeight();
    ASSERT_GT(w, 20);
    const Box label = Changed(with, without, 0, 0, kWide - 1, kTall - 1);
    const Box inBox = Changed(with, without, static_cast<int>(labelPoint.x) - 2, static_cast<int>(labelPoint.y) - h / 2 - 2,
                              static_cast<int>(labelPoint.x) + w + 2, static_cast<int>(labelPoint.y) + h / 2 + 2);
    EXPECT_GT(inBox.count, w * h / 20) << "the label's glyphs";
    EXPECT_GT(inBox.right - inBox.left, w / 2) << "the label spans its text";
    EXPECT_GT(label.count, inBox.count) << "leader and dimension beside the label";
    // The dimension line runs below the house front, its label centred on it.
    const CDimensionLinear::Layout lines = m_dimension->ComputeLayout();
    const CPoint3d start = Window(lines.frame * lines.points[2]);
    const CPoint3d end = Window(lines.frame * lines.points[3]);
    const Box dimension = Changed(with, without, static_cast<int>(std::min(start.x, end.x)) - 12,
                                  static_cast<int>(std::min(start.y, end.y)) - 12,
                                  static_cast<int>(std::max(start.x, end.x)) + 12,
                                  static_cast<int>(std::max(start.y, end.y)) + 12);
    EXPECT_GT(dimension.right - dimension.left, std::fabs(end.x - start.x) * 0.8) << "the dimension line";
    // Its label stands on the ground it lies on: both halves of its glyphs show.
    bool overridden = false;
    CGLTextImageCache length;
    length.SetText(m_dimension->GetDisplayText(&m_view, overridden), 1,
                   dynamic_cast<CTwFont*>(m_dimension->GetDimensionStyle()->GetFont()), &m_view);
    const int lw = length.GetWidth();
    const int lh = length.GetHeight();
    ASSERT_GT(lw, 5);
    const int mx = static_cast<int>((start.x + end.x) / 2.0);
    const int my = static_cast<int>((start.y + end.y) / 2.0);
    const Box upper = Changed(with, without, mx - lw / 2, my + 2, mx + lw / 2, my + lh / 2);
    const Box lower = Changed(with, without, mx - lw / 2, my - lh / 2, mx + lw / 2, my - 2);
    EXPECT_GT(upper.count, 0) << "the upper half of the length";
    EXPECT_GT(lower.count, upper.count / 8) << "the lower half of the length";
}

TEST_F(AnnotationDrawingTest, TheDimensionFollowsItsEdgeAndTheModelsUnits)
{
    const CurrentModelScope scope(m_model);
    const CString feet = m_dimension->GetText(&m_view);
    auto* right = dynamic_cast<CVertex*>(m_dimension->GetSecondPoint().GetFirstEntity());
    ASSERT_NE(right, nullptr);
    const CPoint3d before = Window(m_dimension->ComputeLayout().frame * m_dimension->ComputeLayout().points[3]);
    {
        const CUndoSuspender suspender;
        right->SetPosition(right->GetPosition() + CVector3d(24.0, 0.0, 0.0));
    }
    const CString longer = m_dimension->GetText(&m_view);
    EXPECT_NE(longer, feet);
    const CPoint3d after = Window(m_dimension->ComputeLayout().frame * m_dimension->ComputeLayout().points[3]);
    EXPECT_GT(after.x, before.x + 5.0) << "the dimension line's end follows the vertex";

    auto* units = dynamic_cast<CUnitsOptions*>(m_model->GetOptionsManager()->GetProvider(CString(CUnitsOptions::kName)));
    ASSERT_NE(units, nullptr);
    units->MakeCurrent();
    orvell::utils::CTypedValue value;
    value.SetInt(0);
    ASSERT_TRUE(units->SetValue("LengthFormat", value));
    value.SetInt(2);
    ASSERT_TRUE(units->SetValue("LengthUnit", value));
    const CString millimetres = m_dimension->GetText(&m_view);
    EXPECT_NE(millimetres, longer);
    EXPECT_NE(millimetres.Find(CString("mm")), -1) << millimetres.ToUtf8();
}

TEST_F(AnnotationDrawingTest, AFrameStoppedAtALabelsDepthTestLeavesTheVisibilityAPrintReuses)
{
    const CurrentModelScope scope(m_model);
    {
        // Drawn on top of the model: the depth at its anchor decides.
        const CUndoSuspender suspender;
        m_label->SetLeaderKindValue(CText::kScreenLeader);
    }
    const CViewDefinition towards = m_view.GetViewDefinition();
    CViewDefinition away = towards;
    const CPoint3d eye = towards.GetEye();
    away.SetEyeTarget(eye, eye + (eye - towards.GetTarget()), towards.GetCamera().GetUp());
    const auto printed = [this] {
        m_view.SetPrinting(true);
        const bool visible = m_label->IsLabelVisible(&m_view);
        m_view.SetPrinting(false);
        return visible;
    };
    // Looking away, the anchor is off the window.
    m_view.SetViewDefinition(away);
    EXPECT_FALSE(m_label->IsLabelVisible(&m_view));
    // Looking at it again, a frame that stops at the label's depth read shows no label,
    // and a print goes on with the last whole answer.
    m_view.SetViewDefinition(towards);
    {
        const CFrameMeter::CScope spent(0);
        EXPECT_FALSE(m_label->IsLabelVisible(&m_view));
    }
    EXPECT_FALSE(printed());
    // A whole frame's answer is kept.
    Draw(true);
    EXPECT_TRUE(printed());
}

TEST_F(AnnotationDrawingTest, TheModelsWatermarkLandsAtEachOfItsNinePlacesAndBehindTheModelWhenAsked)
{
    constexpr int kPictureWide = 16;
    constexpr int kPictureTall = 8;
    const std::vector<std::uint32_t> red(kPictureWide * kPictureTall, 0xFFFF0000u);
    struct Place
    {
        std::uint32_t position;
        int x;
        int y;
    };
    const int cx = (kWide - kPictureWide) / 2;
    const int cy = (kTall - kPictureTall) / 2;
    const int top = kTall - kPictureTall;
    const int right = kWide - kPictureWide;
    const Place places[] = {{0, 0, top},  {1, cx, top},  {2, right, top}, {3, 0, cy}, {4, cx, cy},
                            {5, right, cy}, {6, 0, 0}, {7, cx, 0}, {8, right, 0}, {9, 0, 0}};
    const std::string file = testing::TempDir() + "watermark.png";
    ASSERT_TRUE(WriteTestPictureFile(kPictureWide, kPictureTall, red, file));
    // The model's frame draws it.
    auto* watermark = new CWatermark;
    m_model->AddWatermark(watermark);
    const auto redPixels = [&](const Pixels& pixels) {
        Box box;
        for (int y = 0; y < kTall; ++y) {
            for (int x = 0; x < kWide; ++x) {
                const std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * kWide + x) * 4];
                if (p[0] > 240 && p[1] < 20 && p[2] < 20) {
                    box.Add(x, y);
                }
            }
        }
        return box;
    };
    for (const Place& place : places) {
        {
            const CUndoSuspender suspender;
            watermark->SetImageFile(CString(file.c_str()), place.position);
        }
        const Box box = redPixels(Draw(true));
        EXPECT_EQ(box.count, kPictureWide * kPictureTall) << place.position;
        EXPECT_NEAR(box.left, place.x, 1) << place.position;
        EXPECT_NEAR(box.bottom, place.y, 1) << place.position;
    }
    // Behind the model: whole where nothing is in front of it, covered by the house at
    // the middle of the window.
    const CUndoSuspender suspender;
    watermark->SetInFront(false);
    for (const std::uint32_t position : {CWatermark::kBottomLeft, CWatermark::kCentre}) {
        watermark->SetImageFile(CString(file.c_str()), position);
        const Box behind = redPixels(Draw(true));
        if (position == CWatermark::kCentre) {
            EXPECT_LT(behind.count, kPictureWide * kPictureTall);
        } else {
            EXPECT_EQ(behind.count, kPictureWide * kPictureTall);
        }
    }
}

}  // namespace
