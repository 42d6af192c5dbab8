#pragma once
// CDrawingWork: how much the view would draw of a model, counted before anything is
// drawn. Shared definitions multiply their content with every path that places them
// while the file stays small, so a file is refused by what it would draw, not by how
// many placements it holds.

#include <cstdint>

class CArchive;
class CComponent;

class CDrawingWork
{
public:
    // Units of work: every entity a path draws is one; a placement costs what its
    // instance draws around its content (state, transformation, bounds box and axes)
    // and that content again.
    static constexpr std::uint64_t kPlacementCost = 140;
    // Filling the pixels is counted apart from the entities: copies drawn over one
    // another cost little to send but fill the same pixels again each time. The faces'
    // area drawn over every path, against what the model's bounds show of themselves,
    // gives how often the view would be filled with the model in sight; each time costs
    // this much.
    static constexpr std::uint64_t kCoverageCost = 4000;
    // A model just under this shows its first frame headless within about half a minute.
    static constexpr std::uint64_t kBudget = 200'000'000;

    // The work of drawing every path from the component through the placed instances,
    // groups and pictures (definitions nothing places count nothing), each component's
    // own work summed once however often it is shared. Counted no further than one past
    // the budget, so that the sums cannot overflow; a component met again while it is
    // being counted (a cycle, which the view does not follow) adds its placement only.
    [[nodiscard]] static std::uint64_t Count(const CComponent& root);
    // Throws the archive exception when the component's work is beyond the budget.
    static void Check(const CComponent& root, CArchive& ar);
};
