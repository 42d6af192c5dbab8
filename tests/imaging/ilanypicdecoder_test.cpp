#include "imaging/ilanypicdecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "imaging/ilanybmp.h"
#include "imaging/ilmemsink.h"
#include "imaging/iltextexception.h"
#include "imaging/iltiffencoder.h"
#include "imaging/iltrace.h"
#include "imagingtestutil.h"

namespace {

int TypeOf(std::vector<std::uint8_t> data)
{
    return ILAnyPicDecoder::GetFileType(data.data(), static_cast<std::int64_t>(data.size()));
}

std::vector<std::uint8_t> Padded(std::vector<std::uint8_t> head, std::size_t size = 32)
{
    head.resize(std::max(size, head.size()), 0xEE);
    return head;
}

void PutLE32(std::vector<std::uint8_t>& data, std::size_t offset, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        data[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

// An EPS file: its 30-byte binary header, some PostScript, then the TIFF preview.
std::vector<std::uint8_t> EpsWithPreview(const ILBmp& preview)
{
    ILMemSink sink;
    EXPECT_EQ(sink.Open("preview.tif", 4096), 0);
    ILTIFFEncoder encoder;
    encoder.SaveBmp(preview, sink);
    const std::string postScript = "%!PS-Adobe-3.0 EPSF-3.0\n";
    std::vector<std::uint8_t> eps(30 + postScript.size() + sink.GetDataSize(), 0);
    eps[0] = 0xC5;
    eps[1] = 0xD0;
    eps[2] = 0xD3;
    eps[3] = 0xC6;
    PutLE32(eps, 4, 30);
    PutLE32(eps, 8, static_cast<std::uint32_t>(postScript.size()));
    PutLE32(eps, 20, static_cast<std::uint32_t>(30 + postScript.size()));
    PutLE32(eps, 24, static_cast<std::uint32_t>(sink.GetDataSize()));
    std::copy(postScript.begin(), postScript.end(), eps.begin() + 30);
    std::copy(sink.GetBytes(), sink.GetBytes() + sink.GetDataSize(), eps.begin() + 30 + postScript.size());
    return eps;
}

class ILAnyPicDecoderTest : public ScratchFolderTest
{
protected:
    void TearDown() override
    {
        ILSetTraceConfig(0, nullptr);
        ScratchFolderTest::TearDown();
    }
};

}  // namespace

TEST(ILFileTypeTest, SignaturesAreRecognisedByTheirFirstBytes)
{
    EXPECT_EQ(TypeOf(Padded({'B', 'M'})), ILAnyPicDecoder::typeBmp);
    EXPECT_EQ(TypeOf(Padded({'C', 'P'})), ILAnyPicDecoder::typeBmp);
    EXPECT_EQ(TypeOf(Padded({'G', 'I', 'F', '8', '9', 'a'})), ILAnyPicDecoder::typeGif);
    EXPECT_EQ(TypeOf(Padded({0x49, 0x49, 0x2A, 0x00})), ILAnyPicDecoder::typeTiff);
    EXPECT_EQ(TypeOf(Padded({0x4D, 0x4D, 0x00, 0x2A})), ILAnyPicDecoder::typeTiff);
    EXPECT_EQ(TypeOf(Padded({0xFF, 0xD8, 0xFF, 0xE0})), ILAnyPicDecoder::typeJpeg);
    EXPECT_EQ(TypeOf(Padded({0x89, 'P', 'N', 'G'})), ILAnyPicDecoder::typePng);
    EXPECT_EQ(TypeOf(Padded({0x0A, 0x05, 0x01})), ILAnyPicDecoder::typePcx);
    EXPECT_EQ(TypeOf(Padded({'P', '5'})), ILAnyPicDecoder::typePgm);
    EXPECT_EQ(TypeOf(Padded({'P', '6'})), ILAnyPicDecoder::typePpm);
    EXPECT_EQ(TypeOf(Padded({'8', 'B', 'P', 'S'})), ILAnyPicDecoder::typePsd);
    EXPECT_EQ(TypeOf(Padded({0x01, 0xDA})), ILAnyPicDecoder::typeSgi);
    EXPECT_EQ(TypeOf(Padded({'F', 'O', 'R', 'M'})), ILAnyPicDecoder::typeIff85);
    EXPECT_EQ(TypeOf(Padded({'?', '?'})), ILAnyPicDecoder::typeUnknown);
    EXPECT_EQ(TypeOf({}), ILAnyPicDecoder::typeUnknown);
}

TEST(ILFileTypeTest, TheTgaTestComesBeforeTheLaterSignatures)
{
    std::vector<std::uint8_t> tga(18, 0);
    tga[2] = 2;
    tga[16] = 32;
    EXPECT_EQ(TypeOf(tga), ILAnyPicDecoder::typeTga);
    std::vector<std::uint8_t> formLike = tga;
    std::memcpy(formLike.data(), "F\x00\x02", 3);
    EXPECT_EQ(TypeOf(formLike), ILAnyPicDecoder::typeTga);
    tga.resize(16);  // the pixel depth lies past the end
    EXPECT_EQ(TypeOf(tga), ILAnyPicDecoder::typeUnknown);
}

TEST(ILFileTypeTest, MacPicturesNeedTheirPreambleAndMoreThan540Bytes)
{
    std::vector<std::uint8_t> pict(541, 0xEE);
    std::memcpy(pict.data() + 522, "\x00\x11\x02\xFF", 4);
    EXPECT_EQ(TypeOf(pict), ILAnyPicDecoder::typePict);
    pict.resize(540);
    EXPECT_EQ(TypeOf(pict), ILAnyPicDecoder::typeUnknown);
}

TEST(ILFileTypeTest, EpsFilesCountOnlyWithATiffPreview)
{
    std::vector<std::uint8_t> eps = Padded({0xC5, 0xD0, 0xD3, 0xC6});
    std::fill(eps.begin() + 4, eps.end(), 0);
    eps[20] = 30;
    eps[24] = 10;
    EXPECT_EQ(TypeOf(eps), ILAnyPicDecoder::typeEpsTiff);
    eps[24] = 0;
    EXPECT_EQ(TypeOf(eps), ILAnyPicDecoder::typeUnknown);
    eps.resize(26);  // the length word is cut short
    eps[24] = 10;
    EXPECT_EQ(TypeOf(eps), ILAnyPicDecoder::typeUnknown);
}

TEST_F(ILAnyPicDecoderTest, UnknownDataRaisesUnknownFileTypeAndTheDecoderStaysUsable)
{
    ILAnyPicDecoder decoder;
    ILAnyBmp bmp;
    const std::vector<std::uint8_t> junk(40, '?');
    const ILTextException e = Failure([&] { decoder.MakeBmpFromMemory(junk.data(), 40, bmp); });
    EXPECT_EQ(e.GetCode(), ILTextException::unknownFileType);
    EXPECT_STREQ(e.GetText(), "Decoder error: Unknown file type.\n");
    EXPECT_EQ(decoder.GetDataSource(), nullptr);
    EXPECT_EQ(Failure([&] { decoder.MakeBmpFromMemory(nullptr, 0, bmp); }).GetCode(), ILTextException::unknownFileType);

    RegisterResources_test_imaging();
    decoder.MakeBmpFromResource(130, bmp, 32, "VPNG");
    EXPECT_EQ(decoder.GetFileType(), ILAnyPicDecoder::typePng);
    EXPECT_EQ(bmp.GetWidth(), 3);
    EXPECT_EQ(bmp.GetHeight(), 2);
    ASSERT_EQ(bmp.GetBitsPerPixel(), 32);
    EXPECT_EQ(bmp.GetLineArray()[0][2], 255) << "the top row is red";
    EXPECT_EQ(bmp.GetLineArray()[1][0], 255) << "the bottom row is blue";
    EXPECT_EQ(decoder.GetWidth(), 3);
}

TEST_F(ILAnyPicDecoderTest, EveryRecognisedFormatReachesItsOwnDecoder)
{
    // Signatures alone, without a picture behind them: each decoder reports the damage
    // itself instead of the library answering that it has no decoder.
    ILAnyPicDecoder decoder;
    ILAnyBmp bmp;
    std::vector<std::uint8_t> pict(600, 0);
    std::memcpy(pict.data() + 522, "\x00\x11\x02\xFF", 4);
    const std::vector<std::pair<std::vector<std::uint8_t>, int>> cases = {
        {Padded({'8', 'B', 'P', 'S'}), ILAnyPicDecoder::typePsd},
        {pict, ILAnyPicDecoder::typePict},
        {Padded({'F', 'O', 'R', 'M'}), ILAnyPicDecoder::typeIff85},
    };
    for (const auto& [data, type] : cases) {
        SCOPED_TRACE(type);
        const ILTextException e =
            Failure([&] { decoder.MakeBmpFromMemory(data.data(), static_cast<std::int64_t>(data.size()), bmp); });
        EXPECT_NE(e.GetCode(), ILTextException::notBuilt);
        EXPECT_EQ(decoder.GetFileType(), type);
    }
}

TEST_F(ILAnyPicDecoderTest, TheTiffPreviewOfAnEpsFileIsDecodedFromItsOffset)
{
    ILAnyBmp preview;
    preview.CreateFromData(2, 1, 32, false, false, nullptr, 0, ILPoint());
    SetPixel(preview, 0, 0, ILPixel32(200, 10, 20));
    SetPixel(preview, 1, 0, ILPixel32(30, 40, 250));
    std::vector<std::uint8_t> eps = EpsWithPreview(preview);
    ILAnyPicDecoder decoder;
    ILAnyBmp bmp;
    decoder.MakeBmpFromMemory(eps.data(), static_cast<std::int64_t>(eps.size()), bmp, 32);
    EXPECT_EQ(decoder.GetFileType(), ILAnyPicDecoder::typeEpsTiff);
    ASSERT_EQ(bmp.GetWidth(), 2);
    ASSERT_EQ(bmp.GetHeight(), 1);
    EXPECT_EQ(PixelAt(bmp, 0, 0), ILPixel32(200, 10, 20, 255));
    EXPECT_EQ(PixelAt(bmp, 1, 0), ILPixel32(30, 40, 250, 255));

    PutLE32(eps, 20, static_cast<std::uint32_t>(eps.size() + 1));  // a preview past the end
    EXPECT_EQ(Failure([&] { decoder.MakeBmpFromMemory(eps.data(), static_cast<std::int64_t>(eps.size()), bmp); })
                  .GetCode(),
              ILTextException::endOfData);
    EXPECT_EQ(decoder.GetDataSource(), nullptr);
}

TEST_F(ILAnyPicDecoderTest, MetafilesAreRecognisedByNameWhateverTheirContent)
{
    const std::string trace = PathOf("trace.txt");
    ILSetTraceConfig(2, trace.c_str());
    ILAnyPicDecoder decoder;
    ILAnyBmp bmp;
    const std::string wmf = WriteFile("drawing.Wmf", "BM and more");
    EXPECT_NE(Failure([&] { decoder.MakeBmpFromFile(wmf.c_str(), bmp); }).GetCode(), ILTextException::notBuilt);
    EXPECT_EQ(decoder.GetFileType(), ILAnyPicDecoder::typeWmf);
    std::filesystem::create_directories(m_dir / "a.emf.d");
    const std::string emf = WriteFile("a.emf.d/picture", "BM");
    EXPECT_NE(Failure([&] { decoder.MakeBmpFromFileW(CString(emf), bmp); }).GetCode(), ILTextException::notBuilt);
    EXPECT_EQ(decoder.GetFileType(), ILAnyPicDecoder::typeEmf);
    const std::string log = ReadFile(trace);
    EXPECT_NE(log.find("WMF file recognized.\n"), std::string::npos);
    EXPECT_NE(log.find("EMF file recognized.\n"), std::string::npos);
    EXPECT_NE(log.find("--- Decoding file " + wmf + ". ---\n"), std::string::npos);
}

TEST_F(ILAnyPicDecoderTest, EveryBuiltFormatIsHandedToItsDecoder)
{
    if (std::system("convert -version >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "ImageMagick is not installed";
    }
    struct Format
    {
        const char* name;
        int type;
        const char* colour;  // green 0xC0; grey for grey-only formats
    };
    const Format formats[] = {
        {"pic.bmp", ILAnyPicDecoder::typeBmp, "#00C000"},  {"pic.tga", ILAnyPicDecoder::typeTga, "#00C000"},
        {"pic.tif", ILAnyPicDecoder::typeTiff, "#00C000"}, {"pic.jpg", ILAnyPicDecoder::typeJpeg, "#00C000"},
        {"pic.png", ILAnyPicDecoder::typePng, "#00C000"},  {"pic.gif", ILAnyPicDecoder::typeGif, "#00C000"},
        {"pic.pcx", ILAnyPicDecoder::typePcx, "#00C000"},  {"pic.pgm", ILAnyPicDecoder::typePgm, "#C0C0C0"},
        {"pic.ppm", ILAnyPicDecoder::typePpm, "#00C000"},  {"pic.sgi", ILAnyPicDecoder::typeSgi, "#00C000"},
    };
    ILAnyPicDecoder decoder;
    for (const auto& [name, type, colour] : formats) {
        const std::string path = PathOf(name);
        // Run-length SGI files are refused; the tool writes them unless told not to.
        const std::string storage = type == ILAnyPicDecoder::typeSgi ? " -compress None" : "";
        const std::string command =
            "convert -size 5x3 xc:'" + std::string(colour) + "' -depth 8" + storage + " '" + path + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        ILAnyBmp bmp;
        decoder.MakeBmpFromFile(path.c_str(), bmp, 32);
        EXPECT_EQ(decoder.GetFileType(), type) << name;
        EXPECT_EQ(bmp.GetWidth(), 5) << name;
        EXPECT_EQ(bmp.GetHeight(), 3) << name;
        EXPECT_NEAR(bmp.GetLineArray()[2][4 * 4 + 1], 0xC0, 2) << name;
    }
}
