#include "platform/printfformat.h"

#include <algorithm>

namespace {

constexpr std::string_view kFlags = "-+ #0'I";

// Wider than any text the program shows: a width of millions makes every use of the
// format build (and lay out) a text of that size.
constexpr int kMaxFieldWidth = 256;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Width or precision: digits, or a '*' that takes an int of its own (the program's value).
void SkipNumber(std::string_view format, size_t& i, std::string& kinds)
{
    if (i < format.size() && format[i] == '*') {
        kinds += 'i';
        ++i;
        // A numbered width ("*2$") is refused with the numbered arguments.
        if (i < format.size() && IsDigit(format[i])) {
            kinds += '!';
        }
        return;
    }
    int value = 0;
    while (i < format.size() && IsDigit(format[i])) {
        value = std::min(value * 10 + (format[i] - '0'), kMaxFieldWidth + 1);
        ++i;
    }
    if (value > kMaxFieldWidth) {
        kinds += '!';
    }
}

// The length modifier as one letter: 'h' for hh and h (they promote to int), 'L' for ll and q.
char ReadLength(std::string_view format, size_t& i)
{
    if (i >= format.size()) {
        return 0;
    }
    const char c = format[i];
    const bool doubled = i + 1 < format.size() && format[i + 1] == c;
    if ((c == 'h' || c == 'l') && doubled) {
        i += 2;
        return c == 'h' ? 'h' : 'L';
    }
    if (std::string_view("hlLqjzZt").find(c) == std::string_view::npos) {
        return 0;
    }
    ++i;
    if (c == 'q') {
        return 'L';
    }
    return c == 'Z' ? 'z' : c;
}

char IntegerKind(char length)
{
    switch (length) {
    case 0:
    case 'h': return 'i';
    case 'l':
    case 'L':
    case 'j':
    case 'z':
    case 't': return length;
    default: return '!';
    }
}

// The value a conversion takes; 0 for one that takes none.
char ConversionKind(char conversion, char length)
{
    switch (conversion) {
    case 'd':
    case 'i':
    case 'o':
    case 'u':
    case 'x':
    case 'X': return IntegerKind(length);
    case 'c': return length == 0 || length == 'l' ? 'i' : '!';
    case 'C': return length == 0 ? 'i' : '!';
    case 'f':
    case 'F':
    case 'e':
    case 'E':
    case 'g':
    case 'G':
    case 'a':
    case 'A': return length == 0 || length == 'l' ? 'd' : length == 'L' ? 'D' : '!';
    case 's': return length == 0 ? 's' : length == 'l' ? 'S' : '!';
    case 'S': return length == 0 ? 'S' : '!';
    case 'p': return length == 0 ? 'p' : '!';
    case 'm': return length == 0 ? 0 : '!';
    default: return '!';
    }
}

}  // namespace

std::string FormatValueKinds(std::string_view format)
{
    std::string kinds;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            continue;
        }
        ++i;
        if (i < format.size() && format[i] == '%') {
            continue;
        }
        const size_t start = i;
        while (i < format.size() && IsDigit(format[i])) {
            ++i;
        }
        if (i < format.size() && format[i] == '$') {
            kinds += '!';
            continue;
        }
        i = start;
        while (i < format.size() && kFlags.find(format[i]) != std::string_view::npos) {
            ++i;
        }
        SkipNumber(format, i, kinds);
        if (i < format.size() && format[i] == '.') {
            ++i;
            SkipNumber(format, i, kinds);
        }
        const char length = ReadLength(format, i);
        if (i >= format.size()) {
            kinds += '!';
            break;
        }
        if (const char kind = ConversionKind(format[i], length); kind != 0) {
            kinds += kind;
        }
    }
    return kinds;
}

bool TakesSameValues(std::string_view format, std::string_view reference)
{
    const std::string kinds = FormatValueKinds(format);
    return kinds.find('!') == std::string::npos && kinds == FormatValueKinds(reference);
}
