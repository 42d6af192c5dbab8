#include "imaging/ilexif.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include <jpeglib.h>

#include "imaging/iltextexception.h"

namespace {

// Malformed EXIF data; it never leaves this file (the block turns it into code 14).
class ILExifException : public std::runtime_error
{
public:
    explicit ILExifException(const char* text) : std::runtime_error(text) {}
};

constexpr uint32_t kMaxComponents = 65536;
// Entries may point at overlapping data, so the copies are capped as a whole: a block
// is at most 64 KiB, and no honest one needs its bytes copied sixteen times over.
constexpr uint64_t kMaxCopiedBytes = 16u * 65536u;
constexpr uint32_t kDirectoryEntrySize = 12;
constexpr int kApp1 = JPEG_APP0 + 1;
constexpr uint32_t kMaxMarkerData = 65533;

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string HexKey(const std::string& prefix, uint32_t tag)
{
    char digits[16];
    std::snprintf(digits, sizeof digits, "%04x", tag & 0xFFFF);
    return prefix + digits;
}

}  // namespace

void ILExif::Clear()
{
    m_raw.reset();
    m_rawLength = 0;
    m_cursor = 0;
    m_base = 0;
    m_bigEndian = false;
    m_chargedBytes = 0;
    m_all.clear();
    m_main.clear();
    m_sub.clear();
    m_maker.clear();
    m_keys.clear();
}

void ILExif::ReadFromMarkers(jpeg_decompress_struct* decompressor)
{
    // The last EXIF block of the file wins. Other APP1 markers (XMP packets, which often
    // follow the EXIF block) are passed over rather than taken for an empty block.
    jpeg_saved_marker_ptr found = nullptr;
    for (jpeg_saved_marker_ptr marker = decompressor->marker_list; marker; marker = marker->next) {
        if (marker->marker == kApp1 && marker->data_length >= 6 && std::memcmp(marker->data, "Exif\0\0", 6) == 0) {
            found = marker;
        }
    }
    if (!found) {
        Clear();
        return;
    }
    ReadFromBlock(found->data, found->data_length);
}

void ILExif::ReadFromBlock(const uint8_t* data, size_t length)
{
    Clear();
    if (!data || length == 0 || length > kMaxMarkerData + 2) {
        return;
    }
    m_raw = std::make_shared<std::vector<uint8_t>>(data, data + length);
    m_rawLength = static_cast<uint32_t>(length);
    try {
        if (m_rawLength < 6 || std::memcmp(m_raw->data(), "Exif\0\0", 6) != 0) {
            Clear();
            return;
        }
        ParseHeader();
        ParseAll();
    } catch (const ILExifException& e) {
        Clear();
        throw ILTextException(ILTextException::exifFailed, e.what());
    }
}

void ILExif::ParseHeader()
{
    m_cursor = 6;
    const uint8_t* order = ReadBytes(2);
    m_bigEndian = order[0] == 'M' && order[1] == 'M';
    (void)Read16();  // 42 in valid data; nothing depends on it
}

void ILExif::ParseAll()
{
    m_base = 6;
    Seek(Read32());
    ReadDirectory(ILExifTable::Main, "Main.", m_main);
    if (const ILExifEntry* subOffset = FindEntry("Main.ExifOffset")) {
        Seek(static_cast<uint32_t>(subOffset->GetIntegerValue()));
        ReadDirectory(ILExifTable::Sub, "Sub.", m_sub);
    }
    ParseMakerNote();
    for (const EntryHandle& entry : m_all) {
        entry->DropData();
    }
}

void ILExif::ParseMakerNote()
{
    const ILExifEntry* note = FindEntry("Sub.Maker");
    if (!note) {
        return;
    }
    const std::string make = Lower(GetValueText("Main.Make"));
    const uint64_t m = note->GetDataOffset();
    if (make.find("nikon") != std::string::npos) {
        Seek(m);
        if (std::memcmp(ReadBytes(5), "Nikon", 5) == 0) {
            Seek(m + 8);
            ReadDirectory(ILExifTable::Nikon2, "Nikon2.", m_maker);
        } else {
            Seek(m);
            ReadDirectory(ILExifTable::Nikon, "Nikon.", m_maker);
        }
    } else if (make.find("olympus") != std::string::npos) {
        Seek(m + 8);
        ReadDirectory(ILExifTable::Olympus, "Oly.", m_maker);
    } else if (make.find("canon") != std::string::npos) {
        Seek(m);
        ReadDirectory(ILExifTable::Canon, "Canon.", m_maker);
        ReadArrayEntries("Canon.CnSet1", ILExifTable::CanonSet1, m_maker);
        ReadArrayEntries("Canon.CnSet2", ILExifTable::CanonSet2, m_maker);
        if (const ILExifEntry* functions = FindEntry("Canon.CustomFnc")) {
            ReadCanonCustomFunctions(*functions, m_maker);
        }
    } else if (make.find("fujifilm") != std::string::npos) {
        // The note is little-endian whatever the block says, and its offsets count
        // from the note's own start.
        m_bigEndian = false;
        m_base += m;
        Seek(12);
        ReadDirectory(ILExifTable::Fuji, "Fuji.", m_maker);
    } else if (make.find("casio") != std::string::npos) {
        Seek(m);
        ReadDirectory(ILExifTable::Casio, "Casio.", m_maker);
        ILExifEntry* flash = FindEntry("Casio.FlashMode");
        if (GetDisplayText("Main.Model") == "QV-2000UX" && flash && flash->GetIntegerValue() == 4) {
            flash->SetTexts("Red Eye Reduction", "Red Eye Reduction");
        }
    }
}

void ILExif::ReadDirectory(ILExifTable table, const std::string& prefix, EntryList& target)
{
    const ILExifTagDef* rows = ILExifGetTagTable(table);
    const uint16_t count = Read16();
    uint64_t position = m_cursor;
    for (uint16_t i = 0; i < count; ++i, position += kDirectoryEntrySize) {
        m_cursor = position;
        EntryHandle entry = ReadDirectoryEntry(rows, prefix);
        if (entry) {
            AddEntry(entry, target);
        }
    }
}

ILExif::EntryHandle ILExif::ReadDirectoryEntry(const ILExifTagDef* table, const std::string& prefix)
{
    const uint16_t tag = Read16();
    const uint16_t format = Read16();
    const uint32_t count = Read32();
    if (count == 0) {
        return nullptr;
    }
    const uint32_t size = ILExifEntry::ComponentSize(format);
    if (size == 0) {
        throw ILExifException("EXIF Tag format field not understood");
    }
    if (count > kMaxComponents || static_cast<uint64_t>(count) * size > kMaxComponents) {
        throw ILExifException("EXIF NoComp field not understood");
    }
    auto entry = std::make_shared<ILExifEntry>(tag, format, count);
    const ILExifTagDef* definition = ILExifFindTag(table, tag);
    entry->SetDefinition(definition);
    entry->SetKey(definition ? prefix + definition->shortName : HexKey(prefix, tag));
    if (entry->GetByteSize() > 4) {
        Seek(Read32());
    }
    entry->SetDataOffset(Tell());
    ChargeBytes(entry->GetByteSize());
    entry->SetData(ReadBytes(entry->GetByteSize()));
    if (m_bigEndian) {
        entry->SwapData();
    }
    entry->FormatValue();
    return entry;
}

void ILExif::ReadArrayEntries(const std::string& arrayKey, ILExifTable table, EntryList& target)
{
    const ILExifEntry* array = FindEntry(arrayKey);
    if (!array || array->GetFormat() != 3 || !array->GetData()) {
        return;
    }
    const std::string prefix = arrayKey.substr(arrayKey.find('.') + 1) + ".";
    // The array's components are already in little-endian order, so the copies are
    // taken as they stand.
    for (const ILExifTagDef* row = ILExifGetTagTable(table); row->shortName; ++row) {
        if (row->id >= array->GetCount()) {
            break;
        }
        auto entry = std::make_shared<ILExifEntry>(row->id, 3, 1);
        entry->SetDefinition(row);
        entry->SetKey(prefix + row->shortName);
        entry->SetData(array->GetData() + 2 * row->id);
        entry->FormatValue();
        AddEntry(entry, target);
    }
}

void ILExif::ReadCanonCustomFunctions(const ILExifEntry& record, EntryList& target)
{
    const uint8_t* data = record.GetData();
    if (!data || record.GetFormat() != 3) {
        return;
    }
    const uint32_t available = record.GetCount();
    const uint32_t length = static_cast<uint32_t>(data[0]) | (static_cast<uint32_t>(data[1]) << 8);
    const uint32_t words = std::min(available, length / 2);
    const ILExifTagDef* table = ILExifGetTagTable(ILExifTable::CanonCustom);
    for (uint32_t i = 1; i < words; ++i) {
        const uint32_t high = data[2 * i + 1];
        const uint32_t low = data[2 * i];
        if (high == 0) {
            continue;
        }
        auto entry = std::make_shared<ILExifEntry>(high, 1, 0);
        const ILExifTagDef* definition = ILExifFindTag(table, high);
        entry->SetDefinition(definition);
        char number[8];
        std::snprintf(number, sizeof number, "%02u", high);
        entry->SetKey(std::string("CanonCFn.") + (definition ? definition->shortName : number));
        entry->SetIntegerValue(static_cast<int32_t>(low));
        AddEntry(entry, target);
    }
}

void ILExif::AddEntry(const EntryHandle& entry, EntryList& target)
{
    m_all.push_back(entry);
    m_keys[entry->GetLowerKey()] = entry;
    target.push_back(entry);
}

void ILExif::ChargeBytes(uint32_t count)
{
    m_chargedBytes += count;
    if (m_chargedBytes > kMaxCopiedBytes) {
        throw ILExifException("EXIF data refers to more bytes than the block holds");
    }
}

void ILExif::Seek(uint64_t offset)
{
    if (m_base + offset > m_rawLength) {
        throw ILExifException("EXIF offset points outside the block");
    }
    m_cursor = m_base + offset;
}

const uint8_t* ILExif::ReadBytes(uint32_t count)
{
    if (m_cursor > m_rawLength || count > m_rawLength - m_cursor) {
        throw ILExifException("EXIF data ends inside a field");
    }
    const uint8_t* bytes = m_raw->data() + m_cursor;
    m_cursor += count;
    return bytes;
}

uint16_t ILExif::Read16()
{
    const uint8_t* b = ReadBytes(2);
    return m_bigEndian ? static_cast<uint16_t>((b[0] << 8) | b[1]) : static_cast<uint16_t>((b[1] << 8) | b[0]);
}

uint32_t ILExif::Read32()
{
    const uint8_t* b = ReadBytes(4);
    if (m_bigEndian) {
        return (static_cast<uint32_t>(b[0]) << 24) | (static_cast<uint32_t>(b[1]) << 16) |
               (static_cast<uint32_t>(b[2]) << 8) | b[3];
    }
    return (static_cast<uint32_t>(b[3]) << 24) | (static_cast<uint32_t>(b[2]) << 16) |
           (static_cast<uint32_t>(b[1]) << 8) | b[0];
}

void ILExif::WriteToMarker(jpeg_compress_struct* compressor) const
{
    if (!m_raw || m_rawLength == 0 || m_rawLength > kMaxMarkerData) {
        return;
    }
    jpeg_write_marker(compressor, kApp1, m_raw->data(), m_rawLength);
}

ILExifEntry* ILExif::FindEntry(const std::string& key) const
{
    const auto it = m_keys.find(Lower(key));
    return it == m_keys.end() ? nullptr : it->second.get();
}

std::string ILExif::GetValueText(const std::string& key) const
{
    const ILExifEntry* entry = FindEntry(key);
    return entry ? entry->GetValueText() : std::string();
}

std::string ILExif::GetDisplayText(const std::string& key) const
{
    const ILExifEntry* entry = FindEntry(key);
    return entry ? entry->GetDisplayText() : std::string();
}

double ILExif::GetDouble(const std::string& key) const
{
    const ILExifEntry* entry = FindEntry(key);
    return entry ? entry->GetDoubleValue() : 0.0;
}

void ILExif::SetText(const std::string& key, const std::string& text)
{
    ILExifEntry* entry = FindEntry(key);
    if (!entry) {
        auto added = std::make_shared<ILExifEntry>(0, 2, 0);
        added->SetKey(key);
        m_all.push_back(added);
        m_keys[added->GetLowerKey()] = added;
        entry = added.get();
    }
    entry->SetText(text);
}

void ILExif::CopyTag(const std::string& sourceKey, const std::string& targetKey)
{
    if (const ILExifEntry* source = FindEntry(sourceKey)) {
        SetText(targetKey, source->GetValueText());
    }
}

void ILExif::AppendText(const std::string& key, const std::string& text, const char* excluded,
                        const char* separator)
{
    if (text.empty() || (excluded && Lower(text) == Lower(excluded))) {
        return;
    }
    std::string current = GetValueText(key);
    if (!current.empty()) {
        current += separator ? separator : " / ";
    }
    SetText(key, current + text);
}

void ILExif::AppendTagText(const std::string& key, const std::string& sourceKey, const char* excluded,
                           const char* separator)
{
    AppendText(key, GetValueText(sourceKey), excluded, separator);
}

std::string ILExif::FormatRange(double minimum, double maximum)
{
    const auto format = [](double value) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%4.1f", value);
        std::string text = buffer;
        // Only the decimals may go: "10.0" stays "10".
        if (text.find('.') != std::string::npos) {
            while (!text.empty() && text.back() == '0') {
                text.pop_back();
            }
            if (!text.empty() && text.back() == '.') {
                text.pop_back();
            }
        }
        text.erase(0, text.find_first_not_of(' '));
        return text;
    };
    const std::string low = format(minimum);
    const std::string high = format(maximum);
    return low == high ? low : low + "-" + high;
}
