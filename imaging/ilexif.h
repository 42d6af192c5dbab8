#pragma once
// ILExif: the EXIF block of a JPEG file. It keeps the APP1 marker's bytes so that
// an encoder can write them back unchanged, and the tags parsed from them: the main
// image directory, the Exif sub-directory and the maker notes of the cameras it
// knows. Tags are found by key ("Main.Make", "Sub.FStop"), without regard to case.
//
// Copies share their entries and raw bytes.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "imaging/ilexifentry.h"
#include "imaging/ilexiftags.h"
#include "imaging/ilobject.h"

struct jpeg_compress_struct;
struct jpeg_decompress_struct;

class ILExif : public ILObject
{
public:
    using EntryHandle = std::shared_ptr<ILExifEntry>;
    using EntryList = std::vector<EntryHandle>;

    ILExif() = default;
    ILExif(const ILExif&) = default;
    ILExif& operator=(const ILExif&) = default;
    ~ILExif() override = default;

    // Forgets the raw bytes and every entry.
    void Clear();

    // Takes the last APP1 marker holding an EXIF block ("Exif\0\0") that libjpeg kept and
    // parses it; without one the block stays empty. Malformed EXIF data (a bad format code,
    // a count too large, or an offset or count that points outside the block) throws
    // ILTextException code 14 and leaves the block empty.
    void ReadFromMarkers(jpeg_decompress_struct* decompressor);
    // The same for the data of one APP1 marker (the bytes after its length field).
    void ReadFromBlock(const uint8_t* data, size_t length);

    // Writes the raw bytes as one APP1 marker; nothing when the block is empty.
    void WriteToMarker(jpeg_compress_struct* compressor) const;

    [[nodiscard]] const uint8_t* GetRawData() const { return m_raw ? m_raw->data() : nullptr; }
    [[nodiscard]] uint32_t GetRawLength() const { return m_rawLength; }
    [[nodiscard]] const EntryList& GetAllEntries() const { return m_all; }
    [[nodiscard]] const EntryList& GetMainEntries() const { return m_main; }
    [[nodiscard]] const EntryList& GetSubEntries() const { return m_sub; }
    [[nodiscard]] const EntryList& GetMakerEntries() const { return m_maker; }

    // The entry of that key (any case), or null.
    [[nodiscard]] ILExifEntry* FindEntry(const std::string& key) const;
    // Empty texts and 0 when the key is absent.
    [[nodiscard]] std::string GetValueText(const std::string& key) const;
    [[nodiscard]] std::string GetDisplayText(const std::string& key) const;
    [[nodiscard]] double GetDouble(const std::string& key) const;

    // Makes the key's value the text, adding an ASCII entry when the key is absent.
    void SetText(const std::string& key, const std::string& text);
    void CopyTag(const std::string& sourceKey, const std::string& targetKey);
    // Appends the text to the key's value after the separator (" / " when null). Nothing
    // happens for an empty text or one equal to `excluded` in any case.
    void AppendText(const std::string& key, const std::string& text, const char* excluded = nullptr,
                    const char* separator = nullptr);
    void AppendTagText(const std::string& key, const std::string& sourceKey, const char* excluded = nullptr,
                       const char* separator = nullptr);

    // "5.6" for equal numbers, "28-85" for a range; one decimal at most.
    [[nodiscard]] static std::string FormatRange(double minimum, double maximum);

private:
    void ParseHeader();
    void ParseAll();
    void ParseMakerNote();
    void ReadDirectory(ILExifTable table, const std::string& prefix, EntryList& target);
    EntryHandle ReadDirectoryEntry(const ILExifTagDef* table, const std::string& prefix);
    void ReadArrayEntries(const std::string& arrayKey, ILExifTable table, EntryList& target);
    void ReadCanonCustomFunctions(const ILExifEntry& record, EntryList& target);
    void AddEntry(const EntryHandle& entry, EntryList& target);
    void ChargeBytes(uint32_t count);

    void Seek(uint64_t offset);
    [[nodiscard]] uint32_t Tell() const { return static_cast<uint32_t>(m_cursor - m_base); }
    const uint8_t* ReadBytes(uint32_t count);
    uint16_t Read16();
    uint32_t Read32();

    std::shared_ptr<std::vector<uint8_t>> m_raw;
    uint32_t m_rawLength = 0;
    uint64_t m_cursor = 0;
    uint64_t m_base = 0;
    bool m_bigEndian = false;
    uint64_t m_chargedBytes = 0;  // component bytes copied during one parse
    EntryList m_all;
    EntryList m_main;
    EntryList m_sub;
    EntryList m_maker;
    std::map<std::string, EntryHandle> m_keys;
};
