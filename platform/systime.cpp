#include "platform/systime.h"

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/cstring.h"

namespace {

bool InRange(int64_t time)
{
    return time >= 0 && time <= kMaxTime64;
}

bool FieldsInRange(const std::tm& t)
{
    return t.tm_sec >= 0 && t.tm_sec <= 60 && t.tm_min >= 0 && t.tm_min <= 59 && t.tm_hour >= 0 &&
           t.tm_hour <= 23 && t.tm_mday >= 1 && t.tm_mday <= 31 && t.tm_mon >= 0 && t.tm_mon <= 11 &&
           t.tm_wday >= 0 && t.tm_wday <= 6 && t.tm_yday >= 0 && t.tm_yday <= 365;
}

std::wstring ToWide(const char* utf8)
{
    const std::u16string units = CString::FromUtf8(utf8).Units();
    std::wstring wide;
    wide.reserve(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        char32_t cp = units[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        }
        wide.push_back(static_cast<wchar_t>(cp));
    }
    return wide;
}

// Number of UTF-16 units the wide text takes.
size_t Utf16Length(const wchar_t* text, size_t length)
{
    size_t units = 0;
    for (size_t i = 0; i < length; ++i) {
        units += static_cast<uint32_t>(text[i]) >= 0x10000 ? 2 : 1;
    }
    return units;
}

void CopyAsUtf16(const wchar_t* text, size_t length, char16_t* out)
{
    for (size_t i = 0; i < length; ++i) {
        auto cp = static_cast<uint32_t>(text[i]);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            *out++ = static_cast<char16_t>(0xD800 + (cp >> 10));
            *out++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            *out++ = static_cast<char16_t>(cp);
        }
    }
    *out = 0;
}

}  // namespace

int64_t _time64(int64_t* timer)
{
    const auto now = static_cast<int64_t>(std::time(nullptr));
    if (timer) {
        *timer = now;
    }
    return now;
}

bool GmTime64(int64_t time, std::tm& out)
{
    if (!InRange(time)) {
        return false;
    }
    const auto value = static_cast<time_t>(time);
    std::tm fields{};
    if (!gmtime_r(&value, &fields)) {
        return false;
    }
    out = fields;
    return true;
}

bool LocalTime64(int64_t time, std::tm& out)
{
    if (!InRange(time)) {
        return false;
    }
    // localtime_r need not look at TZ again; the zone may have changed since the last call.
    tzset();
    const auto value = static_cast<time_t>(time);
    std::tm fields{};
    if (!localtime_r(&value, &fields)) {
        return false;
    }
    out = fields;
    return true;
}

int64_t MkTime64(std::tm& fields)
{
    std::tm work = fields;
    const auto result = static_cast<int64_t>(mktime(&work));
    if (!InRange(result)) {
        return -1;
    }
    fields = work;
    return result;
}

int64_t MkGmTime64(std::tm& fields)
{
    std::tm work = fields;
    work.tm_isdst = 0;
    const auto result = static_cast<int64_t>(timegm(&work));
    if (!InRange(result)) {
        return -1;
    }
    fields = work;
    return result;
}

long GetTimeZoneSeconds()
{
    tzset();
    return timezone;
}

int GetDaylight()
{
    tzset();
    return daylight;
}

size_t FormatTime(char16_t* buffer, size_t capacity, const char* format, const std::tm& time)
{
    if (!buffer || capacity == 0) {
        return 0;
    }
    buffer[0] = 0;
    if (!format || !FieldsInRange(time)) {
        return 0;
    }
    const std::wstring wideFormat = ToWide(format);
    // A wide character never takes fewer UTF-16 units than one, so this bound is enough.
    std::vector<wchar_t> wide(std::min<size_t>(capacity, 65536));
    const size_t length = std::wcsftime(wide.data(), wide.size(), wideFormat.c_str(), &time);
    if (length == 0) {
        return 0;
    }
    const size_t units = Utf16Length(wide.data(), length);
    if (units + 1 > capacity) {
        return 0;
    }
    CopyAsUtf16(wide.data(), length, buffer);
    return units;
}

double GetPerformanceSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}
