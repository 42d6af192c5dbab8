#pragma once
// ILGIFLzw: the LZW decompressor of a GIF image's data. The codes start one bit wider
// than the minimum code size the file gives (0..11) and widen after every entry that
// fills their range, up to 12 bits; a full table stays as it is until a clear code.
// Every code is checked against the table, every pixel against the 8-bit bitmap and
// every read against the data, so damaged data ends in a failure, never outside a buffer.

#include <array>
#include <cstddef>
#include <cstdint>

class ILGIFLzw
{
public:
    // data: the image's data sub-blocks joined without their length bytes; kept by the
    // caller while the decompressor reads it.
    ILGIFLzw(int minCodeSize, const std::uint8_t* data, std::size_t size);
    ILGIFLzw(const ILGIFLzw&) = delete;
    ILGIFLzw& operator=(const ILGIFLzw&) = delete;

    // Writes the next `count` pixels; the codes after the image's last pixel are never
    // read. Answers null, or why the data cannot give the pixels (a code size out of
    // range, a code not in the table, a pixel above 255, an end code or the end of the
    // data before the last pixel); a failure stays.
    [[nodiscard]] const char* Read(std::uint8_t* pixels, std::size_t count);

private:
    static constexpr int kMaxCodes = 4096;
    static constexpr int kMaxBits = 12;

    void Clear();
    // Reads one code into m_string; answers null or the failure.
    [[nodiscard]] const char* DecodeCode();
    [[nodiscard]] bool ReadBits(int width, int& code);
    // Writes the string of `code` to the end of m_string.
    void Expand(int code);

    const std::uint8_t* m_data;
    std::size_t m_bitCount;
    std::size_t m_bitAt = 0;
    int m_minCodeSize;
    int m_clearCode;
    int m_endCode;
    int m_width = 0;
    int m_next = 0;
    int m_previous = -1;  // the code before, or -1 right after a clear code
    const char* m_failure = nullptr;

    std::array<std::uint16_t, kMaxCodes> m_prefix{};
    std::array<std::uint8_t, kMaxCodes> m_suffix{};
    std::array<std::uint8_t, kMaxCodes> m_first{};
    std::array<std::uint16_t, kMaxCodes> m_length{};
    // The string of the last code, held from m_stringAt to the end until it is written out.
    std::array<std::uint8_t, kMaxCodes> m_string{};
    std::size_t m_stringAt = kMaxCodes;
};
