#include "platform/ui/commandlineinfo.h"

#include <gtest/gtest.h>

namespace {

// Writes down every parameter as the parser sees it.
class CRecordingInfo : public CCommandLineInfo
{
public:
    void ParseParam(const CString& text, bool isFlag, bool isLast) override
    {
        seen.push_back((isFlag ? "flag:" : "param:") + text.ToUtf8() + (isLast ? "!" : ""));
        CCommandLineInfo::ParseParam(text, isFlag, isLast);
    }
    std::vector<std::string> seen;
};

std::vector<CString> Arguments(std::initializer_list<const char*> texts)
{
    std::vector<CString> arguments{CString("glimra")};
    for (const char* text : texts)
        arguments.emplace_back(text);
    return arguments;
}

TEST(CommandLineInfoTest, DashesMarkFlagsAndAnAbsolutePathIsAFileToOpen)
{
    CRecordingInfo info;
    ParseCommandLineArguments(Arguments({"-slideshow", "--lang", "/home/a/model.twk", "-"}), info);
    EXPECT_EQ(info.seen, (std::vector<std::string>{"flag:slideshow", "flag:lang", "param:/home/a/model.twk",
                                                   "param:-!"}));
    EXPECT_EQ(info.m_strFileName, CString("/home/a/model.twk"));
    EXPECT_EQ(info.m_nShellCommand, CCommandLineInfo::FileOpen);
}

TEST(CommandLineInfoTest, WithoutAFileTheProgramStartsWithANewDocument)
{
    CCommandLineInfo info;
    ParseCommandLineArguments(Arguments({"-slideshow"}), info);
    EXPECT_TRUE(info.m_strFileName.IsEmpty());
    EXPECT_EQ(info.m_nShellCommand, CCommandLineInfo::FileNew);
}

}  // namespace
