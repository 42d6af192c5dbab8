#include "imaging/ilpicdecoder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "imaging/ilanybmp.h"
#include "imaging/ildatasource.h"
#include "imaging/ilmemsource.h"
#include "imaging/iltextexception.h"
#include "imaging/ilwinbmp.h"
#include "imagingtestutil.h"
#include "platform/resources.h"

namespace {

// "FAKE", width, height, depth (8 or 32), then the pixel bytes row by row. A palette
// image gets the palette entry i = (i, 0, 0).
class FakeDecoder : public ILPicDecoder
{
public:
    void Open(ILDataSource& source) override
    {
        calls.push_back("Open");
        sawSourceInOpen = GetDataSource() == &source;
        const std::uint8_t* header = source.ReadNBytes(7);
        if (std::string(reinterpret_cast<const char*>(header), 4) != "FAKE") {
            RaiseError(ILTextException::wrongSignature, "This isn't a fake.");
        }
        SetBmpInfo(ILPoint(header[4], header[5]), header[6], ILPoint(0, 0), false, false);
    }
    void GetImage(ILBmp& bmp) override
    {
        calls.push_back("GetImage");
        const int rowBytes = GetWidth() * GetBitsPerPixel() / 8;
        for (int y = 0; y < GetHeight(); ++y) {
            std::memcpy(bmp.GetLineArray()[y], GetDataSource()->ReadNBytes(rowBytes), static_cast<std::size_t>(rowBytes));
        }
        if (GetBitsPerPixel() == 8) {
            for (int i = 0; i < 256; ++i) {
                bmp.SetPaletteEntry(i, static_cast<std::uint8_t>(i), 0, 0, 255);
            }
        }
    }
    void Close() override
    {
        calls.push_back("Close");
        ILPicDecoder::Close();
    }

    std::vector<std::string> calls;
    bool sawSourceInOpen = false;
};

std::string Fake(int width, int height, int depth, const std::string& pixels)
{
    return std::string("FAKE") + static_cast<char>(width) + static_cast<char>(height) + static_cast<char>(depth) + pixels;
}

const auto* Bytes(const std::string& text)
{
    return reinterpret_cast<const std::uint8_t*>(text.data());
}

using ILPicDecoderTest = ScratchFolderTest;

}  // namespace

TEST_F(ILPicDecoderTest, DecodingOpensReadsTheHeaderFillsTheBitmapAndCloses)
{
    const std::string data = Fake(2, 1, 8, "\x05\x07");
    FakeDecoder decoder;
    ILAnyBmp bmp;
    decoder.MakeBmpFromMemory(Bytes(data), static_cast<std::int64_t>(data.size()), bmp);
    EXPECT_EQ(decoder.calls, (std::vector<std::string>{"Open", "GetImage", "Close"}));
    EXPECT_TRUE(decoder.sawSourceInOpen);
    EXPECT_EQ(decoder.GetDataSource(), nullptr);
    EXPECT_EQ(bmp.GetBitsPerPixel(), 8);
    EXPECT_EQ(bmp.GetLineArray()[0][1], 7);
    EXPECT_EQ(decoder.GetWidth(), 2) << "the description keeps the latest image";
}

TEST_F(ILPicDecoderTest, ADeeperWantedDepthConvertsAndAShallowerOneIsRefused)
{
    const std::string data = Fake(2, 1, 8, "\x05\x07");
    FakeDecoder decoder;
    ILWinBmp bmp;
    decoder.MakeBmpFromMemory(Bytes(data), static_cast<std::int64_t>(data.size()), bmp, 32);
    ASSERT_EQ(bmp.GetBitsPerPixel(), 32);
    EXPECT_EQ(bmp.GetLineArray()[0][4 + 2], 7) << "red of the second pixel from the palette";

    const std::string deep = Fake(1, 1, 32, "abcd");
    const ILTextException e =
        Failure([&] { decoder.MakeBmpFromMemory(Bytes(deep), static_cast<std::int64_t>(deep.size()), bmp, 8); });
    EXPECT_EQ(e.GetCode(), ILTextException::notSupported);
    EXPECT_STREQ(e.GetText(), "Image bit depth doesn't match request.");
    EXPECT_EQ(decoder.GetDataSource(), nullptr);
}

TEST_F(ILPicDecoderTest, FilesThatCannotBeOpenedRaiseTheSourcesCodeWithTheirName)
{
    FakeDecoder decoder;
    ILAnyBmp bmp;
    const std::string missing = PathOf("missing.fake");
    ILTextException e = Failure([&] { decoder.MakeBmpFromFile(missing.c_str(), bmp); });
    EXPECT_EQ(e.GetCode(), ILTextException::fileNotFound);
    EXPECT_EQ(std::string(e.GetText()), "Decoder error: Opening " + missing + " failed\n");
    EXPECT_TRUE(decoder.calls.empty());

    const std::string nowhere = PathOf("nofolder/x.fake");
    e = Failure([&] { decoder.MakeBmpFromFileW(CString(nowhere), bmp); });
    EXPECT_EQ(e.GetCode(), ILTextException::pathNotFound);
}

TEST_F(ILPicDecoderTest, LongWideNamesAreShortenedInMessagesButStillOpened)
{
    std::filesystem::path folder = m_dir;
    for (int i = 0; i < 4; ++i) {
        folder /= std::string(230, static_cast<char>('a' + i));
    }
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "pic.fake").string();
    ASSERT_GE(path.size(), 900u);
    std::ofstream(path, std::ios::binary) << Fake(1, 1, 8, "\x01");
    FakeDecoder decoder;
    ILAnyBmp bmp;
    decoder.MakeBmpFromFileW(CString(path), bmp);
    EXPECT_EQ(bmp.GetLineArray()[0][0], 1);

    const ILTextException e = Failure([&] { decoder.MakeBmpFromFileW(CString(path + "x"), bmp); });
    EXPECT_STREQ(e.GetText(), "Decoder error: Opening {{Filename too long}} failed\n");
}

TEST_F(ILPicDecoderTest, ANameNeedingNineHundredBytesWithItsTerminatorIsTooLongForMessages)
{
    FakeDecoder decoder;
    ILAnyBmp bmp;
    const std::string fits = PathOfLength(898);
    ILTextException e = Failure([&] { decoder.MakeBmpFromFileW(CString(fits), bmp); });
    // The message buffer cuts the name short, but it begins with the name itself.
    EXPECT_EQ(std::string(e.GetText()).rfind("Decoder error: Opening " + fits.substr(0, 100), 0), 0u);
    e = Failure([&] { decoder.MakeBmpFromFileW(CString(PathOfLength(899)), bmp); });
    EXPECT_STREQ(e.GetText(), "Decoder error: Opening {{Filename too long}} failed\n");
}

TEST_F(ILPicDecoderTest, AFailedDecodeReleasesTheSourceAndTheNextOneWorks)
{
    const std::string truncated = Fake(4, 4, 32, "short");
    FakeDecoder decoder;
    ILAnyBmp bmp;
    const std::string path = WriteFile("truncated.fake", truncated);
    const ILTextException e = Failure([&] { decoder.MakeBmpFromFile(path.c_str(), bmp); });
    EXPECT_EQ(e.GetCode(), ILTextException::endOfData);
    EXPECT_EQ(decoder.calls.back(), "Close");
    EXPECT_EQ(decoder.GetDataSource(), nullptr);

    const std::string wrong = "NOPE\x01\x01\x08\x00";
    EXPECT_EQ(Failure([&] { decoder.MakeBmpFromMemory(Bytes(wrong), 8, bmp); }).GetCode(),
              ILTextException::wrongSignature);

    const std::string good = WriteFile("good.fake", Fake(1, 2, 32, "abcdefgh"));
    decoder.MakeBmpFromFile(good.c_str(), bmp);
    EXPECT_EQ(bmp.GetLineArray()[1][3], 'h');
}

TEST_F(ILPicDecoderTest, ResourcesAndUrlsDecodeThroughTheirSources)
{
    static const std::string resource = Fake(1, 1, 8, "\x09");
    RegisterResource("FAKE", 901, Bytes(resource), resource.size());
    FakeDecoder decoder;
    ILAnyBmp bmp;
    decoder.MakeBmpFromResource(901, bmp, 0, "FAKE");
    EXPECT_EQ(bmp.GetLineArray()[0][0], 9);
    ILTextException e = Failure([&] { decoder.MakeBmpFromResource(902, bmp, 0, "FAKE"); });
    EXPECT_EQ(e.GetCode(), ILTextException::fileNotFound);
    EXPECT_STREQ(e.GetText(), "Decoder error: Opening resource 902 failed\n");

    const std::string url = "file://" + WriteFile("remote.fake", Fake(1, 1, 8, "\x0B"));
    decoder.MakeBmpFromURL(url.c_str(), bmp);
    EXPECT_EQ(bmp.GetLineArray()[0][0], 11);
    const std::string missing = "file://" + PathOf("gone.fake");
    e = Failure([&] { decoder.MakeBmpFromURL(missing.c_str(), bmp); });
    EXPECT_EQ(e.GetCode(), ILTextException::urlFailed);
    EXPECT_NE(e.GetMinorCode(), 0);
    EXPECT_EQ(std::string(e.GetText()).rfind("Decoder error: Reading URL " + missing + " failed, reason: ", 0), 0u);
}

TEST(ILPicDecoderReaderTest, WordsAndLongsReadInBothByteOrders)
{
    const std::uint8_t data[] = {0x12, 0x34, 0x12, 0x34, 0x01, 0x02, 0x03, 0x04, 0x01, 0x02, 0x03, 0x04, 0xAB};
    ILMemSource source;
    ASSERT_EQ(source.Open(data, sizeof data), 0);
    EXPECT_EQ(ILPicDecoder::ReadLEWord(source), 0x3412);
    EXPECT_EQ(ILPicDecoder::ReadBEWord(source), 0x1234);
    EXPECT_EQ(ILPicDecoder::ReadLELong(source), 0x04030201u);
    EXPECT_EQ(ILPicDecoder::ReadBELong(source), 0x01020304u);
    EXPECT_EQ(ILPicDecoder::ReadByte(source), 0xAB);
    EXPECT_THROW(ILPicDecoder::ReadByte(source), ILTextException);
    static_assert(MakeID("FORM") == 0x464F524Du);
}

TEST(ILPicDecoderReaderTest, PackBitsRowsUnpackLiteralsAndRuns)
{
    // Literal of 3, a no-op, a run of 6 × 0x55.
    const std::uint8_t packed[] = {0x02, 'a', 'b', 'c', 0x80, 0xFB, 0x55};
    ILMemSource source;
    ASSERT_EQ(source.Open(packed, sizeof packed), 0);
    std::uint8_t row[9] = {};
    EXPECT_EQ(ILPicDecoder::UnpackPackBits(row, source, 9, sizeof packed), row);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(row), 9), "abc\x55\x55\x55\x55\x55\x55");
    EXPECT_EQ(source.GetBytesLeft(), 0);
}

TEST(ILPicDecoderReaderTest, ShortPackBitsRowsAreStoredAsTheyAre)
{
    const std::uint8_t stored[] = {1, 2, 3};
    ILMemSource source;
    ASSERT_EQ(source.Open(stored, sizeof stored), 0);
    std::uint8_t row[3] = {};
    EXPECT_EQ(ILPicDecoder::UnpackPackBits(row, source, 3, 99), stored);
}

TEST(ILPicDecoderReaderTest, PackBitsRunsThatOverrunTheRowOrTheDataAreBadData)
{
    const std::uint8_t tooLong[] = {0xF0, 0x01};  // 17 bytes into a row of 8
    const std::uint8_t cutOff[] = {0x05, 'a', 'b'};  // a literal of 6 with 2 bytes left
    for (const auto& packed : {std::pair{tooLong, sizeof tooLong}, std::pair{cutOff, sizeof cutOff}}) {
        const int size = static_cast<int>(packed.second);
        ILMemSource source;
        ASSERT_EQ(source.Open(packed.first, size), 0);
        std::uint8_t row[8] = {};
        const ILTextException e = Failure([&] { (void)ILPicDecoder::UnpackPackBits(row, source, 8, size); });
        EXPECT_EQ(e.GetCode(), ILTextException::badFormat);
    }
}
