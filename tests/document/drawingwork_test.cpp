#include "document/drawingwork.h"

#include <gtest/gtest.h>

#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/definitionlist.h"
#include "document/tarnwickmodel.h"
#include "model/undosuspender.h"
#include "samplegen/stressmodels.h"

namespace {

constexpr std::uint64_t kPlacement = CDrawingWork::kPlacementCost;
constexpr std::uint64_t kCoverage = CDrawingWork::kCoverageCost;
// The unit box: six faces and their twelve edges.
constexpr std::uint64_t kBox = 18;
// Two triangles sharing their diagonal: two faces, five edges.
constexpr std::uint64_t kTwoTriangles = 7;

std::uint64_t CountOf(const SharedModelShape& shape)
{
    auto* model = new CTarnwickModel;
    BuildSharedModel(*model, shape);
    const std::uint64_t work = CDrawingWork::Count(*model->GetRootComponent());
    model->Release();
    return work;
}

TEST(DrawingWorkTest, EveryPathCountsWhatItDrawsAndUnplacedDefinitionsCountNothing)
{
    const struct
    {
        SharedModelShape shape;
        std::uint64_t work;
    } cases[] = {
        // 1 + 2 + 4 placements, the box drawn on 4 paths: 24 faces' area over the
        // unit cube's 3 shown.
        {{{1, 2, 2}, 0, true}, 7 * kPlacement + 4 * kBox + 8 * kCoverage},
        // 12 unit squares in a flat field of 7 by 7.
        {{{3, 4}, 2, false}, 15 * kPlacement + 12 * kTwoTriangles + 12 * kCoverage / 49},
        {{{0, 2, 2}, 0, true}, 0},
        // 2^60 paths: counted one past the budget, not overflowed.
        {{std::vector<int>(61, 2), 0, true}, CDrawingWork::kBudget + 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shape.copies.size());
        EXPECT_EQ(CountOf(c.shape), c.work);
    }
}

TEST(DrawingWorkTest, ADefinitionPlacingItselfIsCountedOnceAroundTheCycle)
{
    auto* model = new CTarnwickModel;
    {
        const CurrentModelScope scope(model);
        const CUndoSuspender suspender;
        auto* definition = new CComponentDefinition;
        model->GetDefinitionList()->AddDefinition(definition, false);
        CComponentInstance* inner = nullptr;
        for (CComponent* holder : {static_cast<CComponent*>(model->GetRootComponent()),
                                   static_cast<CComponent*>(definition)}) {
            inner = new CComponentInstance;
            definition->AddInstance(inner);
            holder->Add(inner);
        }
        EXPECT_EQ(CDrawingWork::Count(*model->GetRootComponent()), 2 * kPlacement);
        // Released without the cycle, which nothing else is meant to meet.
        definition->EraseEntity(inner);
    }
    model->Release();
}

}  // namespace
