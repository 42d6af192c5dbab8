#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "codectestutil.h"
#include "imaging/ilpngdecoder.h"
#include "imaging/ilpngencoder.h"

using namespace codectest;

namespace {

// An allocator for libpng that refuses the first request, as a full heap would.
png_voidp RefusingAllocate(png_structp, png_alloc_size_t)
{
    return nullptr;
}

void Release(png_structp, png_voidp block)
{
    std::free(block);
}

// A bitmap of the given depth whose pixels vary along both axes.
ILAnyBmp MakePattern(int depth, bool alpha, int width = 23, int height = 9)
{
    ILAnyBmp bmp;
    bmp.CreateFromData(width, height, depth, alpha, false, nullptr, 0, ILPoint(0, 0));
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bmp.GetLineArray()[y];
        for (int x = 0; x < width; ++x) {
            const auto r = static_cast<uint8_t>(x * 11);
            const auto g = static_cast<uint8_t>(y * 27);
            const auto b = static_cast<uint8_t>((x * y) & 0xFF);
            if (depth == 32) {
                reinterpret_cast<ILPixel32*>(row)[x] = ILPixel32(r, g, b, static_cast<uint8_t>(255 - x * 10));
            } else if (depth == 24) {
                row[3 * x] = b;
                row[3 * x + 1] = g;
                row[3 * x + 2] = r;
            } else if (depth == 8) {
                row[x] = static_cast<uint8_t>(x * 9 + y);
            } else if (depth == 1 && (x + y) % 3 == 0) {
                row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            }
        }
        if (depth == 1) {
            for (int x = 0; x < width; ++x) {
                if ((x + y) % 3 != 0) {
                    row[x / 8] &= static_cast<uint8_t>(~(0x80 >> (x % 8)));
                }
            }
        }
    }
    if (depth == 8) {
        for (int i = 0; i < 256; ++i) {
            bmp.SetPaletteEntry(i, static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                                static_cast<uint8_t>(i * 7), alpha ? static_cast<uint8_t>(255 - i) : 255);
        }
    }
    return bmp;
}

std::string Encode(const ILBmp& bmp, uint16_t level = 4)
{
    ILPNGEncoder encoder;
    encoder.SetCompressionLevel(level);
    return EncodeToString(encoder, bmp);
}

// The data of the first chunk of that type, empty when there is none.
std::string ChunkData(const std::string& png, const std::string& type)
{
    size_t at = 8;
    while (at + 8 <= png.size()) {
        const uint32_t length = Be32(png, at);
        if (png.compare(at + 4, 4, type) == 0) {
            return png.substr(at + 8, length);
        }
        at += 12 + length;
    }
    return {};
}

class ILPNGEncoderToolTest : public ToolTest
{
};

}  // namespace

TEST_F(ILPNGEncoderToolTest, TheToolsReadOurFilesOfEveryDepthPixelForPixel)
{
    SKIP_WITHOUT_TOOLS("convert");
    const struct
    {
        int depth;
        bool alpha;
        int colourType;
        int bitDepth;
    } cases[] = {{32, false, 2, 8}, {32, true, 6, 8}, {24, false, 2, 8}, {8, false, 3, 8}, {8, true, 3, 8},
                 {1, false, 0, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.depth * 10 + c.alpha);
        const ILAnyBmp bmp = MakePattern(c.depth, c.alpha);
        const std::string png = Encode(bmp);
        EXPECT_EQ(png[24], c.bitDepth);
        EXPECT_EQ(png[25], c.colourType);
        const std::string path = WriteFile("ours.png", png);
        std::vector<uint8_t> expected = BitmapRgba(bmp);
        if (!c.alpha || c.depth == 8) {
            expected = Opaque(expected);
        }
        EXPECT_EQ(ToolRgba(path), expected);
        EXPECT_EQ(ToolSize(path), "23 9");
    }
}

TEST(ILPNGEncoderTest, OurFilesDecodeBackToTheSameBitmap)
{
    for (int depth : {1, 8, 24, 32}) {
        SCOPED_TRACE(depth);
        // A palette's alpha is not written (no transparency chunk): it reads back opaque.
        const bool alpha = depth == 32 || depth == 8;
        const ILAnyBmp bmp = MakePattern(depth, alpha);
        const std::string png = Encode(bmp);
        EXPECT_TRUE(ChunkData(png, "tRNS").empty());
        ILPNGDecoder decoder;
        ILAnyBmp back;
        DecodeBytes(decoder, png, back, 32);
        EXPECT_EQ(BitmapRgba(back), depth == 32 ? BitmapRgba(bmp) : Opaque(BitmapRgba(bmp)));
        EXPECT_EQ(back.HasAlpha(), depth == 32);
    }
}

TEST(ILPNGEncoderTest, ThePhysicalSizeChunkIsAlwaysWrittenAndTruncatesToPixelsPerMetre)
{
    ILAnyBmp bmp = MakePattern(32, false);
    std::string phys = ChunkData(Encode(bmp), "pHYs");
    ASSERT_EQ(phys.size(), 9u);
    EXPECT_EQ(Be32(phys, 0), 0u);
    EXPECT_EQ(Be32(phys, 4), 0u);
    EXPECT_EQ(phys[8], 0);

    bmp.CreateFromData(4, 4, 32, false, false, nullptr, 0, ILPoint(96, 96));
    const std::string png = Encode(bmp);
    phys = ChunkData(png, "pHYs");
    EXPECT_EQ(Be32(phys, 0), 3779u);
    EXPECT_EQ(Be32(phys, 4), 3779u);
    EXPECT_EQ(phys[8], 1);
    ILPNGDecoder decoder;
    ILAnyBmp back;
    DecodeBytes(decoder, png, back);
    EXPECT_EQ(back.GetResolution(), ILPoint(96, 96));
}

TEST(ILPNGEncoderTest, PaletteImagesWriteAllTwoHundredFiftySixEntriesAndBilevelImagesNone)
{
    const std::string palette = ChunkData(Encode(MakePattern(8, false)), "PLTE");
    ASSERT_EQ(palette.size(), 768u);
    EXPECT_EQ(static_cast<uint8_t>(palette[3 * 200 + 1]), 55);
    EXPECT_TRUE(ChunkData(Encode(MakePattern(1, false)), "PLTE").empty());
}

TEST(ILPNGEncoderTest, LevelZeroStoresTheRowsUncompressed)
{
    const ILAnyBmp bmp = MakePattern(32, false, 64, 64);
    const std::string stored = Encode(bmp, 0);
    const std::string packed = Encode(bmp, 9);
    EXPECT_GT(stored.size(), 64u * 64u * 3u);
    EXPECT_LT(packed.size(), stored.size());
    ILPNGEncoder fresh;
    EXPECT_EQ(fresh.GetCompressionLevel(), 0);
}

TEST(ILPNGEncoderTest, SixteenBitBitmapsAreRefused)
{
    ILAnyBmp bmp;
    bmp.CreateFromData(2, 2, 16, false, false, nullptr, 0, ILPoint(0, 0));
    ILPNGEncoder encoder;
    try {
        (void)EncodeToString(encoder, bmp);
        FAIL();
    } catch (const ILTextException& e) {
        EXPECT_EQ(e.GetCode(), ILTextException::notSupported);
    }
}

// libpng's failure to make its structures used to end the encode as a success with no bytes.
TEST(ILPNGEncoderTest, AnEncodeWithoutMemoryForLibpngFailsWithOutOfMemory)
{
    const ILAnyBmp bmp = MakePattern(32, false);
    ILPNGEncoder encoder;
    ILMemSink sink;
    ASSERT_EQ(sink.Open("mem", 64), 0);
    const ILTextException e = Failure([&] {
        encoder.SetMemoryFunctions(RefusingAllocate, Release);
        encoder.SaveBmp(bmp, sink);
    });
    EXPECT_EQ(e.GetCode(), ILTextException::noMemory);
    EXPECT_STREQ(e.GetText(), "Decoder error: Out of memory.\n");
    EXPECT_EQ(sink.GetDataSize(), 0u);
    EXPECT_FALSE(Encode(bmp).empty()) << "the encoder works again";
}
