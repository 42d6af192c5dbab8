#include "app/commandlineinfoex.h"

#include <gtest/gtest.h>

namespace {

CCommandLineInfoEx Parse(std::initializer_list<const char*> texts)
{
    std::vector<CString> arguments{CString("glimra")};
    for (const char* text : texts)
        arguments.emplace_back(text);
    CCommandLineInfoEx info;
    ParseCommandLineArguments(arguments, info);
    return info;
}

TEST(CommandLineInfoExTest, AFlagTakesThePlainParameterAfterItAsItsValue)
{
    const struct
    {
        std::vector<const char*> arguments;
        const char* file;
        const char* slideshow;
        const char* lang;
    } cases[] = {
        {{"-lang", "0409", "/m/house.twk"}, "/m/house.twk", nullptr, "0409"},
        {{"/m/house.twk", "-slideshow"}, "/m/house.twk", "TRUE", nullptr},
        {{"-slideshow", "/m/house.twk"}, "", "/m/house.twk", nullptr},
        {{"-lang"}, "", nullptr, "TRUE"},
        {{"--lang", "Deu", "-slideshow"}, "", "TRUE", "Deu"},
    };
    for (const auto& c : cases)
    {
        std::vector<CString> arguments{CString("glimra")};
        for (const char* text : c.arguments)
            arguments.emplace_back(text);
        CCommandLineInfoEx info;
        ParseCommandLineArguments(arguments, info);
        EXPECT_EQ(info.m_strFileName, CString(c.file)) << c.arguments.size();
        CString value;
        EXPECT_EQ(info.GetOption(CString("slideshow"), value), c.slideshow != nullptr);
        if (c.slideshow != nullptr)
        {
            EXPECT_EQ(value, CString(c.slideshow));
        }
        EXPECT_EQ(info.GetOption(CString("lang"), value), c.lang != nullptr);
        if (c.lang != nullptr)
        {
            EXPECT_EQ(value, CString(c.lang));
        }
    }
}

TEST(CommandLineInfoExTest, OptionNamesCompareExactly)
{
    const CCommandLineInfoEx info = Parse({"-Slideshow"});
    EXPECT_TRUE(info.HasOption(CString("Slideshow")));
    EXPECT_FALSE(info.HasOption(CString("slideshow")));
}

}  // namespace
