#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "imaging/2passscale.h"
#include "imaging/ilanybmp.h"
#include "imaging/ilbilinearcontribdef.h"
#include "imaging/ilfilterboxreduce.h"
#include "imaging/ilfilterflip.h"
#include "imaging/ilfilterresizebilinear.h"
#include "imaging/iltextexception.h"
#include "imaging/ilwinbmp.h"
#include "imagingtestutil.h"

namespace {

// A 32-bit image whose pixels all carry one value v in each of their four bytes.
ILAnyBmp GreyRow(const std::vector<std::uint8_t>& values, bool vertical)
{
    const int count = static_cast<int>(values.size());
    ILAnyBmp bmp;
    bmp.CreateFromData(vertical ? 1 : count, vertical ? count : 1, 32, true, false, nullptr, 0, ILPoint(10, 20));
    for (int i = 0; i < count; ++i) {
        const std::uint8_t v = values[static_cast<std::size_t>(i)];
        SetPixel(bmp, vertical ? 0 : i, vertical ? i : 0, ILPixel32(v, v, v, v));
    }
    return bmp;
}

std::vector<int> Values(const ILBmp& bmp)
{
    std::vector<int> values;
    for (int y = 0; y < bmp.GetHeight(); ++y) {
        for (int x = 0; x < bmp.GetWidth(); ++x) {
            const ILPixel32 p = PixelAt(bmp, x, y);
            EXPECT_TRUE(p.r == p.g && p.g == p.b && p.b == p.a) << "bytes were scaled differently";
            values.push_back(p.r);
        }
    }
    return values;
}

std::vector<int> Resized(const std::vector<std::uint8_t>& values, int newSize, bool vertical)
{
    const ILAnyBmp source = GreyRow(values, vertical);
    ILAnyBmp result;
    source.ApplyFilter(ILFilterResizeBilinear(vertical ? 1 : newSize, vertical ? newSize : 1), result);
    EXPECT_EQ(result.GetResolution(), ILPoint(10, 20));
    EXPECT_TRUE(result.HasAlpha());
    return Values(result);
}

}  // namespace

TEST(ILFilterFlipTest, FlippingReversesTheRowsAndTwiceRestoresThem)
{
    ILAnyBmp bmp;
    bmp.CreateFromData(1, 3, 32, false, false, nullptr, 0, ILPoint());
    SetPixel(bmp, 0, 0, ILPixel32(255, 0, 0));
    SetPixel(bmp, 0, 1, ILPixel32(0, 255, 0));
    SetPixel(bmp, 0, 2, ILPixel32(0, 0, 255));
    const ILAnyBmp original(bmp);
    bmp.ApplyFilter(ILFilterFlip());
    EXPECT_EQ(PixelAt(bmp, 0, 0), ILPixel32(0, 0, 255));
    EXPECT_EQ(PixelAt(bmp, 0, 1), ILPixel32(0, 255, 0));
    EXPECT_EQ(PixelAt(bmp, 0, 2), ILPixel32(255, 0, 0));
    bmp.ApplyFilter(ILFilterFlip());
    EXPECT_TRUE(bmp == original);
}

TEST(ILFilterFlipTest, PaletteImagesFlipWithTheirPaletteAndWindowsBitmapsInPlace)
{
    ILAnyBmp indexed;
    indexed.CreateFromData(3, 2, 8, false, false, nullptr, 0, ILPoint(1, 2));
    std::memcpy(indexed.GetLineArray()[0], "\x01\x02\x03", 3);
    std::memcpy(indexed.GetLineArray()[1], "\x04\x05\x06", 3);
    indexed.SetPaletteEntry(5, 9, 9, 9, 9);
    ILAnyBmp flipped;
    indexed.ApplyFilter(ILFilterFlip(), flipped);
    EXPECT_EQ(flipped.GetLineArray()[0][1], 5);
    EXPECT_EQ(flipped.GetLineArray()[1][2], 3);
    EXPECT_EQ(flipped.GetPalette()[5], ILPixel32(9, 9, 9, 9));
    EXPECT_EQ(flipped.GetResolution(), ILPoint(1, 2));

    ILWinBmp win(indexed);
    win.ApplyFilter(ILFilterFlip());
    EXPECT_EQ(win.GetLineArray()[0][0], 4);
    EXPECT_EQ(win.GetLineArray()[1][0], 1);
}

TEST(ILFilterResizeTest, TheSameSizeLeavesEveryPixelUnchanged)
{
    ILAnyBmp bmp;
    bmp.CreateFromData(3, 2, 32, false, false, nullptr, 0, ILPoint());
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            SetPixel(bmp, x, y, ILPixel32(static_cast<std::uint8_t>(x * 70), static_cast<std::uint8_t>(y * 90), 7, 200));
        }
    }
    const ILAnyBmp original(bmp);
    bmp.ApplyFilter(ILFilterResizeBilinear(3, 2));
    EXPECT_TRUE(bmp == original);
}

TEST(ILFilterResizeTest, HalvingAveragesPairsWithTheTriangleWeights)
{
    // Destination 0 takes sources 0..2 with weights 128, 128, 0; destination 1 takes 1..3
    // with 0, 128, 128: (100 × 128 + 128) / 256 = 50 and (200 × 128 + 255 × 128 + 128) / 256 = 228.
    EXPECT_EQ(Resized({0, 100, 200, 255}, 2, false), (std::vector<int>{50, 228}));
    EXPECT_EQ(Resized({0, 100, 200, 255}, 2, true), (std::vector<int>{50, 228}));
}

TEST(ILFilterResizeTest, DoublingRepeatsEachPixel)
{
    EXPECT_EQ(Resized({10, 250}, 4, false), (std::vector<int>{10, 10, 250, 250}));
    EXPECT_EQ(Resized({10, 250}, 4, true), (std::vector<int>{10, 10, 250, 250}));
}

TEST(ILFilterResizeTest, ShrinkingBelowTheWeightResolutionGivesBlack)
{
    const std::vector<std::uint8_t> bright(1000, 255);
    EXPECT_EQ(Resized(bright, 1, false), (std::vector<int>{0}));
}

TEST(ILFilterResizeTest, TwoDimensionsScaleIntoAWindowsBitmap)
{
    ILAnyBmp source;
    source.CreateFromData(4, 4, 32, false, false, nullptr, 0, ILPoint());
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            SetPixel(source, x, y, ILPixel32(static_cast<std::uint8_t>(x * 80), static_cast<std::uint8_t>(y * 80), 0, 255));
        }
    }
    ILWinBmp result;
    source.ApplyFilter(ILFilterResizeBilinear(2, 2), result);
    ASSERT_EQ(result.GetWidth(), 2);
    ASSERT_EQ(result.GetBitsPerPixel(), 32);
    // Columns 0, 80, 160, 240 halve to 40 and 200 (see the one-dimensional case).
    EXPECT_EQ(PixelAt(result, 0, 0), ILPixel32(40, 40, 0, 255));
    EXPECT_EQ(PixelAt(result, 1, 1), ILPixel32(200, 200, 0, 255));
}

TEST(ILFilterResizeTest, OnlyThirtyTwoBitImagesAreResized)
{
    ILAnyBmp indexed;
    ILAnyBmp result;
    try {
        indexed.ApplyFilter(ILFilterResizeBilinear(4, 4), result);
        FAIL() << "an 8-bit image was resized";
    } catch (const ILTextException& e) {
        EXPECT_EQ(e.GetCode(), ILTextException::notSupported);
    }
}

TEST(ILFilterBoxReduceTest, EachPixelIsTheRoundedMeanOfItsBoxAtEveryDepth)
{
    // Sources reduced to 2 × 1. Of the 4 × 2 ones the left box holds pixels 0, 1, 4, 5, the
    // right 2, 3, 6, 7.
    ILAnyBmp bits;
    bits.CreateFromData(4, 2, 1, false, false, nullptr, 0, ILPoint(0, 0));
    bits.SetPaletteEntry(0, 0, 0, 0, 255);
    bits.SetPaletteEntry(1, 200, 100, 40, 255);
    bits.GetLineArray()[0][0] = 0xB0;  // 1 0 1 1
    bits.GetLineArray()[1][0] = 0x30;  // 0 0 1 1
    // A wide one: unset pixels on the left, every other set on the right.
    ILAnyBmp wideBits;
    wideBits.CreateFromData(128, 2, 1, false, false, nullptr, 0, ILPoint(0, 0));
    wideBits.SetPaletteEntry(0, 0, 0, 0, 255);
    wideBits.SetPaletteEntry(1, 200, 100, 40, 255);
    for (int y = 0; y < 2; ++y) {
        std::memset(wideBits.GetLineArray()[y], 0, 8);
        std::memset(wideBits.GetLineArray()[y] + 8, 0x55, 8);
    }
    ILAnyBmp indexed;
    indexed.CreateFromData(4, 2, 8, false, false, nullptr, 0, ILPoint(0, 0));
    indexed.SetPaletteEntry(7, 10, 20, 30, 255);
    indexed.SetPaletteEntry(9, 11, 21, 31, 255);
    const std::uint8_t indices[] = {7, 7, 9, 9, 7, 9, 9, 9};
    for (int i = 0; i < 8; ++i) {
        indexed.GetLineArray()[i / 4][i % 4] = indices[i];
    }
    ILAnyBmp deep;
    deep.CreateFromData(4, 2, 32, true, false, nullptr, 0, ILPoint(0, 0));
    for (int i = 0; i < 8; ++i) {
        const auto v = static_cast<std::uint8_t>(i * 10);
        SetPixel(deep, i % 4, i / 4, ILPixel32(v, v, v, static_cast<std::uint8_t>(255 - v)));
    }
    const struct
    {
        const char* name;
        const ILBmp& source;
        ILPixel32 left;
        ILPixel32 right;
    } cases[] = {
        {"1 bit", bits, ILPixel32(50, 25, 10, 255), ILPixel32(200, 100, 40, 255)},
        {"1 bit, wide", wideBits, ILPixel32(0, 0, 0, 255), ILPixel32(100, 50, 20, 255)},
        {"8 bits", indexed, ILPixel32(10, 20, 30, 255), ILPixel32(11, 21, 31, 255)},
        {"32 bits", deep, ILPixel32(25, 25, 25, 230), ILPixel32(45, 45, 45, 210)},
    };
    for (const auto& c : cases) {
        ILAnyBmp reduced;
        ILFilterBoxReduce(2, 1).Apply(c.source, reduced);
        ASSERT_EQ(reduced.GetBitsPerPixel(), 32) << c.name;
        ASSERT_EQ(reduced.GetWidth(), 2) << c.name;
        ASSERT_EQ(reduced.GetHeight(), 1) << c.name;
        EXPECT_EQ(reduced.HasAlpha(), c.source.HasAlpha()) << c.name;
        EXPECT_EQ(PixelAt(reduced, 0, 0), c.left) << c.name;
        EXPECT_EQ(PixelAt(reduced, 1, 0), c.right) << c.name;
    }
}

TEST(C2PassScaleTest, ContributionWindowsFollowTheScale)
{
    const ILBilinearContribDef contrib(0.64);
    const C2PassScale scaler(contrib);
    const auto halving = scaler.CalcContributions(10, 5);
    EXPECT_EQ(halving[0].left, 0);
    EXPECT_EQ(halving[0].right, 2);
    EXPECT_EQ(halving[0].weights, (std::vector<int>{128, 128, 0}));
    const auto doubling = scaler.CalcContributions(10, 20);
    EXPECT_EQ(doubling[0].left, 0);
    EXPECT_EQ(doubling[0].right, 1);
    EXPECT_EQ(doubling[0].weights, (std::vector<int>{256, 0}));
    for (const auto& table : {halving, doubling, scaler.CalcContributions(7, 3), scaler.CalcContributions(3, 7)}) {
        for (const auto& entry : table) {
            int sum = 0;
            for (const int w : entry.weights) {
                EXPECT_GE(w, 0);
                sum += w;
            }
            EXPECT_EQ(sum, 256);
        }
    }
}

TEST(C2PassScaleTest, AProgressCallbackCanCancel)
{
    static int calls = 0;
    calls = 0;
    const ILBilinearContribDef contrib(0.64);
    C2PassScale scaler(contrib, [](std::uint8_t percent) {
        ++calls;
        return percent < 50;
    });
    std::vector<std::uint8_t> pixels(16 * 4, 1);
    std::vector<std::uint8_t*> rows;
    for (int y = 0; y < 4; ++y) {
        rows.push_back(pixels.data() + 16 * y);
    }
    std::vector<std::uint8_t> out(4 * 4, 0);
    std::vector<std::uint8_t*> outRows = {out.data(), out.data() + 8};
    EXPECT_EQ(scaler.Scale(rows.data(), 4, 4, outRows.data(), 2, 2), nullptr);
    EXPECT_EQ(calls, 5);  // four rows of the first pass, then the refused first row of the second
}
