#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codectestutil.h"
#include "imaging/ildatasource.h"
#include "imaging/ilmemsource.h"
#include "imaging/ilsgidecoder.h"

using namespace codectest;

namespace {

struct SgiHeader
{
    uint16_t magic = 474;
    uint8_t storage = 0;
    uint8_t bytesPerSample = 1;
    uint16_t dimension = 2;
    uint16_t width = 2;
    uint16_t height = 2;
    uint16_t channels = 1;
    uint32_t colourMap = 0;
};

void PutBE(std::string& s, size_t at, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        s[at + static_cast<size_t>(i)] = static_cast<char>(value >> (8 * (bytes - 1 - i)));
    }
}

std::string MakeSgi(const SgiHeader& h, const std::string& rest)
{
    std::string s(512, '\0');
    PutBE(s, 0, h.magic, 2);
    s[2] = static_cast<char>(h.storage);
    s[3] = static_cast<char>(h.bytesPerSample);
    PutBE(s, 4, h.dimension, 2);
    PutBE(s, 6, h.width, 2);
    PutBE(s, 8, h.height, 2);
    PutBE(s, 10, h.channels, 2);
    PutBE(s, 104, h.colourMap, 4);
    return s + rest;
}

// A run-length file of one channel whose rows are given packed; the tables follow the header.
std::string MakeRunLengthSgi(SgiHeader h, const std::vector<std::string>& rows)
{
    h.storage = 1;
    h.height = static_cast<uint16_t>(rows.size());
    std::string tables(8 * rows.size(), '\0');
    std::string data;
    for (size_t i = 0; i < rows.size(); ++i) {
        PutBE(tables, 4 * i, static_cast<uint32_t>(512 + tables.size() + data.size()), 4);
        PutBE(tables, 4 * (rows.size() + i), static_cast<uint32_t>(rows[i].size()), 4);
        data += rows[i];
    }
    return MakeSgi(h, tables + data);
}

// Exposes the source hand-over so that a test can start a decoder inside a larger block.
class InsideDecoder : public ILSGIDecoder
{
public:
    using ILPicDecoder::SetDataSource;
};

struct Variant
{
    const char* name;
    const char* command;
    int depth;
    bool alpha;
};

const Variant kVariants[] = {
    {"netpbm_rle_grey", "convert BASE -colorspace gray pgm:- | pnmtosgi > OUT", 8, false},
    {"netpbm_verbatim_grey", "convert BASE -colorspace gray pgm:- | pnmtosgi -verbatim > OUT", 8, false},
    {"netpbm_rle_rgb", "pnmtosgi BASE > OUT", 32, false},
    {"netpbm_verbatim_rgb", "pnmtosgi -verbatim BASE > OUT", 32, false},
    {"magick_rle_rgba", "convert ALPHA -depth 8 SGI:OUT", 32, true},
    {"magick_verbatim_rgba", "convert ALPHA -depth 8 -compress None SGI:OUT", 32, true},
};

class ILSGIDecoderToolTest : public ToolTest
{
};

}  // namespace

TEST_F(ILSGIDecoderToolTest, RunLengthAndVerbatimImagesOfOneThreeAndFourChannelsDecodeAsTheToolsDecodeThem)
{
    SKIP_WITHOUT_TOOLS("convert", "pnmtosgi");
    for (const Variant& v : kVariants) {
        SCOPED_TRACE(v.name);
        const std::string out = MakeToolFile(v.command, std::string(v.name) + ".sgi");
        ILSGIDecoder decoder;
        ILAnyBmp bmp;
        DecodeBytes(decoder, ReadFile(out), bmp);
        EXPECT_EQ(bmp.GetBitsPerPixel(), v.depth);
        EXPECT_EQ(bmp.HasAlpha(), v.alpha);
        EXPECT_EQ(bmp.IsGreyscale(), v.depth == 8);
        EXPECT_EQ(BitmapRgba(bmp), ToolRgba(out));
    }
}

TEST(ILSGIDecoderTest, TheFirstStoredRowIsTheBottomRowAndAColourMapKindIsNotGrey)
{
    SgiHeader h;
    ILSGIDecoder decoder;
    ILAnyBmp bmp;
    DecodeBytes(decoder, MakeSgi(h, "\x01\x02\x03\x04"), bmp);
    EXPECT_EQ(bmp.GetLineArray()[1][0], 1);
    EXPECT_EQ(bmp.GetLineArray()[0][1], 4);
    EXPECT_TRUE(bmp.IsGreyscale());
    h.colourMap = 1;
    DecodeBytes(decoder, MakeSgi(h, "\x01\x02\x03\x04"), bmp);
    EXPECT_FALSE(bmp.IsGreyscale());
}

TEST(ILSGIDecoderTest, RowOffsetsCountFromTheStartOfTheImageNotOfTheWholeBlock)
{
    const std::string image = MakeRunLengthSgi(SgiHeader(), {"\x82\x05\x06", "\x02\x07"});
    const std::string block = std::string(100, 'x') + image;
    ILMemSource source;
    ASSERT_EQ(source.Open(reinterpret_cast<const uint8_t*>(block.data()), static_cast<int64_t>(block.size())), 0);
    source.Skip(100);
    InsideDecoder decoder;
    decoder.SetDataSource(&source);
    decoder.Open(source);
    ILAnyBmp bmp;
    decoder.MakeBmp(bmp, 0);
    decoder.Close();
    EXPECT_EQ(BitmapRgba(bmp), (std::vector<uint8_t>{7, 7, 7, 255, 7, 7, 7, 255, 5, 5, 5, 255, 6, 6, 6, 255}));
}

TEST(ILSGIDecoderTest, DamagedAndTruncatedFilesEndWithTheirCodes)
{
    auto header = [](auto change) {
        SgiHeader h;
        change(h);
        return MakeSgi(h, "\x01\x02\x03\x04");
    };
    std::string offsetOutside = MakeRunLengthSgi(SgiHeader(), {"\x02\x05", "\x02\x07"});
    PutBE(offsetOutside, 512, static_cast<uint32_t>(offsetOutside.size() - 1), 4);
    const struct
    {
        const char* name;
        std::string bytes;
        int code;
    } cases[] = {
        {"good", header([](SgiHeader&) {}), 0},
        {"good-run-length", MakeRunLengthSgi(SgiHeader(), {"\x02\x05\x00", "\x81\x07\x81\x08"}), 0},
        {"wrong-magic", header([](SgiHeader& h) { h.magic = 475; }), ILTextException::wrongSignature},
        {"two-channels", header([](SgiHeader& h) { h.channels = 2; }), ILTextException::notSupported},
        {"five-channels", header([](SgiHeader& h) { h.channels = 5; }), ILTextException::notSupported},
        {"no-channels", header([](SgiHeader& h) { h.channels = 0; }), ILTextException::notSupported},
        {"one-dimension", header([](SgiHeader& h) { h.dimension = 1; }), ILTextException::notSupported},
        {"two-bytes-per-sample", header([](SgiHeader& h) { h.bytesPerSample = 2; }), ILTextException::notSupported},
        {"unknown-storage", header([](SgiHeader& h) { h.storage = 2; }), ILTextException::badFormat},
        {"empty", header([](SgiHeader& h) { h.width = 0; }), ILTextException::badFormat},
        {"too-large", header([](SgiHeader& h) { h.width = h.height = 0xFFFF; }), ILTextException::noMemory},
        {"truncated-header", header([](SgiHeader&) {}).substr(0, 300), ILTextException::endOfData},
        {"truncated-pixels", header([](SgiHeader&) {}).substr(0, 515), ILTextException::endOfData},
        {"truncated-tables", MakeRunLengthSgi(SgiHeader(), {"\x02\x05", "\x02\x07"}).substr(0, 520),
         ILTextException::endOfData},
        {"row-outside-the-data", offsetOutside, ILTextException::badFormat},
        {"run-past-the-row", MakeRunLengthSgi(SgiHeader(), {"\x03\x05", "\x02\x07"}), ILTextException::badFormat},
        {"literal-past-the-data", MakeRunLengthSgi(SgiHeader(), {"\x82\x05", "\x02\x07"}), ILTextException::badFormat},
        {"row-too-short", MakeRunLengthSgi(SgiHeader(), {"\x01\x05\x00", "\x02\x07"}), ILTextException::badFormat},
    };
    ILSGIDecoder decoder;
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeFailureCode(decoder, c.bytes), c.code) << c.name;
    }
    const std::string wrongMagic = header([](SgiHeader& h) { h.magic = 1; });
    const ILTextException e = Failure([&] {
        ILAnyBmp bmp;
        DecodeBytes(decoder, wrongMagic, bmp);
    });
    EXPECT_STREQ(e.GetText(), "SGI decoder invoked for non-SGI file.") << "thrown without the decoders' prefix";
}
