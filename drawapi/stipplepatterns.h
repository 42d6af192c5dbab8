#pragma once
// Polygon stipple patterns that drawing code in the model hands to the view.

#include <array>
#include <cstdint>

namespace stipple {

// Hidden faces and instances: a grid of 8 by 8 cells, rows 0, 8, 16 and 24 full, the
// others one bit per byte. 32 rows of 4 bytes, as the polygon stipple takes them.
inline const std::uint8_t* HiddenGeometry()
{
    static const std::array<std::uint8_t, 128> pattern = [] {
        std::array<std::uint8_t, 128> rows{};
        for (int row = 0; row < 32; ++row) {
            for (int b = 0; b < 4; ++b) {
                rows[static_cast<std::size_t>(row * 4 + b)] = row % 8 == 0 ? 0xFF : 0x01;
            }
        }
        return rows;
    }();
    return pattern.data();
}

}  // namespace stipple
