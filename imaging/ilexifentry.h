#pragma once
// ILExifEntry: one EXIF tag as read from a directory: its key ("Sub.Shutter"),
// its value as text, a display text for people and its numbers. The component
// bytes are kept only while the block is parsed.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imaging/ilexiftags.h"
#include "imaging/ilobject.h"

class ILExifEntry : public ILObject
{
public:
    // Bytes per component of an EXIF format code; 0 for codes outside 1..12.
    [[nodiscard]] static uint32_t ComponentSize(uint32_t format);

    // The caller has checked the format (1..12) and that count and byte size are sane.
    ILExifEntry(uint32_t tag, uint32_t format, uint32_t count);

    void SetDefinition(const ILExifTagDef* definition) { m_definition = definition; }
    // Sets the key and its lowercase form, by which the block finds the entry.
    void SetKey(const std::string& key);
    void SetDataOffset(uint32_t offset) { m_dataOffset = offset; }
    // Copies GetByteSize() bytes, in the block's byte order.
    void SetData(const uint8_t* bytes);
    // Puts every component into little-endian order; called for big-endian blocks.
    void SwapData();
    // Builds the value text, the numbers and the display text from the data.
    void FormatValue();
    // The parse is over: only texts and numbers remain.
    void DropData() { m_data.reset(); }

    // For entries made from a byte of a record rather than from data (custom functions).
    void SetIntegerValue(int32_t value);
    // Makes the entry plain ASCII text.
    void SetText(const std::string& text);
    void SetTexts(const std::string& valueText, const std::string& displayText)
    {
        m_valueText = valueText;
        m_displayText = displayText;
    }

    [[nodiscard]] const ILExifTagDef* GetDefinition() const { return m_definition; }
    [[nodiscard]] const std::string& GetKey() const { return m_key; }
    [[nodiscard]] const std::string& GetLowerKey() const { return m_lowerKey; }
    // The tag definition's description; empty for unknown tags.
    [[nodiscard]] std::string GetDescription() const;
    [[nodiscard]] const std::string& GetValueText() const { return m_valueText; }
    [[nodiscard]] const std::string& GetDisplayText() const { return m_displayText; }
    [[nodiscard]] uint32_t GetTag() const { return m_tag; }
    [[nodiscard]] uint32_t GetFormat() const { return m_format; }
    [[nodiscard]] uint32_t GetCount() const { return m_count; }
    [[nodiscard]] uint32_t GetByteSize() const { return m_byteSize; }
    [[nodiscard]] uint32_t GetDataOffset() const { return m_dataOffset; }
    // The component bytes in little-endian order; null once the parse is over.
    [[nodiscard]] const uint8_t* GetData() const { return m_data ? m_data->data() : nullptr; }
    [[nodiscard]] uint32_t GetNumerator() const { return m_numerator; }
    [[nodiscard]] uint32_t GetDenominator() const { return m_denominator; }
    [[nodiscard]] int32_t GetIntegerValue() const { return m_integerValue; }
    [[nodiscard]] double GetDoubleValue() const { return m_doubleValue; }
    // The value of one component; 0 when the index is past the components or the
    // component bytes were already dropped.
    [[nodiscard]] double GetValue(uint32_t index);

private:
    void AppendComponentText();
    void AppendUnsigned();
    void AppendSigned();
    void AppendRational(bool isSigned);
    void AppendTextRoutine();
    void AppendBytes();
    void DeriveNumbers();
    void ApplyValueTexts();
    [[nodiscard]] uint32_t ReadComponentBits(uint32_t offset, uint32_t size) const;

    const ILExifTagDef* m_definition = nullptr;
    std::string m_key;
    std::string m_lowerKey;
    uint32_t m_tag = 0;
    uint32_t m_format = 0;
    uint32_t m_count = 0;
    uint32_t m_byteSize = 0;
    std::shared_ptr<std::vector<uint8_t>> m_data;
    uint32_t m_dataOffset = 0;
    uint32_t m_cursor = 0;  // read position of the text routines in m_data
    std::string m_valueText;
    std::string m_displayText;
    uint32_t m_numerator = 0;
    uint32_t m_denominator = 1;
    int32_t m_integerValue = 0;
    int32_t m_lookupValue = 0;
    double m_doubleValue = 0.0;
};
