#include "platform/systime.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "platform/cstring.h"

namespace {

// Runs a test in a chosen time zone and restores the previous one.
class ZoneTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        if (m_old) {
            setenv("TZ", m_old->c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

    void UseZone(const char* zone)
    {
        if (!m_saved) {
            m_saved = true;
            if (const char* old = std::getenv("TZ")) {
                m_old = old;
            }
        }
        setenv("TZ", zone, 1);
    }

private:
    bool m_saved = false;
    std::optional<std::string> m_old;
};

std::tm Fields(int year, int month, int day, int hour, int minute, int second, int isdst = 0)
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = isdst;
    return t;
}

std::string Format(const char* format, const std::tm& t, size_t capacity = 128)
{
    char16_t buffer[256] = {};
    const size_t length = FormatTime(buffer, capacity, format, t);
    EXPECT_EQ(length, static_cast<size_t>(CString(buffer).GetLength()));
    return CString(buffer).ToUtf8();
}

// 2021-01-15 12:00:00 and 2021-07-15 12:00:00 UTC.
constexpr int64_t kWinterNoon = 1610712000;
constexpr int64_t kSummerNoon = 1626350400;

}  // namespace

TEST(SysTimeTest, UtcBreaksDownAcrossTheWholeAcceptedRange)
{
    std::tm t{};
    ASSERT_TRUE(GmTime64(0, t));
    EXPECT_EQ(Format("%Y-%m-%d %H:%M:%S", t), "1970-01-01 00:00:00");
    EXPECT_EQ(t.tm_wday, 4);
    ASSERT_TRUE(GmTime64(kMaxTime64, t));
    EXPECT_EQ(Format("%Y-%m-%d %H:%M:%S", t), "3000-12-31 23:59:59");
    ASSERT_TRUE(GmTime64(951825600, t));  // a century leap day
    EXPECT_EQ(Format("%Y-%m-%d %H:%M", t), "2000-02-29 12:00");
}

TEST(SysTimeTest, TimesOutsideTheRangeFailAndLeaveTheFieldsAlone)
{
    std::tm t = Fields(2001, 2, 3, 4, 5, 6);
    for (const int64_t bad : {int64_t{-1}, kMaxTime64 + 1, int64_t{INT64_MIN}, int64_t{INT64_MAX}}) {
        EXPECT_FALSE(GmTime64(bad, t));
        EXPECT_FALSE(LocalTime64(bad, t));
    }
    EXPECT_EQ(t.tm_year, 101);
    EXPECT_EQ(t.tm_sec, 6);

    std::tm before1970 = Fields(1969, 12, 31, 23, 59, 59);
    EXPECT_EQ(MkGmTime64(before1970), -1);
    EXPECT_EQ(before1970.tm_year, 69);
    std::tm after3000 = Fields(3001, 1, 1, 0, 0, 0);
    EXPECT_EQ(MkGmTime64(after3000), -1);
    std::tm huge = Fields(2000, 1, 1, 0, 0, 0);
    huge.tm_year = INT_MAX;
    EXPECT_EQ(MkGmTime64(huge), -1);
    EXPECT_EQ(MkTime64(huge), -1);
    EXPECT_EQ(huge.tm_year, INT_MAX);
}

TEST(SysTimeTest, BuildingFromUtcFieldsNormalisesThemAndRoundTrips)
{
    std::tm t = Fields(2021, 7, 15, 12, 0, 0);
    EXPECT_EQ(MkGmTime64(t), kSummerNoon);
    std::tm overflow = Fields(2021, 2, 30, 0, 0, 0, 1);
    EXPECT_EQ(MkGmTime64(overflow), 1614643200);  // March 2nd
    EXPECT_EQ(overflow.tm_mon, 2);
    EXPECT_EQ(overflow.tm_mday, 2);
    EXPECT_EQ(overflow.tm_isdst, 0);
    EXPECT_EQ(overflow.tm_yday, 60);
    std::tm last = Fields(3000, 12, 31, 23, 59, 59);
    EXPECT_EQ(MkGmTime64(last), kMaxTime64);
}

TEST_F(ZoneTest, CentralEuropeanLocalTimeIsOneHourAheadInWinterAndTwoInSummer)
{
    // The rule form needs no zone database; the named zone is checked where one is installed.
    for (const char* zone : {"CET-1CEST,M3.5.0,M10.5.0/3", "Europe/Berlin"}) {
        SCOPED_TRACE(zone);
        if (zone[0] != 'C' && access("/usr/share/zoneinfo/Europe/Berlin", R_OK) != 0) {
            continue;
        }
        UseZone(zone);
        EXPECT_EQ(GetTimeZoneSeconds(), -3600);
        EXPECT_NE(GetDaylight(), 0);

        std::tm t{};
        ASSERT_TRUE(LocalTime64(kWinterNoon, t));
        EXPECT_EQ(t.tm_hour, 13);
        EXPECT_EQ(t.tm_isdst, 0);
        ASSERT_TRUE(LocalTime64(kSummerNoon, t));
        EXPECT_EQ(t.tm_hour, 14);
        EXPECT_GT(t.tm_isdst, 0);

        std::tm local = Fields(2021, 7, 15, 14, 0, 0, -1);
        EXPECT_EQ(MkTime64(local), kSummerNoon);
        EXPECT_GT(local.tm_isdst, 0);
        std::tm winter = Fields(2021, 1, 15, 13, 0, 0, -1);
        EXPECT_EQ(MkTime64(winter), kWinterNoon);
    }
}

TEST_F(ZoneTest, UtcAndZonesWithoutDaylightSavingReportNone)
{
    UseZone("UTC0");
    EXPECT_EQ(GetTimeZoneSeconds(), 0);
    EXPECT_EQ(GetDaylight(), 0);
    std::tm local{};
    std::tm utc{};
    ASSERT_TRUE(LocalTime64(kSummerNoon, local));
    ASSERT_TRUE(GmTime64(kSummerNoon, utc));
    EXPECT_EQ(local.tm_hour, utc.tm_hour);

    // A zone west of UTC counts positive, one east of it negative.
    UseZone("EST5");
    EXPECT_EQ(GetTimeZoneSeconds(), 5 * 3600);
    EXPECT_EQ(GetDaylight(), 0);
    // Local time follows a change of zone without anything else asking about the zone first.
    UseZone("JST-9");
    ASSERT_TRUE(LocalTime64(kSummerNoon, local));
    EXPECT_EQ(local.tm_hour, 21);
    EXPECT_EQ(GetTimeZoneSeconds(), -9 * 3600);
}

TEST_F(ZoneTest, LocalTimesBefore1970FailToBuild)
{
    UseZone("JST-9");
    // Midnight local time is still the previous day in UTC.
    std::tm t = Fields(1970, 1, 1, 0, 0, 0, -1);
    EXPECT_EQ(MkTime64(t), -1);
    std::tm later = Fields(1970, 1, 1, 9, 0, 0, -1);
    EXPECT_EQ(MkTime64(later), 0);
}

TEST(SysTimeTest, FormattingProducesUtf16TextWithTheFormatsLiterals)
{
    const std::tm t = [] {
        std::tm fields{};
        EXPECT_TRUE(GmTime64(kSummerNoon + 90 * 60, fields));
        return fields;
    }();
    EXPECT_EQ(Format("%I:%M %p", t), "01:30 PM");
    EXPECT_EQ(Format("Zeit \xC3\xBC %H h \xF0\x9F\x95\x90", t), "Zeit \xC3\xBC 13 h \xF0\x9F\x95\x90");

    char16_t buffer[8];
    EXPECT_EQ(FormatTime(buffer, 8, "%H:%M", t), 5u);
    EXPECT_EQ(CString(buffer), CString("13:30"));
    // Five characters and the terminator need exactly six.
    EXPECT_EQ(FormatTime(buffer, 6, "%H:%M", t), 5u);
    EXPECT_EQ(FormatTime(buffer, 5, "%H:%M", t), 0u);
    EXPECT_EQ(buffer[0], u'\0');
    EXPECT_EQ(FormatTime(buffer, 8, nullptr, t), 0u);
    EXPECT_EQ(FormatTime(nullptr, 8, "%H", t), 0u);
    // A surrogate pair needs two units: the clock face fits in three but not in two.
    EXPECT_EQ(FormatTime(buffer, 3, "\xF0\x9F\x95\x90", t), 2u);
    EXPECT_EQ(FormatTime(buffer, 2, "\xF0\x9F\x95\x90", t), 0u);
}

TEST(SysTimeTest, FormattingRejectsFieldsOutOfRange)
{
    std::tm t{};
    ASSERT_TRUE(GmTime64(0, t));
    char16_t buffer[64];
    for (int field = 0; field < 6; ++field) {
        std::tm bad = t;
        int* fields[] = {&bad.tm_mon, &bad.tm_mday, &bad.tm_hour, &bad.tm_wday, &bad.tm_yday, &bad.tm_sec};
        *fields[field] = field == 1 ? 0 : -1;
        EXPECT_EQ(FormatTime(buffer, 64, "%A %B %d %H %j %S", bad), 0u) << field;
        *fields[field] = 1000;
        EXPECT_EQ(FormatTime(buffer, 64, "%A %B %d %H %j %S", bad), 0u) << field;
    }
}

TEST(SysTimeTest, TheClocksAdvance)
{
    int64_t stored = 0;
    const int64_t now = _time64(&stored);
    EXPECT_EQ(stored, now);
    EXPECT_NEAR(static_cast<double>(now), static_cast<double>(std::time(nullptr)), 2.0);
    EXPECT_EQ(_time64(nullptr) >= now, true);

    const double start = GetPerformanceSeconds();
    usleep(20000);
    const double elapsed = GetPerformanceSeconds() - start;
    EXPECT_GE(elapsed, 0.015);
    EXPECT_LT(elapsed, 5.0);
}
