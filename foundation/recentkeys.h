#pragma once
// CRecentKeys: the keys met last, one to a slot chosen by the key's hash, so that a key
// met again while its slot still holds it is known. A bounded number is remembered: a key
// pushed out of its slot by another is later taken for new, so a caller that charges new
// keys more can only charge more, never less. A key is an array of words (unsigned
// integers or floats) hashed and compared as bits: the same values worked out the same
// way give the same bits. Only the first kHashedWords words choose the slot: a key whose
// leading words tell it apart from most others costs less to place.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <tuple>
#include <type_traits>
#include <vector>

template <typename Words, std::size_t kSlots, std::size_t kHashedWords = std::tuple_size_v<Words>>
class CRecentKeys
{
    // The slot is the hash's low bits.
    static_assert(std::has_single_bit(kSlots));
    static_assert(kHashedWords >= 1 && kHashedWords <= std::tuple_size_v<Words>);

public:
    using Key = Words;

    // Forgets every key; nothing to do when none was remembered since.
    void Clear()
    {
        if (m_dirty) {
            m_slots.assign(kSlots, Slot{});
            m_dirty = false;
        }
    }

    // Whether the key's slot holds it; remembers it there when not.
    [[nodiscard]] bool Repeats(const Key& key)
    {
        if (m_slots.empty()) {
            m_slots.resize(kSlots);
        }
        std::uint64_t hash = 0;
        for (std::size_t i = 0; i < kHashedWords; ++i) {
            hash = (hash ^ Bits(key[i])) * 0x9E3779B97F4A7C15ULL;
            hash ^= hash >> 29;
        }
        Slot& slot = m_slots[hash & (kSlots - 1)];
        if (slot.used && Same(slot.key, key)) {
            return true;
        }
        // Word by word: a copy of the whole slot becomes a string move, slow for a key of
        // a hundred bytes.
        for (std::size_t i = 0; i < key.size(); ++i) {
            slot.key[i] = key[i];
        }
        slot.used = true;
        m_dirty = true;
        return false;
    }

private:
    using Word = typename Key::value_type;

    static std::uint64_t Bits(Word word)
    {
        if constexpr (std::is_floating_point_v<Word>) {
            using Unsigned = std::conditional_t<sizeof(Word) == 4, std::uint32_t, std::uint64_t>;
            return std::bit_cast<Unsigned>(word);
        } else {
            return static_cast<std::uint64_t>(word);
        }
    }

    static bool Same(const Key& a, const Key& b)
    {
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (Bits(a[i]) != Bits(b[i])) {
                return false;
            }
        }
        return true;
    }

    struct Slot
    {
        Key key{};
        bool used = false;
    };
    std::vector<Slot> m_slots;
    bool m_dirty = false;
};
