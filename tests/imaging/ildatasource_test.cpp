#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imaging/ilfilesource.h"
#include "imaging/ilmemsource.h"
#include "imaging/ilprogressnotification.h"
#include "imaging/ilresourcesource.h"
#include "imaging/iltextexception.h"
#include "imaging/ilurlsource.h"
#include "imagingtestutil.h"
#include "platform/resources.h"

namespace {

class RecordingProgress : public ILProgressNotification
{
public:
    void OnProgress(double part) override { parts.push_back(part); }
    std::vector<double> parts;
};

int EndOfDataCode(ILDataSource& source, std::int64_t count)
{
    try {
        source.ReadNBytes(count);
    } catch (const ILTextException& e) {
        return e.GetCode();
    }
    return -1;
}

using ILFileSourceTest = ScratchFolderTest;
using ILURLSourceTest = ScratchFolderTest;

}  // namespace

TEST(ILMemSourceTest, ReadsAdvanceThroughTheCallersBytesUpToTheExactEnd)
{
    const std::uint8_t data[] = {1, 2, 3, 4, 5};
    ILMemSource source;
    ASSERT_EQ(source.Open(data, 5), 0);
    EXPECT_EQ(source.GetName(), "Mem");
    EXPECT_EQ(source.GetFileSize(), 5);
    EXPECT_EQ(source.GetBufferPtr(5), data);
    EXPECT_EQ(source.ReadNBytes(2), data);
    EXPECT_EQ(*source.Read1Byte(), 3);
    EXPECT_EQ(source.ReadEverything(), data + 3);
    EXPECT_EQ(source.GetBytesLeft(), 2);
    EXPECT_EQ(EndOfDataCode(source, 3), ILTextException::endOfData);
    EXPECT_EQ(source.GetBytesRead(), 3) << "a refused read moves nothing";
    EXPECT_THROW((void)source.GetBufferPtr(3), ILTextException);
    EXPECT_EQ(source.Read2Bytes(), data + 3);
    EXPECT_EQ(EndOfDataCode(source, 1), ILTextException::endOfData);
    EXPECT_EQ(EndOfDataCode(source, -1), ILTextException::endOfData);
    source.Close();
    EXPECT_EQ(source.GetFileSize(), 0);
    EXPECT_EQ(source.GetName(), "");
    EXPECT_EQ(source.Open(nullptr, 4), ILTextException::internalError);
    EXPECT_EQ(source.Open(data, -1), ILTextException::internalError);
}

TEST_F(ILFileSourceTest, ProgressIsReportedAtEveryKilobyteCrossedAndAtClose)
{
    const std::string path = WriteFile("big.bin", std::string(3000, 'x'));
    RecordingProgress progress;
    ILFileSource source(&progress);
    ASSERT_EQ(source.Open(path.c_str()), 0);
    for (int i = 0; i < 30; ++i) {
        source.Skip(100);
    }
    source.Close();
    ASSERT_EQ(progress.parts.size(), 3u);
    EXPECT_DOUBLE_EQ(progress.parts[0], 1100.0 / 3000.0);
    EXPECT_DOUBLE_EQ(progress.parts[1], 2100.0 / 3000.0);
    EXPECT_DOUBLE_EQ(progress.parts[2], 1.0);
}

TEST_F(ILFileSourceTest, OpensByNarrowOrWideNameAndReadsTheContent)
{
    const std::string path = WriteFile("pic.bin", "ABCDEF");
    ILFileSource source;
    ASSERT_EQ(source.Open(path.c_str()), 0);
    EXPECT_EQ(source.GetName(), path);
    EXPECT_EQ(source.GetWideName(), nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(source.ReadNBytes(6)), 6), "ABCDEF");
    EXPECT_EQ(EndOfDataCode(source, 1), ILTextException::endOfData);

    ASSERT_EQ(source.OpenW(CString(path)), 0);
    EXPECT_EQ(source.GetName(), "Wide");
    ASSERT_NE(source.GetWideName(), nullptr);
    EXPECT_EQ(*source.GetWideName(), CString(path));
    EXPECT_EQ(source.GetBufferPtr(6)[5], 'F');
}

TEST_F(ILFileSourceTest, FailuresToOpenReturnTheirCodes)
{
    ILFileSource source;
    EXPECT_EQ(source.Open(PathOf("missing.png").c_str()), ILTextException::fileNotFound);
    EXPECT_EQ(source.Open(PathOf("nofolder/missing.png").c_str()), ILTextException::pathNotFound);
    EXPECT_EQ(source.Open(m_dir.string().c_str()), ILTextException::accessDenied);
    EXPECT_EQ(source.Open(WriteFile("empty.bin", "").c_str()), ILTextException::accessDenied);
    EXPECT_EQ(source.OpenW(CString(PathOf("missing.png"))), ILTextException::fileNotFound);
    EXPECT_FALSE(source.IsOpen());
}

TEST(ILResourceSourceTest, EmbeddedResourcesAreFoundByIdAndType)
{
    RegisterResources_test_imaging();
    ILResourceSource source;
    ASSERT_EQ(source.Open(7), 0);
    EXPECT_EQ(source.GetName(), "Resource: 7");
    EXPECT_EQ(source.GetFileSize(), 17);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(source.ReadNBytes(5)), 5), "Hello");
    EXPECT_EQ(EndOfDataCode(source, 13), ILTextException::endOfData);

    ASSERT_EQ(source.Open(130, "VPNG"), 0);
    EXPECT_EQ(source.GetBufferPtr(4)[1], 'P');
    EXPECT_EQ(source.Open(130), ILTextException::fileNotFound);
    EXPECT_EQ(source.Open(999, "VPNG"), ILTextException::fileNotFound);
    EXPECT_EQ(LoadResourceString(101), CString("Two\nlines"));
}

TEST_F(ILURLSourceTest, FileUrlsDownloadIntoMemory)
{
    const std::string path = WriteFile("remote.bin", "0123456789");
    ILURLSource source;
    const std::string url = "file://" + path;
    ASSERT_EQ(source.Open(url.c_str()), 0) << source.GetErrorText();
    EXPECT_EQ(source.GetName(), url);
    EXPECT_EQ(source.GetFileSize(), 10);
    EXPECT_EQ(source.ReadNBytes(4)[0], '0');
    EXPECT_EQ(source.ReadEverything()[0], '4');
    EXPECT_EQ(EndOfDataCode(source, 7), ILTextException::endOfData);
    source.Close();
    EXPECT_EQ(source.GetFileSize(), 0);
}

TEST_F(ILURLSourceTest, AFailedTransferReportsItsCodeAndText)
{
    ILURLSource source;
    const std::string url = "file://" + PathOf("missing.bin");
    EXPECT_EQ(source.Open(url.c_str()), ILTextException::urlFailed);
    EXPECT_NE(source.GetErrorCode(), 0);
    EXPECT_FALSE(source.GetErrorText().empty());
    EXPECT_FALSE(source.IsOpen());
}

TEST_F(ILURLSourceTest, HttpStatusesHaveTheirTexts)
{
    EXPECT_EQ(ILURLSource::StatusText(404), "Not Found");
    EXPECT_EQ(ILURLSource::StatusText(408), "Request Time-out");
    EXPECT_EQ(ILURLSource::StatusText(505), "HTTP Version not supported");
    EXPECT_EQ(ILURLSource::StatusText(418), "Unknown error418");
}
