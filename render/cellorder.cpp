#include "render/cellorder.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kCellBits = 5;
constexpr int kCells = 1 << kCellBits;

// The bits of a cell number spread out to every third bit.
std::uint32_t SpreadBits(std::uint32_t v)
{
    v = (v | (v << 8)) & 0x0300F00Fu;
    v = (v | (v << 4)) & 0x030C30C3u;
    v = (v | (v << 2)) & 0x09249249u;
    return v;
}

std::uint32_t InterleaveBits(std::uint32_t x, std::uint32_t y, std::uint32_t z)
{
    return SpreadBits(x) | (SpreadBits(y) << 1) | (SpreadBits(z) << 2);
}

}  // namespace

void CCellOrder::Arrange(float* positions, std::size_t vertexCount, int size)
{
    const std::size_t stride = static_cast<std::size_t>(size) * 3;
    const std::size_t count = vertexCount / static_cast<std::size_t>(size);
    if (count < 2) {
        return;
    }
    float low[3] = {positions[0], positions[1], positions[2]};
    float high[3] = {positions[0], positions[1], positions[2]};
    for (std::size_t v = 0; v < count * static_cast<std::size_t>(size); ++v) {
        for (int k = 0; k < 3; ++k) {
            low[k] = std::min(low[k], positions[v * 3 + k]);
            high[k] = std::max(high[k], positions[v * 3 + k]);
        }
    }
    float scale[3];
    for (int k = 0; k < 3; ++k) {
        scale[k] = high[k] > low[k] ? static_cast<float>(kCells) / (high[k] - low[k]) : 0.0f;
    }
    m_cellOf.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const float* p = positions + i * stride;
        std::uint32_t cell[3];
        for (int k = 0; k < 3; ++k) {
            // Any point of the primitive does: the first vertex.
            const float t = (p[k] - low[k]) * scale[k];
            cell[k] = static_cast<std::uint32_t>(std::clamp(static_cast<int>(t), 0, kCells - 1));
        }
        m_cellOf[i] = InterleaveBits(cell[0], cell[1], cell[2]);
    }
    // A counting sort keeps the primitives of a cell in their order.
    m_starts.assign(static_cast<std::size_t>(kCells) * kCells * kCells + 1, 0);
    for (const std::uint32_t cell : m_cellOf) {
        ++m_starts[cell + 1];
    }
    for (std::size_t i = 1; i < m_starts.size(); ++i) {
        m_starts[i] += m_starts[i - 1];
    }
    m_moved.resize(count * stride);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t to = m_starts[m_cellOf[i]]++;
        std::memcpy(&m_moved[to * stride], positions + i * stride, stride * sizeof(float));
    }
    std::memcpy(positions, m_moved.data(), m_moved.size() * sizeof(float));
}
