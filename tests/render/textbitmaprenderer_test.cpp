// Texts rendered black on white into the shared bitmap: lines, alignment, smoothing.

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <vector>

#include "document/twfont.h"
#include "foundation/framemeter.h"
#include "platform/profile.h"
#include "platform/settingsstore.h"
#include "render/installedfontlist.h"
#include "render/textbitmaprenderer.h"
#include "render/textdrawing.h"

namespace {

struct Rendered
{
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    // The columns that hold ink in the row band [top, bottom).
    [[nodiscard]] std::pair<int, int> InkColumns(int top, int bottom) const
    {
        int first = width;
        int last = -1;
        for (int y = top; y < bottom; ++y) {
            for (int x = 0; x < width; ++x) {
                if (pixels[(static_cast<std::size_t>(y) * width + x) * 3] < 128) {
                    first = std::min(first, x);
                    last = std::max(last, x);
                }
            }
        }
        return {first, last};
    }
};

Rendered Render(CTextBitmapRenderer& renderer, const CTwFont* font, const CString& text, int alignment = 0)
{
    CTextBitmapRenderer::Bitmap bitmap;
    Rendered result;
    if (!renderer.Render(font, text, alignment, bitmap)) {
        return result;
    }
    EXPECT_EQ(bitmap.width % 4, 0);
    EXPECT_EQ(bitmap.stride, bitmap.width * 3);
    result.width = bitmap.width;
    result.height = bitmap.height;
    result.pixels.assign(bitmap.pixels, bitmap.pixels + static_cast<std::size_t>(bitmap.stride) * bitmap.height);
    return result;
}

class TextBitmapTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (CInstalledFontList::GetInstalled().GetFonts().empty()) {
            GTEST_SKIP() << "no TrueType font installed";
        }
        SetProfileStore(&m_store);
        m_font.Set(CString("Tahoma"), false, false, 12);
    }
    void TearDown() override { SetProfileStore(nullptr); }

    CSettingsStore m_store{CString()};
    CTwFont m_font;
};

TEST(SplitTextLines, BackslashNAndEveryLineBreakSplitLines)
{
    const struct {
        const char16_t* text;
        std::vector<CString> lines;
    } cases[] = {
        {u"one", {"one"}},
        {u"one\\ntwo", {"one", "two"}},
        {u"one\r\ntwo\nthree\rfour", {"one", "two", "three", "four"}},
        {u"end\\n", {"end", ""}},
        {u"a\\b", {"a\\b"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitTextLines(CString(c.text)), c.lines) << CString(c.text).ToUtf8();
    }
}

TEST_F(TextBitmapTest, TextIsBlackOnWhiteAndBothLineBreaksGiveTheSameTwoLines)
{
    CTextBitmapRenderer renderer;
    const Rendered one = Render(renderer, &m_font, CString("Glimra"));
    const Rendered escaped = Render(renderer, &m_font, CString("Glimra\\nview"));
    const Rendered crlf = Render(renderer, &m_font, CString("Glimra\r\nview"));
    ASSERT_GT(one.width, 0);
    EXPECT_EQ(escaped.height, 2 * one.height);
    EXPECT_EQ(escaped.pixels, crlf.pixels);
    std::size_t white = 0;
    std::size_t black = 0;
    for (std::size_t i = 0; i < one.pixels.size(); i += 3) {
        EXPECT_TRUE(one.pixels[i] == one.pixels[i + 1] && one.pixels[i] == one.pixels[i + 2]) << "grey only";
        white += one.pixels[i] == 255 ? 1 : 0;
        black += one.pixels[i] < 64 ? 1 : 0;
    }
    EXPECT_GT(white, one.pixels.size() / 6) << "the background is white";
    EXPECT_GT(black, 20U) << "the glyphs are dark";
}

TEST_F(TextBitmapTest, LinesAlignLeftCentredOrRightInTheWidestLine)
{
    CTextBitmapRenderer renderer;
    const CString text("Wide wide line\\nab");
    for (int alignment = 0; alignment <= 2; ++alignment) {
        const Rendered block = Render(renderer, &m_font, text, alignment);
        const auto [first, last] = block.InkColumns(block.height / 2, block.height);
        const int leftGap = first;
        const int rightGap = block.width - 1 - last;
        if (alignment == 0) {
            EXPECT_LT(leftGap, 4);
        } else if (alignment == 1) {
            EXPECT_NEAR(leftGap, rightGap, 5);
        } else {
            EXPECT_LT(rightGap, 6);
        }
        EXPECT_GT(std::max(leftGap, rightGap), block.width / 3) << alignment;
    }
}

TEST_F(TextBitmapTest, WithoutSmoothingTheGlyphsHaveNoGreyEdges)
{
    WriteProfileInt(CString("TextStyle"), CString("AntiAliasText"), 0);
    CTextBitmapRenderer renderer;
    EXPECT_FALSE(renderer.IsSmoothing());
    EXPECT_EQ(CreateTextLogFont(CString("Tahoma"), 10, 96, true, false, false).quality, 3);
    const CTextLogFont smooth = CreateTextLogFont(CString("Tahoma"), 10, 96, true, false, true);
    EXPECT_EQ(smooth.quality, 4);
    EXPECT_EQ(smooth.weight, 600);
    EXPECT_EQ(smooth.height, 13);
    const Rendered block = Render(renderer, &m_font, CString("Glimra"));
    std::set<int> values;
    for (std::size_t i = 0; i < block.pixels.size(); i += 3) {
        values.insert(block.pixels[i]);
    }
    EXPECT_EQ(values, (std::set<int>{0, 255}));
    WriteProfileInt(CString("TextStyle"), CString("AntiAliasText"), 1);
    EXPECT_FALSE(renderer.IsSmoothing()) << "read once per run";
}

TEST_F(TextBitmapTest, AFontInAMissingFamilyOrWithAFilesSizeOutOfRangeStillRenders)
{
    CTextBitmapRenderer renderer;
    const struct {
        const char* face;
        int height;
        const char* path;
    } cases[] = {
        {"No Such Family Anywhere", 12, ""},
        {"Tahoma", 0, ""},
        {"Tahoma", 5000000, ""},
        {"", 12, "/no/such/file.ttf"},
    };
    for (const auto& c : cases) {
        CTwFont font;
        font.Set(CString(c.face), true, false, c.height);
        font.SetFontPath(CString(c.path));
        const Rendered block = Render(renderer, &font, CString("Glimra"));
        EXPECT_GT(block.InkColumns(0, block.height).second, 10) << c.face << " " << c.height;
    }
    EXPECT_EQ(Render(renderer, &m_font, CString()).width, 0) << "an empty text renders nothing";
}

TEST_F(TextBitmapTest, ABlockIsRefusedAtTheWidestSideNotBeforeAndATooWideOneCostsNoGlyph)
{
    CTextBitmapRenderer renderer;
    CTwFont font;
    font.Set(CString("Tahoma"), false, false, 150);
    int oneWidth = 0;
    int height = 0;
    ASSERT_TRUE(renderer.Measure(&font, CString("W"), oneWidth, height));
    std::u16string text;
    int lastWidth = 0;
    int width = 0;
    while (renderer.Measure(&font, CString(text + u"W"), width, height)) {
        text += u"W";
        lastWidth = width;
    }
    EXPECT_GT(lastWidth + 2 * oneWidth, CTextBitmapRenderer::kMaxSide) << "refused only past the widest side";
    const CFrameMeter::CScope frame;
    CTextBitmapRenderer::Bitmap bitmap;
    EXPECT_FALSE(renderer.Render(&font, CString(text + text), 0, bitmap));
    EXPECT_EQ(frame.GetUsed(), 0U) << "no glyph of a surely too wide block is rendered";
}

TEST_F(TextBitmapTest, GlyphsAndPicturesAreChargedByTheirPixelsAndAFrameThatMustStopRendersNothing)
{
    CTextBitmapRenderer renderer;
    CTwFont font;
    font.Set(CString("Tahoma"), false, false, 150);
    const CString text("Big text");
    std::uint64_t used = 0;
    {
        const CFrameMeter::CScope frame;
        const Rendered block = Render(renderer, &font, text);
        ASSERT_GT(block.width, 0);
        used = frame.GetUsed();
        const auto pixels = static_cast<std::uint64_t>(block.width) * block.height;
        EXPECT_GT(used, CFrameMeter::PixelUnits(pixels, CFrameMeter::kPixelsPerUnit)) << "the picture and its glyphs";
    }
    {
        const CFrameMeter::CScope frame;
        (void)Render(renderer, &font, text);
        EXPECT_LT(frame.GetUsed(), used) << "kept glyphs are not charged again";
    }
    renderer.Release();
    {
        const CFrameMeter::CScope frame(used / 4);
        EXPECT_EQ(Render(renderer, &font, text).width, 0);
        EXPECT_TRUE(frame.IsExhausted());
    }
    const CFrameMeter::CScope nextFrame;
    EXPECT_GT(Render(renderer, &font, text).width, 0);
}

}  // namespace
