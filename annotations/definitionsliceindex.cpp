#include "annotations/definitionsliceindex.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>

namespace {

// Cells four times the tolerance wide: a coefficient within the tolerance of another lies
// in the same cell or, when it lies within a quarter of the cell of its side, in the
// neighbour on that side, so that a search looks at few cells.
constexpr double kCellsPerUnit = 0.25 / CDefinitionSliceIndex::kTolerance;
constexpr double kReach = 0.25;

using Coefficients = std::array<double, 4>;

Coefficients CoefficientsOf(const CPlane3d& plane)
{
    return {plane.a, plane.b, plane.c, plane.d};
}

bool IsFinite(const CPlane3d& plane)
{
    return std::isfinite(plane.a) && std::isfinite(plane.b) && std::isfinite(plane.c) && std::isfinite(plane.d);
}

// Where a coefficient lies in cells, which are centred on the whole numbers of cells so
// that the coefficients planes most often have (0, 1, -1) lie in the middle of one.
double Scaled(double coefficient)
{
    return coefficient * kCellsPerUnit + 0.5;
}

// The cell of a coefficient, a whole number held as a double: its bits are hashed, so a
// coefficient too large for an integer still has one. Adding zero makes a negative zero
// the zero it equals.
double CellOf(double coefficient)
{
    return std::floor(Scaled(coefficient)) + 0.0;
}

std::uint64_t KeyOf(const CComponentDefinition* definition, const std::array<double, 4>& cells)
{
    std::uint64_t key = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(definition));
    for (const double cell : cells) {
        key = (key ^ std::bit_cast<std::uint64_t>(cell)) * 0x9E3779B97F4A7C15ULL;
        key ^= key >> 29;
    }
    return key;
}

// The cells a coefficient within the tolerance of this one can lie in: its own, and the
// neighbour on each side it lies within the tolerance of, counting the rounding of the
// product against it.
struct Neighbours
{
    std::array<double, 3> cells{};
    int count = 0;
};

Neighbours NeighboursOf(double coefficient)
{
    const double scaled = Scaled(coefficient);
    const double cell = CellOf(coefficient);
    const double within = scaled - cell;
    const double doubt = 1e-9 + std::fabs(scaled) * 1e-15;
    Neighbours result;
    result.cells[result.count++] = cell;
    if (within < kReach + doubt) {
        result.cells[result.count++] = cell - 1.0;
    }
    if (within > 1.0 - kReach - doubt) {
        result.cells[result.count++] = cell + 1.0;
    }
    return result;
}

}  // namespace

int CDefinitionSliceIndex::Find(const CComponentDefinition* definition, const CPlane3d& plane,
                                std::uint64_t* candidates) const
{
    std::uint64_t compared = 0;
    int found = -1;
    if (IsFinite(plane) && !m_entries.empty()) {
        const int same = FindAround(definition, plane, plane, compared);
        // Reversed as it is, not normalised again.
        CPlane3d reverse = plane;
        reverse.Reverse();
        const int reversed = FindAround(definition, plane, reverse, compared);
        found = same < 0 || (reversed >= 0 && reversed < same) ? reversed : same;
    }
    if (candidates != nullptr) {
        *candidates = compared;
    }
    return found;
}

int CDefinitionSliceIndex::FindAround(const CComponentDefinition* definition, const CPlane3d& plane,
                                      const CPlane3d& probe, std::uint64_t& candidates) const
{
    const Coefficients coefficients = CoefficientsOf(probe);
    std::array<Neighbours, 4> around;
    for (std::size_t i = 0; i < 4; ++i) {
        around[i] = NeighboursOf(coefficients[i]);
    }
    int best = -1;
    for (int a = 0; a < around[0].count; ++a) {
        for (int b = 0; b < around[1].count; ++b) {
            for (int c = 0; c < around[2].count; ++c) {
                for (int d = 0; d < around[3].count; ++d) {
                    const std::array<double, 4> cells = {around[0].cells[a], around[1].cells[b],
                                                         around[2].cells[c], around[3].cells[d]};
                    best = FindInCell(KeyOf(definition, cells), definition, plane, best, candidates);
                }
            }
        }
    }
    return best;
}

int CDefinitionSliceIndex::FindInCell(std::uint64_t key, const CComponentDefinition* definition,
                                      const CPlane3d& plane, int best, std::uint64_t& candidates) const
{
    const auto head = m_heads.find(key);
    for (int at = head != m_heads.end() ? head->second : -1; at >= 0; at = m_entries[at].next) {
        ++candidates;
        const Entry& entry = m_entries[at];
        if ((best < 0 || at < best) && entry.definition == definition && entry.plane.IsEqual(plane, false, kTolerance)) {
            best = at;
        }
    }
    return best;
}

int CDefinitionSliceIndex::Add(const CComponentDefinition* definition, const CPlane3d& plane)
{
    const int number = static_cast<int>(m_entries.size());
    m_entries.push_back({definition, plane, -1});
    // A plane that equals none is never looked for.
    if (IsFinite(plane)) {
        const Coefficients coefficients = CoefficientsOf(plane);
        const std::array<double, 4> cells = {CellOf(coefficients[0]), CellOf(coefficients[1]),
                                             CellOf(coefficients[2]), CellOf(coefficients[3])};
        const auto [head, added] = m_heads.try_emplace(KeyOf(definition, cells), number);
        if (!added) {
            // Entries are pushed at the head; the walk still takes the first made.
            m_entries.back().next = head->second;
            head->second = number;
        }
    }
    return number;
}

void CDefinitionSliceIndex::Clear()
{
    m_entries.clear();
    m_heads.clear();
}
