#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codectestutil.h"
#include "imaging/iliff85decoder.h"

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

std::string Chunk(const std::string& id, const std::string& contents)
{
    std::string s = id + Be32(static_cast<std::uint32_t>(contents.size())) + contents;
    return contents.size() % 2 ? s + '\0' : s;
}

std::string BitmapHeader(int width, int height, int planes, int masking = 0, int compression = 0,
                         int transparent = 0)
{
    return Chunk("BMHD", Be16(width) + Be16(height) + std::string(4, '\0') +
                             std::string{static_cast<char>(planes), static_cast<char>(masking),
                                         static_cast<char>(compression), 0} +
                             Be16(transparent) + std::string("\x0A\x0A", 2) + Be16(width) + Be16(height));
}

std::string Form(const std::string& type, const std::string& chunks)
{
    return "FORM" + Be32(static_cast<std::uint32_t>(4 + chunks.size())) + type + chunks;
}

// Four colours: black, red, green, blue.
const std::string kFourColours = Chunk("CMAP", std::string("\0\0\0\xFF\0\0\0\xFF\0\0\0\xFF", 12));

// A file made by a tool, with the way to read it back as the tool sees it.
struct Variant
{
    const char* name;
    const char* command;
    int depth;
    int tolerance;  // hold-and-modify levels are scaled differently by the tools
};

const Variant kVariants[] = {
    {"planes5_compressed", "convert BASE -colors 32 ppm:- | ppmtoilbm -compress > OUT", 8, 0},
    {"planes5_raw", "convert BASE -colors 32 ppm:- | ppmtoilbm -nocompress > OUT", 8, 0},
    {"planes8_compressed", "convert BASE -colors 200 ppm:- | ppmtoilbm -maxplanes 8 -compress > OUT", 8, 0},
    {"deep24_compressed", "ppmtoilbm -24force -compress BASE > OUT", 32, 0},
    {"deep24_raw", "ppmtoilbm -24force -nocompress BASE > OUT", 32, 0},
    {"ham6", "ppmtoilbm -ham6 BASE > OUT", 32, 15},
    {"ham8", "ppmtoilbm -ham8 BASE > OUT", 32, 3},
};

class ILIFF85DecoderToolTest : public ToolTest
{
};

}  // namespace

TEST_F(ILIFF85DecoderToolTest, InterleavedPicturesDecodeAsTheToolsDecodeThem)
{
    SKIP_WITHOUT_TOOLS("convert", "ppmtoilbm", "ilbmtoppm");
    ILIFF85Decoder decoder;
    for (const Variant& v : kVariants) {
        SCOPED_TRACE(v.name);
        const std::string out = MakeToolFile(v.command, std::string(v.name) + ".iff");
        ILAnyBmp bmp;
        DecodeBytes(decoder, ReadFile(out), bmp);
        EXPECT_EQ(bmp.GetBitsPerPixel(), v.depth);
        const std::string back = PathOf(std::string(v.name) + ".ppm");
        Shell("ilbmtoppm " + Quote(out) + " > " + Quote(back));
        EXPECT_LE(MaxDifference(BitmapRgba(bmp), ToolRgba(back)), v.tolerance);
    }
}

TEST(ILIFF85DecoderTest, RecognisesItsSignature)
{
    EXPECT_TRUE(ILIFF85Decoder::IsIFF85(reinterpret_cast<const uint8_t*>("FORM\0\0"), 6));
    EXPECT_FALSE(ILIFF85Decoder::IsIFF85(reinterpret_cast<const uint8_t*>("FOR"), 3));
}

TEST(ILIFF85DecoderTest, ChunkyRowsArePaddedToAnEvenWidthAndCopiedAsIndices)
{
    // Pins a fault of the described behaviour: chunky rows were measured as if they held planes.
    // A 3 × 2 chunky picture stores rows of 4 bytes.
    const std::string file = Form("PBM ", BitmapHeader(3, 2, 8) + kFourColours +
                                              Chunk("BODY", std::string("\x01\x02\x03\x09\x03\x02\x01\x09", 8)));
    ILIFF85Decoder decoder;
    ILAnyBmp bmp;
    DecodeBytes(decoder, file, bmp);
    ASSERT_EQ(bmp.GetBitsPerPixel(), 8);
    EXPECT_EQ(std::vector<uint8_t>(bmp.GetLineArray()[1], bmp.GetLineArray()[1] + 3), (std::vector<uint8_t>{3, 2, 1}));
    EXPECT_EQ(bmp.GetPalette()[1], ILPixel32(255, 0, 0, 255));
}

TEST(ILIFF85DecoderTest, ATransparentColourBecomesAlphaZero)
{
    // Two planes, one row of 4 pixels: indices 0, 1, 2, 3; colour 2 is transparent.
    const std::string planes("\x50\x00\x30\x00", 4);  // plane 0: 0101, plane 1: 0011
    const std::string file = Form("ILBM", BitmapHeader(4, 1, 2, 2, 0, 2) + kFourColours + Chunk("BODY", planes));
    ILIFF85Decoder decoder;
    ILAnyBmp bmp;
    DecodeBytes(decoder, file, bmp);
    EXPECT_TRUE(bmp.HasAlpha());
    EXPECT_EQ(BitmapRgba(bmp), (std::vector<uint8_t>{0, 0, 0, 255, 255, 0, 0, 255, 0, 255, 0, 0, 0, 0, 255, 255}));
}

TEST(ILIFF85DecoderTest, DamagedPicturesEndWithTheirErrorCode)
{
    const std::string body = Chunk("BODY", std::string(4, '\0'));  // 2 planes of 4 pixels, one row
    const std::string header = BitmapHeader(4, 1, 2);
    struct Case
    {
        const char* defect;
        std::string bytes;
        int code;
    };
    const Case cases[] = {
        {"not a form", "LIST" + Form("ILBM", header + kFourColours + body).substr(4), ILTextException::wrongSignature},
        {"another form type", Form("8SVX", header + kFourColours + body), ILTextException::badFormat},
        {"header of the wrong size", Form("ILBM", Chunk("BMHD", std::string(18, '\0')) + kFourColours + body),
         ILTextException::badFormat},
        {"unknown masking", Form("ILBM", BitmapHeader(4, 1, 2, 4) + kFourColours + body), ILTextException::badFormat},
        {"unknown compression", Form("ILBM", BitmapHeader(4, 1, 2, 0, 2) + kFourColours + body),
         ILTextException::badFormat},
        {"CAMG of the wrong size", Form("ILBM", header + Chunk("CAMG", std::string(2, '\0')) + kFourColours + body),
         ILTextException::badFormat},
        {"no header", Form("ILBM", kFourColours + body), ILTextException::badFormat},
        {"no palette", Form("ILBM", header + body), ILTextException::badFormat},
        {"no body", Form("ILBM", header + kFourColours), ILTextException::badFormat},
        {"body of the wrong size", Form("ILBM", header + kFourColours + Chunk("BODY", std::string(6, '\0'))),
         ILTextException::badFormat},
        {"too many colours", Form("ILBM", BitmapHeader(4, 1, 1) + kFourColours + Chunk("BODY", std::string(2, '\0'))),
         ILTextException::badFormat},
        {"more colours than the palette holds",
         Form("ILBM", BitmapHeader(4, 1, 8) + Chunk("CMAP", std::string(900, '\x40')) + Chunk("BODY", std::string(16, '\0'))),
         ILTextException::badFormat},
        {"twelve planes", Form("ILBM", BitmapHeader(4, 1, 12) + Chunk("BODY", std::string(24, '\0'))),
         ILTextException::notSupported},
        {"body beyond the form",
         "FORM" + Be32(static_cast<std::uint32_t>(4 + header.size() + kFourColours.size() + 10)) + "ILBM" + header +
             kFourColours + body,
         ILTextException::badFormat},
        {"body cut short", Form("ILBM", header + kFourColours + body).substr(0, 70), ILTextException::endOfData},
        {"run past the row", Form("ILBM", BitmapHeader(4, 1, 2, 0, 1) + kFourColours +
                                              Chunk("BODY", std::string("\xFC\x00", 2))),
         ILTextException::badFormat},
        {"literal past the body", Form("ILBM", BitmapHeader(4, 1, 2, 0, 1) + kFourColours +
                                                   Chunk("BODY", std::string("\x03\x00", 2))),
         ILTextException::endOfData},
        {"dimensions beyond the pixel limit",
         Form("ILBM", BitmapHeader(65535, 65535, 1, 0, 1) + Chunk("CMAP", std::string(6, '\0')) +
                          Chunk("BODY", std::string(40, '\0'))),
         ILTextException::noMemory},
    };
    ILIFF85Decoder decoder;
    for (const Case& c : cases) {
        EXPECT_EQ(DecodeFailureCode(decoder, c.bytes), c.code) << c.defect;
    }
    EXPECT_EQ(DecodeFailureCode(decoder, Form("ILBM", header + kFourColours + body)), 0);
}
