#include "imaging/ilexifentry.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {

constexpr uint32_t kComponentSize[13] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
constexpr uint32_t kMaxListedComponents = 16;
constexpr uint32_t kMaxDumpedBytes = 16;

enum Format : uint32_t
{
    kUByte = 1,
    kAscii = 2,
    kUShort = 3,
    kULong = 4,
    kURational = 5,
    kSByte = 6,
    kUndefined = 7,
    kSShort = 8,
    kSLong = 9,
    kSRational = 10,
    kFloat = 11,
    kDouble = 12
};

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

void TrimTrailingBlanks(std::string& text)
{
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
}

bool IsPrintableOrControl(uint8_t b)
{
    return (b >= 32 && b <= 127) || b == 0 || b == '\n' || b == '\r' || b == '\t' || b == '\b';
}

// Rounds like the block's integer value: +0.5, then toward zero, kept inside 32 bits.
int32_t RoundToInt(double value)
{
    const double shifted = std::trunc(value + 0.5);
    if (shifted >= static_cast<double>(std::numeric_limits<int32_t>::max())) {
        return std::numeric_limits<int32_t>::max();
    }
    if (shifted <= static_cast<double>(std::numeric_limits<int32_t>::min())) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(shifted);
}

}  // namespace

uint32_t ILExifEntry::ComponentSize(uint32_t format)
{
    return format >= 1 && format <= 12 ? kComponentSize[format] : 0;
}

ILExifEntry::ILExifEntry(uint32_t tag, uint32_t format, uint32_t count)
    : m_tag(tag), m_format(format), m_count(count), m_byteSize(count * ComponentSize(format))
{
    if (m_byteSize != 0) {
        m_data = std::make_shared<std::vector<uint8_t>>(m_byteSize);
    }
}

void ILExifEntry::SetKey(const std::string& key)
{
    m_key = key;
    m_lowerKey = Lower(key);
}

void ILExifEntry::SetData(const uint8_t* bytes)
{
    if (m_data) {
        std::copy(bytes, bytes + m_byteSize, m_data->begin());
    }
}

void ILExifEntry::SwapData()
{
    if (!m_data) {
        return;
    }
    uint32_t width = 0;
    switch (m_format) {
    case kUShort:
    case kSShort:
        width = 2;
        break;
    case kULong:
    case kSLong:
    case kURational:
    case kSRational:
        width = 4;  // a rational is two 4-byte words, each swapped on its own
        break;
    default:
        return;  // bytes, text, float and double stay as stored
    }
    for (uint32_t i = 0; i + width <= m_byteSize; i += width) {
        std::reverse(m_data->begin() + i, m_data->begin() + i + width);
    }
}

uint32_t ILExifEntry::ReadComponentBits(uint32_t offset, uint32_t size) const
{
    uint32_t value = 0;
    for (uint32_t i = 0; i < size; ++i) {
        value |= static_cast<uint32_t>((*m_data)[offset + i]) << (8 * i);
    }
    return value;
}

void ILExifEntry::AppendUnsigned()
{
    const uint32_t size = ComponentSize(m_format);
    const uint32_t value = ReadComponentBits(m_cursor, size);
    m_cursor += size;
    m_valueText += std::to_string(value);
    m_numerator = value;
}

void ILExifEntry::AppendSigned()
{
    const uint32_t size = ComponentSize(m_format);
    uint32_t bits = ReadComponentBits(m_cursor, size);
    m_cursor += size;
    if (size < 4 && (bits & (1u << (8 * size - 1))) != 0) {
        bits |= ~((1u << (8 * size)) - 1);  // sign-extend from the component's width
    }
    m_valueText += std::to_string(static_cast<int32_t>(bits));
    m_numerator = bits;
}

void ILExifEntry::AppendRational(bool isSigned)
{
    const uint32_t numerator = ReadComponentBits(m_cursor, 4);
    const uint32_t denominator = ReadComponentBits(m_cursor + 4, 4);
    m_cursor += 8;
    if (isSigned) {
        m_valueText += std::to_string(static_cast<int32_t>(numerator)) + "/" +
                       std::to_string(static_cast<int32_t>(denominator));
    } else {
        m_valueText += std::to_string(numerator) + "/" + std::to_string(denominator);
    }
    m_numerator = numerator;
    m_denominator = denominator;
}

void ILExifEntry::AppendTextRoutine()
{
    for (; m_cursor < m_byteSize; ++m_cursor) {
        const uint8_t b = (*m_data)[m_cursor];
        if (b == 0) {
            break;
        }
        switch (b) {
        case '\b':
            m_valueText += "\\b";
            break;
        case '\t':
            m_valueText += "\\t";
            break;
        case '\n':
            m_valueText += "\\n";
            break;
        case '\r':
            m_valueText += "\\r";
            break;
        default:
            if (b >= 32 && b <= 127) {
                m_valueText += static_cast<char>(b);
            } else {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\0x%02x", b);
                m_valueText += hex;
            }
        }
    }
    m_cursor = m_byteSize;
}

void ILExifEntry::AppendBytes()
{
    const bool printable = std::all_of(m_data->begin(), m_data->end(), IsPrintableOrControl);
    m_numerator = m_data->back();
    if (printable) {
        AppendTextRoutine();
        return;
    }
    m_valueText += "{ ";
    const uint32_t shown = std::min(m_byteSize, kMaxDumpedBytes);
    for (uint32_t i = 0; i < shown; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02x ", (*m_data)[i]);
        m_valueText += hex;
    }
    if (shown < m_byteSize) {
        m_valueText += "... ";
    }
    m_valueText += "}";
    m_cursor = m_byteSize;
}

void ILExifEntry::AppendComponentText()
{
    switch (m_format) {
    case kUByte:
    case kUShort:
    case kULong:
        AppendUnsigned();
        break;
    case kSByte:
    case kSShort:
    case kSLong:
        AppendSigned();
        break;
    case kURational:
        AppendRational(false);
        break;
    case kSRational:
        AppendRational(true);
        break;
    case kAscii:
        AppendTextRoutine();
        break;
    default:
        AppendBytes();  // undefined, float and double
        break;
    }
}

void ILExifEntry::DeriveNumbers()
{
    if (m_denominator == 0) {
        return;
    }
    m_doubleValue = static_cast<double>(static_cast<int32_t>(m_numerator)) /
                    static_cast<double>(static_cast<int32_t>(m_denominator));
    m_integerValue = RoundToInt(m_doubleValue);
    m_lookupValue = m_integerValue;
}

void ILExifEntry::FormatValue()
{
    m_valueText.clear();
    m_cursor = 0;
    uint32_t listed = 0;
    while (m_data && m_cursor < m_byteSize) {
        if (listed == kMaxListedComponents) {
            m_valueText += " ...";
            break;
        }
        if (listed > 0) {
            m_valueText += " ";
        }
        AppendComponentText();
        ++listed;
    }
    DeriveNumbers();
    m_displayText = m_definition && m_definition->formatter ? m_definition->formatter(*this) : m_valueText;
    ApplyValueTexts();
    TrimTrailingBlanks(m_valueText);
}

void ILExifEntry::ApplyValueTexts()
{
    if (!m_definition || !m_definition->values || !m_definition->values[0].text) {
        return;
    }
    const ILExifValueText* rows = m_definition->values;
    if (rows[0].value == ILExifValueText::kUnitMarker) {
        m_valueText += std::string(" ") + rows[0].text;
        m_displayText += std::string(" ") + rows[0].text;
        return;
    }
    if (rows[0].value == ILExifValueText::kEmptyMarker) {
        for (std::string* text : {&m_valueText, &m_displayText}) {
            *text = Lower(*text);
            if (!text->empty()) {
                (*text)[0] = static_cast<char>(std::toupper(static_cast<unsigned char>((*text)[0])));
            }
        }
        return;
    }
    for (const ILExifValueText* row = rows; row->text; ++row) {
        if (row->value == static_cast<uint32_t>(m_lookupValue)) {
            m_valueText = row->text;
            m_displayText = row->text;
            return;
        }
    }
}

void ILExifEntry::SetIntegerValue(int32_t value)
{
    m_numerator = static_cast<uint32_t>(value);
    m_denominator = 1;
    m_integerValue = value;
    m_lookupValue = value;
    m_doubleValue = value;
    m_valueText = std::to_string(value);
    m_displayText = m_valueText;
    ApplyValueTexts();
    TrimTrailingBlanks(m_valueText);
}

void ILExifEntry::SetText(const std::string& text)
{
    m_format = kAscii;
    m_valueText = text;
}

std::string ILExifEntry::GetDescription() const
{
    return m_definition && m_definition->description ? m_definition->description : std::string();
}

double ILExifEntry::GetValue(uint32_t index)
{
    if (!m_data || index >= m_count) {
        return 0.0;
    }
    const std::string savedText = m_valueText;
    const uint32_t savedNumerator = m_numerator;
    const uint32_t savedDenominator = m_denominator;
    m_cursor = 0;
    for (uint32_t i = 0; i <= index && m_cursor < m_byteSize; ++i) {
        AppendComponentText();
    }
    const uint32_t numerator = m_numerator;
    const uint32_t denominator = m_denominator;
    m_valueText = savedText;
    m_numerator = savedNumerator;
    m_denominator = savedDenominator;
    if (denominator == 0) {
        return 0.0;
    }
    return static_cast<double>(static_cast<int32_t>(numerator)) /
           static_cast<double>(static_cast<int32_t>(denominator));
}
