#include "platform/pointerindexmap.h"

#include <bit>

namespace {

constexpr std::size_t kFirstSize = 64;

}  // namespace

std::size_t CPointerIndexMap::SlotOf(const void* key) const
{
    // Objects lie at least 16 bytes apart, and a writer meets them much in the order
    // they were made: neighbours in memory stay neighbours in the table, so that the
    // walk over a large model keeps hitting the same cache lines. The bits above the
    // table's width are mixed in, so that objects a table's width apart (or any
    // regular stride) do not pile up on the same slots.
    const std::size_t mask = m_slots.size() - 1;
    const int width = std::countr_zero(m_slots.size());
    const auto chunk = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(key)) >> 4;
    const std::uint64_t above = chunk >> width;
    const std::uint64_t mixed = above == 0 ? 0 : (above * 0x9E3779B97F4A7C15ULL) >> (64 - width);
    return static_cast<std::size_t>(chunk ^ mixed) & mask;
}

UINT CPointerIndexMap::Find(const void* key) const
{
    if (m_count == 0 || key == nullptr) {
        return 0;
    }
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = SlotOf(key);; i = (i + 1) & mask) {
        const Slot& slot = m_slots[i];
        if (slot.key == key) {
            return slot.index;
        }
        if (slot.key == nullptr) {
            return 0;
        }
    }
}

void CPointerIndexMap::Set(const void* key, UINT index)
{
    if (key == nullptr) {
        return;
    }
    if ((m_count + 1) * 2 > m_slots.size()) {
        Grow();
    }
    const std::size_t mask = m_slots.size() - 1;
    std::size_t i = SlotOf(key);
    while (m_slots[i].key != nullptr && m_slots[i].key != key) {
        i = (i + 1) & mask;
    }
    if (m_slots[i].key == nullptr) {
        ++m_count;
    }
    m_slots[i] = {key, index};
}

void CPointerIndexMap::Reserve(std::size_t count)
{
    std::size_t size = m_slots.empty() ? kFirstSize : m_slots.size();
    while (size < count * 2) {
        size *= 2;
    }
    if (size > m_slots.size()) {
        Rebuild(size);
    }
}

void CPointerIndexMap::Grow()
{
    Rebuild(m_slots.empty() ? kFirstSize : m_slots.size() * 2);
}

void CPointerIndexMap::Rebuild(std::size_t size)
{
    std::vector<Slot> old = std::move(m_slots);
    m_slots.assign(size, Slot{});
    const std::size_t mask = m_slots.size() - 1;
    for (const Slot& slot : old) {
        if (slot.key == nullptr) {
            continue;
        }
        std::size_t i = SlotOf(slot.key);
        while (m_slots[i].key != nullptr) {
            i = (i + 1) & mask;
        }
        m_slots[i] = slot;
    }
}

std::vector<std::pair<const void*, UINT>> CPointerIndexMap::GetEntries() const
{
    std::vector<std::pair<const void*, UINT>> entries;
    entries.reserve(m_count);
    for (const Slot& slot : m_slots) {
        if (slot.key != nullptr) {
            entries.emplace_back(slot.key, slot.index);
        }
    }
    return entries;
}
