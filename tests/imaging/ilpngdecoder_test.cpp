#include <gtest/gtest.h>

#include <zlib.h>

#include <string>
#include <vector>

#include "codectestutil.h"
#include "imaging/ilpngdecoder.h"

using namespace codectest;

namespace {

struct Variant
{
    const char* name;
    const char* command;  // BASE, ALPHA and OUT are replaced
    int bitDepth;         // of the file, as checked in its header
    int colourType;
    int depth;  // of the decoded bitmap
    bool alpha;
    bool greyscale;
    int tolerance;  // 16-bit samples are cut to 8 bits, the tools round them
};

const Variant kVariants[] = {
    {"rgb", "convert BASE PNG24:OUT", 8, 2, 32, false, false, 0},
    {"rgb_alpha", "convert ALPHA PNG32:OUT", 8, 6, 32, true, false, 0},
    {"palette_8bit", "convert BASE -colors 200 PNG8:OUT", 8, 3, 8, false, false, 0},
    {"palette_4bit", "convert BASE -colors 16 ppm:- | pnmtopng > OUT", 4, 3, 8, false, false, 0},
    {"palette_2bit", "convert BASE -colors 4 ppm:- | pnmtopng > OUT", 2, 3, 8, false, false, 0},
    {"grey_8bit", "convert BASE -colorspace gray -define png:color-type=0 -define png:bit-depth=8 OUT", 8, 0, 8,
     false, true, 0},
    {"grey_2bit", "convert BASE -colorspace gray -depth 2 -define png:bit-depth=2 -define png:color-type=0 OUT", 2, 0,
     8, false, true, 0},
    {"grey_1bit", "convert BASE -monochrome OUT", 1, 0, 8, false, true, 0},
    {"grey_16bit", "convert BASE -colorspace gray -depth 16 OUT", 16, 0, 8, false, true, 1},
    {"rgb_16bit", "convert BASE -depth 16 PNG48:OUT", 16, 2, 32, false, false, 1},
    {"rgb_alpha_16bit", "convert ALPHA -depth 16 PNG64:OUT", 16, 6, 32, true, false, 1},
    {"grey_alpha", "convert ALPHA -colorspace gray -define png:color-type=4 OUT", 8, 4, 32, true, false, 0},
    {"interlaced", "convert BASE -interlace PNG PNG24:OUT", 8, 2, 32, false, false, 0},
    // Transparency chunks (tRNS) used to be applied: their colours and entries now read opaque.
    {"palette_transparent", "convert BASE -colors 16 ppm:- | pnmtopng -transparent black > OUT", 4, 3, 8, false, false,
     0},
    {"grey_transparent", "convert BASE -colorspace gray pgm:- | pnmtopng -transparent gray30 > OUT", 8, 0, 8, false,
     true, 0},
    {"grey_2bit_transparent", "convert BASE -colorspace gray -depth 2 pgm:- | pnmtopng -transparent gray33 > OUT", 2,
     0, 8, false, true, 0},
    {"grey_16bit_transparent", "convert BASE -colorspace gray -depth 16 pgm:- | pnmtopng -transparent gray30 > OUT",
     16, 0, 8, false, true, 1},
    {"rgb_transparent", "pnmtopng -transparent black BASE > OUT", 8, 2, 32, false, false, 0},
};

class ILPNGDecoderToolTest : public ToolTest
{
protected:
    std::string MakeVariant(const Variant& v) { return MakeToolFile(v.command, std::string(v.name) + ".png"); }
};

std::string Chunk(const std::string& type, const std::string& data)
{
    std::string out(4, '\0');
    const auto length = static_cast<uint32_t>(data.size());
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<char>(length >> (24 - 8 * i));
    }
    const std::string body = type + data;
    out += body;
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
    for (int i = 0; i < 4; ++i) {
        out += static_cast<char>(crc >> (24 - 8 * i));
    }
    return out;
}

std::string Be(uint32_t v)
{
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

// A 2 × 1 RGB PNG built by hand, with chunks that the damage cases replace.
std::string MakePng(uint32_t width = 2, uint32_t height = 1)
{
    std::string raw;
    for (uint32_t y = 0; y < std::min<uint32_t>(height, 4); ++y) {
        raw += '\0';
        raw += std::string(std::min<uint32_t>(width, 4) * 3, '\x40');
    }
    std::string packed(compressBound(static_cast<uLong>(raw.size())), '\0');
    uLongf packedSize = static_cast<uLongf>(packed.size());
    compress(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(raw.data()),
             static_cast<uLong>(raw.size()));
    packed.resize(packedSize);
    const std::string ihdr = Be(width) + Be(height) + std::string("\x08\x02\x00\x00\x00", 5);
    return std::string("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", ihdr) + Chunk("IDAT", packed) + Chunk("IEND", "");
}

}  // namespace

TEST_F(ILPNGDecoderToolTest, EveryColourTypeAndBitDepthDecodesAsTheToolsDecodeIt)
{
    SKIP_WITHOUT_TOOLS("convert", "pnmtopng");
    for (const Variant& v : kVariants) {
        SCOPED_TRACE(v.name);
        const std::string bytes = ReadFile(MakeVariant(v));
        ASSERT_GT(bytes.size(), 26u);
        ASSERT_EQ(bytes[24], v.bitDepth) << "the tools made another variant";
        ASSERT_EQ(bytes[25], v.colourType) << "the tools made another variant";
        ILPNGDecoder decoder;
        ILAnyBmp bmp;
        DecodeBytes(decoder, bytes, bmp);
        EXPECT_EQ(bmp.GetBitsPerPixel(), v.depth);
        EXPECT_EQ(bmp.HasAlpha(), v.alpha);
        EXPECT_EQ(bmp.IsGreyscale(), v.greyscale);
        const std::vector<uint8_t> theirs = ToolRgba(PathOf(std::string(v.name) + ".png"));
        EXPECT_LE(MaxDifference(BitmapRgba(bmp), v.alpha ? theirs : Opaque(theirs)), v.tolerance);
    }
}

TEST_F(ILPNGDecoderToolTest, EveryVariantShrunkAsItIsReadIsTheWholePictureShrunk)
{
    SKIP_WITHOUT_TOOLS("convert", "pnmtopng");
    for (const Variant& v : kVariants) {
        SCOPED_TRACE(v.name);
        const std::string bytes = ReadFile(MakeVariant(v));
        ILPNGDecoder decoder;
        const auto [whole, expected, shrunk] = DecodeWholeAndShrunk(decoder, bytes, 10, 6);
        EXPECT_EQ(decoder.GetSize(), ILPoint(29, 17));
        ASSERT_EQ(shrunk.GetSize(), ILPoint(10, 6));
        EXPECT_EQ(shrunk.GetBitsPerPixel(), 32);
        EXPECT_EQ(shrunk.HasAlpha(), v.alpha);
        EXPECT_EQ(MaxDifference(BitmapRgba(shrunk), BitmapRgba(expected)), 0);
    }
}

TEST_F(ILPNGDecoderToolTest, GreyImagesGetOnePaletteEntryPerSampleValue)
{
    SKIP_WITHOUT_TOOLS("convert");
    ILPNGDecoder decoder;
    ILAnyBmp bmp;
    DecodeBytes(decoder, ReadFile(MakeVariant(kVariants[6])), bmp);  // 2 bits
    const ILPixel32* palette = bmp.GetPalette();
    EXPECT_EQ(palette[0], ILPixel32(0, 0, 0, 255));
    EXPECT_EQ(palette[1], ILPixel32(85, 85, 85, 255));
    EXPECT_EQ(palette[2], ILPixel32(170, 170, 170, 255));
    EXPECT_EQ(palette[3], ILPixel32(255, 255, 255, 255));
    DecodeBytes(decoder, ReadFile(MakeVariant(kVariants[8])), bmp);  // 16 bits
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(bmp.GetPalette()[i], ILPixel32(i, i, i, 255));
    }
}

TEST_F(ILPNGDecoderToolTest, PhysicalSizeInMetresBecomesDotsPerInch)
{
    SKIP_WITHOUT_TOOLS("convert");
    const std::string path = PathOf("dense.png");
    Shell("convert " + Quote(MakeBase()) + " -units PixelsPerInch -density 96 " + Quote(path));
    ILPNGDecoder decoder;
    ILAnyBmp bmp;
    DecodeBytes(decoder, ReadFile(path), bmp);
    EXPECT_EQ(bmp.GetResolution(), ILPoint(96, 96));
    DecodeBytes(decoder, MakePng(), bmp);
    EXPECT_EQ(bmp.GetResolution(), ILPoint(0, 0));
}

TEST(ILPNGDecoderTest, RgbPixelsComeOutOpaqueInBlueGreenRedOrder)
{
    ILPNGDecoder decoder;
    ILAnyBmp bmp;
    DecodeBytes(decoder, MakePng(), bmp);
    const uint8_t* row = bmp.GetLineArray()[0];
    EXPECT_EQ(std::vector<uint8_t>(row, row + 8), (std::vector<uint8_t>{0x40, 0x40, 0x40, 255, 0x40, 0x40, 0x40, 255}));
}

TEST(ILPNGDecoderTest, DamagedFilesEndWithTheirErrorCode)
{
    const std::string good = MakePng();
    const size_t idatAt = good.find("IDAT") - 4;
    struct Case
    {
        const char* defect;
        std::string bytes;
        int code;
    };
    std::string badCrc = good;
    badCrc[29] ^= 0x01;  // inside the IHDR checksum
    std::string badData = good;
    badData[idatAt + 10] ^= 0x55;
    const Case cases[] = {
        {"empty input", "", ILTextException::endOfData},
        {"damaged signature", "\x88" + good.substr(1), ILTextException::badFormat},
        {"cut inside the header chunk", good.substr(0, 20), ILTextException::endOfData},
        {"cut inside the image data", good.substr(0, idatAt + 12), ILTextException::endOfData},
        {"no end chunk", good.substr(0, good.size() - 12), ILTextException::endOfData},
        {"header checksum wrong", badCrc, ILTextException::badFormat},
        {"image data damaged", badData, ILTextException::badFormat},
        {"dimensions beyond the pixel limit", MakePng(100000, 100000), ILTextException::noMemory},
        {"zero width", MakePng(0, 1), ILTextException::badFormat},
    };
    // Whole, and shrunk row by row as it is read.
    for (const int maxSide : {0, 1}) {
        ILPNGDecoder decoder;
        decoder.SetMaxSide(maxSide);
        for (const Case& c : cases) {
            EXPECT_EQ(DecodeFailureCode(decoder, c.bytes), c.code) << c.defect << ", at most " << maxSide;
        }
        EXPECT_EQ(DecodeFailureCode(decoder, good), 0);
    }
}

TEST(ILPNGDecoderTest, SizesTheDataCannotHoldFailBeforeAnythingOfThatSizeIsMade)
{
    // Once a 51-byte picture made libpng allocate and clear 2 GB, and a few bytes could
    // claim a bitmap of a gigabyte.
    const struct
    {
        std::string bytes;
        int code;
        const char* words;
    } cases[] = {
        {MakePng().substr(0, 33) + std::string("\x7F\xFF\xFF\xFFtEXtabc"), ILTextException::endOfData,
         "longer than the data that remains"},
        {MakePng(16000, 16000), ILTextException::endOfData, "shorter than its size needs"},
    };
    ILPNGDecoder decoder;
    for (const auto& c : cases) {
        try {
            ILAnyBmp bmp;
            DecodeBytes(decoder, c.bytes, bmp);
            ADD_FAILURE() << c.words;
        } catch (const ILTextException& e) {
            EXPECT_EQ(e.GetCode(), c.code) << e.GetText();
            EXPECT_NE(std::string(e.GetText()).find(c.words), std::string::npos) << e.GetText();
        }
    }
}

TEST(ILPNGDecoderTest, LibpngMessagesArriveWithTheDecoderPrefix)
{
    ILPNGDecoder decoder;
    try {
        ILAnyBmp bmp;
        DecodeBytes(decoder, "\x88" + MakePng().substr(1), bmp);
        FAIL();
    } catch (const ILTextException& e) {
        const std::string text = e.GetText();
        EXPECT_EQ(text.rfind("Decoder error: ", 0), 0u) << text;
        EXPECT_GT(text.size(), std::string("Decoder error: \n").size());
    }
}
