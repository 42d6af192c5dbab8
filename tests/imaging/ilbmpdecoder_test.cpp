#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "codectestutil.h"
#include "imaging/ilbmpdecoder.h"

using namespace codectest;

namespace {

// A BMP with a 40-byte header, the given palette entries (BGRA) and pixel bytes.
std::string MakeBmp(int width, int height, int bitCount, uint32_t compression, const std::vector<uint8_t>& palette,
                    const std::string& pixels)
{
    std::string s(54, '\0');
    s[0] = 'B';
    s[1] = 'M';
    const auto offset = static_cast<uint32_t>(54 + palette.size());
    Put32(s, 2, static_cast<uint32_t>(offset + pixels.size()));
    Put32(s, 10, offset);
    Put32(s, 14, 40);
    Put32(s, 18, static_cast<uint32_t>(width));
    Put32(s, 22, static_cast<uint32_t>(height));
    Put16(s, 26, 1);
    Put16(s, 28, static_cast<uint32_t>(bitCount));
    Put32(s, 30, compression);
    s.append(palette.begin(), palette.end());
    return s + pixels;
}

// A one-row BMP of 16- or 32-bit pixels with the given header size and compression. Masks
// go into headers of 52 bytes and more, or after a 40-byte header.
std::string MakeMaskedBmp(int bitCount, uint32_t compression, uint32_t headerSize, const std::vector<uint32_t>& masks,
                          const std::vector<uint32_t>& pixels)
{
    std::string s(14 + headerSize, '\0');
    s[0] = 'B';
    s[1] = 'M';
    Put32(s, 14, headerSize);
    Put32(s, 18, static_cast<uint32_t>(pixels.size()));
    Put32(s, 22, 1);
    Put16(s, 26, 1);
    Put16(s, 28, static_cast<uint32_t>(bitCount));
    Put32(s, 30, compression);
    std::string maskBytes(4 * masks.size(), '\0');
    for (size_t i = 0; i < masks.size(); ++i) {
        Put32(maskBytes, 4 * i, masks[i]);
    }
    if (headerSize >= 52) {
        s.replace(54, maskBytes.size(), maskBytes);
    } else {
        s += maskBytes;
    }
    Put32(s, 10, static_cast<uint32_t>(s.size()));
    std::string row;
    for (uint32_t p : pixels) {
        for (int b = 0; b < bitCount / 8; ++b) {
            row += static_cast<char>((p >> (8 * b)) & 0xFF);
        }
    }
    row.resize((row.size() + 3) & ~size_t{3}, '\0');
    return s + row;
}

std::vector<uint8_t> SixteenGreys()
{
    std::vector<uint8_t> p;
    for (int i = 0; i < 16; ++i) {
        const auto g = static_cast<uint8_t>(i * 17);
        p.insert(p.end(), {g, g, g, 0});
    }
    return p;
}

std::vector<uint8_t> Indices(const ILAnyBmp& bmp)
{
    std::vector<uint8_t> out;
    for (int y = 0; y < bmp.GetHeight(); ++y) {
        out.insert(out.end(), bmp.GetLineArray()[y], bmp.GetLineArray()[y] + bmp.GetWidth());
    }
    return out;
}

struct ToolVariant
{
    const char* name;
    const char* command;  // BASE, ALPHA and OUT are replaced
    int depth;            // the depth the decoder produces
    int tolerance;        // 0 for exact agreement with the tools
};

const ToolVariant kBmpVariants[] = {
    {"windows_24bit", "convert BASE BMP3:OUT", 32, 0},
    {"os2_24bit", "convert BASE BMP2:OUT", 32, 0},
    {"v5_header_24bit", "convert BASE BMP:OUT", 32, 0},
    {"v5_header_8bit", "convert BASE -colors 200 BMP:OUT", 8, 0},
    {"v5_header_4bit", "convert BASE -colors 16 BMP:OUT", 8, 0},
    {"windows_1bit", "convert BASE -monochrome BMP3:OUT", 8, 0},
    {"windows_4bit", "convert BASE -colors 16 BMP3:OUT", 8, 0},
    {"windows_8bit", "convert BASE -colors 200 BMP3:OUT", 8, 0},
    {"windows_rle8", "convert BASE -colors 100 -compress RLE BMP3:OUT", 8, 0},
    {"os2_1bit", "convert BASE -monochrome ppm:- | ppmtobmp -os2 -bpp 1 > OUT", 8, 0},
    {"os2_4bit", "convert BASE -colors 16 ppm:- | ppmtobmp -os2 -bpp 4 > OUT", 8, 0},
    {"os2_8bit", "convert BASE -colors 200 ppm:- | ppmtobmp -os2 -bpp 8 > OUT", 8, 0},
    {"netpbm_windows_8bit", "convert BASE -colors 60 ppm:- | ppmtobmp -windows -bpp 8 > OUT", 8, 0},
    // The tools widen five and six bits to the full range; here they keep their top bits.
    {"rgb565_bitfields", "convert BASE -define bmp:subtype=RGB565 BMP:OUT", 32, 7},
    {"rgb555_bitfields", "convert BASE -define bmp:subtype=RGB555 BMP:OUT", 32, 7},
    {"argb4444_bitfields", "convert ALPHA -define bmp:subtype=ARGB4444 BMP:OUT", 32, 0},
    {"alpha_32bit", "convert ALPHA BMP:OUT", 32, 0},
};

class ILBmpDecoderToolTest : public ToolTest
{
protected:
    std::string MakeVariant(const ToolVariant& v) { return MakeToolFile(v.command, std::string(v.name) + ".bmp"); }
};

}  // namespace

TEST_F(ILBmpDecoderToolTest, EveryHeaderDepthAndCompressionDecodesAsTheToolsDecodeIt)
{
    SKIP_WITHOUT_TOOLS("convert", "ppmtobmp");
    for (const ToolVariant& v : kBmpVariants) {
        SCOPED_TRACE(v.name);
        const std::string path = MakeVariant(v);
        ILBmpDecoder decoder;
        ILAnyBmp bmp;
        DecodeBytes(decoder, ReadFile(path), bmp);
        EXPECT_EQ(bmp.GetBitsPerPixel(), v.depth);
        EXPECT_EQ(bmp.GetWidth(), 29);
        EXPECT_EQ(bmp.GetHeight(), 17);
        std::vector<uint8_t> ours = BitmapRgba(bmp);
        std::vector<uint8_t> theirs = ToolRgba(path);
        EXPECT_LE(MaxDifference(ours, theirs), v.tolerance);
    }
}

// The cap on run-length pictures spares the densest files encoders write.
TEST_F(ILBmpDecoderToolTest, SolidRunLengthPicturesDecode)
{
    SKIP_WITHOUT_TOOLS("convert");
    const std::string path = PathOf("solid.bmp");
    Shell("convert -size 3000x2000 xc:#3080c0 -type palette -compress RLE BMP3:" + Quote(path));
    ILBmpDecoder decoder;
    ILAnyBmp bmp;
    DecodeBytes(decoder, ReadFile(path), bmp);
    EXPECT_EQ(bmp.GetWidth(), 3000);
    EXPECT_EQ(bmp.GetLineArray()[1999][2999], bmp.GetLineArray()[0][0]);
}

TEST_F(ILBmpDecoderToolTest, ThirtyTwoBitFilesKeepTheirAlphaAndSayTheyHaveIt)
{
    SKIP_WITHOUT_TOOLS("convert");
    ILBmpDecoder decoder;
    ILAnyBmp bmp;
    DecodeBytes(decoder, ReadFile(MakeVariant(kBmpVariants[std::size(kBmpVariants) - 1])), bmp);
    EXPECT_TRUE(bmp.HasAlpha());
    ILAnyBmp opaque;
    DecodeBytes(decoder, ReadFile(MakeVariant(kBmpVariants[0])), opaque);
    EXPECT_FALSE(opaque.HasAlpha());
}

TEST_F(ILBmpDecoderToolTest, TopDownRowsDecodeToTheSamePictureAsBottomUpRows)
{
    SKIP_WITHOUT_TOOLS("convert");
    const std::string path = MakeVariant(kBmpVariants[0]);
    std::string bytes = ReadFile(path);
    const size_t rowSize = (29 * 3 + 3) & ~size_t{3};
    std::vector<std::string> rows;
    for (int y = 0; y < 17; ++y) {
        rows.push_back(bytes.substr(54 + y * rowSize, rowSize));
    }
    std::reverse(rows.begin(), rows.end());
    std::string topDown = bytes.substr(0, 54);
    Put32(topDown, 22, static_cast<uint32_t>(-17));
    for (const std::string& row : rows) {
        topDown += row;
    }
    ILBmpDecoder decoder;
    ILAnyBmp bmp;
    DecodeBytes(decoder, topDown, bmp);
    EXPECT_EQ(bmp.GetHeight(), 17);
    EXPECT_EQ(BitmapRgba(bmp), ToolRgba(path));
}

TEST_F(ILBmpDecoderToolTest, AnOs2BitmapArrayDecodesItsFirstBitmap)
{
    SKIP_WITHOUT_TOOLS("convert");
    const std::string path = MakeVariant(kBmpVariants[1]);
    std::string inner = ReadFile(path);
    Put32(inner, 10, Le32(inner, 10) + 14);  // offsets count from the start of the array
    std::string array(14, '\0');
    array[0] = 'B';
    array[1] = 'A';
    Put32(array, 2, 14);
    ILBmpDecoder decoder;
    ILAnyBmp bmp;
    DecodeBytes(decoder, array + inner, bmp);
    EXPECT_EQ(BitmapRgba(bmp), ToolRgba(path));
}

TEST_F(ILBmpDecoderToolTest, PixelsPerMetreBecomeDotsPerInch)
{
    SKIP_WITHOUT_TOOLS("convert");
    const std::string path = PathOf("dense.bmp");
    Shell("convert " + Quote(MakeBase()) + " -units PixelsPerInch -density 300 BMP3:" + Quote(path));
    ILBmpDecoder decoder;
    ILAnyBmp bmp;
    DecodeBytes(decoder, ReadFile(path), bmp);
    EXPECT_EQ(bmp.GetResolution(), ILPoint(300, 300));
}

// Masks used to be read as 5-6-5 or blue-green-red-alpha whatever they said, short channels
// of 32-bit pixels were widened by a bare shift, and a fourth byte of 0 everywhere made the
// picture invisible.
TEST(ILBmpDecoderTest, DeepPixelsFollowTheirMasksAndAreOpaqueWithoutAlpha)
{
    const uint32_t k1010102[] = {0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000};
    const struct
    {
        const char* name;
        std::string bytes;
        std::vector<uint8_t> rgba;
        bool alpha;
    } cases[] = {
        {"32-bit, fourth byte 0 everywhere", MakeMaskedBmp(32, 0, 40, {}, {0x00102030, 0x00FFFFFF}),
         {0x10, 0x20, 0x30, 255, 255, 255, 255, 255}, false},
        {"32-bit, fourth byte used", MakeMaskedBmp(32, 0, 40, {}, {0x80102030, 0x00FFFFFF}),
         {0x10, 0x20, 0x30, 0x80, 255, 255, 255, 0}, true},
        {"32-bit, red-green-blue-x fields", MakeMaskedBmp(32, 3, 40, {0xFF000000, 0xFF0000, 0xFF00}, {0x102030FF}),
         {0x10, 0x20, 0x30, 255}, false},
        {"32-bit, 10-10-10-2 fields in a long header",
         MakeMaskedBmp(32, 3, 124, {k1010102[0], k1010102[1], k1010102[2], k1010102[3]},
                       {(1u << 30) | (0x3FFu << 20) | (0x200u << 10) | 0x004u}),
         {255, 0x80, 0x01, 85}, true},
        {"32-bit, alpha mask declared but 0 everywhere",
         MakeMaskedBmp(32, 3, 124, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, {0x00102030}), {0x10, 0x20, 0x30, 255},
         false},
        {"32-bit, long header declaring no alpha mask", MakeMaskedBmp(32, 0, 108, {}, {0x80102030}),
         {0x10, 0x20, 0x30, 255}, false},
        {"16-bit, 4-4-4-4 fields with alpha", MakeMaskedBmp(16, 6, 40, {0x0F00, 0x00F0, 0x000F, 0xF000}, {0x8F31}),
         {0xF0, 0x30, 0x10, 0x80}, true},
    };
    ILBmpDecoder decoder;
    for (const auto& c : cases) {
        ILAnyBmp bmp;
        DecodeBytes(decoder, c.bytes, bmp);
        EXPECT_EQ(BitmapRgba(bmp), c.rgba) << c.name;
        EXPECT_EQ(bmp.HasAlpha(), c.alpha) << c.name;
    }
}

// Five-bit channels used to be stretched to the full range (31 read 255).
TEST(ILBmpDecoderTest, SixteenBitChannelsKeepTheirBitsAtTheTopOfTheByte)
{
    const std::vector<uint32_t> fiveFiveFive = {0x7C00, 0x03E0, 0x001F};
    const std::vector<uint32_t> fiveSixFive = {0xF800, 0x07E0, 0x001F};
    const struct
    {
        const char* name;
        uint32_t compression;
        std::vector<uint32_t> masks;
        uint32_t word;
        std::vector<uint8_t> rgba;
    } cases[] = {
        {"5-5-5 white", 0, {}, 0x7FFF, {248, 248, 248, 255}},
        {"5-5-5 red", 0, {}, 0x7C00, {248, 0, 0, 255}},
        {"5-5-5 green", 0, {}, 0x03E0, {0, 248, 0, 255}},
        {"5-5-5 blue", 0, {}, 0x001F, {0, 0, 248, 255}},
        {"5-5-5 ones", 0, {}, 0x0421, {8, 8, 8, 255}},
        {"5-5-5 middle, top bit ignored", 0, {}, 0xC210, {128, 128, 128, 255}},
        {"5-5-5 by its masks", 3, fiveFiveFive, 0x3DEF, {120, 120, 120, 255}},
        {"5-6-5 white", 3, fiveSixFive, 0xFFFF, {248, 252, 248, 255}},
        {"5-6-5 ones", 3, fiveSixFive, 0x0821, {8, 4, 8, 255}},
        {"5-6-5 green", 3, fiveSixFive, 0x07E0, {0, 252, 0, 255}},
        {"5-6-5 without masks", 3, {0, 0, 0}, 0xFFFF, {248, 252, 248, 255}},
    };
    ILBmpDecoder decoder;
    for (const auto& c : cases) {
        ILAnyBmp bmp;
        DecodeBytes(decoder, MakeMaskedBmp(16, c.compression, 40, c.masks, {c.word}), bmp);
        EXPECT_EQ(BitmapRgba(bmp), c.rgba) << c.name;
    }
}

// The palette of an earlier file used to show through the unset entries of the next one.
TEST(ILBmpDecoderTest, EveryFileStartsFromAnEmptyPalette)
{
    std::vector<uint8_t> red;
    for (int i = 0; i < 256; ++i) {
        red.insert(red.end(), {0, 0, 255, 0});
    }
    std::string twoColours = MakeBmp(1, 1, 8, 0, {255, 255, 255, 0, 0, 0, 0, 0}, std::string("\x05\0\0\0", 4));
    Put32(twoColours, 46, 2);  // colours used
    ILBmpDecoder decoder;
    ILAnyBmp bmp;
    DecodeBytes(decoder, MakeBmp(1, 1, 8, 0, red, std::string(4, '\0')), bmp);
    DecodeBytes(decoder, twoColours, bmp);
    EXPECT_EQ(BitmapRgba(bmp), (std::vector<uint8_t>{0, 0, 0, 255}));
}

TEST(ILBmpDecoderTest, ResolutionRoundsPixelsPerMetreAndDropsValuesOfOneOrLess)
{
    const struct
    {
        uint32_t perMetre;
        int dpi;
    } cases[] = {{300, 8}, {11811, 300}, {39, 0}, {0, 0}, {0xFFFFFFFF, 0}};
    for (const auto& c : cases) {
        std::string bytes = MakeBmp(1, 1, 24, 0, {}, std::string(4, '\0'));
        Put32(bytes, 38, c.perMetre);
        Put32(bytes, 42, c.perMetre);
        ILBmpDecoder decoder;
        ILAnyBmp bmp;
        DecodeBytes(decoder, bytes, bmp);
        EXPECT_EQ(bmp.GetResolution(), ILPoint(c.dpi, c.dpi)) << c.perMetre;
    }
}

TEST(ILBmpDecoderTest, NarrowRowsSkipTheirPaddingAtOneAndTwentyFourBits)
{
    // Two rows of width 1: each 1-bit row is 1 byte + 3 padding, each 24-bit row 3 + 1.
    const std::vector<uint8_t> blackWhite = {0, 0, 0, 0, 255, 255, 255, 0};
    const std::string oneBit = std::string("\x80\x20\x20\x20", 4) + std::string("\x00\x20\x20\x20", 4);
    ILBmpDecoder decoder;
    ILAnyBmp bmp;
    DecodeBytes(decoder, MakeBmp(1, 2, 1, 0, blackWhite, oneBit), bmp);
    EXPECT_EQ(Indices(bmp), (std::vector<uint8_t>{0, 1}));  // the bottom row comes first

    const std::string trueColour = std::string("\x01\x02\x03\x20", 4) + std::string("\x04\x05\x06\x20", 4);
    DecodeBytes(decoder, MakeBmp(1, 2, 24, 0, {}, trueColour), bmp);
    EXPECT_EQ(BitmapRgba(bmp), (std::vector<uint8_t>{6, 5, 4, 255, 3, 2, 1, 255}));
}

TEST(ILBmpDecoderTest, FourBitRunLengthDataAlternatesNibblesAndCutsRunsAtTheRowEnd)
{
    // Width 5, height 2, bottom row first: a run of 7 pixels (cut to 5) of 0x12, end of
    // row; an absolute run of 3 pixels 3,4,5 (2 bytes, padded to even), end of bitmap.
    const std::string rle = std::string("\x07\x12\x00\x00", 4) + std::string("\x00\x03\x34\x50\x00\x01", 6);
    ILBmpDecoder decoder;
    ILAnyBmp bmp;
    DecodeBytes(decoder, MakeBmp(5, 2, 4, 2, SixteenGreys(), rle), bmp);
    EXPECT_EQ(Indices(bmp), (std::vector<uint8_t>{3, 4, 5, 0, 0, 1, 2, 1, 2, 1}));
}

TEST(ILBmpDecoderTest, RunsOfEightBitRunLengthDataNeverWritePastTheRow)
{
    const std::string rle = std::string("\xFF\x07\x00\x00", 4) + std::string("\x00\x05\x01\x02\x03\x04\x05\x00", 8) +
                            std::string("\x00\x01", 2);
    std::vector<uint8_t> palette(256 * 4, 0);
    ILBmpDecoder decoder;
    ILAnyBmp bmp;
    DecodeBytes(decoder, MakeBmp(3, 2, 8, 1, palette, rle), bmp);
    EXPECT_EQ(Indices(bmp), (std::vector<uint8_t>{1, 2, 3, 7, 7, 7}));
}

TEST(ILBmpDecoderTest, FourBitFilesReadSixteenPaletteEntriesWhateverColoursUsedSays)
{
    std::string bytes = MakeBmp(2, 1, 4, 0, SixteenGreys(), std::string("\x0F\x00\x00\x00", 4));
    Put32(bytes, 46, 2);  // colours used
    ILBmpDecoder decoder;
    ILAnyBmp bmp;
    DecodeBytes(decoder, bytes, bmp);
    EXPECT_EQ(BitmapRgba(bmp), (std::vector<uint8_t>{0, 0, 0, 255, 255, 255, 255, 255}));
}

TEST(ILBmpDecoderTest, AskingForThirtyTwoBitsExpandsThePaletteAndFewerBitsThanTheFileIsRefused)
{
    const std::string eight = MakeBmp(2, 1, 4, 0, SixteenGreys(), std::string("\x0F\x00\x00\x00", 4));
    ILBmpDecoder decoder;
    ILAnyBmp bmp;
    DecodeBytes(decoder, eight, bmp, 32);
    EXPECT_EQ(bmp.GetBitsPerPixel(), 32);
    EXPECT_EQ(BitmapRgba(bmp), (std::vector<uint8_t>{0, 0, 0, 255, 255, 255, 255, 255}));
    try {
        DecodeBytes(decoder, MakeBmp(1, 1, 24, 0, {}, std::string(4, '\0')), bmp, 8);
        FAIL() << "a 24-bit file decoded into 8 bits";
    } catch (const ILTextException& e) {
        EXPECT_EQ(e.GetCode(), ILTextException::notSupported);
    }
}

TEST(ILBmpDecoderTest, DamagedFilesEndWithTheirErrorCode)
{
    const std::string good = MakeBmp(4, 4, 24, 0, {}, std::string(48, '\x11'));
    std::vector<uint8_t> palette(256 * 4, 0);
    struct Case
    {
        const char* defect;
        std::string bytes;
        int code;
    };
    // The good file with 32-bit fields (offset, value) overwritten.
    const auto patched = [&good](std::initializer_list<std::pair<size_t, uint32_t>> fields) {
        std::string bytes = good;
        for (const auto& [at, value] : fields) {
            Put32(bytes, at, value);
        }
        return bytes;
    };
    std::string sevenBits = good;
    const std::string endOfBitmap("\x00\x01", 2);
    Put16(sevenBits, 28, 7);
    const std::vector<Case> cases = {
        {"empty input", "", ILTextException::endOfData},
        {"wrong signature", "XY" + good.substr(2), ILTextException::wrongSignature},
        {"file header cut short", good.substr(0, 10), ILTextException::endOfData},
        {"info header cut short", good.substr(0, 30), ILTextException::endOfData},
        {"pixel rows cut short", good.substr(0, good.size() - 5), ILTextException::endOfData},
        {"bit count seven", sevenBits, ILTextException::badFormat},
        {"width zero", patched({{18, 0}}), ILTextException::badFormat},
        {"dimensions beyond the pixel limit", patched({{18, 100000}, {22, 100000}}), ILTextException::noMemory},
        {"extreme width and negative height", patched({{18, 0x7FFFFFFF}, {22, 0x80000000}}),
         ILTextException::noMemory},
        {"width larger than the pixel data", patched({{18, 1000}}), ILTextException::endOfData},
        {"pixel offset past the end", patched({{10, 1000000}}), ILTextException::endOfData},
        {"absurd header size", patched({{14, 0x7FFFFFF0}}), ILTextException::badFormat},
        {"embedded jpeg", patched({{30, 4}}), ILTextException::notSupported},
        {"run-length data without an end", MakeBmp(4, 4, 8, 1, palette, std::string("\x04\x01\x00\x00\x04\x01", 6)),
         ILTextException::endOfData},
        {"run-length delta escape", MakeBmp(4, 4, 8, 1, palette, std::string("\x00\x02\x01\x01\x00\x01", 6)),
         ILTextException::notSupported},
        {"run-length absolute run past the data", MakeBmp(4, 4, 8, 1, palette, std::string("\x00\xF0\x01", 3)),
         ILTextException::endOfData},
        // Once these few bytes made a bitmap of 256 MB.
        {"16000 x 16000 run-length bitmap ended at once", MakeBmp(16000, 16000, 8, 1, palette, endOfBitmap),
         ILTextException::endOfData},
        {"run-length nibbles of 16000 x 16000", MakeBmp(16000, 16000, 4, 2, SixteenGreys(), endOfBitmap),
         ILTextException::endOfData},
        {"1000 x 1000 run-length bitmap ended at once", MakeBmp(1000, 1000, 8, 1, palette, endOfBitmap), 0},
    };

    ILBmpDecoder decoder;
    for (const Case& c : cases) {
        EXPECT_EQ(DecodeFailureCode(decoder, c.bytes), c.code) << c.defect;
    }
    ILAnyBmp bmp;
    DecodeBytes(decoder, good, bmp);  // the decoder is still usable
    EXPECT_EQ(bmp.GetWidth(), 4);
}

TEST(ILBmpDecoderTest, ErrorsCarryTheDecoderPrefixAndTheFormatText)
{
    ILBmpDecoder decoder;
    try {
        ILAnyBmp bmp;
        DecodeBytes(decoder, "XY" + MakeBmp(1, 1, 24, 0, {}, std::string(4, '\0')).substr(2), bmp);
        FAIL();
    } catch (const ILTextException& e) {
        EXPECT_STREQ(e.GetText(), "Decoder error: Bitmap decoder: This isn't a bitmap.\n");
    }
}
