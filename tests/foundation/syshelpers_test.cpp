#include "foundation/syshelpers.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <locale.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/folders.h"
#include "platform/sysinfo.h"

namespace {

bool LocaleInstalled(const char* name)
{
    const locale_t locale = newlocale(LC_NUMERIC_MASK, name, static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr)) {
        return false;
    }
    freelocale(locale);
    return true;
}

class SysHelpersNumberTest : public ::testing::Test
{
protected:
    void SetUp() override { SetDecimalSeparatorForTesting(u'.'); }
    void TearDown() override { SetDecimalSeparatorForTesting(0); }
};

} // namespace

TEST(SysHelpersTest, AppendPathPartAddsASeparatorOnlyWhenMissing)
{
    EXPECT_EQ(AppendPathPart(CString("C:\\data/"), CString("x.dat")), CString("C:\\data/x.dat"));
    EXPECT_EQ(AppendPathPart(CString("/opt/glimra"), CString("x.dat")), CString("/opt/glimra/x.dat"));
    EXPECT_EQ(AppendPathPart(CString(), CString("x.dat")), CString("x.dat"));
}

TEST(SysHelpersTest, StripSuffixIgnoresCaseAndLeavesTheResultAloneOnMismatch)
{
    CString result("untouched");
    EXPECT_FALSE(StripSuffixNoCase(CString(".TWK"), CString("a.png"), result));
    EXPECT_FALSE(StripSuffixNoCase(CString("longer than text"), CString("a"), result));
    EXPECT_EQ(result, CString("untouched"));
    EXPECT_TRUE(StripSuffixNoCase(CString(".TWK"), CString("model.twk"), result));
    EXPECT_EQ(result, CString("model"));
}

TEST(SysHelpersTest, BuildFoldersAreStrippedToTheSourceTreeTop)
{
    const struct
    {
        const char* folder;
        const char* top;
    } cases[] = {
        {"C:\\work\\Source\\Tarnwick\\Release\\", "C:\\work\\"},
        {"/x/source/tarnwick/release/", "/x/"},
        {"/x/Source\\Tarnwick/DebugUNOAPI\\", "/x/"},
        {"/work/main/build-values/app/", "/work/main/"},
        {"/work/main/build/release/app/", "/work/main/"},
        {"/work/main/app/", "/work/main/app/"},
        {"/work/main/build-/app/", "/work/main/build-/app/"},
        {"/opt/glimra/", "/opt/glimra/"},
    };
    for (const auto& entry : cases) {
        EXPECT_EQ(StripBuildFolderFrom(CString(entry.folder)), CString(entry.top)) << entry.folder;
    }
}

TEST(SysHelpersTest, FileNamesComeWithOrWithoutTheirExtension)
{
    EXPECT_EQ(GetFileNameFromPath(CString("/a/b/model.v2.twk"), true), CString("model.v2.twk"));
    EXPECT_EQ(GetFileNameFromPath(CString("/a/b/model.v2.twk"), false), CString("model.v2"));
    EXPECT_EQ(GetFileNameFromPath(CString("C:\\models\\house.twk"), false), CString("house"));
    EXPECT_EQ(GetFileNameFromPath(CString("/a/b/"), true), CString());
}

TEST(SysHelpersTest, TheProgramFolderHoldsTheRunningProgram)
{
    const CString module = GetModulePath();
    ASSERT_FALSE(module.IsEmpty());
    const CString folder = GetProgramFolder();
    ASSERT_FALSE(folder.IsEmpty());
    EXPECT_EQ(folder[folder.GetLength() - 1], u'/');
    EXPECT_EQ(folder + GetFileNameFromPath(module, true), module);
}

TEST(SysHelpersTest, ProgramFilesAreFoundBesideTheProgramThenInItsSubfolder)
{
    const CString programName = GetFileNameFromPath(GetModulePath(), true);
    EXPECT_EQ(FindProgramFile(programName), GetModulePath());
    EXPECT_EQ(FindProgramFile(CString("no-such-file.dat"), CString("no-such-folder")), CString());

    const CString subfolder("valuetests-find-sub");
    const CString folderPath = AppendPathPart(GetProgramFolder(), subfolder);
    const CString filePath = AppendPathPart(folderPath, CString("found.dat"));
    mkdir(folderPath.ToUtf8().c_str(), 0755);  // may be left over from an aborted run
    ASSERT_TRUE(FileExists(folderPath));
    if (FILE* file = std::fopen(filePath.ToUtf8().c_str(), "w")) {
        std::fclose(file);
    }
    EXPECT_EQ(FindProgramFile(CString("found.dat"), subfolder), filePath);
    EXPECT_EQ(FindProgramFile(CString("found.dat")), CString());
    std::remove(filePath.ToUtf8().c_str());
    rmdir(folderPath.ToUtf8().c_str());
}

TEST_F(SysHelpersNumberTest, NumbersMustFillTheTextApartFromBlanks)
{
    double value = -1.0;
    EXPECT_TRUE(ParseDouble(CString(" \t2.5 \t"), value));
    EXPECT_EQ(value, 2.5);
    EXPECT_FALSE(ParseDouble(CString("2.5cm"), value));
    EXPECT_EQ(value, 2.5);
    EXPECT_EQ(ParseLocaleDouble(CString("2.5cm")), 2.5);
    EXPECT_TRUE(ParseDouble(CString(".5"), value));
    EXPECT_EQ(value, 0.5);
}

TEST_F(SysHelpersNumberTest, ZeroIsReadOnlyWhenSpelledWithALeadingZero)
{
    double value = -1.0;
    EXPECT_TRUE(ParseDouble(CString("0"), value));
    EXPECT_TRUE(ParseDouble(CString("0.0"), value));
    EXPECT_EQ(value, 0.0);
    for (const char* text : {"", "   ", "abc", "-0", "1e-400"}) {
        EXPECT_FALSE(ParseDouble(CString(text), value)) << text;
    }
    EXPECT_EQ(ParseLocaleDouble(CString("abc")), 0.0);
}

TEST_F(SysHelpersNumberTest, InfinityNanAndHexadecimalTextAreNotNumbers)
{
    double value = -1.0;
    for (const char* text : {"inf", "-Infinity", "nan", "NAN(1)"}) {
        EXPECT_FALSE(ParseDouble(CString(text), value)) << text;
        EXPECT_EQ(value, 0.0) << text;
    }
    EXPECT_FALSE(ParseDouble(CString("0x10"), value));
    EXPECT_EQ(value, 0.0);
    EXPECT_EQ(ParseLocaleDouble(CString("0x1p3")), 0.0);
    EXPECT_TRUE(ParseDouble(CString("-1.5E2"), value));
    EXPECT_EQ(value, -150.0);
}

TEST_F(SysHelpersNumberTest, OnlyTheLocaleSeparatorCountsAsDecimalPoint)
{
    SetDecimalSeparatorForTesting(u',');
    EXPECT_EQ(GetDecimalSeparator(), u',');
    double value = 0.0;
    EXPECT_TRUE(ParseDouble(CString("2,5"), value));
    EXPECT_EQ(value, 2.5);
    EXPECT_FALSE(ParseDouble(CString("2.5"), value));
    EXPECT_EQ(value, 2.0);
    EXPECT_FALSE(ParseDouble(CString(u"2\u00B75"), value));
}

TEST(SysHelpersTest, AGermanLocaleHasACommaAndLeavesTheProcessLocaleAlone)
{
    if (!LocaleInstalled("de_DE.UTF-8")) {
        GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed";
    }
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    const char* old = std::getenv("LC_ALL");
    const std::string oldValue = old != nullptr ? old : "";
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    const char16_t german = GetLocaleDecimalSeparator();
    setenv("LC_ALL", "C", 1);
    const char16_t classic = GetLocaleDecimalSeparator();
    if (old != nullptr) {
        setenv("LC_ALL", oldValue.c_str(), 1);
    } else {
        unsetenv("LC_ALL");
    }
    EXPECT_EQ(german, u',');
    EXPECT_EQ(classic, u'.');
    EXPECT_EQ(std::string(std::setlocale(LC_NUMERIC, nullptr)), before);
}

TEST(SysHelpersTest, TheSystemVersionIsALaterVersionNamedByItsRelease)
{
    OsVersionInfo info;
    if (!GetOsVersionInfo(info)) {
        GTEST_SKIP() << "the system gives no version";
    }
    CString text("unchanged");
    EXPECT_EQ(GetOSVersionText(text), kOsLaterVersion);
    EXPECT_EQ(text, CString::Formatted("%s (Build %d)", info.servicePack, info.build));
    EXPECT_EQ(GetOSVersion(), kOsLaterVersion);
}

TEST(SysHelpersTest, MonitorLayoutComesFromTheSystemMetrics)
{
    SetDisplayMetricsProvider([] {
        DisplayMetrics metrics;
        metrics.virtualLeft = -1280;
        metrics.virtualTop = 10;
        metrics.virtualWidth = 3200;
        metrics.virtualHeight = 1200;
        metrics.monitorCount = 2;
        return metrics;
    });
    EXPECT_EQ(GetMonitorCount(), 2);
    int rect[4] = {};
    GetVirtualScreenRect(rect[0], rect[1], rect[2], rect[3]);
    SetDisplayMetricsProvider({});
    EXPECT_EQ(rect[0], -1280);
    EXPECT_EQ(rect[1], 10);
    EXPECT_EQ(rect[2], 3200);
    EXPECT_EQ(rect[3], 1200);
}
