#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codectestutil.h"
#include "imaging/iltiffdecoder.h"
#include "imaging/iltiffencoder.h"
#include "imaging/iltiffmemory.h"

using namespace codectest;

namespace {

ILAnyBmp Pattern(int depth, bool alpha, int width = 21, int height = 11)
{
    ILAnyBmp bmp;
    bmp.CreateFromData(width, height, depth, alpha, false, nullptr, 0, ILPoint(72, 72));
    const int bytes = bmp.GetBytesPerLine();
    for (int y = 0; y < height; ++y) {
        for (int i = 0; i < bytes; ++i) {
            bmp.GetLineArray()[y][i] = static_cast<uint8_t>(i * 13 + y * 29);
        }
    }
    if (depth == 8) {
        for (int i = 0; i < 256; ++i) {
            bmp.SetPaletteEntry(i, static_cast<uint8_t>(i), static_cast<uint8_t>(i * 3), static_cast<uint8_t>(255 - i),
                                255);
        }
    }
    return bmp;
}

std::string Encode(const ILBmp& bmp)
{
    ILTIFFEncoder encoder;
    return EncodeToString(encoder, bmp);
}

// Reads a tag of our file back through libtiff.
template <typename T>
T TagOf(const std::string& tiff, uint32_t tag)
{
    ILTIFFMemory memory;
    TIFF* tif = TIFFOpenMem(reinterpret_cast<const uint8_t*>(tiff.data()), tiff.size(), memory);
    EXPECT_NE(tif, nullptr);
    T value{};
    TIFFGetField(tif, tag, &value);
    TIFFClose(tif);
    return value;
}

ILAnyBmp Decode(const std::string& tiff)
{
    ILTIFFDecoder decoder;
    ILAnyBmp bmp;
    DecodeBytes(decoder, tiff, bmp);
    return bmp;
}

class ILTIFFEncoderToolTest : public ToolTest
{
};

}  // namespace

TEST_F(ILTIFFEncoderToolTest, TheToolsReadOurFilesOfEveryDepthPixelForPixel)
{
    SKIP_WITHOUT_TOOLS("convert");
    const struct
    {
        int depth;
        bool alpha;
    } cases[] = {{32, true}, {32, false}, {24, false}, {16, false}, {8, false}, {1, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.depth * 10 + c.alpha);
        const ILAnyBmp bmp = Pattern(c.depth, c.alpha);
        const std::string path = WriteFile("ours.tif", Encode(bmp));
        std::vector<uint8_t> expected = BitmapRgba(bmp);
        if (c.depth == 16) {
            ILAnyBmp wide;
            wide.CreateCopy(bmp, 32);
            expected = BitmapRgba(wide);
        }
        if (!c.alpha) {
            expected = Opaque(expected);
        }
        EXPECT_EQ(ToolRgba(path), expected);
    }
}

TEST(ILTIFFEncoderTest, OurFilesDecodeBackWithAlphaAndResolutionUnchanged)
{
    for (int depth : {32, 24, 8, 1}) {
        SCOPED_TRACE(depth);
        const ILAnyBmp bmp = Pattern(depth, depth == 32);
        const ILAnyBmp back = Decode(Encode(bmp));
        EXPECT_EQ(back.GetBitsPerPixel(), depth == 24 ? 32 : depth);
        EXPECT_EQ(back.HasAlpha(), depth == 32);
        EXPECT_EQ(back.GetResolution(), ILPoint(72, 72));
        EXPECT_EQ(BitmapRgba(back), BitmapRgba(bmp));
    }
}

TEST(ILTIFFEncoderTest, AlphaIsWrittenAsAFourthUnassociatedSample)
{
    const std::string tiff = Encode(Pattern(32, true));
    EXPECT_EQ(TagOf<uint16_t>(tiff, TIFFTAG_SAMPLESPERPIXEL), 4);
    EXPECT_EQ(TagOf<uint16_t>(tiff, TIFFTAG_PHOTOMETRIC), PHOTOMETRIC_RGB);
    EXPECT_EQ(TagOf<uint16_t>(tiff, TIFFTAG_COMPRESSION), COMPRESSION_PACKBITS);
    ILTIFFMemory memory;
    TIFF* tif = TIFFOpenMem(reinterpret_cast<const uint8_t*>(tiff.data()), tiff.size(), memory);
    uint16_t count = 0;
    uint16_t* kinds = nullptr;
    ASSERT_TRUE(TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &count, &kinds));
    ASSERT_EQ(count, 1);
    EXPECT_EQ(kinds[0], EXTRASAMPLE_UNASSALPHA);
    TIFFClose(tif);
    EXPECT_EQ(TagOf<uint16_t>(Encode(Pattern(32, false)), TIFFTAG_SAMPLESPERPIXEL), 3);
}

TEST(ILTIFFEncoderTest, BilevelPhotometricFollowsWhichPaletteEntryIsDarker)
{
    ILAnyBmp whiteFirst = Pattern(1, false);
    whiteFirst.SetPaletteEntry(0, 255, 255, 255, 255);
    whiteFirst.SetPaletteEntry(1, 0, 0, 0, 255);
    ILAnyBmp blackFirst = Pattern(1, false);  // the grey palette: black, white
    EXPECT_EQ(TagOf<uint16_t>(Encode(whiteFirst), TIFFTAG_PHOTOMETRIC), PHOTOMETRIC_MINISWHITE);
    EXPECT_EQ(TagOf<uint16_t>(Encode(blackFirst), TIFFTAG_PHOTOMETRIC), PHOTOMETRIC_MINISBLACK);
    EXPECT_EQ(BitmapRgba(Decode(Encode(whiteFirst))), BitmapRgba(whiteFirst));
    EXPECT_EQ(BitmapRgba(Decode(Encode(blackFirst))), BitmapRgba(blackFirst));
}

TEST(ILTIFFEncoderTest, PaletteImagesCarryAnEightBitColourMap)
{
    const std::string tiff = Encode(Pattern(8, false));
    EXPECT_EQ(TagOf<uint16_t>(tiff, TIFFTAG_PHOTOMETRIC), PHOTOMETRIC_PALETTE);
    ILTIFFMemory memory;
    TIFF* tif = TIFFOpenMem(reinterpret_cast<const uint8_t*>(tiff.data()), tiff.size(), memory);
    uint16_t* red = nullptr;
    uint16_t* green = nullptr;
    uint16_t* blue = nullptr;
    ASSERT_TRUE(TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue));
    uint16_t largest = 0;
    for (int i = 0; i < 256; ++i) {
        largest = std::max({largest, red[i], green[i], blue[i]});
    }
    EXPECT_EQ(largest, 255);
    TIFFClose(tif);
}
