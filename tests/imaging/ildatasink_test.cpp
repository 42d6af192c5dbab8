#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <unistd.h>

#include "imaging/ilanybmp.h"
#include "imaging/ildatasink.h"
#include "imaging/ilfilesink.h"
#include "imaging/ilmemsink.h"
#include "imaging/ilpicencoder.h"
#include "imaging/iltextexception.h"
#include "imaging/iltrace.h"
#include "imagingtestutil.h"

namespace {

// A sink over a fixed buffer that cannot grow.
class FixedSink : public ILDataSink
{
public:
    FixedSink(std::uint8_t* buffer, std::size_t size) { Open("fixed", buffer, size); }
};

// Writes "ENC", the width, then `extra` bytes, then fails when asked to.
class FakeEncoder : public ILPicEncoder
{
public:
    std::size_t extra = 0;
    bool failAfterHeader = false;

protected:
    void DoEncode(const ILBmp& bmp, ILDataSink& sink) override
    {
        sink.WriteNBytes(3, "ENC");
        sink.WriteByte(static_cast<std::uint8_t>(bmp.GetWidth()));
        if (failAfterHeader) {
            raiseError(ILTextException::internalError, "Stopped.");
        }
        for (std::size_t i = 0; i < extra; ++i) {
            sink.WriteByte('.');
        }
    }
};

using ILFileSinkTest = ScratchFolderTest;
using ILPicEncoderTest = ScratchFolderTest;

}  // namespace

TEST(ILDataSinkTest, AFixedSinkTakesExactlyItsCapacityAndKeepsItWhenFull)
{
    std::uint8_t buffer[4] = {};
    FixedSink sink(buffer, 4);
    EXPECT_EQ(sink.WriteNBytes(3, "abc"), 3u);
    sink.WriteByte('d');
    EXPECT_EQ(sink.GetDataSize(), 4u);
    ILTextException e = Failure([&] { sink.WriteByte('e'); });
    EXPECT_EQ(e.GetCode(), ILTextException::endOfData);
    EXPECT_STREQ(e.GetText(), "Buffer overflow while encoding.\n");
    e = Failure([&] { sink.WriteNBytes(1, "f"); });
    EXPECT_EQ(e.GetCode(), ILTextException::endOfData);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 4), "abcd");
    EXPECT_EQ(sink.GetDataSize(), 4u);
}

TEST(ILMemSinkTest, AMemorySinkGrowsPastItsCapacity)
{
    ILMemSink sink;
    ASSERT_EQ(sink.Open("tmp.png", 4), 0);
    EXPECT_EQ(sink.GetName(), "tmp.png");
    sink.WriteNBytes(3, "abc");
    const std::string more(5000, 'x');
    sink.WriteNBytes(more.size(), more.data());
    sink.WriteByte('!');
    EXPECT_EQ(sink.GetDataSize(), 5004u);
    EXPECT_GE(sink.GetMaxDataSize(), 5004u);
    const std::string written(reinterpret_cast<char*>(sink.GetBytes()), sink.GetDataSize());
    EXPECT_EQ(written, "abc" + more + "!");
}

TEST(ILMemSinkTest, BytesAreOnlyThereWhileTheSinkIsOpen)
{
    ILMemSink sink;
    ILTextException e = Failure([&] { (void)sink.GetBytes(); });
    EXPECT_EQ(e.GetCode(), ILTextException::internalError);
    EXPECT_STREQ(e.GetText(), "Open was not called for CMemSink");
    ASSERT_EQ(sink.OpenW(CString("wide.png"), 0), 0);
    EXPECT_EQ(sink.GetName(), "Wide");
    ASSERT_NE(sink.GetNameW(), nullptr);
    sink.WriteByte(1);
    sink.Close();
    EXPECT_EQ(sink.GetDataSize(), 0u);
    EXPECT_EQ(sink.GetNameW(), nullptr);
    EXPECT_THROW((void)sink.GetBytes(), ILTextException);
}

TEST_F(ILFileSinkTest, TheFileKeepsExactlyTheBytesWrittenAndGrowsWhenNeeded)
{
    const std::string path = PathOf("out.bin");
    {
        ILFileSink sink;
        ASSERT_EQ(sink.Open(path.c_str(), 8), 0);
        EXPECT_EQ(std::filesystem::file_size(path), 8u) << "the capacity is reserved at once";
        const std::string data(10000, 'z');
        sink.WriteNBytes(3, "abc");
        sink.WriteNBytes(data.size(), data.data());
        sink.Close();
    }
    EXPECT_EQ(ReadFile(path), "abc" + std::string(10000, 'z'));

    ILFileSink sink;
    ASSERT_EQ(sink.OpenW(CString(path), 4096), 0);
    sink.Close();
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
}

// A closed sink kept its capacity and wrote through a null buffer.
TEST_F(ILFileSinkTest, ClosedSinksRefuseWrites)
{
    ILMemSink memory;
    ASSERT_EQ(memory.Open("mem", 16), 0);
    memory.Close();
    ILFileSink file;
    ASSERT_EQ(file.Open(PathOf("out.bin").c_str(), 16), 0);
    file.Close();
    for (ILDataSink* sink : {static_cast<ILDataSink*>(&memory), static_cast<ILDataSink*>(&file)}) {
        EXPECT_EQ(Failure([&] { sink->WriteNBytes(3, "abc"); }).GetCode(), ILTextException::internalError);
        EXPECT_EQ(Failure([&] { sink->WriteByte(1); }).GetCode(), ILTextException::internalError);
        EXPECT_EQ(sink->GetDataSize(), 0u);
    }
}

// A file that could not be cut to the bytes written was reported as written.
TEST_F(ILFileSinkTest, AFileThatCannotBeCompletedOnCloseIsReported)
{
    const std::string path = PathOf("out.bin");
    ILFileSink sink;
    ASSERT_EQ(sink.Open(path.c_str(), 4096), 0);
    sink.WriteNBytes(3, "abc");
    // Take the file away from under the sink, as a failing device would.
    int fd = -1;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        if (std::filesystem::read_symlink(entry.path(), error) == path) {
            fd = std::stoi(entry.path().filename().string());
        }
    }
    ASSERT_GE(fd, 0);
    ::close(fd);
    const ILTextException e = Failure([&] { sink.Close(); });
    EXPECT_EQ(e.GetCode(), ILTextException::accessDenied);
    EXPECT_EQ(std::string(e.GetText()).rfind("Decoder error: Closing " + path + " failed: ", 0), 0u);
    EXPECT_EQ(Failure([&] { sink.WriteByte(1); }).GetCode(), ILTextException::internalError) << "closed all the same";
}

TEST_F(ILFileSinkTest, FailuresToCreateReturnTheirCodes)
{
    ILFileSink sink;
    EXPECT_EQ(sink.Open(PathOf("nofolder/out.bin").c_str(), 16), ILTextException::pathNotFound);
    EXPECT_EQ(sink.Open(m_dir.string().c_str(), 16), ILTextException::accessDenied);
    EXPECT_EQ(sink.Open(PathOf("new.bin").c_str(), 16), 0);
}

TEST_F(ILPicEncoderTest, FilesAreWrittenThroughTheFormatsEncoder)
{
    ILAnyBmp bmp;
    FakeEncoder encoder;
    encoder.extra = 100000;  // more than the capacity reserved for a 16 × 16 bitmap
    const std::string path = PathOf("image.enc");
    encoder.MakeFileFromBmp(path.c_str(), bmp);
    const std::string written = ReadFile(path);
    EXPECT_EQ(written.size(), 100004u);
    EXPECT_EQ(written.substr(0, 4), "ENC\x10");
    encoder.extra = 0;
    encoder.MakeFileFromBmpW(CString(path), bmp);
    EXPECT_EQ(ReadFile(path), "ENC\x10");
}

TEST_F(ILPicEncoderTest, AFailedEncodeLeavesTheBytesWrittenSoFar)
{
    ILAnyBmp bmp;
    FakeEncoder encoder;
    encoder.failAfterHeader = true;
    const std::string path = PathOf("broken.enc");
    const ILTextException e = Failure([&] { encoder.MakeFileFromBmp(path.c_str(), bmp); });
    EXPECT_STREQ(e.GetText(), "Decoder error: Stopped.\n");
    EXPECT_EQ(ReadFile(path), "ENC\x10");
}

TEST_F(ILPicEncoderTest, FilesThatCannotBeCreatedRaiseTheSinksCode)
{
    ILAnyBmp bmp;
    FakeEncoder encoder;
    const std::string path = PathOf("nofolder/x.enc");
    const ILTextException e = Failure([&] { encoder.MakeFileFromBmp(path.c_str(), bmp); });
    EXPECT_EQ(e.GetCode(), ILTextException::pathNotFound);
    EXPECT_EQ(std::string(e.GetText()), "Decoder error: Opening " + path + " failed: No such file or directory\n");
}

TEST_F(ILPicEncoderTest, LongWideNamesAreShortenedInTheTrace)
{
    std::filesystem::path folder = m_dir;
    for (int i = 0; i < 4; ++i) {
        folder /= std::string(230, static_cast<char>('a' + i));
    }
    std::filesystem::create_directories(folder);
    const std::string trace = PathOf("trace.txt");
    ILPicEncoder::SetTraceConfig(1, trace.c_str());
    ILAnyBmp bmp;
    FakeEncoder encoder;
    const std::string path = (folder / "x.enc").string();
    encoder.MakeFileFromBmpW(CString(path), bmp);
    ILPicEncoder::SetTraceConfig(0, nullptr);
    EXPECT_EQ(ReadFile(path), "ENC\x10");
    EXPECT_EQ(ReadFile(trace), "--- Encoding file {{Filename too long}}. ---\n");
}

TEST_F(ILPicEncoderTest, ANameNeedingNineHundredBytesWithItsTerminatorIsTooLongForMessages)
{
    ILAnyBmp bmp;
    FakeEncoder encoder;
    const std::string fits = PathOfLength(898);
    ILTextException e = Failure([&] { encoder.MakeFileFromBmpW(CString(fits), bmp); });
    // The message buffer cuts the name short, but it begins with the name itself.
    EXPECT_EQ(std::string(e.GetText()).rfind("Decoder error: Opening " + fits.substr(0, 100), 0), 0u);
    e = Failure([&] { encoder.MakeFileFromBmpW(CString(PathOfLength(899)), bmp); });
    EXPECT_STREQ(e.GetText(), "Decoder error: Opening {{Filename too long}} failed: No such file or directory\n");
}

TEST(ILPicEncoderCapacityTest, TheTwoEntryPointsReserveDifferently)
{
    EXPECT_EQ(ILPicEncoder::FileCapacity(19999), 85535u);
    EXPECT_EQ(ILPicEncoder::FileCapacity(20000), 85536u);
    EXPECT_EQ(ILPicEncoder::FileCapacityW(19999), 24095u);
    EXPECT_EQ(ILPicEncoder::FileCapacityW(20000), 24000u);
}
