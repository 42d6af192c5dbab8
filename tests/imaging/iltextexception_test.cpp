#include "imaging/iltextexception.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "imaging/ilbmpdecoder.h"
#include "imaging/iltrace.h"
#include "imagingtestutil.h"

namespace {

std::string RaisedText(int code, const std::string& text)
{
    try {
        ILRaiseError(code, text);
    } catch (const ILTextException& e) {
        EXPECT_EQ(e.GetCode(), code);
        return e.GetText();
    }
    return {};
}

class ILTraceTest : public ScratchFolderTest
{
protected:
    void TearDown() override
    {
        ILSetTraceConfig(0, nullptr);
        ScratchFolderTest::TearDown();
    }
};

}  // namespace

TEST(ILTextExceptionTest, KeepsItsCodesAndAnOwnCopyOfTheText)
{
    auto first = std::make_unique<ILTextException>(ILTextException::noMemory, "Out of memory.");
    const ILTextException copy(*first);
    first.reset();
    EXPECT_EQ(copy.GetCode(), 10);
    EXPECT_EQ(copy.GetMinorCode(), 0);
    EXPECT_STREQ(copy.GetText(), "Out of memory.");

    const ILTextException empty(ILTextException::urlFailed, 404, "");
    EXPECT_NE(empty.GetText(), nullptr);
    EXPECT_STREQ(empty.GetText(), "");
    EXPECT_EQ(empty.GetMinorCode(), 404);
    EXPECT_STREQ(ILTextException(1, static_cast<const char*>(nullptr)).GetText(), "");
}

TEST(ILTextExceptionTest, RaisedErrorsCarryTheDecoderPrefixAndStayWithinTheirBuffer)
{
    EXPECT_EQ(RaisedText(2, "Bad header."), "Decoder error: Bad header.\n");
    const std::string text = RaisedText(2, std::string(1000, 'x'));
    EXPECT_EQ(text.size(), 255u);
    EXPECT_EQ(text.rfind("Decoder error: xxx", 0), 0u);
}

TEST_F(ILTraceTest, TheTraceWritesOnlyConfiguredLevelsToItsFile)
{
    const std::string path = WriteFile("trace.txt", "old content");
    ILTrace(0, "nothing is configured\n");
    ILSetTraceConfig(1, path.c_str());
    EXPECT_FALSE(std::filesystem::exists(path)) << "configuring starts the trace empty";
    ILTrace(1, "one\n");
    ILTrace(2, "two\n");
    (void)RaisedText(3, "raised");
    EXPECT_EQ(ReadFile(path), "one\nDecoder error: raised\n");

    ILSetTraceConfig(1, nullptr);
    ILTrace(0, "after\n");
    EXPECT_EQ(ReadFile(path), "one\nDecoder error: raised\n") << "a null name stops the file";
}

// Every decoder's destructor used to switch the trace file off for the whole process.
TEST_F(ILTraceTest, DestroyingADecoderLeavesTheTraceAsItWasConfigured)
{
    const std::string path = PathOf("trace.txt");
    ILSetTraceConfig(1, path.c_str());
    std::make_unique<ILBmpDecoder>().reset();
    ILTrace(1, "still on\n");
    EXPECT_EQ(ReadFile(path), "still on\n");
    EXPECT_EQ(ILGetTraceLevel(), 1);
}

TEST_F(ILTraceTest, LinesTracedFromSeveralThreadsArriveWhole)
{
    const std::string path = PathOf("trace.txt");
    ILSetTraceConfig(2, path.c_str());
    constexpr int kThreads = 4;
    constexpr int kLines = 50;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([] {
            for (int i = 0; i < kLines; ++i) {
                ILBmpDecoder decoder;  // made and destroyed between the lines
                ILTrace(2, "0123456789\n");
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    std::string expected;
    for (int i = 0; i < kThreads * kLines; ++i) {
        expected += "0123456789\n";
    }
    EXPECT_EQ(ReadFile(path), expected);
}

TEST_F(ILTraceTest, AnUnwritableTraceFileIsIgnored)
{
    ILSetTraceConfig(5, PathOf("nofolder/trace.txt").c_str());
    EXPECT_NO_THROW(ILTrace(0, "lost\n"));
    EXPECT_EQ(ILGetTraceLevel(), 5);
}
