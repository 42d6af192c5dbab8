#pragma once
// CPickNameTable: the names GL selection reports for one pick. A selection name is 32
// bits wide, too narrow for an entity's address on a 64-bit system, so each entity
// drawn during a pick gets a small even name here and is found again by it. Odd names
// are left to the sub-elements of an entity (index i is named i * 2 + 1), so both kinds
// still tell themselves apart as they did when names were addresses.
//
// Cleared before each pick; names are only meaningful until the next clear.

#include <cstdint>
#include <unordered_map>
#include <vector>

class CEntity;

class CPickNameTable
{
public:
    // The name that means "no entity".
    static constexpr std::uint32_t kNoName = 0;

    void Clear();
    // The entity's name, made on its first request; kNoName for null or when every
    // even name is taken.
    std::uint32_t GetName(CEntity* entity);
    // Null for kNoName, odd names and names this table never gave.
    [[nodiscard]] CEntity* FindEntity(std::uint32_t name) const;
    [[nodiscard]] int GetCount() const { return static_cast<int>(m_entities.size()); }

    [[nodiscard]] static std::uint32_t GetSubElementName(int index);
    [[nodiscard]] static bool IsSubElementName(std::uint32_t name) { return (name & 1u) != 0; }
    // -1 for an entity's name.
    [[nodiscard]] static int GetSubElementIndex(std::uint32_t name);

private:
    // Entity k (from 0) is named (k + 1) * 2.
    std::vector<CEntity*> m_entities;
    std::unordered_map<const CEntity*, std::uint32_t> m_names;
};
