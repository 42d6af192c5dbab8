#include "document/utctime.h"

#include <array>
#include <cmath>
#include <ctime>

#include "platform/exceptions.h"
#include "platform/systime.h"

namespace {

constexpr std::array<int, 12> kMonthLengths = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
constexpr std::int64_t kSecondsPerDay = 86400;
constexpr double kLargestWhole = 9007199254740992.0;  // 2^53
constexpr int kFormatCapacity = 128;

std::tm BreakDown(std::int64_t time)
{
    std::tm parts{};
    if (!GmTime64(time, parts)) {
        (void)GmTime64(0, parts);
    }
    return parts;
}

bool IsLeap(int year)
{
    return year % 4 == 0;
}

}  // namespace

CUtcTime::CUtcTime(int year, int month, int day, int hour, int minute, int second)
{
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    const std::int64_t time = MkGmTime64(fields);
    if (time == -1) {
        AfxThrowInvalidArgException();
    }
    m_time = time;
}

bool CUtcTime::IsInCalendarRange() const
{
    return m_time >= 0 && m_time <= kMaxTime64;
}

int CUtcTime::GetYear() const
{
    return BreakDown(m_time).tm_year + 1900;
}

int CUtcTime::GetMonth() const
{
    return BreakDown(m_time).tm_mon + 1;
}

int CUtcTime::GetDay() const
{
    return BreakDown(m_time).tm_mday;
}

int CUtcTime::GetHour() const
{
    return BreakDown(m_time).tm_hour;
}

int CUtcTime::GetMinute() const
{
    return BreakDown(m_time).tm_min;
}

int CUtcTime::GetSecond() const
{
    return BreakDown(m_time).tm_sec;
}

int CUtcTime::GetDaysInYear() const
{
    return IsLeap(GetYear()) ? 366 : 365;
}

int CUtcTime::GetDayOfYear() const
{
    const std::tm parts = BreakDown(m_time);
    int day = parts.tm_mday;
    for (int month = 0; month < parts.tm_mon; ++month) {
        day += kMonthLengths[static_cast<std::size_t>(month)];
    }
    if (parts.tm_mon > 1 && IsLeap(parts.tm_year + 1900)) {
        ++day;
    }
    return day;
}

void CUtcTime::DayOfYearToDate(int dayOfYear, int& month, int& day) const
{
    const bool leap = IsLeap(GetYear());
    int left = dayOfYear;
    month = 1;
    for (std::size_t i = 0; i < kMonthLengths.size(); ++i) {
        const int length = kMonthLengths[i] + (i == 1 && leap ? 1 : 0);
        if (left <= length || i + 1 == kMonthLengths.size()) {
            break;
        }
        left -= length;
        ++month;
    }
    day = left;
}

int CUtcTime::GetMinuteOfDay() const
{
    const std::tm parts = BreakDown(m_time);
    return parts.tm_hour * 60 + parts.tm_min;
}

double CUtcTime::GetDayFraction() const
{
    const std::tm parts = BreakDown(m_time);
    return parts.tm_sec / 86400.0 + parts.tm_min / 1440.0 + parts.tm_hour / 24.0;
}

CUtcTime CUtcTime::GetStartOfDay() const
{
    return CUtcTime(GetDayNumber() * kSecondsPerDay);
}

std::int64_t CUtcTime::GetDayNumber() const
{
    std::int64_t days = m_time / kSecondsPerDay;
    if (m_time % kSecondsPerDay < 0) {
        --days;
    }
    return days;
}

CString CUtcTime::Format(const char* format) const
{
    std::tm parts{};
    if (!GmTime64(m_time, parts)) {
        return {};
    }
    if (format == nullptr || *format == '\0') {
        format = "%I:%M %p";
    }
    char16_t buffer[kFormatCapacity] = {};
    const std::size_t length = FormatTime(buffer, kFormatCapacity, format, parts);
    return CString(std::u16string(buffer, length));
}

std::int64_t TruncateToInt64(double value)
{
    if (std::isnan(value)) {
        return 0;
    }
    if (value > kLargestWhole) {
        return static_cast<std::int64_t>(kLargestWhole);
    }
    if (value < -kLargestWhole) {
        return -static_cast<std::int64_t>(kLargestWhole);
    }
    return static_cast<std::int64_t>(value);
}
