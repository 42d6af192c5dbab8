#pragma once
// CTopologyArray: the small pointer arrays of the topology (a vertex's edges, a face's
// loops). They grow by a fixed rule so that many small lists stay small and long ones
// do not reallocate on every append: the step is a eighth of the count, kept between
// 4 and 1024, and never less than what is asked for. The buffer never shrinks.
// Counts are 32-bit even though files and older programs kept them in 16 bits.
// Lists that nearly always hold one entry use CSmallTopologyArray (model/smalltopologyarray.h).
//
// Buffers of up to 16 entries (a vertex's edges, nearly always) take slots of slab
// allocators, one for each four entries, instead of heap blocks.

#include <algorithm>
#include <cstdint>
#include <utility>

#include "foundation/slaballocator.h"

template <typename T>
class CTopologyArray
{
public:
    static constexpr std::int32_t kMinStep = 4;
    static constexpr std::int32_t kMaxStep = 1024;

    CTopologyArray() = default;
    // Same entries, count and capacity, storage of its own.
    CTopologyArray(const CTopologyArray& other) { CopyFrom(other); }
    CTopologyArray& operator=(const CTopologyArray& other)
    {
        if (this != &other) {
            Free();
            CopyFrom(other);
        }
        return *this;
    }
    ~CTopologyArray() { Free(); }

    [[nodiscard]] std::int32_t GetCount() const { return m_count; }
    [[nodiscard]] std::int32_t GetCapacity() const { return m_capacity; }
    [[nodiscard]] bool IsEmpty() const { return m_count == 0; }
    // Null for an index outside 0..count-1.
    [[nodiscard]] T* GetAt(std::int32_t index) const
    {
        return index >= 0 && index < m_count ? Items()[index] : nullptr;
    }
    // Ignored for an index outside 0..count-1.
    void SetAt(std::int32_t index, T* item)
    {
        if (index >= 0 && index < m_count) {
            Items()[index] = item;
        }
    }
    [[nodiscard]] T* const* GetData() const { return Items(); }

    // The index of the first occurrence; -1 when absent.
    [[nodiscard]] std::int32_t Find(const T* item) const
    {
        T* const* items = Items();
        for (std::int32_t i = 0; i < m_count; ++i) {
            if (items[i] == item) {
                return i;
            }
        }
        return -1;
    }
    [[nodiscard]] bool Contains(const T* item) const { return Find(item) >= 0; }

    void Reserve(std::int32_t n)
    {
        if (n <= m_capacity) {
            return;
        }
        const std::int32_t step = std::clamp(m_count / 8, kMinStep, kMaxStep);
        const std::int32_t capacity = std::max(n, m_capacity + step);
        T** items = NewItems(capacity);
        std::copy(m_items, m_items + m_count, items);
        std::fill(items + m_count, items + capacity, nullptr);
        DeleteItems(m_items, m_capacity);
        m_items = items;
        m_capacity = capacity;
    }
    // Grows or shrinks the count; new slots are null.
    void SetCount(std::int32_t count)
    {
        Reserve(count);
        T** items = Items();
        for (std::int32_t i = m_count; i < count; ++i) {
            items[i] = nullptr;
        }
        m_count = std::max<std::int32_t>(count, 0);
    }
    void Append(T* item)
    {
        Reserve(m_count + 1);
        Items()[m_count++] = item;
    }
    // Closes the gap, keeping the order; ignored for an index out of range.
    void RemoveAt(std::int32_t index)
    {
        if (index < 0 || index >= m_count) {
            return;
        }
        T** items = Items();
        std::copy(items + index + 1, items + m_count, items + index);
        items[--m_count] = nullptr;
    }
    // Removes the first occurrence; false when absent.
    bool Remove(const T* item)
    {
        const std::int32_t index = Find(item);
        RemoveAt(index);
        return index >= 0;
    }
    // Count 0, storage kept.
    void RemoveAll() { m_count = 0; }
    // Count and capacity 0, buffer freed.
    void Free()
    {
        DeleteItems(m_items, m_capacity);
        m_items = nullptr;
        m_count = 0;
        m_capacity = 0;
    }
    void Swap(CTopologyArray& other) noexcept
    {
        std::swap(m_items, other.m_items);
        std::swap(m_count, other.m_count);
        std::swap(m_capacity, other.m_capacity);
    }

private:
    [[nodiscard]] T** Items() { return m_items; }
    [[nodiscard]] T* const* Items() const { return m_items; }

    void CopyFrom(const CTopologyArray& other)
    {
        if (other.m_capacity > 0) {
            m_items = NewItems(other.m_capacity);
            std::copy(other.m_items, other.m_items + other.m_capacity, m_items);
        }
        m_count = other.m_count;
        m_capacity = other.m_capacity;
    }

    template <std::size_t N>
    struct SmallBuffer
    {
        T* items[N];
    };

    // The slab allocator for a buffer of the capacity; null for a buffer on the heap.
    [[nodiscard]] static CSlabAllocator* GetSmallAllocator(std::int32_t capacity)
    {
        switch ((capacity + 3) / 4) {
        case 1:
            return &CSlabAllocator::ForClass<SmallBuffer<4>>();
        case 2:
            return &CSlabAllocator::ForClass<SmallBuffer<8>>();
        case 3:
            return &CSlabAllocator::ForClass<SmallBuffer<12>>();
        case 4:
            return &CSlabAllocator::ForClass<SmallBuffer<16>>();
        default:
            return nullptr;
        }
    }
    [[nodiscard]] static T** NewItems(std::int32_t capacity)
    {
        if (CSlabAllocator* small = GetSmallAllocator(capacity)) {
            return static_cast<T**>(small->Allocate());
        }
        return new T*[static_cast<std::size_t>(capacity)];
    }
    static void DeleteItems(T** items, std::int32_t capacity)
    {
        if (items == nullptr) {
            return;
        }
        if (CSlabAllocator* small = GetSmallAllocator(capacity)) {
            small->Free(items);
        } else {
            delete[] items;
        }
    }

    T** m_items = nullptr;
    std::int32_t m_count = 0;
    std::int32_t m_capacity = 0;
};
