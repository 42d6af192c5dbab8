// Glyphs kept per face, size, smoothing and character: found again across lines and
// faces, kept apart where the bitmap differs, held within the byte budget; none drawn once
// the program is asked to end.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/quitrequest.h"
#include "render/glyphcache.h"
#include "render/installedfontlist.h"
#include "render/textrasterizer.h"

namespace {

CGlyphCache::Glyph Square(int side, int advance)
{
    CGlyphCache::Glyph glyph;
    glyph.usable = true;
    glyph.width = side;
    glyph.rows = side;
    glyph.advance = advance;
    glyph.coverage.assign(static_cast<std::size_t>(side) * side, 200);
    return glyph;
}

}  // namespace

TEST(GlyphCache, FacesDifferingInFileSizeOrSmoothingKeepTheirOwnGlyphs)
{
    CGlyphCache cache;
    const std::uint32_t face = cache.FaceId(CString("/a.ttf"), 12, true);
    EXPECT_EQ(cache.FaceId(CString("/a.ttf"), 12, true), face);
    const std::uint32_t others[] = {cache.FaceId(CString("/b.ttf"), 12, true),
                                    cache.FaceId(CString("/a.ttf"), 13, true),
                                    cache.FaceId(CString("/a.ttf"), 12, false)};
    cache.Insert(face, U'x', Square(2, 5));
    for (const std::uint32_t other : others) {
        EXPECT_NE(other, face);
        EXPECT_EQ(cache.Find(other, U'x'), nullptr);
        cache.Insert(other, U'x', Square(3, 7));
    }
    const CGlyphCache::Glyph* kept = cache.Find(face, U'x');
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->advance, 5);
    EXPECT_EQ(cache.GetCount(), 4U);
    cache.Clear();
    EXPECT_EQ(cache.Find(face, U'x'), nullptr);
    EXPECT_NE(cache.FaceId(CString("/a.ttf"), 12, true), face) << "a number is never given twice";
}

TEST(GlyphCache, TheBudgetHoldsWithTheLeastRecentlyUsedGoingFirst)
{
    const std::size_t entry = 100 + CGlyphCache::kEntryOverhead;
    CGlyphCache cache(4 * entry);
    const std::uint32_t face = cache.FaceId(CString("/a.ttf"), 12, true);
    for (char32_t c = U'a'; c < U'a' + 1000; ++c) {
        cache.Insert(face, c, Square(10, 1));
        // The first stays in use all along.
        ASSERT_NE(cache.Find(face, U'a'), nullptr) << static_cast<int>(c);
        ASSERT_LE(cache.GetBytes(), 4 * entry);
    }
    EXPECT_EQ(cache.GetCount(), 4U);
    EXPECT_EQ(cache.Find(face, U'a' + 995), nullptr);
    EXPECT_NE(cache.Find(face, U'a' + 999), nullptr);
    EXPECT_EQ(cache.Insert(face, U'!', Square(100, 1)), nullptr) << "larger than the whole budget";
    EXPECT_LE(cache.GetBytes(), 4 * entry);
}

TEST(GlyphCache, TheRasterizerRendersEachCharacterOncePerFaceAcrossLinesAndReopenings)
{
    const std::vector<CInstalledFont>& fonts = CInstalledFontList::GetInstalled().GetFonts();
    if (fonts.empty()) {
        GTEST_SKIP() << "no TrueType font installed";
    }
    CTextRasterizer rasterizer;
    std::vector<std::uint8_t> first;
    const struct
    {
        int size;
        std::u32string line;
        std::size_t kept;
    } steps[] = {
        {16, U"abcabc", 3}, {16, U"cab", 3}, {20, U"ab", 5}, {16, U"abcabc", 5}, {16, U"abd", 6},
    };
    for (const auto& step : steps) {
        ASSERT_TRUE(rasterizer.IsOpenFor(fonts.front().path, step.size, true) ||
                    rasterizer.Open(fonts.front().path, step.size, true));
        const CTextRasterizer::Extent extent = rasterizer.MeasureLine(step.line);
        std::vector<std::uint8_t> pixels(static_cast<std::size_t>(extent.right) * 3 * 40, 255);
        rasterizer.DrawLine(step.line, 0, 30, {pixels.data(), extent.right, 40, extent.right * 3, 3});
        EXPECT_EQ(rasterizer.GetGlyphCache().GetCount(), step.kept) << "step " << &step - steps;
        if (step.line == U"abcabc") {
            if (first.empty()) {
                first = pixels;
            }
            EXPECT_EQ(pixels, first) << "drawn from the kept glyphs as when first rendered";
        }
    }
}

TEST(GlyphCache, AfterAQuitRequestTheRasterizerDrawsNoMoreGlyphs)
{
    const std::vector<CInstalledFont>& fonts = CInstalledFontList::GetInstalled().GetFonts();
    if (fonts.empty()) {
        GTEST_SKIP() << "no TrueType font installed";
    }
    CTextRasterizer rasterizer;
    ASSERT_TRUE(rasterizer.Open(fonts.front().path, 16, true));
    CQuitRequest::Request();
    const CTextRasterizer::Extent extent = rasterizer.MeasureLine(U"quit");
    std::vector<std::uint8_t> pixels(std::size_t{64} * 3 * 40, 255);
    rasterizer.DrawLine(U"quit", 0, 30, {pixels.data(), 64, 40, 64 * 3, 3});
    CQuitRequest::Clear();
    EXPECT_EQ(extent.right, 0);
    EXPECT_EQ(pixels, std::vector<std::uint8_t>(pixels.size(), 255));
    EXPECT_EQ(rasterizer.GetGlyphCache().GetCount(), 0U);
}
