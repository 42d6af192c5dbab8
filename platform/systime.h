#pragma once
// 64-bit calendar time in the manner of the runtime library the program was first
// written for: seconds since 1970-01-01 00:00:00 UTC, broken down in UTC or in the
// local zone (the TZ variable is honoured on every call), and a monotonic clock for
// animation timing.
//
// The calendar functions accept the range that library accepts, 1970-01-01 00:00:00 UTC
// to 3000-12-31 23:59:59 UTC, so a value stored in a model file means the same here.

#include <cstddef>
#include <cstdint>
#include <ctime>

// The last second the calendar functions accept: 3000-12-31 23:59:59 UTC.
inline constexpr int64_t kMaxTime64 = 32535215999;

// The current time; also stored through `timer` when it is not null.
int64_t _time64(int64_t* timer);

// Breaks the time down in UTC or in local time. False, with `out` unchanged, outside
// 0..kMaxTime64.
[[nodiscard]] bool GmTime64(int64_t time, std::tm& out);
[[nodiscard]] bool LocalTime64(int64_t time, std::tm& out);

// Builds a time from local fields, normalising them as mktime does (tm_isdst > 0 daylight
// saving, 0 standard time, < 0 let the zone decide) and filling tm_wday and tm_yday.
// -1, with `fields` unchanged, when the result falls outside 0..kMaxTime64.
[[nodiscard]] int64_t MkTime64(std::tm& fields);
// The same for fields in UTC; tm_isdst is ignored and comes back 0.
[[nodiscard]] int64_t MkGmTime64(std::tm& fields);

// Seconds WEST of UTC of the local zone's standard time (Central Europe: -3600).
[[nodiscard]] long GetTimeZoneSeconds();
// Non-zero when the local zone observes daylight saving time.
[[nodiscard]] int GetDaylight();

// Formats like wcsftime with a UTF-8 format, using the LC_TIME locale for names.
// Returns the characters written without the terminator; 0, with an empty text when
// capacity allows, when the text does not fit, an argument is null or a field of
// `time` lies outside its range.
size_t FormatTime(char16_t* buffer, size_t capacity, const char* format, const std::tm& time);

// Seconds on a monotonic clock with an arbitrary start, for measuring intervals.
[[nodiscard]] double GetPerformanceSeconds();
