// Texts drawn by the view: screen texts and labels at model points where their box
// puts them, dark on the background, in every font kind, and made again after the
// context is replaced.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "document/renderingoptions.h"
#include "document/tarnwickmodel.h"
#include "document/texturegl.h"
#include "document/twfont.h"
#include "platform/profile.h"
#include "platform/settingsstore.h"
#include "foundation/framemeter.h"
#include "render/gltextimagecache.h"
#include "render/gltiledtextimagecache.h"
#include "render/textpicturestore.h"
#include "render/installedfontlist.h"
#include "render/tarnisview.h"
#include "tests/render/glcontextfixture.h"
#include "tests/render/hiddenaxes.h"

namespace {

// The options' switch of the view-name label.
constexpr auto kViewNameByte = static_cast<CRenderingOptions::DisplayByte>(8);

struct Box
{
    int left = 1 << 20;
    int top = 1 << 20;
    int right = -1;
    int bottom = -1;
    int count = 0;
};

class TextDrawingTest : public GLContextTest
{
protected:
    static constexpr int kWide = 160;
    static constexpr int kTall = 64;

    void SetUp() override
    {
        if (CInstalledFontList::GetInstalled().GetFonts().empty()) {
            GTEST_SKIP() << "no TrueType font installed";
        }
        MakeCurrent(kWide, kTall, 8);
        SetProfileStore(&m_store);
        m_model = new CTarnwickModel();
        HideModelAxes(*m_model);
        m_view.SetModel(m_model);
        m_view.InitGLState();
        CRenderingOptions& options = *m_model->GetRenderingOptions();
        options.SetBackgroundColor(CColor(255, 255, 255, 255));
        options.SetForegroundColor(CColor(0, 0, 0, 255));
        options.SetDisplayByte(kViewNameByte, false);
        CViewDefinition definition;
        definition.SetViewportSize(kWide, kTall);
        definition.SetEyeTarget(CPoint3d(0, 0, 100), CPoint3d(0, 0, 0), CVector3d(0, 1, 0));
        definition.SetPerspective(false);
        definition.SetViewHeight(kTall);
        m_view.SetViewDefinition(definition);
        m_view.SetViewportSize(kWide, kTall);
        m_view.CreateViewFont();
        m_font.Set(CString("No Such Family Anywhere"), false, false, 12);
    }
    void TearDown() override
    {
        if (m_model == nullptr) {
            return;
        }
        m_view.ReleaseViewFont();
        m_view.SetModel(nullptr);
        m_model->Release();
        SetProfileStore(nullptr);
        GLContextTest::TearDown();
    }

    // A frame of the empty model; the texts are drawn over it before it is read.
    void BeginFrame() { m_view.DrawFrame(0, false); }
    // The box of the dark pixels, x from the left and y from the top.
    Box Ink()
    {
        glFinish();
        std::vector<std::uint8_t> rgba;
        EXPECT_TRUE(m_device->ReadPixels(rgba));
        Box box;
        for (int y = 0; y < kTall; ++y) {
            for (int x = 0; x < kWide; ++x) {
                if (rgba[(static_cast<std::size_t>(y) * kWide + x) * 4] < 100) {
                    box.left = std::min(box.left, x);
                    box.right = std::max(box.right, x);
                    box.top = std::min(box.top, y);
                    box.bottom = std::max(box.bottom, y);
                    ++box.count;
                }
            }
        }
        return box;
    }
    void DrawLabel(int placement, const CPlane3d* plane = nullptr)
    {
        const CurrentModelScope scope(m_model);
        BeginFrame();
        m_view.SetColor(CColor(0, 0, 0, 255));
        m_view.DrawText(&m_font, CPoint3d(0, 0, 0), CString("Glimra"), placement, 0, 0, plane, false, nullptr);
    }

    CSettingsStore m_store{CString()};
    CTarnwickModel* m_model = nullptr;
    CTarnisView m_view;
    CTwFont m_font;
};

TEST_F(TextDrawingTest, AScreenTextIsDrawnDarkOnTheBackgroundInsideItsBox)
{
    const CurrentModelScope scope(m_model);
    BeginFrame();
    EXPECT_EQ(Ink().count, 0);
    m_view.DrawScreenText(20, 10, CString("Glimra"));
    const Box ink = Ink();
    EXPECT_GT(ink.count, 40) << "the view font's face is not installed; its stand-in draws";
    EXPECT_GE(ink.left, 20);
    EXPECT_LE(ink.right, 20 + 60);
    EXPECT_GE(ink.top, 10);
    EXPECT_LE(ink.bottom, 10 + 20);
    EXPECT_FALSE(GetProfileString(CString("ViewFont"), CString("FontPath"), CString()).IsEmpty());
}

TEST_F(TextDrawingTest, ALabelAtAModelPointIsPlacedByItsPlacementCode)
{
    // The model origin is at the viewport's centre (80, 32); a label placed at a point off
    // the centre keeps to its own side.
    const CPlane3d ground(CPoint3d(0, 0, 0), CVector3d(0, 0, 1));
    const struct {
        int placement;
        const CPlane3d* plane;
        bool rightOfCentre, leftOfCentre, aboveCentre, belowCentre;
    } cases[] = {
        {0, nullptr, true, false, true, false},
        {4, nullptr, false, false, false, false},
        {8, nullptr, false, true, false, true},
        {4, &ground, false, false, false, false},
        {0, &ground, true, false, true, false},
    };
    for (const auto& c : cases) {
        DrawLabel(c.placement, c.plane);
        const Box ink = Ink();
        const char* what = c.plane != nullptr ? "in the plane" : "facing the screen";
        ASSERT_GT(ink.count, 30) << c.placement << " " << what;
        EXPECT_EQ(ink.left >= 79, c.rightOfCentre) << c.placement << " " << what;
        EXPECT_EQ(ink.right <= 81, c.leftOfCentre) << c.placement << " " << what;
        EXPECT_EQ(ink.bottom <= 32, c.aboveCentre) << c.placement << " " << what;
        EXPECT_EQ(ink.top >= 31, c.belowCentre) << c.placement << " " << what;
        if (c.placement == 4) {
            EXPECT_NEAR((ink.left + ink.right) / 2.0, 80.0, 4.0) << what;
            EXPECT_NEAR((ink.top + ink.bottom) / 2.0, 32.0, 4.0) << what;
        }
    }
    const CurrentModelScope scope(m_model);
    BeginFrame();
    m_view.DrawText(&m_font, CPoint3d(-60, 20, 0), CString("Glimra"), 0, 0, 0, nullptr, false, nullptr);
    const Box ink = Ink();
    EXPECT_GE(ink.left, 19);
    EXPECT_LE(ink.bottom, 12) << "20 units up is 12 pixels from the top";
}

TEST_F(TextDrawingTest, EveryGlyphFontKindDrawsItsGlyphsAtTheLabel)
{
    for (int kind = 0; kind <= 5; ++kind) {
        m_font.SetFontKind(kind);
        DrawLabel(4);
        EXPECT_NE(m_font.GetGLFont(), nullptr) << kind;
        const Box ink = Ink();
        EXPECT_GT(ink.count, 20) << kind;
        EXPECT_NEAR((ink.left + ink.right) / 2.0, 80.0, 6.0) << kind;
        EXPECT_NEAR((ink.top + ink.bottom) / 2.0, 32.0, 6.0) << kind;
    }
}

TEST_F(TextDrawingTest, ACacheRendersOncePerKeyAndAgainForANewContext)
{
    CGLTextImageCache cache;
    cache.SetText(CString("Glimra"), 0, &m_font, &m_view);
    cache.Draw(&m_view);
    const unsigned list = cache.GetImage().GetDisplayList();
    ASSERT_NE(list, 0U);
    cache.SetText(CString("Glimra"), 0, &m_font, &m_view);
    EXPECT_EQ(cache.GetImage().GetDisplayList(), list) << "the same key keeps its image";
    cache.SetText(CString("Glimra"), 1, &m_font, &m_view);
    EXPECT_EQ(cache.GetImage().GetDisplayList(), 0U) << "another alignment renders again";
    EXPECT_TRUE(cache.GetImage().HasTexture());
    ForgetGLTextureNames();
    cache.SetText(CString("Glimra"), 1, &m_font, &m_view);
    EXPECT_FALSE(cache.GetImage().IsStale()) << "the same key renders again in a new context";
    cache.SetText(CString(), 1, &m_font, &m_view);
    EXPECT_EQ(cache.GetWidth(), 0);
    EXPECT_TRUE(cache.IsValid());
}

TEST_F(TextDrawingTest, TheViewNameLabelIsMadeAgainAfterTheContextIsReplaced)
{
    const CurrentModelScope scope(m_model);
    m_model->GetRenderingOptions()->SetDisplayByte(kViewNameByte, true);
    BeginFrame();
    const Box before = Ink();
    ASSERT_GT(before.count, 20);
    EXPECT_LT(before.right, kWide / 2) << "\"Top\" in the top left corner";
    EXPECT_LT(before.bottom, kTall / 2);
    EXPECT_TRUE(m_view.GetLabelCache().GetImage().HasTexture());
    m_view.ResetOpenGL();
    EXPECT_FALSE(m_view.GetLabelCache().GetImage().HasTexture());
    BeginFrame();
    EXPECT_EQ(Ink().count, before.count);
}

TEST_F(TextDrawingTest, ALabelLetGoByTheStoreOrGivenUpByAStoppingFrameIsRenderedWhenNextDrawn)
{
    const CString text("Label");
    CGLTiledTextImageCache label;
    label.SetText(text, 0, &m_font, &m_view);
    const int width = label.GetWidth();
    ASSERT_GT(width, 0);
    CTextPictureStore::Get().LetGoOfAll();
    EXPECT_FALSE(label.GetImage().HasTextures());
    EXPECT_EQ(label.GetWidth(), width) << "picking and extents see the size drawn last";
    label.SetText(text, 0, &m_font, &m_view);
    EXPECT_TRUE(label.GetImage().HasTextures());
    label.Reset();
    {
        const CFrameMeter::CScope spent(0);
        label.SetText(text, 0, &m_font, &m_view);
        EXPECT_FALSE(label.GetImage().HasTextures());
    }
    label.SetText(text, 0, &m_font, &m_view);
    EXPECT_TRUE(label.GetImage().HasTextures());
    EXPECT_EQ(label.GetWidth(), width);
}

}  // namespace
