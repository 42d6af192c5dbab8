#pragma once
// The program's embedded resources: byte blocks found by a type name and a number, and
// a table of strings found by number. cmake/GlimraResources.cmake compiles the files of
// a manifest into the program and generates the function that registers them here.
//
// Type names in use: "VPNG" (the interface's PNG images), "SVG" (its pictograms and the
// program's icon, drawn at whatever size they are shown), "BITMAP" (device-independent
// bitmaps without their file header) and "RCDATA" (raw data, the default of lookups).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "platform/cstring.h"

// Registers a block under (type, id); a second registration of the same pair replaces the
// first. The bytes are not copied: they must live as long as the program (static data).
void RegisterResource(std::string_view type, int id, const std::uint8_t* bytes, std::size_t size);

// The block registered under (type, id), or nothing when there is none.
[[nodiscard]] std::optional<std::span<const std::uint8_t>> FindResource(std::string_view type, int id);

// Adds one string to the string table, replacing any string of that id.
void RegisterString(int id, const CString& text);

// Adds the strings of a UTF-8 table: one "id text" line each (id in decimal, one space or
// tab, then the text to the end of the line, where \n, \t and \\ stand for a line feed, a
// tab and a backslash). Empty lines and lines starting with '#' are skipped. Returns the
// number of strings added; a line that does not start with a number is skipped.
int RegisterStringTable(const std::uint8_t* utf8, std::size_t size);

// Adds the strings of a language file, in the form above. They stand in front of the
// built-in strings of the same ids until they are cleared.
int RegisterTranslatedStringTable(const std::uint8_t* utf8, std::size_t size);
void ClearTranslatedStrings();

// The string of that id (the translation when there is one), or nothing when the table has none.
[[nodiscard]] std::optional<CString> LoadResourceString(int id);
// The program's own string of that id, whatever a language file says.
[[nodiscard]] std::optional<CString> LoadBuiltInString(int id);
