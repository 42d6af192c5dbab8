#pragma once
// ILPixel32: a 32-bit pixel and palette entry. The bytes lie blue, green, red, alpha in
// memory, so a little-endian word reads 0xAARRGGBB and the layout matches a DIB colour table.

#include <cstdint>

struct ILPixel32
{
    std::uint8_t b = 0;
    std::uint8_t g = 0;
    std::uint8_t r = 0;
    std::uint8_t a = 0;

    ILPixel32() = default;
    ILPixel32(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t alpha = 255)
        : b(blue), g(green), r(red), a(alpha)
    {
    }

    [[nodiscard]] std::uint8_t GetR() const { return r; }
    [[nodiscard]] std::uint8_t GetG() const { return g; }
    [[nodiscard]] std::uint8_t GetB() const { return b; }
    [[nodiscard]] std::uint8_t GetA() const { return a; }
    void SetR(std::uint8_t value) { r = value; }
    void SetG(std::uint8_t value) { g = value; }
    void SetB(std::uint8_t value) { b = value; }
    void SetA(std::uint8_t value) { a = value; }
    // Leaves alpha as it is.
    void Set(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
    {
        r = red;
        g = green;
        b = blue;
    }

    friend bool operator==(const ILPixel32& x, const ILPixel32& y)
    {
        return x.b == y.b && x.g == y.g && x.r == y.r && x.a == y.a;
    }
};
static_assert(sizeof(ILPixel32) == 4);
