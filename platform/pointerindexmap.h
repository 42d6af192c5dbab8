#pragma once
// CPointerIndexMap: the numbers a storing archive gives the objects it writes, by
// pointer. A save of a large model numbers millions of objects; a node-based map
// spends an allocation and a cache miss on each, this one keeps its entries in one
// array (open addressing, linear probing, at most half full).

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/types.h"

class CPointerIndexMap
{
public:
    // 0 when the pointer has no number.
    [[nodiscard]] UINT Find(const void* key) const;
    // Gives the pointer the number (which must not be 0), replacing an earlier one.
    void Set(const void* key, UINT index);
    [[nodiscard]] std::size_t GetCount() const { return m_count; }
    // Makes room for this many entries in all, so that they go in without the table
    // being rebuilt on the way.
    void Reserve(std::size_t count);
    // Every pointer with its number, in no set order.
    [[nodiscard]] std::vector<std::pair<const void*, UINT>> GetEntries() const;

private:
    struct Slot
    {
        const void* key = nullptr;
        UINT index = 0;
    };

    [[nodiscard]] std::size_t SlotOf(const void* key) const;
    void Grow();
    void Rebuild(std::size_t size);

    std::vector<Slot> m_slots;
    std::size_t m_count = 0;
};
