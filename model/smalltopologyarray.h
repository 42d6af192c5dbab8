#pragma once
// CSmallTopologyArray: a topology pointer list that nearly always holds one entry (a
// face's loops). That entry lives in the array itself; a second moves the list to a
// heap buffer that grows by CTopologyArray's rule and keeps its capacity in a word of
// its own in front of the entries. The array itself is thus one pointer and a count
// (the heap mark in its top bit), and an owner that declares it [[no_unique_address]]
// can place a four-byte field behind it: a model of a million faces saves a million
// buffers and eight megabytes this way.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>

#include "model/topologyarray.h"

template <typename T>
class CSmallTopologyArray
{
public:
    CSmallTopologyArray() = default;
    // Same entries, count and capacity, storage of its own.
    CSmallTopologyArray(const CSmallTopologyArray& other) { CopyFrom(other); }
    CSmallTopologyArray& operator=(const CSmallTopologyArray& other)
    {
        if (this != &other) {
            Free();
            CopyFrom(other);
        }
        return *this;
    }
    ~CSmallTopologyArray() { Free(); }

    [[nodiscard]] std::int32_t GetCount() const { return static_cast<std::int32_t>(m_bits & ~kOnHeap); }
    // 1 while the entries live inside: the room for one is always there.
    [[nodiscard]] std::int32_t GetCapacity() const { return IsOnHeap() ? CapacityOf(m_storage.items) : 1; }
    [[nodiscard]] bool IsEmpty() const { return GetCount() == 0; }
    // Null for an index outside 0..count-1.
    [[nodiscard]] T* GetAt(std::int32_t index) const
    {
        return index >= 0 && index < GetCount() ? Items()[index] : nullptr;
    }
    // Ignored for an index outside 0..count-1.
    void SetAt(std::int32_t index, T* item)
    {
        if (index >= 0 && index < GetCount()) {
            Items()[index] = item;
        }
    }
    [[nodiscard]] T* const* GetData() const { return Items(); }

    // The index of the first occurrence; -1 when absent.
    [[nodiscard]] std::int32_t Find(const T* item) const
    {
        T* const* items = Items();
        const std::int32_t count = GetCount();
        for (std::int32_t i = 0; i < count; ++i) {
            if (items[i] == item) {
                return i;
            }
        }
        return -1;
    }
    [[nodiscard]] bool Contains(const T* item) const { return Find(item) >= 0; }

    void Reserve(std::int32_t n)
    {
        const std::int32_t capacity = GetCapacity();
        if (n <= capacity) {
            return;
        }
        const std::int32_t count = GetCount();
        const std::int32_t step =
            std::clamp(count / 8, CTopologyArray<T>::kMinStep, CTopologyArray<T>::kMaxStep);
        T** items = NewBuffer(std::max(n, capacity + step));
        std::copy(Items(), Items() + count, items);
        if (IsOnHeap()) {
            DeleteBuffer(m_storage.items);
        }
        m_storage.items = items;
        m_bits |= kOnHeap;
    }
    // Grows or shrinks the count; new slots are null.
    void SetCount(std::int32_t count)
    {
        Reserve(count);
        T** items = Items();
        for (std::int32_t i = GetCount(); i < count; ++i) {
            items[i] = nullptr;
        }
        SetCountBits(std::max<std::int32_t>(count, 0));
    }
    void Append(T* item)
    {
        const std::int32_t count = GetCount();
        Reserve(count + 1);
        Items()[count] = item;
        SetCountBits(count + 1);
    }
    // Closes the gap, keeping the order; ignored for an index out of range.
    void RemoveAt(std::int32_t index)
    {
        const std::int32_t count = GetCount();
        if (index < 0 || index >= count) {
            return;
        }
        T** items = Items();
        std::copy(items + index + 1, items + count, items + index);
        items[count - 1] = nullptr;
        SetCountBits(count - 1);
    }
    // Removes the first occurrence; false when absent.
    bool Remove(const T* item)
    {
        const std::int32_t index = Find(item);
        RemoveAt(index);
        return index >= 0;
    }
    // Count 0, storage kept.
    void RemoveAll() { SetCountBits(0); }
    // Count 0, the buffer freed.
    void Free()
    {
        if (IsOnHeap()) {
            DeleteBuffer(m_storage.items);
        }
        m_storage.single = nullptr;
        m_bits = 0;
    }
    void Swap(CSmallTopologyArray& other) noexcept
    {
        // The single entry and the buffer pointer share their place: the whole place
        // is exchanged, whichever it holds.
        std::swap(m_storage, other.m_storage);
        std::swap(m_bits, other.m_bits);
    }

private:
    static constexpr std::uint32_t kOnHeap = 1u << 31;
    // The capacity's word, padded so that the entries keep their alignment.
    static constexpr std::size_t kHeader = alignof(T*) > sizeof(std::int32_t) ? alignof(T*) : sizeof(std::int32_t);

    [[nodiscard]] bool IsOnHeap() const { return (m_bits & kOnHeap) != 0; }
    void SetCountBits(std::int32_t count) { m_bits = (m_bits & kOnHeap) | static_cast<std::uint32_t>(count); }
    [[nodiscard]] T** Items() { return IsOnHeap() ? m_storage.items : &m_storage.single; }
    [[nodiscard]] T* const* Items() const { return IsOnHeap() ? m_storage.items : &m_storage.single; }

    [[nodiscard]] static T** NewBuffer(std::int32_t capacity)
    {
        auto* raw = static_cast<std::byte*>(::operator new(kHeader + sizeof(T*) * static_cast<std::size_t>(capacity)));
        ::new (raw) std::int32_t(capacity);
        T** items = reinterpret_cast<T**>(raw + kHeader);
        std::fill(items, items + capacity, nullptr);
        return items;
    }
    [[nodiscard]] static std::int32_t CapacityOf(T* const* items)
    {
        const auto* raw = reinterpret_cast<const std::byte*>(items) - kHeader;
        return *std::launder(reinterpret_cast<const std::int32_t*>(raw));
    }
    static void DeleteBuffer(T** items) { ::operator delete(reinterpret_cast<std::byte*>(items) - kHeader); }

    void CopyFrom(const CSmallTopologyArray& other)
    {
        if (other.IsOnHeap()) {
            const std::int32_t capacity = CapacityOf(other.m_storage.items);
            m_storage.items = NewBuffer(capacity);
            std::copy(other.m_storage.items, other.m_storage.items + capacity, m_storage.items);
        } else {
            m_storage.single = other.m_storage.single;
        }
        m_bits = other.m_bits;
    }

    union Storage
    {
        T* single = nullptr;
        T** items;  // while on the heap
    };
    Storage m_storage;
    std::uint32_t m_bits = 0;
};
