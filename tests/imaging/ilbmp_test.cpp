#include "imaging/ilbmp.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "imaging/ilanybmp.h"
#include "imaging/ilpixel16.h"
#include "imaging/iltextexception.h"
#include "imagingtestutil.h"

namespace {

bool BitAt(const ILBmp& bmp, int x, int y)
{
    return (bmp.GetLineArray()[y][x / 8] & (0x80 >> (x % 8))) != 0;
}

ILAnyBmp Make24(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    ILAnyBmp bmp;
    bmp.CreateFromData(width, height, 24, false, false, nullptr, 0, ILPoint(0, 0));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = bmp.GetLineArray()[y] + 3 * x;
            p[0] = b;
            p[1] = g;
            p[2] = r;
        }
    }
    return bmp;
}

int CodeOf(const std::function<void()>& action)
{
    return Failure(action).GetCode();
}

}  // namespace

TEST(ILAnyBmpTest, NewBitmapIsSixteenSquareAtEightBitsWithGreyPalette)
{
    const ILAnyBmp bmp;
    EXPECT_EQ(bmp.GetWidth(), 16);
    EXPECT_EQ(bmp.GetHeight(), 16);
    EXPECT_EQ(bmp.GetBitsPerPixel(), 8);
    EXPECT_EQ(bmp.GetNumColors(), 256);
    EXPECT_EQ(bmp.GetPalette()[0], ILPixel32(0, 0, 0, 255));
    EXPECT_EQ(bmp.GetPalette()[200], ILPixel32(200, 200, 200, 255));
    EXPECT_EQ(bmp.GetPalette()[255], ILPixel32(255, 255, 255, 255));
    EXPECT_EQ(bmp.GetMemUsed(), 256u + 1024u + 52u);
}

TEST(ILAnyBmpTest, RowsArePackedAndOneBitRowsRoundUpToWholeBytes)
{
    ILAnyBmp bmp;
    bmp.CreateFromData(9, 2, 1, false, false, nullptr, 0, ILPoint(0, 0));
    EXPECT_EQ(bmp.GetBytesPerLine(), 2);
    EXPECT_EQ(bmp.GetLineArray()[1] - bmp.GetLineArray()[0], 2);
    EXPECT_EQ(bmp.GetPalette()[0], ILPixel32(0, 0, 0, 255));
    EXPECT_EQ(bmp.GetPalette()[1], ILPixel32(255, 255, 255, 255));
    bmp.CreateFromData(8, 1, 1, false, false, nullptr, 0, ILPoint(0, 0));
    EXPECT_EQ(bmp.GetBytesPerLine(), 1);
    bmp.CreateFromData(5, 3, 24, false, false, nullptr, 0, ILPoint(0, 0));
    EXPECT_EQ(bmp.GetBytesPerLine(), 15);
    EXPECT_EQ(bmp.GetPalette(), nullptr);
    EXPECT_EQ(bmp.GetMemUsed(), 45u + 52u);
    EXPECT_EQ(bmp.GetNumColors(), 1 << 24);
    bmp.CreateFromData(1, 1, 32, false, false, nullptr, 0, ILPoint(0, 0));
    EXPECT_EQ(bmp.GetNumColors(), 0x1000000);
}

TEST(ILAnyBmpTest, CreateFromDataCopiesRowsWithTheirStrideIncludingPartialBytes)
{
    // Two 9-pixel 1-bit rows in a 4-byte stride; the ninth pixel lies in the second byte.
    const std::uint8_t data[] = {0xFF, 0x80, 0xEE, 0xEE, 0x01, 0x00, 0xEE, 0xEE};
    ILAnyBmp bmp;
    bmp.CreateFromData(9, 2, 1, false, false, data, 4, ILPoint(72, 96));
    EXPECT_TRUE(BitAt(bmp, 8, 0));
    EXPECT_TRUE(BitAt(bmp, 7, 1));
    EXPECT_FALSE(BitAt(bmp, 8, 1));
    EXPECT_EQ(bmp.GetResolution(), ILPoint(72, 96));

    const std::uint8_t rgb[] = {1, 2, 3, 4, 5, 6};
    bmp.CreateFromData(1, 2, 24, false, false, rgb, 0, ILPoint(0, 0));
    EXPECT_EQ(bmp.GetLineArray()[1][2], 6);
}

TEST(ILAnyBmpTest, ShapesBeyondTheLimitsAreRefusedAndLeaveTheBitmapAsItWas)
{
    ILAnyBmp bmp;
    EXPECT_EQ(CodeOf([&] { bmp.CreateFromData(1 << 15, 1 << 14, 32, false, false, nullptr, 0, ILPoint()); }),
              ILTextException::noMemory);
    EXPECT_EQ(CodeOf([&] { bmp.CreateFromData(-1, 4, 32, false, false, nullptr, 0, ILPoint()); }),
              ILTextException::internalError);
    EXPECT_EQ(CodeOf([&] { bmp.CreateFromData(4, 4, 4, false, false, nullptr, 0, ILPoint()); }),
              ILTextException::internalError);
    EXPECT_EQ(bmp.GetWidth(), 16);
    EXPECT_NE(bmp.GetLineArray(), nullptr);
    bmp.CreateFromData(0, 0, 32, false, false, nullptr, 0, ILPoint());
    EXPECT_EQ(bmp.GetLineArray(), nullptr);
}

TEST(ILAnyBmpTest, ALoweredPixelLimitRefusesLargerBitmaps)
{
    ILAnyBmp bmp;
    ILBmp::SetMaxPixels(64);
    bmp.CreateFromData(8, 8, 32, false, false, nullptr, 0, ILPoint());
    const int refused = CodeOf([&] { bmp.CreateFromData(8, 9, 32, false, false, nullptr, 0, ILPoint()); });
    ILBmp::SetMaxPixels(0);
    EXPECT_EQ(ILBmp::GetMaxPixels(), 1);
    ILBmp::SetMaxPixels(ILBmp::kMaxPixels * 2);
    EXPECT_EQ(ILBmp::GetMaxPixels(), ILBmp::kMaxPixels);
    EXPECT_EQ(refused, ILTextException::noMemory);
    EXPECT_EQ(bmp.GetWidth(), 8);
}

TEST(ILBmpConversionTest, TwentyFourBitsPackToFiveSixFiveAndUnpackWithLowBitsClear)
{
    const ILAnyBmp rgb = Make24(2, 1, 200, 100, 50);
    ILAnyBmp packed;
    packed.CreateCopy(rgb, 16);
    std::uint16_t word = 0;
    std::memcpy(&word, packed.GetLineArray()[0], 2);
    EXPECT_EQ(word, 0xCB26);

    ILAnyBmp back;
    back.CreateCopy(packed, 24);
    const std::uint8_t* p = back.GetLineArray()[0];
    EXPECT_EQ(p[2], 200);
    EXPECT_EQ(p[1], 100);
    EXPECT_EQ(p[0], 48);

    ILAnyBmp wide;
    wide.CreateCopy(packed, 32);
    EXPECT_EQ(PixelAt(wide, 1, 0), ILPixel32(200, 100, 48, 255));
}

TEST(ILBmpConversionTest, OneBitIsBlackWhenRedGreenAndBlueAreAllBelowHalf)
{
    ILAnyBmp colour;
    colour.CreateFromData(10, 1, 32, false, false, nullptr, 0, ILPoint());
    for (int x = 0; x < 10; ++x) {
        SetPixel(colour, x, 0, ILPixel32(255, 255, 255));
    }
    SetPixel(colour, 0, 0, ILPixel32(127, 127, 127));
    SetPixel(colour, 1, 0, ILPixel32(128, 0, 0));
    SetPixel(colour, 9, 0, ILPixel32(0, 0, 0));
    ILAnyBmp mono;
    mono.CreateCopy(colour, 1);
    EXPECT_EQ(mono.GetPalette()[0], ILPixel32(255, 255, 255, 255));
    EXPECT_EQ(mono.GetPalette()[1], ILPixel32(0, 0, 0, 255));
    EXPECT_TRUE(BitAt(mono, 0, 0));
    EXPECT_FALSE(BitAt(mono, 1, 0));
    EXPECT_TRUE(BitAt(mono, 9, 0));
    EXPECT_EQ(mono.GetLineArray()[0][1] & 0x3F, 0);  // padding bits stay clear

    // An 8-bit source goes through its palette.
    ILAnyBmp indexed;
    indexed.CreateFromData(2, 1, 8, false, false, nullptr, 0, ILPoint());
    indexed.GetLineArray()[0][0] = 10;
    indexed.GetLineArray()[0][1] = 200;
    mono.CreateCopy(indexed, 1);
    EXPECT_TRUE(BitAt(mono, 0, 0));
    EXPECT_FALSE(BitAt(mono, 1, 0));
}

TEST(ILBmpConversionTest, PaletteImagesExpandThroughTheirPaletteKeepingAlphaOnlyAtThirtyTwoBits)
{
    ILAnyBmp indexed;
    indexed.CreateFromData(2, 1, 8, true, true, nullptr, 0, ILPoint(30, 40));
    indexed.SetPaletteEntry(3, 10, 20, 30, 40);
    indexed.GetLineArray()[0][0] = 3;
    indexed.GetLineArray()[0][1] = 255;

    ILAnyBmp wide;
    wide.CreateCopy(indexed, 32);
    EXPECT_TRUE(wide.HasAlpha());
    EXPECT_FALSE(wide.IsGreyscale());
    EXPECT_EQ(wide.GetResolution(), ILPoint(30, 40));
    EXPECT_EQ(PixelAt(wide, 0, 0), ILPixel32(10, 20, 30, 40));
    EXPECT_EQ(PixelAt(wide, 1, 0), ILPixel32(255, 255, 255, 255));

    ILAnyBmp rgb;
    rgb.CreateCopy(indexed, 24);
    EXPECT_FALSE(rgb.HasAlpha());
    EXPECT_EQ(rgb.GetLineArray()[0][0], 30);

    ILAnyBmp mono;
    mono.CreateFromData(9, 1, 1, false, false, nullptr, 0, ILPoint());
    mono.SetPaletteEntry(1, 9, 8, 7, 0);
    mono.GetLineArray()[0][0] = 0x00;
    mono.GetLineArray()[0][1] = 0x80;
    ILAnyBmp eight;
    eight.CreateCopy(mono, 8);
    EXPECT_EQ(eight.GetLineArray()[0][8], 1);
    EXPECT_EQ(eight.GetLineArray()[0][0], 0);
    EXPECT_EQ(eight.GetPalette()[1], ILPixel32(9, 8, 7, 255));
    EXPECT_EQ(eight.GetPalette()[2], ILPixel32(2, 2, 2, 255));
}

TEST(ILBmpConversionTest, SameDepthCopiesExactlyAndConvertingItselfKeepsThePixels)
{
    ILAnyBmp indexed;
    indexed.CreateFromData(3, 2, 8, false, true, nullptr, 0, ILPoint(5, 5));
    indexed.SetPaletteEntry(7, 1, 2, 3, 4);
    indexed.GetLineArray()[1][2] = 7;
    ILAnyBmp copy;
    copy.CreateCopy(indexed, 0);
    EXPECT_TRUE(copy == indexed);
    copy.CreateCopy(indexed, 8);
    EXPECT_TRUE(copy == indexed);
    copy.CreateCopy(copy, 0);
    EXPECT_TRUE(copy == indexed);

    copy.CreateCopy(copy, 32);
    EXPECT_EQ(copy.GetBitsPerPixel(), 32);
    EXPECT_EQ(PixelAt(copy, 2, 1), ILPixel32(1, 2, 3, 4));

    const ILAnyBmp assigned = indexed;
    EXPECT_TRUE(assigned == indexed);
}

TEST(ILBmpConversionTest, UnsupportedConversionsThrowAndLeaveTheTargetUntouched)
{
    ILAnyBmp colour;
    colour.CreateFromData(2, 2, 32, false, false, nullptr, 0, ILPoint());
    ILAnyBmp target;
    EXPECT_EQ(CodeOf([&] { target.CreateCopy(Make24(1, 1, 0, 0, 0), 8); }), ILTextException::notSupported);
    EXPECT_EQ(CodeOf([&] { target.CreateCopy(Make24(1, 1, 0, 0, 0), 1); }), ILTextException::notSupported);
    EXPECT_EQ(CodeOf([&] { target.CreateCopy(colour, 4); }), ILTextException::notSupported);
    EXPECT_EQ(target.GetWidth(), 16);
    EXPECT_EQ(target.GetBitsPerPixel(), 8);
}

TEST(ILBmpBaseTest, NearestColourPrefersTheLowestIndexOnTies)
{
    ILAnyBmp bmp;
    const std::vector<ILPixel32> far(256, ILPixel32(255, 0, 255));
    bmp.SetPalette(far.data());
    bmp.SetPaletteEntry(0, 10, 10, 10, 255);
    bmp.SetPaletteEntry(1, 12, 10, 10, 255);
    bmp.SetPaletteEntry(2, 10, 12, 10, 255);
    EXPECT_EQ(bmp.FindNearestColor(ILPixel32(11, 11, 10)), 0);  // all three lie 2 away
    EXPECT_EQ(bmp.FindNearestColor(ILPixel32(12, 11, 10)), 1);
    EXPECT_EQ(bmp.FindNearestColor(ILPixel32(10, 13, 10)), 2);
    EXPECT_EQ(bmp.FindNearestColor(ILPixel32(250, 0, 250)), 3);
    EXPECT_THROW(bmp.SetPaletteEntry(256, 0, 0, 0, 0), ILTextException);
}

TEST(ILBmpBaseTest, AlmostEqualComparesByDepthWithinTheTolerance)
{
    ILAnyBmp a;
    a.CreateFromData(2, 1, 32, true, false, nullptr, 0, ILPoint());
    SetPixel(a, 0, 0, ILPixel32(100, 100, 100, 100));
    SetPixel(a, 1, 0, ILPixel32(0, 0, 0, 0));
    ILAnyBmp b(a);
    SetPixel(b, 0, 0, ILPixel32(102, 98, 100, 101));
    EXPECT_FALSE(a == b);
    EXPECT_TRUE(a.AlmostEqual(b, 2));
    EXPECT_FALSE(a.AlmostEqual(b, 1));

    // Alpha counts only for bitmaps with alpha.
    a.SetHasAlpha(false);
    b.SetHasAlpha(false);
    SetPixel(b, 0, 0, ILPixel32(100, 100, 100, 0));
    EXPECT_TRUE(a == b);

    ILAnyBmp c(a);
    c.CreateFromData(2, 1, 32, false, false, nullptr, 0, ILPoint(1, 1));
    EXPECT_FALSE(a.AlmostEqual(c, 255));
}

TEST(ILBmpBaseTest, OneBitBitmapsDifferWhenTheirPixelsDoButNotInPadding)
{
    ILAnyBmp a;
    a.CreateFromData(9, 1, 1, false, false, nullptr, 0, ILPoint());
    a.GetLineArray()[0][0] = 0;
    a.GetLineArray()[0][1] = 0;
    ILAnyBmp b(a);
    b.GetLineArray()[0][1] = 0x7F;  // bits past the ninth pixel
    EXPECT_TRUE(a == b);
    b.GetLineArray()[0][1] = 0x80;
    EXPECT_FALSE(a == b);
}

TEST(ILBmpBaseTest, EightBitBitmapsCompareIndicesAndPalettes)
{
    ILAnyBmp a;
    a.CreateFromData(1, 1, 8, false, false, nullptr, 0, ILPoint());
    a.GetLineArray()[0][0] = 10;
    ILAnyBmp b(a);
    b.GetLineArray()[0][0] = 12;
    EXPECT_TRUE(a.AlmostEqual(b, 2));
    EXPECT_FALSE(a.AlmostEqual(b, 1));
    b.GetLineArray()[0][0] = 10;
    b.SetPaletteEntry(99, 1, 2, 3, 255);
    EXPECT_FALSE(a == b);
}

TEST(ILBmpBaseTest, AlphaChannelsComeFromAnEightBitBitmapOfTheSameSize)
{
    ILAnyBmp colour;
    colour.CreateFromData(2, 1, 32, false, false, nullptr, 0, ILPoint());
    SetPixel(colour, 0, 0, ILPixel32(1, 2, 3, 0));
    ILAnyBmp mask;
    mask.CreateFromData(2, 1, 8, false, false, nullptr, 0, ILPoint());
    mask.GetLineArray()[0][0] = 77;
    mask.GetLineArray()[0][1] = 88;
    colour.SetAlphaChannel(mask);
    EXPECT_TRUE(colour.HasAlpha());
    EXPECT_EQ(PixelAt(colour, 0, 0), ILPixel32(1, 2, 3, 77));
    EXPECT_EQ(PixelAt(colour, 1, 0).a, 88);

    ILAnyBmp small;
    small.CreateFromData(1, 1, 8, false, false, nullptr, 0, ILPoint());
    EXPECT_THROW(colour.SetAlphaChannel(small), ILTextException);
}

TEST(ILBmpTest, TurningAlphaOnMakesEveryPixelOrPaletteEntryOpaque)
{
    ILAnyBmp colour;
    colour.CreateFromData(1, 2, 32, false, false, nullptr, 0, ILPoint());
    SetPixel(colour, 0, 0, ILPixel32(1, 2, 3, 0));
    SetPixel(colour, 0, 1, ILPixel32(1, 2, 3, 9));
    colour.SetHasAlpha(true);
    EXPECT_EQ(PixelAt(colour, 0, 0).a, 255);
    EXPECT_EQ(PixelAt(colour, 0, 1).a, 255);
    SetPixel(colour, 0, 0, ILPixel32(1, 2, 3, 5));
    colour.SetHasAlpha(true);  // already on: nothing is touched
    EXPECT_EQ(PixelAt(colour, 0, 0).a, 5);

    ILAnyBmp indexed;
    indexed.SetPaletteEntry(4, 1, 1, 1, 0);
    indexed.SetHasAlpha(true);
    EXPECT_EQ(indexed.GetPalette()[4].a, 255);

    ILAnyBmp rgb = Make24(1, 1, 0, 0, 0);
    EXPECT_THROW(rgb.SetHasAlpha(true), ILTextException);
    EXPECT_FALSE(rgb.HasAlpha());
}

TEST(ILBmpInfoTest, TextFormRoundTrips)
{
    const ILBmpInfo info(ILPoint(640, 480), 32, ILPoint(0, 0), true, false);
    const std::string text = info.AsString();
    EXPECT_EQ(text, "{ Size: (640, 480), bpp: 32, Resolution: (0, 0), Alpha: 1, Greyscale: 0 }");
    EXPECT_EQ(ILBmpInfo(text.c_str()), info);
    const ILBmpInfo flags("{ Size: (1, 2), bpp: 8, Resolution: (3, 4), Alpha: 7, Greyscale: -1 }");
    EXPECT_TRUE(flags.HasAlpha());
    EXPECT_TRUE(flags.IsGreyscale());
    EXPECT_EQ(flags.GetResolution(), ILPoint(3, 4));
    EXPECT_FALSE(ILBmpInfo("nonsense") == info);
}

TEST(ILPixelTest, ComponentsLieBlueGreenRedAlphaInMemory)
{
    ILPixel32 pixel(1, 2, 3, 4);
    std::uint32_t word = 0;
    std::memcpy(&word, &pixel, 4);
    EXPECT_EQ(word, 0x04010203u);
    pixel.Set(9, 8, 7);
    EXPECT_EQ(pixel.GetA(), 4);
    const ILPixel16 packed(255, 255, 255);
    EXPECT_EQ(packed.word, 0xFFFF);
    EXPECT_EQ(packed.GetB(), 248);
}
