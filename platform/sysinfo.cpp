#include "platform/sysinfo.h"

#include <sched.h>
#include <sys/utsname.h>

#include <charconv>
#include <fstream>
#include <string>
#include <thread>

namespace {

constexpr uint32_t kWhite = 0x00FFFFFF;
constexpr uint32_t kBlack = 0x00000000;
constexpr uint32_t kLightGrey = 0x00F0F0F0;

// The os-release file is a few hundred bytes; a huge one is not worth reading.
constexpr size_t kMaxOsReleaseBytes = 64 * 1024;

DisplayMetricsProvider& Provider()
{
    static DisplayMetricsProvider provider;
    return provider;
}

// Reads one decimal number at `pos` and moves past it; false when there is none.
bool ReadNumber(std::string_view text, size_t& pos, int& value)
{
    const char* first = text.data() + pos;
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end == first) {
        return false;
    }
    pos = static_cast<size_t>(end - text.data());
    return true;
}

bool ReadDotThenNumber(std::string_view text, size_t& pos, int& value)
{
    if (pos >= text.size() || text[pos] != '.') {
        return false;
    }
    size_t next = pos + 1;
    if (!ReadNumber(text, next, value)) {
        return false;
    }
    pos = next;
    return true;
}

// Shell-style value: quotes removed, backslash escapes resolved.
std::string Unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    std::string out;
    out.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            ++i;
        }
        out.push_back(value[i]);
    }
    return out;
}

std::string ReadSmallFile(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {};
    }
    std::string text(kMaxOsReleaseBytes, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    return text;
}

CString DistributionName()
{
    // The file's own rules: /etc first, the vendor's copy when /etc has none.
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        const CString name = ParseOsReleasePrettyName(ReadSmallFile(path));
        if (!name.IsEmpty()) {
            return name;
        }
    }
    return {};
}

}  // namespace

uint32_t GetSysColor(int index)
{
    switch (index) {
    case COLOR_WINDOW:
        return kWhite;
    case COLOR_WINDOWTEXT:
    case COLOR_BTNTEXT:
    case COLOR_INFOTEXT:
        return kBlack;
    case COLOR_BTNHIGHLIGHT:
        return kWhite;
    case COLOR_HIGHLIGHT:
        return 0x00D77800;
    case COLOR_BTNSHADOW:
        return 0x00A0A0A0;
    case COLOR_GRAYTEXT:
        return 0x006D6D6D;
    case COLOR_3DDKSHADOW:
        return 0x00696969;
    case COLOR_3DLIGHT:
        return 0x00E3E3E3;
    case COLOR_INFOBK:
        return 0x00E1FFFF;
    default:
        return kLightGrey;
    }
}

void SetDisplayMetricsProvider(DisplayMetricsProvider provider)
{
    Provider() = std::move(provider);
}

int GetScreenColourDepth()
{
    const DisplayMetrics metrics = Provider() ? Provider()() : DisplayMetrics{};
    return metrics.colourDepth > 0 ? metrics.colourDepth : -1;
}

int GetSystemMetrics(int index)
{
    const DisplayMetrics metrics = Provider() ? Provider()() : DisplayMetrics{};
    switch (index) {
    case SM_CXSCREEN:
        return metrics.screenWidth;
    case SM_CYSCREEN:
        return metrics.screenHeight;
    case SM_XVIRTUALSCREEN:
        return metrics.virtualLeft;
    case SM_YVIRTUALSCREEN:
        return metrics.virtualTop;
    case SM_CXVIRTUALSCREEN:
        return metrics.virtualWidth;
    case SM_CYVIRTUALSCREEN:
        return metrics.virtualHeight;
    case SM_CMONITORS:
        return metrics.monitorCount;
    default:
        return 0;
    }
}

void GetWorkArea(int& left, int& top, int& width, int& height)
{
    const DisplayMetrics metrics = Provider() ? Provider()() : DisplayMetrics{};
    if (metrics.workWidth > 0 && metrics.workHeight > 0)
    {
        left = metrics.workLeft;
        top = metrics.workTop;
        width = metrics.workWidth;
        height = metrics.workHeight;
        return;
    }
    left = 0;
    top = 0;
    width = metrics.screenWidth;
    height = metrics.screenHeight;
}

bool ParseKernelRelease(std::string_view release, int& major, int& minor, int& build)
{
    int values[3] = {0, 0, 0};
    size_t pos = 0;
    if (!ReadNumber(release, pos, values[0])) {
        return false;
    }
    if (ReadDotThenNumber(release, pos, values[1])) {
        static_cast<void>(ReadDotThenNumber(release, pos, values[2]));
    }
    major = values[0];
    minor = values[1];
    build = values[2];
    return true;
}

CString ParseOsReleasePrettyName(std::string_view text)
{
    constexpr std::string_view kKey = "PRETTY_NAME=";
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.substr(0, kKey.size()) == kKey) {
            return CString::FromUtf8(Unquote(line.substr(kKey.size())));
        }
        start = end + 1;
    }
    return {};
}

bool GetOsVersionInfo(OsVersionInfo& info)
{
    utsname names{};
    if (uname(&names) != 0) {
        return false;
    }
    OsVersionInfo result;
    static_cast<void>(ParseKernelRelease(names.release, result.major, result.minor, result.build));
    result.systemName = CString::FromUtf8(names.sysname);
    result.servicePack = DistributionName();
    if (result.servicePack.IsEmpty()) {
        result.servicePack = CString::FromUtf8(std::string(names.sysname) + " " + names.release + " " + names.version);
    }
    info = result;
    return true;
}

unsigned GetUsableProcessorCount()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof(set), &set) == 0 && CPU_COUNT(&set) > 0) {
        return static_cast<unsigned>(CPU_COUNT(&set));
    }
    const unsigned machine = std::thread::hardware_concurrency();
    return machine > 0 ? machine : 1;
}
