#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codectestutil.h"
#include "imaging/iljpegdecoder.h"
#include "imaging/ilpictdecoder.h"

using namespace codectest;

namespace {

std::string Be16(int v)
{
    return {static_cast<char>(v >> 8), static_cast<char>(v)};
}

std::string Be32(std::uint32_t v)
{
    return Be16(static_cast<int>(v >> 16)) + Be16(static_cast<int>(v & 0xFFFF));
}

std::string Rect(int top, int left, int bottom, int right)
{
    return Be16(top) + Be16(left) + Be16(bottom) + Be16(right);
}

// A version-2 picture of the given frame: preamble, header and header opcode, then the opcodes.
std::string Picture(int height, int width, const std::string& opcodes)
{
    std::string s(512, '\0');
    s += Be16(0) + Rect(0, 0, height, width);
    s += std::string("\x00\x11\x02\xFF\x0C\x00", 6) + Be16(0xFFFE) + Be16(0) + Be32(72u << 16) + Be32(72u << 16) +
         Rect(0, 0, height, width) + Be32(0);
    return s + opcodes;
}

// A version-1 picture.
std::string PictureV1(int height, int width, const std::string& opcodes)
{
    return std::string(512, '\0') + Be16(0) + Rect(0, 0, height, width) + std::string("\x11\x01", 2) + opcodes;
}

// A PixMap record after the bounds: version, packing, resolution, pixel layout.
std::string PixMapRecord(int packType, int pixelSize, int cmpCount, int cmpSize)
{
    return Be16(0) + Be16(packType) + Be32(0) + Be32(72u << 16) + Be32(72u << 16) + Be16(pixelSize > 8 ? 16 : 0) +
           Be16(pixelSize) + Be16(cmpCount) + Be16(cmpSize) + Be32(0) + Be32(0) + Be32(0);
}

std::vector<uint8_t> Decode(ILPicDecoder& decoder, const std::string& bytes, ILAnyBmp& bmp, int depth = 0)
{
    DecodeBytes(decoder, bytes, bmp, depth);
    return BitmapRgba(bmp);
}

class ILPictDecoderToolTest : public ToolTest
{
};

}  // namespace

TEST_F(ILPictDecoderToolTest, PackedPixMapsAndDirectPixelsDecodeAsTheToolsDecodeThem)
{
    SKIP_WITHOUT_TOOLS("convert", "ppmtopict");
    struct Variant
    {
        const char* name;
        const char* command;
        int depth;
        bool alpha;
        int tolerance;  // colour tables keep the high byte of 16-bit levels; the tools round them
    };
    const Variant variants[] = {
        {"netpbm_8bit", "convert BASE -colors 200 ppm:- | ppmtopict > OUT", 8, false, 0},
        {"tools_8bit", "convert BASE -colors 16 -type Palette PICT:OUT", 8, false, 1},
        {"tools_direct", "convert BASE PICT:OUT", 32, false, 0},
        {"tools_direct_alpha", "convert ALPHA PICT:OUT", 32, true, 0},
    };
    ILPictDecoder decoder;
    for (const Variant& v : variants) {
        SCOPED_TRACE(v.name);
        const std::string out = MakeToolFile(v.command, std::string(v.name) + ".pict");
        ILAnyBmp bmp;
        const std::vector<uint8_t> ours = Decode(decoder, ReadFile(out), bmp);
        EXPECT_EQ(bmp.GetBitsPerPixel(), v.depth);
        EXPECT_EQ(bmp.HasAlpha(), v.alpha);
        EXPECT_LE(MaxDifference(Opaque(ours), Opaque(ToolRgba(out))), v.tolerance);
        if (v.alpha) {  // the tools read the alpha plane back as opaque: compare with the source
            EXPECT_EQ(MaxDifference(ours, ToolRgba(PathOf("alpha.png"))), 0);
        }
    }
}

TEST_F(ILPictDecoderToolTest, JpegDataDecodesThroughTheJpegDecoderOverItsOwnBytes)
{
    SKIP_WITHOUT_TOOLS("convert");
    const std::string file = ReadFile(MakeToolFile("convert BASE -compress JPEG PICT:OUT", "jpeg.pict"));
    const size_t start = file.find("\xFF\xD8\xFF");
    ASSERT_NE(start, std::string::npos);
    ILJPEGDecoder jpeg;
    ILAnyBmp expected;
    const std::vector<uint8_t> direct = Decode(jpeg, file.substr(start), expected);

    ILPictDecoder decoder(&jpeg);
    ILAnyBmp bmp;
    EXPECT_EQ(Decode(decoder, file, bmp), direct);
    ILPictDecoder withoutJpeg;
    EXPECT_EQ(DecodeFailureCode(withoutJpeg, file), ILTextException::notSupported);
}

TEST(ILPictDecoderTest, RecognisesTheVersionAfterThePreamble)
{
    const std::string v2 = Picture(1, 1, std::string(20, '\0'));
    const std::string v1 = PictureV1(1, 1, std::string(20, '\0'));
    EXPECT_TRUE(ILPictDecoder::IsPict(reinterpret_cast<const uint8_t*>(v2.data()), static_cast<int64_t>(v2.size())));
    EXPECT_FALSE(ILPictDecoder::IsPict(reinterpret_cast<const uint8_t*>(v1.data()), 540));
    EXPECT_FALSE(ILPictDecoder::IsPict(reinterpret_cast<const uint8_t*>(v1.data()), 530));
}

TEST(ILPictDecoderTest, VersionOneBitmapsDrawSetBitsBlack)
{
    // Pins a fault of the described behaviour: a palette of black at 0 drew the bitmap inverted.
    // 10 × 1, rows of 2 bytes stored as they are (under 8 bytes), after opcodes to pass over.
    const std::string opcodes = std::string("\x00\x01\x00\x0A", 4) + Rect(0, 0, 1, 10) + std::string("\xA0\x00\x01", 3) +
                                "\x90" + Be16(2) + Rect(0, 0, 1, 10) + Rect(0, 0, 1, 10) + Rect(0, 0, 1, 10) +
                                Be16(0) + std::string("\x81\x40", 2);
    // Clip region, short comment; note the clip opcode is one byte in version 1.
    const std::string file = PictureV1(1, 10, opcodes.substr(1));
    ILPictDecoder decoder;
    ILAnyBmp bmp;
    Decode(decoder, file, bmp);
    ASSERT_EQ(bmp.GetBitsPerPixel(), 8);
    const uint8_t* row = bmp.GetLineArray()[0];
    EXPECT_EQ(std::vector<uint8_t>(row, row + 10), (std::vector<uint8_t>{1, 0, 0, 0, 0, 0, 0, 1, 0, 1}));
    EXPECT_EQ(bmp.GetPalette()[1], ILPixel32(0, 0, 0, 255));
    EXPECT_EQ(bmp.GetPalette()[0], ILPixel32(255, 255, 255, 255));
}

TEST(ILPictDecoderTest, BitsRectRowsAreStoredUnpacked)
{
    // Pins a fault of the described behaviour: rows of 8 bytes and more were read as packed.
    const std::string colours = Be32(0) + Be16(0) + Be16(1) + Be16(0) + std::string(6, '\0') + Be16(1) +
                                std::string(6, '\xFF');
    const std::string row("\x00\x01\x00\x01\x01\x01\x00\x00\x01\x00", 10);
    const std::string opcodes = Be16(0x90) + Be16(0x800A) + Rect(0, 0, 1, 10) + PixMapRecord(0, 8, 1, 8) + colours +
                                Rect(0, 0, 1, 10) + Rect(0, 0, 1, 10) + Be16(0) + row;
    ILPictDecoder decoder;
    ILAnyBmp bmp;
    Decode(decoder, Picture(1, 10, opcodes), bmp);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bmp.GetLineArray()[0]), 10), row);
}

TEST(ILPictDecoderTest, SixteenBitPixelsExpandToMultiplesOfEight)
{
    // 2 × 1 direct pixels of x-5-5-5, rows under 8 bytes stored as they are.
    const std::string opcodes = Be16(0x9A) + Be32(0xFF) + Be16(0x8004) + Rect(0, 0, 1, 2) + PixMapRecord(0, 16, 3, 5) +
                                Rect(0, 0, 1, 2) + Rect(0, 0, 1, 2) + Be16(0) + Be16(0x7C00) + Be16(0x03FF);
    ILPictDecoder decoder;
    ILAnyBmp bmp;
    EXPECT_EQ(Decode(decoder, Picture(1, 2, opcodes), bmp),
              (std::vector<uint8_t>{248, 0, 0, 255, 0, 248, 248, 255}));
    EXPECT_EQ(bmp.GetResolution(), ILPoint(72, 72));
}

TEST(ILPictDecoderTest, ReservedOpcodesArePassedOverByTheirLengths)
{
    // 0x0200 carries 4 bytes, 0x2000 64, 0x8100 a 32-bit length, 0xA2 a 16-bit one.
    const std::string skipped = Be16(0x0200) + std::string(4, '\x7F') + Be16(0x2000) + std::string(64, '\x7F') +
                                Be16(0x8100) + Be32(3) + "abc" + std::string(1, '\0') + Be16(0xA2) + Be16(2) + "xy";
    const std::string image = Be16(0x9A) + Be32(0xFF) + Be16(0x8002) + Rect(0, 0, 1, 1) + PixMapRecord(0, 16, 3, 5) +
                              Rect(0, 0, 1, 1) + Rect(0, 0, 1, 1) + Be16(0) + Be16(0x7FFF);
    ILPictDecoder decoder;
    ILAnyBmp bmp;
    EXPECT_EQ(Decode(decoder, Picture(1, 1, skipped + image), bmp), (std::vector<uint8_t>{248, 248, 248, 255}));
}

TEST(ILPictDecoderTest, DamagedPicturesEndWithTheirErrorCode)
{
    const std::string pixMapHead = Be16(0x98) + Be16(0x8002) + Rect(0, 0, 1, 2);
    const std::string colours = Be32(0) + Be16(0) + Be16(1) + Be16(0) + std::string(6, '\0') + Be16(1) +
                                std::string(6, '\xFF');
    const std::string tail = Rect(0, 0, 1, 2) + Rect(0, 0, 1, 2) + Be16(0) + std::string("\x00\x01", 2);
    const std::string good = Picture(1, 2, pixMapHead + PixMapRecord(0, 8, 1, 8) + colours + tail);
    struct Case
    {
        const char* defect;
        std::string bytes;
        int code;
    };
    const Case cases[] = {
        {"no version opcode", std::string(512, '\0') + Be16(0) + Rect(0, 0, 1, 1) + "\x12\x02", ILTextException::wrongSignature},
        {"illegal version", std::string(512, '\0') + Be16(0) + Rect(0, 0, 1, 1) + "\x11\x03",
         ILTextException::wrongSignature},
        {"version 2 without its marker", std::string(512, '\0') + Be16(0) + Rect(0, 0, 1, 1) + std::string("\x11\x02\x00", 3),
         ILTextException::wrongSignature},
        {"only vector data", Picture(1, 1, Be16(0x30) + Rect(0, 0, 1, 1) + Be16(0xFF)), ILTextException::notSupported},
        {"unknown pattern type", Picture(1, 1, Be16(0x12) + Be16(7)), ILTextException::badFormat},
        {"quicktime data without JPEG", Picture(1, 1, Be16(0x8200) + Be32(4) + "abcd"), ILTextException::notSupported},
        {"pixel size 3", Picture(1, 2, pixMapHead + PixMapRecord(0, 3, 1, 3)), ILTextException::badFormat},
        {"empty bounds", Picture(1, 2, Be16(0x98) + Be16(0x8002) + Rect(0, 0, 0, 2) + PixMapRecord(0, 8, 1, 8)),
         ILTextException::badFormat},
        {"rows shorter than the image", Picture(1, 2, Be16(0x98) + Be16(0x8001) + Rect(0, 0, 1, 2) +
                                                          PixMapRecord(0, 8, 1, 8)),
         ILTextException::badFormat},
        {"colour index beyond the table",
         Picture(1, 2, pixMapHead + PixMapRecord(0, 8, 1, 8) + Be32(0) + Be16(0) + Be16(0) + Be16(5) +
                           std::string(6, '\0') + tail),
         ILTextException::badFormat},
        {"colour table beyond 256", Picture(1, 2, pixMapHead + PixMapRecord(0, 8, 1, 8) + Be32(0) + Be16(0) +
                                                      Be16(300) + std::string(2000, '\0')),
         ILTextException::badFormat},
        {"image beyond the pixel limit",
         Picture(1, 2, Be16(0x98) + Be16(0xFFFF) + Rect(-32768, -32768, 32767, 32767) + PixMapRecord(0, 8, 1, 8)),
         ILTextException::noMemory},
        {"pixels cut short", good.substr(0, good.size() - 1), ILTextException::endOfData},
        {"opcodes cut short", Picture(1, 1, Be16(0x30) + Rect(0, 0, 1, 1)), ILTextException::endOfData},
    };
    ILPictDecoder decoder;
    for (const Case& c : cases) {
        EXPECT_EQ(DecodeFailureCode(decoder, c.bytes), c.code) << c.defect;
    }
    EXPECT_EQ(DecodeFailureCode(decoder, good), 0);
}
