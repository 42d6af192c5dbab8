#include "app/langhandler.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "annotations/dimensionradial.h"
#include "app/commandlineinfoex.h"
#include "apptestsupport.h"
#include "document/tarnwickmodel.h"
#include "foundation/syshelpers.h"
#include "foundation/versioninfo.h"
#include "platform/resources.h"
#include "platform/ui/stringtable.h"

namespace {

LANGID MakeLangId(int primary, int sub)
{
    return static_cast<LANGID>(primary | (sub << 10));
}

TEST(LangHandlerTest, LanguageIdsGiveTheirCodesWithThePrimaryLanguageAsFallback)
{
    const struct
    {
        int primary;
        int sub;
        bool noFallback;
        const char* code;
    } cases[] = {
        {0x09, 1, false, ""},      {0x07, 1, false, "Deu"}, {0x07, 2, false, "Deu"}, {0x07, 2, true, "0702"},
        {0x04, 2, false, "Chs"},   {0x16, 1, false, "Ptg"}, {0x13, 1, false, "1301"}, {0x16, 2, true, "Ptg"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetLanguageCode(MakeLangId(c.primary, c.sub), c.noFallback), CString(c.code))
            << c.primary << "/" << c.sub;
}

// The language code once named a library that was loaded as code, from wherever the
// name pointed.
TEST(LangHandlerTest, OnlyShortCodesOfLettersAndDigitsAreLanguageCodes)
{
    for (const char* good : {"Deu", "0409", "Chs", "a1B2c3D4"})
        EXPECT_TRUE(IsValidLanguageCode(CString(good))) << good;
    for (const char* bad : {"", "../../tmp/evil", "De u", "Deu.dll", "/abs", "123456789", "Dé", "%s%n"})
        EXPECT_FALSE(IsValidLanguageCode(CString(bad))) << bad;
}

class LangFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        apptest::PrepareApplication();
        folder = std::filesystem::path(GetProgramFolder().ToUtf8());
    }
    void TearDown() override
    {
        for (const auto& file : written)
            std::filesystem::remove(file);
        ClearTranslatedStrings();
        RegisterAppResources();
    }
    void WriteLanguageFile(const char* code, const std::string& text)
    {
        const auto path = folder / ("GlimraTest" + std::string(code) + ".lang");
        std::ofstream(path) << text;
        written.push_back(path);
    }
    static bool LoadWithCode(CLangHandler& handler, const char* code)
    {
        std::vector<CString> arguments{CString("glimra"), CString("-lang"), CString(code)};
        CCommandLineInfoEx info;
        ParseCommandLineArguments(arguments, info);
        return handler.Load("GlimraTest%s.lang", &info);
    }

    std::filesystem::path folder;
    std::vector<std::filesystem::path> written;
    apptest::MessageBoxRecorder boxes;
};

TEST_F(LangFileTest, AValidLanguageFileReplacesTheStringsUntilUnloaded)
{
    WriteLanguageFile("Xx", "ProductVersion 5.0.100\n10001 Normal\n");
    CLangHandler handler;
    ASSERT_TRUE(LoadWithCode(handler, "Xx"));
    EXPECT_EQ(handler.GetCode(), CString("Xx"));
    EXPECT_EQ(LoadStringResource(10001), CString("Normal"));
    handler.Unload();
    EXPECT_EQ(LoadStringResource(10001), CString("Standard"));
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(LangFileTest, AnOutOfDateOrMalformedFileIsReportedAndNotUsed)
{
    WriteLanguageFile("Old", "ProductVersion 4.9.999\n10001 Alt\n");
    WriteLanguageFile("Bad", "10001 Kaputt\n");
    CLangHandler handler;
    EXPECT_FALSE(LoadWithCode(handler, "Old"));
    EXPECT_FALSE(LoadWithCode(handler, "Bad"));
    ASSERT_EQ(boxes.calls.size(), 2u);
    EXPECT_EQ(boxes.calls[0].text,
              CString("Language resource file GlimraTestOld.lang is out-of-date and will not be used.\r\n\r\n"
                      "Tarnwick version: 5.0.232.\r\nGlimraTestOld.lang version: 4.9.999.\r\n\r\n"
                      "English resources will be used instead."));
    EXPECT_EQ(boxes.calls[1].text,
              CString("Language resource file GlimraTestBad.lang has an invalid format and will not be used."));
    EXPECT_EQ(LoadStringResource(10001), CString("Standard"));
}

TEST_F(LangFileTest, APipeInThePlaceOfALanguageFileIsRefusedWithoutWaiting)
{
    const auto path = folder / "GlimraTestFifo.lang";
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    written.push_back(path);
    CLangHandler handler;
    EXPECT_FALSE(LoadWithCode(handler, "Fifo"));
    EXPECT_EQ(boxes.calls.size(), 1u);
}

TEST_F(LangFileTest, ACodeThatIsNotAWordOrNamesNoFileLeavesTheBuiltInStringsSilently)
{
    WriteLanguageFile("Yy", "ProductVersion 5.0.232\n10001 Normal\n");
    CLangHandler handler;
    for (const char* code : {"../GlimraTestYy", "TRUE", "Yy/"})
        EXPECT_FALSE(LoadWithCode(handler, code)) << code;
    EXPECT_FALSE(handler.IsLoaded());
    EXPECT_TRUE(boxes.calls.empty());
    EXPECT_EQ(LoadStringResource(10001), CString("Standard"));
}

TEST_F(LangFileTest, ATranslatedFormatThatTakesOtherValuesGivesWayToTheBuiltInOne)
{
    // "%s" in the file size once crashed Model Info every time it opened.
    WriteLanguageFile("Ev", "ProductVersion 5.0.232\n"
                            "21367 %s\n"
                            "10683 Mehr als %d Blätter für %s.\n"
                            "10566 Drucker '%s'%n\n"
                            "10559 %H.%M\n");
    CLangHandler handler;
    ASSERT_TRUE(LoadWithCode(handler, "Ev"));
    for (const int id : {21367, 10683, 10566})
        EXPECT_EQ(LoadFormatString(id), LoadBuiltInString(id).value()) << id;
    EXPECT_EQ(CString::Formatted(LoadFormatString(21367).ToUtf8().c_str(), 2.0, 2048LL), CString("2.00KB (2048 Bytes)"));

    // A translation that takes the same values is used, and other strings are not formats.
    WriteLanguageFile("Ok", "ProductVersion 5.0.232\n21367 %.1f KB (%lld Byte)\n10559 %H.%M\n");
    ASSERT_TRUE(LoadWithCode(handler, "Ok"));
    EXPECT_EQ(CString::Formatted(LoadFormatString(21367).ToUtf8().c_str(), 2.0, 2048LL), CString("2.0 KB (2048 Byte)"));
    EXPECT_EQ(LoadStringResource(10559), CString("%H.%M"));
}

TEST_F(LangFileTest, RadialDimensionLabelsTakeTheirPrefixesFromTheStringTable)
{
    auto* model = new CTarnwickModel;
    {
        const CurrentModelScope scope(model);
        CDimensionRadial radius;
        CDimensionRadial diameter;
        diameter.SetDiameter(true);
        EXPECT_TRUE(radius.GetText(nullptr).Left(1) == CString("R"));
        EXPECT_TRUE(diameter.GetText(nullptr).Left(1) == CString("\u00D8"));
        WriteLanguageFile("Rd", "ProductVersion 5.0.232\n21440 Ra\n21441 Di\n");
        CLangHandler handler;
        ASSERT_TRUE(LoadWithCode(handler, "Rd"));
        EXPECT_TRUE(radius.GetText(nullptr).Left(3) == CString("Ra0")) << radius.GetText(nullptr).ToUtf8();
        EXPECT_TRUE(diameter.GetText(nullptr).Left(3) == CString("Di0")) << diameter.GetText(nullptr).ToUtf8();
    }
    model->Release();
}

}  // namespace
