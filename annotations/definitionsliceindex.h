#pragma once
// CDefinitionSliceIndex: finds, among the definition slices a section cut has made, the
// first made for a definition and a local plane equal to a given one within the cut's
// tolerance, either way round, without walking them all: a cut through many placements
// that each see their definition through a plane of their own stays n log n.
//
// Planes are kept in cells four times the tolerance wide on each of their four
// coefficients. A plane within the tolerance of another lies in the same cell or, where a
// coefficient lies within the tolerance of its cell's side, in the neighbour there, so a
// search looks at one or two cells a coefficient (counting rounding against it), for the
// plane and for its reverse, and then compares the planes it finds there exactly as a walk
// of the list would.

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "foundation/plane3d.h"

class CComponentDefinition;

class CDefinitionSliceIndex
{
public:
    static constexpr double kTolerance = 0.001;

    // The number of the first added entry whose definition is that one and whose plane
    // equals the given one (the entry's CPlane3d::IsEqual, not oriented, kTolerance); -1
    // when there is none. A plane with a coefficient that is not finite equals none.
    // candidates, when given, receives how many entries were compared.
    [[nodiscard]] int Find(const CComponentDefinition* definition, const CPlane3d& plane,
                           std::uint64_t* candidates = nullptr) const;
    // Adds an entry; answers its number, counted from 0 in the order of adding.
    int Add(const CComponentDefinition* definition, const CPlane3d& plane);
    [[nodiscard]] int GetCount() const { return static_cast<int>(m_entries.size()); }
    void Clear();

private:
    struct Entry
    {
        const CComponentDefinition* definition;
        CPlane3d plane;
        // The next entry with the same key; -1 at the end.
        int next;
    };

    [[nodiscard]] int FindAround(const CComponentDefinition* definition, const CPlane3d& plane,
                                 const CPlane3d& probe, std::uint64_t& candidates) const;
    [[nodiscard]] int FindInCell(std::uint64_t key, const CComponentDefinition* definition, const CPlane3d& plane,
                                 int best, std::uint64_t& candidates) const;

    std::vector<Entry> m_entries;
    // The first entry of each key; the others follow through Entry::next.
    std::unordered_map<std::uint64_t, int> m_heads;
};
