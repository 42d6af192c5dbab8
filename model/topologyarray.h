#pragma once
// CTopologyArray: the small pointer arrays of the topology (a vertex's edges, a face's
// loops). They grow by a fixed rule so that many small lists stay small and long ones
// do not reallocate on every append: the step is a eighth of the count, kept between
// 4 and 1024, and never less than what is asked for. The buffer never shrinks.
// Counts are 32-bit even though files and older programs kept them in 16 bits.

#include <algorithm>
#include <cstdint>
#include <utility>

template <typename T>
class CTopologyArray
{
public:
    static constexpr std::int32_t kMinStep = 4;
    static constexpr std::int32_t kMaxStep = 1024;

    CTopologyArray() = default;
    // Same entries, same count and capacity, a buffer of its own.
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
        return index >= 0 && index < m_count ? m_items[index] : nullptr;
    }
    // Ignored for an index outside 0..count-1.
    void SetAt(std::int32_t index, T* item)
    {
        if (index >= 0 && index < m_count) {
            m_items[index] = item;
        }
    }
    [[nodiscard]] T* const* GetData() const { return m_items; }

    // The index of the first occurrence; -1 when absent.
    [[nodiscard]] std::int32_t Find(const T* item) const
    {
        for (std::int32_t i = 0; i < m_count; ++i) {
            if (m_items[i] == item) {
                return i;
            }
        }
        return -1;
    }
    [[nodiscard]] bool Contains(const T* item) const { return Find(item) >= 0; }

    // Makes room for n entries by the growth rule.
    void Reserve(std::int32_t n)
    {
        if (n <= m_capacity) {
            return;
        }
        const std::int32_t step = std::clamp(m_count / 8, kMinStep, kMaxStep);
        const std::int32_t capacity = std::max(n, m_capacity + step);
        T** items = new T*[static_cast<std::size_t>(capacity)];
        std::copy(m_items, m_items + m_count, items);
        std::fill(items + m_count, items + capacity, nullptr);
        delete[] m_items;
        m_items = items;
        m_capacity = capacity;
    }
    // Grows or shrinks the count; new slots are null.
    void SetCount(std::int32_t count)
    {
        Reserve(count);
        for (std::int32_t i = m_count; i < count; ++i) {
            m_items[i] = nullptr;
        }
        m_count = std::max<std::int32_t>(count, 0);
    }
    void Append(T* item)
    {
        Reserve(m_count + 1);
        m_items[m_count++] = item;
    }
    // Closes the gap, keeping the order; ignored for an index out of range.
    void RemoveAt(std::int32_t index)
    {
        if (index < 0 || index >= m_count) {
            return;
        }
        std::copy(m_items + index + 1, m_items + m_count, m_items + index);
        m_items[--m_count] = nullptr;
    }
    // Removes the first occurrence; false when absent.
    bool Remove(const T* item)
    {
        const std::int32_t index = Find(item);
        RemoveAt(index);
        return index >= 0;
    }
    // Count 0, buffer kept.
    void RemoveAll() { m_count = 0; }
    // Count and capacity 0, buffer freed.
    void Free()
    {
        delete[] m_items;
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
    void CopyFrom(const CTopologyArray& other)
    {
        if (other.m_capacity > 0) {
            m_items = new T*[static_cast<std::size_t>(other.m_capacity)];
            std::copy(other.m_items, other.m_items + other.m_capacity, m_items);
        }
        m_count = other.m_count;
        m_capacity = other.m_capacity;
    }

    T** m_items = nullptr;
    std::int32_t m_count = 0;
    std::int32_t m_capacity = 0;
};
