#pragma once
// What a printf format takes from its arguments. A format that comes from outside the
// program (a language file) is used only when it takes the very values that the
// program's own format for the same place takes; anything else would read arguments that
// were never passed.
#include <string>
#include <string_view>

// One letter per value, in order: 'i' int (also char and short, which promote), 'l' long,
// 'L' long long, 'j' intmax_t, 'z' size_t, 't' ptrdiff_t, 'd' double, 'D' long double,
// 's' narrow string, 'S' wide string, 'p' pointer. A conversion the program never passes
// (%n, a numbered argument, an unknown or unfinished one) gives '!', and so does a width
// or precision written out past 256.
[[nodiscard]] std::string FormatValueKinds(std::string_view format);

// True when the format takes the same values as the reference and nothing it may not.
[[nodiscard]] bool TakesSameValues(std::string_view format, std::string_view reference);
