#pragma once
// ILPixel16: a 5-6-5 pixel word, red in bits 15..11, green in 10..5, blue in 4..0.
// Unpacking leaves the low bits of each component zero.

#include <cstdint>

struct ILPixel16
{
    std::uint16_t word = 0;

    ILPixel16() = default;
    explicit ILPixel16(std::uint16_t value) : word(value) {}
    ILPixel16(std::uint8_t red, std::uint8_t green, std::uint8_t blue) { Set(red, green, blue); }

    void Set(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
    {
        word = static_cast<std::uint16_t>(((red & 0xF8) << 8) | ((green & 0xFC) << 3) | (blue >> 3));
    }
    [[nodiscard]] std::uint8_t GetR() const { return static_cast<std::uint8_t>((word >> 11) << 3); }
    [[nodiscard]] std::uint8_t GetG() const { return static_cast<std::uint8_t>((word & 0x7E0) >> 3); }
    [[nodiscard]] std::uint8_t GetB() const { return static_cast<std::uint8_t>((word & 31) * 8); }

    friend bool operator==(const ILPixel16& x, const ILPixel16& y) { return x.word == y.word; }
};
static_assert(sizeof(ILPixel16) == 2);
