#include "imaging/ilgiflzw.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr const char* kEndsEarly = "the image data ends before the image is complete";

}  // namespace

ILGIFLzw::ILGIFLzw(int minCodeSize, const std::uint8_t* data, std::size_t size)
    : m_data(data), m_bitCount(size * 8), m_minCodeSize(minCodeSize)
{
    // The clear code must fit the 12 bits a code may have.
    if (minCodeSize < 0 || minCodeSize >= kMaxBits) {
        m_failure = "the LZW code size is not between 0 and 11";
        m_minCodeSize = 0;
    }
    m_clearCode = 1 << m_minCodeSize;
    m_endCode = m_clearCode + 1;
    for (int c = 0; c < std::min(m_clearCode, 256); ++c) {
        m_suffix[c] = static_cast<std::uint8_t>(c);
        m_first[c] = static_cast<std::uint8_t>(c);
        m_length[c] = 1;
    }
    Clear();
}

void ILGIFLzw::Clear()
{
    m_width = m_minCodeSize + 1;
    m_next = m_endCode + 1;
    m_previous = -1;
}

const char* ILGIFLzw::Read(std::uint8_t* pixels, std::size_t count)
{
    while (count > 0 && m_failure == nullptr) {
        if (m_stringAt == kMaxCodes) {
            m_failure = DecodeCode();
            continue;
        }
        const std::size_t n = std::min(count, kMaxCodes - m_stringAt);
        std::memcpy(pixels, m_string.data() + m_stringAt, n);
        pixels += n;
        count -= n;
        m_stringAt += n;
    }
    return m_failure;
}

const char* ILGIFLzw::DecodeCode()
{
    int code = 0;
    if (!ReadBits(m_width, code) || code == m_endCode) {
        return kEndsEarly;
    }
    if (code == m_clearCode) {
        Clear();
        return nullptr;
    }
    if (code < m_clearCode && code > 255) {
        return "a pixel value above 255";
    }
    // Only a literal may follow a clear code; otherwise a code may name the entry that
    // it makes itself (the previous string and that string's first pixel).
    if (code > m_next || (m_previous < 0 && code > m_clearCode)) {
        return "a code that is not in the table";
    }
    if (m_previous >= 0 && m_next < kMaxCodes) {
        m_prefix[m_next] = static_cast<std::uint16_t>(m_previous);
        m_suffix[m_next] = code < m_next ? m_first[code] : m_first[m_previous];
        m_first[m_next] = m_first[m_previous];
        m_length[m_next] = static_cast<std::uint16_t>(m_length[m_previous] + 1);
        ++m_next;
        // Decoders widen after the entry that fills the width, not before the code that
        // would need it, so after a clear code the second code keeps the first width.
        if (m_next >= (1 << m_width) && m_width < kMaxBits) {
            ++m_width;
        }
    }
    Expand(code);
    m_previous = code;
    return nullptr;
}

bool ILGIFLzw::ReadBits(int width, int& code)
{
    if (m_bitCount - m_bitAt < static_cast<std::size_t>(width)) {
        return false;
    }
    // A code of up to 12 bits starting anywhere in a byte spans at most three bytes.
    const std::size_t byte = m_bitAt / 8;
    const std::size_t bytes = std::min<std::size_t>(3, m_bitCount / 8 - byte);
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < bytes; ++i) {
        bits |= static_cast<std::uint32_t>(m_data[byte + i]) << (8 * i);
    }
    code = static_cast<int>((bits >> (m_bitAt % 8)) & ((1U << width) - 1));
    m_bitAt += static_cast<std::size_t>(width);
    return true;
}

void ILGIFLzw::Expand(int code)
{
    m_stringAt = kMaxCodes - m_length[code];
    int c = code;
    for (std::size_t i = kMaxCodes; i > m_stringAt; c = m_prefix[c]) {
        m_string[--i] = m_suffix[c];
    }
}
