#pragma once
// ILPoint: a pixel position or a size, two signed 32-bit integers.

#include <cstdint>

struct ILPoint
{
    std::int32_t x = 0;
    std::int32_t y = 0;

    ILPoint() = default;
    ILPoint(std::int32_t px, std::int32_t py) : x(px), y(py) {}

    friend bool operator==(const ILPoint& a, const ILPoint& b) { return a.x == b.x && a.y == b.y; }
    friend bool operator!=(const ILPoint& a, const ILPoint& b) { return !(a == b); }
};
