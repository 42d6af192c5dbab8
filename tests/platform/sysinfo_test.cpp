#include "platform/sysinfo.h"

#include <gtest/gtest.h>

TEST(SysInfoTest, WindowColoursAreWhiteBackgroundAndBlackText)
{
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), 0x00FFFFFFu);
    EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), 0x00000000u);
    const uint32_t other = GetSysColor(15);
    EXPECT_EQ(other & 0xFF, (other >> 8) & 0xFF);
    EXPECT_EQ(other & 0xFF, (other >> 16) & 0xFF);
    EXPECT_EQ(other >> 24, 0u);
}

TEST(SysInfoTest, MetricsComeFromTheInstalledProviderElseOneFullHdMonitor)
{
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 1);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1920);
    EXPECT_EQ(GetSystemMetrics(SM_CYVIRTUALSCREEN), 1080);
    EXPECT_EQ(GetSystemMetrics(SM_XVIRTUALSCREEN), 0);
    // No screen tells its depth: unknown, never a made-up one.
    EXPECT_EQ(GetScreenColourDepth(), -1);

    SetDisplayMetricsProvider([] {
        DisplayMetrics two;
        two.screenWidth = 2560;
        two.screenHeight = 1440;
        two.virtualLeft = -1280;
        two.virtualTop = -200;
        two.virtualWidth = 3840;
        two.virtualHeight = 1640;
        two.monitorCount = 2;
        two.colourDepth = 16;
        return two;
    });
    EXPECT_EQ(GetScreenColourDepth(), 16);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 2560);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1440);
    EXPECT_EQ(GetSystemMetrics(SM_XVIRTUALSCREEN), -1280);
    EXPECT_EQ(GetSystemMetrics(SM_YVIRTUALSCREEN), -200);
    EXPECT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), 3840);
    EXPECT_EQ(GetSystemMetrics(SM_CYVIRTUALSCREEN), 1640);
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 2);
    EXPECT_EQ(GetSystemMetrics(2), 0);

    SetDisplayMetricsProvider({});
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 1);
    EXPECT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), 1920);
}

TEST(SysInfoTest, KernelReleasesReadAsFarAsTheyAreNumbers)
{
    int major = -1;
    int minor = -1;
    int build = -1;
    EXPECT_TRUE(ParseKernelRelease("6.1.0-18-amd64", major, minor, build));
    EXPECT_EQ(major, 6);
    EXPECT_EQ(minor, 1);
    EXPECT_EQ(build, 0);
    EXPECT_TRUE(ParseKernelRelease("5.15.153.1-microsoft-standard-WSL2", major, minor, build));
    EXPECT_EQ(build, 153);
    EXPECT_TRUE(ParseKernelRelease("4.x", major, minor, build));
    EXPECT_EQ(major, 4);
    EXPECT_EQ(minor, 0);
    EXPECT_EQ(build, 0);
    EXPECT_FALSE(ParseKernelRelease("unknown", major, minor, build));
    EXPECT_FALSE(ParseKernelRelease("", major, minor, build));
    EXPECT_FALSE(ParseKernelRelease("99999999999.1", major, minor, build));
    EXPECT_EQ(major, 4);
}

TEST(SysInfoTest, ThePrettyNameIsTakenFromOsReleaseWithItsQuotingUndone)
{
    EXPECT_EQ(ParseOsReleasePrettyName("NAME=\"Debian\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nID=debian\n"),
              CString("Debian GNU/Linux 12 (bookworm)"));
    EXPECT_EQ(ParseOsReleasePrettyName("PRETTY_NAME=Plain\r\n"), CString("Plain"));
    EXPECT_EQ(ParseOsReleasePrettyName("PRETTY_NAME='Single \"Quoted\"'"), CString("Single \"Quoted\""));
    EXPECT_EQ(ParseOsReleasePrettyName("PRETTY_NAME=\"Say \\\"hi\\\" \\$HOME\""), CString("Say \"hi\" $HOME"));
    EXPECT_EQ(ParseOsReleasePrettyName("# PRETTY_NAME=\"no\"\nNOT_PRETTY_NAME=x\n"), CString());
    EXPECT_EQ(ParseOsReleasePrettyName(""), CString());
}

TEST(SysInfoTest, TheSystemDescribesItself)
{
    OsVersionInfo info;
    ASSERT_TRUE(GetOsVersionInfo(info));
    EXPECT_EQ(info.systemName, CString("Linux"));
    EXPECT_GT(info.major, 0);
    EXPECT_FALSE(info.servicePack.IsEmpty());
}
