#include "render/equallayers.h"

#include <GL/gl.h>

#include <bit>
#include <cstdint>

void CEqualLayers::Clear()
{
    if (m_dirty) {
        m_slots.assign(kSlots, Slot{});
        m_dirty = false;
    }
}

void CEqualLayers::Load()
{
    GLint function = GL_LESS;
    glGetIntegerv(GL_DEPTH_FUNC, &function);
    GLboolean writes = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &writes);
    m_rejecting = glIsEnabled(GL_DEPTH_TEST) == GL_TRUE && writes == GL_TRUE && function == GL_LESS;
}

bool CEqualLayers::Repeats(const std::array<float, 9>& corners)
{
    if (m_slots.empty()) {
        m_slots.resize(kSlots);
    }
    std::uint64_t hash = 0;
    for (const float value : corners) {
        hash = (hash ^ std::bit_cast<std::uint32_t>(value)) * 0x9E3779B97F4A7C15ULL;
        hash ^= hash >> 29;
    }
    Slot& slot = m_slots[hash & (kSlots - 1)];
    // Compared as bits: the same corners through the same matrices give the same bits.
    const auto same = [&] {
        for (std::size_t i = 0; i < corners.size(); ++i) {
            if (std::bit_cast<std::uint32_t>(slot.corners[i]) != std::bit_cast<std::uint32_t>(corners[i])) {
                return false;
            }
        }
        return true;
    };
    if (slot.used && same()) {
        return true;
    }
    slot = {corners, true};
    m_dirty = true;
    return false;
}
