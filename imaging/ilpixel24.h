#pragma once
// ILPixel24: three bytes blue, green, red in memory.

#include <cstdint>

struct ILPixel24
{
    std::uint8_t b = 0;
    std::uint8_t g = 0;
    std::uint8_t r = 0;

    ILPixel24() = default;
    ILPixel24(std::uint8_t red, std::uint8_t green, std::uint8_t blue) : b(blue), g(green), r(red) {}

    [[nodiscard]] std::uint8_t GetR() const { return r; }
    [[nodiscard]] std::uint8_t GetG() const { return g; }
    [[nodiscard]] std::uint8_t GetB() const { return b; }
    void Set(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
    {
        r = red;
        g = green;
        b = blue;
    }

    friend bool operator==(const ILPixel24& x, const ILPixel24& y)
    {
        return x.b == y.b && x.g == y.g && x.r == y.r;
    }
};
static_assert(sizeof(ILPixel24) == 3);
