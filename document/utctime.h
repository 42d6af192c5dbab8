#pragma once
// CUtcTime: a moment as seconds since 1970-01-01 00:00:00 UTC. Its calendar parts are
// always taken in UTC, never in the local zone: the shadow settings keep their local
// clock time in it as if it were UTC and shift it by the zone themselves.

#include <cstdint>

#include "platform/cstring.h"

class CUtcTime
{
public:
    CUtcTime() = default;
    explicit CUtcTime(std::int64_t seconds) : m_time(seconds) {}
    // Fields outside their ranges are carried over as mktime does. Throws
    // CInvalidArgException when the moment falls outside what the calendar functions
    // accept (1970 to 3000).
    CUtcTime(int year, int month, int day, int hour, int minute, int second);

    [[nodiscard]] std::int64_t GetTime() const { return m_time; }
    // Whether the calendar parts can be taken; outside that range every part below is
    // that of 1970-01-01 00:00:00.
    [[nodiscard]] bool IsInCalendarRange() const;

    [[nodiscard]] int GetYear() const;
    [[nodiscard]] int GetMonth() const;
    [[nodiscard]] int GetDay() const;
    [[nodiscard]] int GetHour() const;
    [[nodiscard]] int GetMinute() const;
    [[nodiscard]] int GetSecond() const;

    // 366 in every year divisible by 4 (2100 included), else 365.
    [[nodiscard]] int GetDaysInYear() const;
    // 1 for January 1, counting February 29 in every year divisible by 4.
    [[nodiscard]] int GetDayOfYear() const;
    // The month and day of a day number 1..GetDaysInYear in this time's year.
    void DayOfYearToDate(int dayOfYear, int& month, int& day) const;
    [[nodiscard]] int GetMinuteOfDay() const;
    // The part of the day that has passed, 0 up to 1.
    [[nodiscard]] double GetDayFraction() const;
    // The same day at 00:00:00.
    [[nodiscard]] CUtcTime GetStartOfDay() const;
    // Whole days since 1970-01-01, counting down before it.
    [[nodiscard]] std::int64_t GetDayNumber() const;

    // strftime of the UTC parts; an empty format means "%I:%M %p". Empty when the time
    // cannot be broken down or the text is longer than 127 characters.
    [[nodiscard]] CString Format(const char* format = nullptr) const;

    [[nodiscard]] CUtcTime operator+(std::int64_t seconds) const { return CUtcTime(m_time + seconds); }
    [[nodiscard]] CUtcTime operator-(std::int64_t seconds) const { return CUtcTime(m_time - seconds); }
    friend bool operator==(const CUtcTime& a, const CUtcTime& b) = default;

private:
    std::int64_t m_time = 0;
};

// Truncates towards zero, as a C cast would, but NaN gives 0 and values beyond
// +-2^53 are held there, so that a number read from a file never overflows.
[[nodiscard]] std::int64_t TruncateToInt64(double value);
