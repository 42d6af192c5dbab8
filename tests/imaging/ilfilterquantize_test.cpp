#include "imaging/ilfilterquantize.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "imaging/ilanybmp.h"
#include "imaging/iltextexception.h"
#include "imagingtestutil.h"

namespace {

ILAnyBmp Image(int width, int height, const std::vector<ILPixel32>& colours)
{
    ILAnyBmp bmp;
    bmp.CreateFromData(width, height, 32, false, false, nullptr, 0, ILPoint(30, 40));
    for (int i = 0; i < width * height; ++i) {
        SetPixel(bmp, i % width, i / width, colours[static_cast<size_t>(i) % colours.size()]);
    }
    return bmp;
}

ILAnyBmp Quantize(const ILBmp& source, int paletteType, int ditherType = ILFilterQuantize::ditherNone)
{
    ILAnyBmp result;
    source.ApplyFilter(ILFilterQuantize(paletteType, ditherType), result);
    return result;
}

ILPixel32 ColourAt(const ILBmp& bmp, int x, int y)
{
    return bmp.GetPalette()[bmp.GetLineArray()[y][x]];
}

int Distance(const ILPixel32& a, const ILPixel32& b)
{
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

// A smooth picture that no palette of 256 entries holds exactly.
ILAnyBmp Gradient()
{
    ILAnyBmp bmp = Image(64, 48, {ILPixel32()});
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
            SetPixel(bmp, x, y, ILPixel32(static_cast<uint8_t>(x * 4), static_cast<uint8_t>(y * 5), 90));
        }
    }
    return bmp;
}

const std::vector<ILPixel32> kFewColours = {ILPixel32(0, 0, 0), ILPixel32(191, 0, 0), ILPixel32(81, 133, 55),
                                            ILPixel32(240, 251, 255), ILPixel32(255, 255, 255), ILPixel32(0, 128, 128)};

}  // namespace

TEST(ILFilterQuantizeTest, TheFixedPaletteHoldsItsColoursWithAlphaZero)
{
    const ILPixel32* p = ILFilterQuantize::GetDefaultPalette();
    EXPECT_EQ(p[1], ILPixel32(0, 0, 191, 0));
    EXPECT_EQ(p[16], ILPixel32(0, 81, 0, 0));
    EXPECT_EQ(p[62], ILPixel32(81, 133, 217, 0));
    EXPECT_EQ(p[63], ILPixel32(81, 133, 55, 0));
    EXPECT_EQ(p[224], ILPixel32(255, 255, 217, 0));
    EXPECT_EQ(p[225], ILPixel32(196, 196, 196, 0));
    EXPECT_EQ(p[244], ILPixel32(253, 253, 253, 0));
    EXPECT_EQ(p[245], ILPixel32(207, 207, 155, 0));
    EXPECT_EQ(p[255], ILPixel32(255, 255, 255, 0));
}

TEST(ILFilterQuantizeTest, APictureOfFewColoursQuantizesToThoseColours)
{
    const ILAnyBmp source = Image(7, 5, kFewColours);
    // The fixed palette holds these colours exactly; the palettes made from the picture hold
    // each colour's 5-bit cell, one entry per colour.
    for (const int type : {ILFilterQuantize::paletteDefault, ILFilterQuantize::paletteMedianCut,
                           ILFilterQuantize::palettePopularity}) {
        SCOPED_TRACE(type);
        const ILAnyBmp result = Quantize(source, type);
        ASSERT_EQ(result.GetBitsPerPixel(), 8);
        EXPECT_EQ(result.GetResolution(), ILPoint(30, 40));
        EXPECT_FALSE(result.HasAlpha());
        const int tolerance = type == ILFilterQuantize::paletteDefault ? 0 : 7;
        std::vector<int> indexOf(kFewColours.size(), -1);
        for (int i = 0; i < 35; ++i) {
            const int x = i % 7;
            const int y = i / 7;
            const size_t colour = static_cast<size_t>(i) % kFewColours.size();
            EXPECT_LE(Distance(ColourAt(result, x, y), kFewColours[colour]), tolerance) << i;
            const int index = result.GetLineArray()[y][x];
            EXPECT_TRUE(indexOf[colour] == -1 || indexOf[colour] == index) << "one colour, one index";
            indexOf[colour] = index;
        }
        std::sort(indexOf.begin(), indexOf.end());
        EXPECT_EQ(std::unique(indexOf.begin(), indexOf.end()), indexOf.end()) << "every colour its own index";
    }
    ILPixel32 user[256];
    std::copy(kFewColours.begin(), kFewColours.end(), user + 100);
    ILFilterQuantize filter(ILFilterQuantize::paletteUser);
    filter.SetUserPalette(user);
    ILAnyBmp result;
    filter.Apply(source, result);
    EXPECT_EQ(result.GetLineArray()[0][2], 102);
}

TEST(ILFilterQuantizeTest, MedianCutOfOneColourKeepsTheCornersAndOneBox)
{
    const ILAnyBmp result = Quantize(Image(3, 3, {ILPixel32(100, 150, 200)}), ILFilterQuantize::paletteMedianCut);
    const ILPixel32* p = result.GetPalette();
    EXPECT_EQ(p[0], ILPixel32(0, 0, 0, 0));
    EXPECT_EQ(p[1], ILPixel32(255, 0, 0, 0));
    EXPECT_EQ(p[6], ILPixel32(255, 0, 255, 0));
    EXPECT_EQ(p[8], ILPixel32(98, 148, 205, 0));
    for (int i = 9; i < 256; ++i) {
        EXPECT_EQ(p[i], ILPixel32(0, 0, 0, 0)) << i;
    }
    EXPECT_EQ(result.GetLineArray()[2][2], 8);
}

TEST(ILFilterQuantizeTest, ColoursOfOneCellShareTheIndexOfTheFirst)
{
    ILPixel32 grey[256];
    for (int i = 0; i < 256; ++i) {
        grey[i] = ILPixel32(static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i));
    }
    ILFilterQuantize filter(ILFilterQuantize::paletteUser);
    filter.SetUserPalette(grey);
    ILAnyBmp result;
    filter.Apply(Image(2, 1, {ILPixel32(17, 17, 17), ILPixel32(23, 23, 23)}), result);
    EXPECT_EQ(result.GetLineArray()[0][0], 17);
    EXPECT_EQ(result.GetLineArray()[0][1], 17);

    ILFilterQuantize ordered(ILFilterQuantize::paletteUser, ILFilterQuantize::ditherOrdered);
    ordered.SetUserPalette(grey);
    ordered.Apply(Image(1, 1, {ILPixel32(128, 128, 128)}), result);
    EXPECT_EQ(result.GetLineArray()[0][0], 128 - 14) << "the matrix's first value, twice, at the last column";
}

TEST(ILFilterQuantizeTest, DitheringMovesPixelsWithinThePaletteStepAndKeepsTheAverageColour)
{
    // A cube of six levels per component, 51 apart.
    ILPixel32 cube[256];
    for (int i = 0; i < 216; ++i) {
        cube[i] = ILPixel32(static_cast<uint8_t>(i / 36 * 51), static_cast<uint8_t>(i / 6 % 6 * 51),
                            static_cast<uint8_t>(i % 6 * 51));
    }
    // Nearest entries lie within half a step, and a cell's first colour may pass 7 more on to the
    // rest; dithering moves colours by up to a step but, diffusing the error, keeps the average.
    const struct
    {
        int dither;
        int worst;
        double meanError;
    } cases[] = {{ILFilterQuantize::ditherNone, 25 + 7, 255},
                 {ILFilterQuantize::ditherOrdered, 16 + 25 + 7, 255},
                 {ILFilterQuantize::ditherFloydSteinberg, 51, 0.5}};
    const ILAnyBmp source = Gradient();
    ILAnyBmp plain;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dither);
        ILFilterQuantize filter(ILFilterQuantize::paletteUser, c.dither);
        filter.SetUserPalette(cube);
        ILAnyBmp result;
        filter.Apply(source, result);
        int worst = 0;
        int changed = 0;
        double error[3] = {0, 0, 0};
        for (int y = 0; y < 48; ++y) {
            for (int x = 0; x < 64; ++x) {
                const ILPixel32 want = PixelAt(source, x, y);
                const ILPixel32 got = ColourAt(result, x, y);
                worst = std::max(worst, Distance(got, want));
                changed += c.dither != ILFilterQuantize::ditherNone &&
                           result.GetLineArray()[y][x] != plain.GetLineArray()[y][x];
                error[0] += got.r - want.r;
                error[1] += got.g - want.g;
                error[2] += got.b - want.b;
            }
        }
        EXPECT_LE(worst, c.worst);
        for (const double e : error) {
            EXPECT_LE(std::abs(e / (64 * 48)), c.meanError);
        }
        if (c.dither == ILFilterQuantize::ditherNone) {
            plain = result;
        } else {
            EXPECT_GT(changed, 64 * 48 / 10);
        }
    }
}

TEST(ILFilterQuantizeTest, ThirtyTwoBitBitmapsConvertToEightBitsWithTheirQuantizationMode)
{
    ILAnyBmp target;
    target.CreateCopy(Image(2, 1, {ILPixel32(255, 255, 255), ILPixel32(0, 0, 0)}), 8);
    EXPECT_EQ(target.GetLineArray()[0][0], 255);
    EXPECT_EQ(target.GetLineArray()[0][1], 0);
    EXPECT_EQ(target.GetResolution(), ILPoint(30, 40));

    target.SetQuantizationMode(ILFilterQuantize::ditherNone, ILFilterQuantize::paletteMedianCut);
    target.CreateCopy(Image(1, 1, {ILPixel32(100, 150, 200)}), 8);
    EXPECT_EQ(target.GetLineArray()[0][0], 8);

    EXPECT_EQ(Failure([&] { Quantize(target, ILFilterQuantize::paletteDefault); }).GetCode(),
              ILTextException::notSupported);
    EXPECT_EQ(Failure([&] { Quantize(Image(1, 1, {ILPixel32()}), 4); }).GetCode(), ILTextException::notSupported);
}
