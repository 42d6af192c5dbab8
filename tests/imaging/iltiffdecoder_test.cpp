#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "codectestutil.h"
#include "imaging/iltiffdecoder.h"
#include "imaging/iltiffmemory.h"

using namespace codectest;

namespace {

struct Variant
{
    const char* name;
    const char* command;  // BASE, ALPHA and OUT are replaced
    int depth;
    bool alpha;
    bool greyscale;
    int tolerance;
    bool opaque;  // the decoder drops an extra sample: compare colours only
};

const Variant kVariants[] = {
    {"rgb", "convert BASE OUT", 32, false, false, 0, false},
    {"rgb_lzw", "convert BASE -compress LZW OUT", 32, false, false, 0, false},
    {"rgb_zip_16bit", "convert BASE -compress Zip -depth 16 OUT", 32, false, false, 1, false},
    {"rgb_tiled", "convert BASE -define tiff:tile-geometry=16x16 -compress LZW OUT", 32, false, false, 0, false},
    {"rgb_planes", "convert BASE -interlace plane OUT", 32, false, false, 0, false},
    {"rgb_jpeg", "convert BASE -compress JPEG OUT", 32, false, false, 3, false},
    {"rgb_alpha", "convert ALPHA OUT", 32, true, false, 0, false},
    // Unassociated alpha in these layouts came back multiplied into the colours.
    {"rgb_alpha_16bit", "convert ALPHA -depth 16 OUT", 32, true, false, 1, false},
    {"rgb_alpha_planes", "convert ALPHA -interlace plane OUT", 32, true, false, 0, false},
    {"rgb_alpha_planes_16bit", "convert ALPHA -depth 16 -interlace plane OUT", 32, true, false, 1, false},
    {"rgb_alpha_tiled_planes", "convert ALPHA -define tiff:tile-geometry=16x16 -interlace plane OUT", 32, true, false,
     0, false},
    {"grey_8bit", "convert BASE -colorspace gray OUT", 8, false, true, 0, false},
    {"grey_4bit", "convert BASE -colorspace gray -depth 4 OUT", 8, false, true, 0, false},
    {"grey_2bit", "convert BASE -colorspace gray -depth 2 OUT", 8, false, true, 0, false},
    {"grey_alpha", "convert ALPHA -colorspace gray OUT", 8, false, true, 0, true},
    {"palette_8bit", "convert BASE -colors 200 -type Palette OUT", 8, false, false, 0, false},
    {"palette_4bit", "convert BASE -colors 16 -type Palette -depth 4 OUT", 8, false, false, 0, false},
    {"palette_netpbm", "convert BASE -colors 16 ppm:- | pnmtotiff > OUT", 8, false, false, 0, false},
    {"bilevel_min_is_black", "convert BASE -monochrome -depth 1 OUT", 1, false, true, 0, false},
    {"bilevel_group4_min_is_white", "convert BASE -monochrome -compress Group4 OUT", 1, false, true, 0, false},
    // Strips of a few rows, the last one short, so that a picture is read in several bands.
    {"rgb_zip_strips", "convert BASE -compress Zip -define tiff:rows-per-strip=4 OUT", 32, false, false, 0, false},
    {"rgb_jpeg_strips", "convert BASE -compress JPEG -define tiff:rows-per-strip=16 OUT", 32, false, false, 3, false},
    {"rgb_alpha_planes_strips", "convert ALPHA -interlace plane -define tiff:rows-per-strip=5 OUT", 32, true, false, 0,
     false},
    {"grey_4bit_strips", "convert BASE -colorspace gray -depth 4 -define tiff:rows-per-strip=3 OUT", 8, false, true,
     0, false},
};

class ILTIFFDecoderToolTest : public ToolTest
{
protected:
    std::string MakeVariant(const Variant& v) { return MakeToolFile(v.command, std::string(v.name) + ".tif"); }
};

// A TIFF written by libtiff over memory; `tags` sets what the test needs.
std::string MakeTiff(uint32_t width, uint32_t height, uint16_t bits, uint16_t samples, uint16_t photometric,
                     const std::function<void(TIFF*)>& tags = nullptr, bool allRows = true)
{
    std::vector<uint8_t> file;
    ILTIFFMemory memory;
    TIFF* tif = TIFFOpenMem(file, memory);
    EXPECT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, height);
    if (tags) {
        tags(tif);
    }
    std::vector<uint8_t> row((width * samples * bits + 7) / 8);
    for (uint32_t y = 0; y < (allRows ? height : 1); ++y) {
        for (size_t i = 0; i < row.size(); ++i) {
            row[i] = static_cast<uint8_t>(y * 16 + i);
        }
        TIFFWriteScanline(tif, row.data(), y, 0);
    }
    TIFFClose(tif);
    return {file.begin(), file.end()};
}

// Overwrites the value of a one-value entry of the first directory (little-endian file).
void SetTagValue(std::string& tiff, uint16_t tag, uint32_t value)
{
    const uint32_t directory = Le32(tiff, 4);
    const uint32_t entries = static_cast<uint8_t>(tiff[directory]) | (static_cast<uint8_t>(tiff[directory + 1]) << 8);
    for (uint32_t i = 0; i < entries; ++i) {
        const size_t at = directory + 2 + 12 * i;
        if ((static_cast<uint8_t>(tiff[at]) | (static_cast<uint8_t>(tiff[at + 1]) << 8)) == tag) {
            Put32(tiff, at + 8, value);
            return;
        }
    }
    ADD_FAILURE() << "no tag " << tag;
}

// Points the first strip near the end of the file, so that reading it runs out of data.
std::string WithStripNearTheEnd(std::string tiff)
{
    SetTagValue(tiff, TIFFTAG_STRIPOFFSETS, static_cast<uint32_t>(tiff.size() - 10));
    return tiff;
}

ILAnyBmp Decode(const std::string& bytes)
{
    ILTIFFDecoder decoder;
    ILAnyBmp bmp;
    DecodeBytes(decoder, bytes, bmp);
    return bmp;
}

}  // namespace

TEST_F(ILTIFFDecoderToolTest, EveryLayoutCompressionAndDepthDecodesAsTheToolsDecodeIt)
{
    SKIP_WITHOUT_TOOLS("convert", "pnmtotiff");
    for (const Variant& v : kVariants) {
        SCOPED_TRACE(v.name);
        const std::string path = MakeVariant(v);
        const ILAnyBmp bmp = Decode(ReadFile(path));
        EXPECT_EQ(bmp.GetBitsPerPixel(), v.depth);
        EXPECT_EQ(bmp.HasAlpha(), v.alpha);
        EXPECT_EQ(bmp.IsGreyscale(), v.greyscale);
        std::vector<uint8_t> ours = BitmapRgba(bmp);
        std::vector<uint8_t> theirs = ToolRgba(path);
        if (v.opaque) {
            ours = Opaque(ours);
            theirs = Opaque(theirs);
        }
        EXPECT_LE(MaxDifference(ours, theirs), v.tolerance);
    }
}

TEST_F(ILTIFFDecoderToolTest, EveryVariantShrunkAsItIsReadIsTheWholePictureShrunk)
{
    SKIP_WITHOUT_TOOLS("convert", "pnmtotiff");
    std::vector<std::string> paths;
    for (const Variant& v : kVariants) {
        paths.push_back(MakeVariant(v));
    }
    // Rows stored bottom up are read whole first.
    paths.push_back(MakeToolFile("convert BASE -orient bottom-left OUT", "bottom_left.tif"));
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        const std::string bytes = ReadFile(path);
        ILTIFFDecoder decoder;
        const auto [whole, expected, shrunk] = DecodeWholeAndShrunk(decoder, bytes, 10, 6);
        ASSERT_EQ(shrunk.GetSize(), ILPoint(10, 6));
        EXPECT_EQ(shrunk.HasAlpha(), whole.HasAlpha());
        EXPECT_EQ(MaxDifference(BitmapRgba(shrunk), BitmapRgba(expected)), 0);
    }
}

// The refusal of pictures their data cannot hold spares what the tools make of blank
// pages and solid colour.
TEST_F(ILTIFFDecoderToolTest, BlankFaxPagesAndSolidPicturesDecode)
{
    SKIP_WITHOUT_TOOLS("convert", "pbmmake", "pnmtotiff");
    const std::string out = Quote(PathOf("page.tif"));
    for (const std::string& command : {"convert -size 4960x1200 xc:white -monochrome -compress Group4 " + out,
                                       "pbmmake -white 4960 1200 | pnmtotiff -g3 >" + out + " 2>/dev/null",
                                       "convert -size 2000x2000 xc:#3080c0 -compress JPEG " + out,
                                       "convert -size 2000x2000 xc:#3080c0 -compress Zstd " + out}) {
        SCOPED_TRACE(command);
        Shell(command);
        ILTIFFDecoder decoder;
        EXPECT_EQ(DecodeFailureCode(decoder, ReadFile(PathOf("page.tif"))), 0);
    }
}

TEST_F(ILTIFFDecoderToolTest, ResolutionInCentimetresBecomesDotsPerInch)
{
    SKIP_WITHOUT_TOOLS("convert");
    const std::string path = PathOf("dense.tif");
    Shell("convert " + Quote(MakeBase()) + " -units PixelsPerCentimeter -density 300 " + Quote(path));
    EXPECT_EQ(Decode(ReadFile(path)).GetResolution(), ILPoint(762, 762));
}

TEST(ILTIFFDecoderTest, ResolutionWithoutAUnitIsInInchesAndWithoutAnAbsoluteUnitIsDropped)
{
    auto resolution = [](float value, int unit) {
        return Decode(MakeTiff(4, 4, 8, 1, PHOTOMETRIC_MINISBLACK, [=](TIFF* tif) {
                   TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<double>(value));
                   TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<double>(value));
                   if (unit != 0) {
                       TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, unit);
                   }
               }))
            .GetResolution();
    };
    EXPECT_EQ(resolution(300, 0), ILPoint(300, 300));
    EXPECT_EQ(resolution(299.6f, RESUNIT_INCH), ILPoint(300, 300));
    EXPECT_EQ(resolution(0.5f, RESUNIT_INCH), ILPoint(0, 0));
    EXPECT_EQ(resolution(300, RESUNIT_NONE), ILPoint(0, 0));
}

TEST(ILTIFFDecoderTest, FourBitPalettesOfOddWidthTakeTheLastPixelFromAHighNibble)
{
    const std::string tiff = MakeTiff(5, 1, 4, 1, PHOTOMETRIC_PALETTE, [](TIFF* tif) {
        uint16_t map[3][16];
        for (int i = 0; i < 16; ++i) {
            map[0][i] = static_cast<uint16_t>(i * 4096);
            map[1][i] = static_cast<uint16_t>(65535 - i * 4096);
            map[2][i] = 0;
        }
        TIFFSetField(tif, TIFFTAG_COLORMAP, map[0], map[1], map[2]);
    });
    const ILAnyBmp bmp = Decode(tiff);  // the row bytes are 0x00 0x01 0x02
    ASSERT_EQ(bmp.GetBitsPerPixel(), 8);
    const uint8_t* row = bmp.GetLineArray()[0];
    EXPECT_EQ(std::vector<uint8_t>(row, row + 5), (std::vector<uint8_t>{0, 0, 0, 1, 0}));
    EXPECT_EQ(bmp.GetPalette()[1], ILPixel32(4096 * 255 / 65535, (65535 - 4096) * 255 / 65535, 0, 255));
}

TEST(ILTIFFDecoderTest, ColourMapsWhoseValuesFitEightBitsAreTakenUnscaled)
{
    const std::string tiff = MakeTiff(2, 1, 8, 1, PHOTOMETRIC_PALETTE, [](TIFF* tif) {
        uint16_t map[3][256] = {};
        for (int i = 0; i < 256; ++i) {
            map[0][i] = static_cast<uint16_t>(i);
            map[1][i] = static_cast<uint16_t>(255 - i);
        }
        TIFFSetField(tif, TIFFTAG_COLORMAP, map[0], map[1], map[2]);
    });
    const ILAnyBmp bmp = Decode(tiff);
    EXPECT_EQ(bmp.GetPalette()[200], ILPixel32(200, 55, 0, 255));
}

TEST(ILTIFFDecoderTest, DamagedFilesEndWithTheirErrorCode)
{
    const std::string grey = MakeTiff(29, 17, 8, 1, PHOTOMETRIC_MINISBLACK);
    const std::string rgb = MakeTiff(29, 17, 8, 3, PHOTOMETRIC_RGB);
    std::string badFirstDirectory = grey;
    badFirstDirectory.replace(4, 4, std::string("\xF0\xFF\xFF\x0F", 4));
    const std::string huge = MakeTiff(100000, 100000, 8, 1, PHOTOMETRIC_MINISBLACK, nullptr, false);
    std::string jpegOf16000 = MakeTiff(16, 16, 8, 3, PHOTOMETRIC_RGB, [](TIFF* tif) {
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_JPEG);
    });
    for (const uint16_t tag : {TIFFTAG_IMAGEWIDTH, TIFFTAG_IMAGELENGTH, TIFFTAG_ROWSPERSTRIP}) {
        SetTagValue(jpegOf16000, tag, 16000);
    }
    const struct
    {
        const char* defect;
        std::string bytes;
        int code;
    } cases[] = {
        {"empty input", "", ILTextException::badFormat},
        {"header cut short", grey.substr(0, 5), ILTextException::badFormat},
        {"unknown version", std::string("II\x2C\0", 4) + grey.substr(4), ILTextException::badFormat},
        {"first directory past the end", badFirstDirectory, ILTextException::badFormat},
        {"grey strip past the end", WithStripNearTheEnd(grey), ILTextException::internalError},
        {"colour strip past the end", WithStripNearTheEnd(rgb), ILTextException::badFormat},
        {"dimensions beyond the pixel limit", huge, ILTextException::noMemory},
        // Once the buffers of a gigabyte were made before the rows were found missing.
        {"256 MB of samples in 16 KB", MakeTiff(16000, 16000, 8, 1, PHOTOMETRIC_MINISBLACK, nullptr, false),
         ILTextException::endOfData},
        {"260 megapixels of fax in one row", MakeTiff(1000, 260000, 1, 1, PHOTOMETRIC_MINISWHITE, [](TIFF* tif) {
             TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
         }, false), ILTextException::endOfData},
        {"256 megapixels declared by 16 x 16 of JPEG", jpegOf16000, ILTextException::endOfData},
        {"256 MB of samples in one Zstandard row", MakeTiff(16000, 16000, 8, 1, PHOTOMETRIC_MINISBLACK, [](TIFF* tif) {
             TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_ZSTD);
         }, false), ILTextException::endOfData},
    };
    ILTIFFDecoder decoder;
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeFailureCode(decoder, c.bytes), c.code) << c.defect;
    }
    EXPECT_EQ(DecodeFailureCode(decoder, grey), 0);
    EXPECT_EQ(DecodeFailureCode(decoder, rgb), 0);
}

