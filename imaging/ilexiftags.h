#pragma once
// The static tables that name EXIF tags and turn their numbers into words:
// one tag table per directory kind (the main image, the Exif sub-directory and
// the maker notes of five camera makers) and the value-text tables the rows
// point at.

#include <cstdint>
#include <string>

class ILExifEntry;

// One row of a value-text table. A table ends at the first row whose text is null.
// Two first-row values turn the table into a marker instead of a lookup.
struct ILExifValueText
{
    static constexpr uint32_t kUnitMarker = 0xFFFFFFFF;   // the row's text is a unit suffix
    static constexpr uint32_t kEmptyMarker = 0xFFFFFFFE;  // no texts: capitalise the value

    uint32_t value;
    const char* text;
};

// Makes an entry's display text from its numbers and value text.
using ILExifFormatter = std::string (*)(const ILExifEntry& entry);

// One row of a tag table. A table ends at a row whose short name is null.
struct ILExifTagDef
{
    uint32_t id;
    const char* shortName;
    const ILExifValueText* values;  // null when the tag has no value texts
    ILExifFormatter formatter;      // null when the display text is the value text
    const char* description;
};

enum class ILExifTable
{
    Main,
    Sub,
    Nikon,
    Nikon2,
    Olympus,
    Canon,
    CanonSet1,
    CanonSet2,
    CanonCustom,
    Fuji,
    Casio
};

// The first row of a table; never null.
[[nodiscard]] const ILExifTagDef* ILExifGetTagTable(ILExifTable table);

// The row of the table whose id equals the tag, or null.
[[nodiscard]] const ILExifTagDef* ILExifFindTag(const ILExifTagDef* table, uint32_t tag);
