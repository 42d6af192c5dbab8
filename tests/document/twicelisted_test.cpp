#include "document/twicelisted.h"

#include <gtest/gtest.h>

#include <string>

#include "model/edgeuse.h"
#include "model/enumedgeuse.h"
#include "tests/document/modelfiletestsupport.h"
#include "tests/document/twicelistedfiles.h"

using modelfiletest::OwnedModel;
using modelfiletest::ReadSaying;
using namespace twicelistedtest;

namespace {

class TwiceListedTest : public ::testing::Test
{
protected:
    void SetUp() override { RegisterModelClasses(); }

    entitytest::QuietSettings m_settings;
    CurrentModelScope m_scope{nullptr};
};

const CComponent& Definition(const CTarnwickModel& model)
{
    return *model.GetDefinitionList()->GetDefinition(0);
}

// Every face's edges are held by the face's component, so that erasing one component
// frees nothing another still uses.
void ExpectFacesHoldTheirEdges(const CComponent& component)
{
    for (const CDrawingElement* element : component.GetEntityList()) {
        if (element->GetTypeId() == kTypeFace) {
            for (const CEdgeUse* use : UsesOf(static_cast<const CFace*>(element)->GetOuterLoop())) {
                EXPECT_EQ(use->GetEdge()->GetParent(), &component);
            }
        }
    }
}

const char kPutBack[] = "a face uses an edge that its component's list left out; the edge is put back";
const char kCame[] = "faces and edges that another entity list held go to the list whose faces use them";

}  // namespace

// Each shape opens whole: a face and the edges it uses end up in one component, a save
// writes them once, and the entries left out are counted (the count makes the next save
// over the file ask first). Before, all rows but the first and the square both lists
// hold whole refused the file.
TEST_F(TwiceListedTest, AFaceOrEdgeTwoListsNameStaysWithTheFirstUnlessFacesOfTheLaterUseItsEdges)
{
    const struct
    {
        const char* name;
        ModelBytes bytes;
        int root;
        int definition;
        std::uint64_t leftOut;
        const char* said;
    } rows[] = {
        {"(a) a root face also in a definition's list", WriteRootFaceAlsoInADefinition(), 9, 0, 1, kCame},
        {"(a) with one of its edges", WriteTwoSquares(kBothSquares, {kLeft, kLeftSouth}), 9, 0, 2, kCame},
        {"(a) with an edge neither list names",
         WriteTwoSquares({kLeft, kRight, kShared, kLeftNorth, kLeftWest, kRightSouth, kRightEast, kRightNorth}, {kLeft}),
         9, 0, 1, kCame},
        {"(b) a definition's face whose edge the root names", WriteDefinitionFaceWithAnEdgeInTheRoot(), 0, 5, 1,
         kPutBack},
        {"(c) a root face with its edges in a definition", WriteRootFaceAndItsEdgesAlsoInADefinition(), 9, 0, 5,
         kCame},
        {"a square both list whole", WriteTwoSquares(kLeftSquare, kLeftSquare), 0, 5, 5, nullptr},
        {"a root face's edge in a definition only", WriteTwoSquares({kLeft, kShared, kLeftNorth, kLeftWest}, {kLeftSouth}),
         5, 0, 1, kCame},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        OwnedModel model;
        const std::string said = ReadSaying(*model, row.bytes);
        ASSERT_EQ(model->GetLoadStatus(), CTarnwickModel::kLoadOk) << said;
        EXPECT_EQ(model->GetLeftOutEntryCount(), row.leftOut);
        EXPECT_EQ(model->GetRootComponent()->GetCount(), row.root);
        ASSERT_EQ(model->GetDefinitionList()->GetCount(), 1);
        EXPECT_EQ(Definition(*model).GetCount(), row.definition);
        ExpectFacesHoldTheirEdges(*model->GetRootComponent());
        ExpectFacesHoldTheirEdges(Definition(*model));
        if (row.said != nullptr) {
            EXPECT_NE(said.find(row.said), std::string::npos) << said;
        }
        OwnedModel again;
        EXPECT_EQ(ReadSaying(*again, modelfiletest::WriteModel(*model, kSaveFormat5000)), "");
        EXPECT_EQ(again->GetLeftOutEntryCount(), 0u);
        EXPECT_EQ(again->GetRootComponent()->GetCount(), row.root);
        EXPECT_EQ(Definition(*again).GetCount(), row.definition);
    }
}

// Where a root face and a definition's face both use an edge, neither list naming the
// other's face, no component can hold the edge without the other's face losing it.
TEST_F(TwiceListedTest, AnEdgeFacesOfTwoComponentsUseRefusesTheFile)
{
    OwnedModel model;
    EXPECT_EQ(entitytest::ArchiveReason([&] {
                  modelfiletest::ReadModel(*model, WriteTwoSquares({kRight, kShared, kRightSouth, kRightEast, kRightNorth},
                                                                   {kLeft, kLeftSouth, kLeftNorth, kLeftWest}));
              }),
              "a face uses an edge that another component holds");
    EXPECT_EQ(model->GetRootComponent()->GetCount(), 0);
    EXPECT_EQ(model->GetDefinitionList()->GetCount(), 0);
}

// An edge that moved to the root was counted twice among its material's uses.
TEST_F(TwiceListedTest, AnEdgeThatMovesToTheListNamingItTwiceCountsOnceAmongItsMaterialsUses)
{
    OwnedModel model;
    (void)ReadSaying(*model, WriteTwoSquares(kBothSquares, {kLeft}, true));
    ASSERT_EQ(model->GetMaterialManager()->GetCount(), 1);
    EXPECT_EQ(static_cast<CMaterial*>(model->GetMaterialManager()->GetAt(0))->GetUseCount(), 1);
}
