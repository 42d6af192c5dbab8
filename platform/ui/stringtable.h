#pragma once
// The string table as the windowing code reads it: texts by id, and the command strings
// whose text is "status prompt\ntool tip".
#include "platform/cstring.h"

// Empty when the table has no string of that id (or the id is 0).
[[nodiscard]] CString LoadStringResource(int id);
// A string that the program uses as a printf format. A translation that takes other
// values than the built-in string (or any it may not, like %n) is not used: the built-in
// string is, and standard error says so once per string.
[[nodiscard]] CString LoadFormatString(int id);
// The field'th part of text between separators; empty past the last one.
[[nodiscard]] CString ExtractSubString(const CString& text, int field, char16_t separator = u'\n');
// The status-bar prompt of a command: the text before the line feed of its string.
[[nodiscard]] CString GetCommandPrompt(int id);
// The tool tip of a command: the text after the line feed, else the whole string.
[[nodiscard]] CString GetCommandTip(int id);
