#include <gtest/gtest.h>

#include "document/componentstatistics.h"
#include "document/group.h"
#include "document/layermanager.h"
#include "tests/document/operationtestsupport.h"

using operationtest::ModelFixture;
using Row = CComponentStatistics::Row;

namespace {

class ComponentStatisticsTest : public ::testing::Test
{
protected:
    ModelFixture m_fixture;
    CComponentStatistics m_statistics;
};

struct RowExpectation
{
    Row row;
    std::int64_t topLevel;
    std::int64_t withContents;
};

void ExpectRows(const CComponentStatistics& statistics, const std::vector<RowExpectation>& rows)
{
    for (const auto& [row, topLevel, withContents] : rows) {
        EXPECT_EQ(statistics.GetRowValue(row, false), topLevel) << statistics.GetRowLabel(row).ToUtf8();
        EXPECT_EQ(statistics.GetRowValue(row, true), withContents) << statistics.GetRowLabel(row).ToUtf8();
    }
}

}  // namespace

TEST_F(ComponentStatisticsTest, ADefinitionPlacedThreeTimesCountsItsContentsThreeTimes)
{
    CComponentDefinition* box = m_fixture.Definition("Box");
    for (int i = 0; i < 3; ++i) {
        ModelFixture::Place(m_fixture.Root(), box);
    }
    ModelFixture::Square(m_fixture.Root(), 5, 5);
    m_statistics.Update(&m_fixture.Root(), false);

    ExpectRows(m_statistics, {{CComponentStatistics::kFaces, 1, 4},
                              {CComponentStatistics::kEdges, 4, 16},
                              {CComponentStatistics::kComponentInstances, 3, 3},
                              {CComponentStatistics::kGroups, 0, 0}});
    ASSERT_EQ(m_statistics.GetDefinitionEntryCount(), 1);
    EXPECT_EQ(m_statistics.GetDefinitionName(0), CString("Box"));
    EXPECT_EQ(m_statistics.GetDefinitionCount(0, false), 3);
    EXPECT_EQ(m_statistics.GetDefinitionCount(0, true), 3);
}

TEST_F(ComponentStatisticsTest, AGroupInsideAnInstanceCountsAsAGroupInsideComponentsWithItsContents)
{
    CComponentDefinition* outer = m_fixture.Definition("Outer");
    CComponentDefinition* inner = m_fixture.Definition("Inner");
    CComponentDefinition* grouped = m_fixture.Definition("Group#1");
    ModelFixture::Place<CGroup>(*outer, grouped);
    ModelFixture::Place(*outer, inner);
    ModelFixture::Place(*outer, inner);
    ModelFixture::Place(m_fixture.Root(), outer);
    ModelFixture::Place(m_fixture.Root(), outer);
    m_statistics.Update(&m_fixture.Root(), false);

    // Each of the two placements of Outer holds its own square, the group's and two of Inner.
    ExpectRows(m_statistics, {{CComponentStatistics::kFaces, 0, 8},
                              {CComponentStatistics::kGroups, 0, 2},
                              {CComponentStatistics::kComponentInstances, 2, 6}});
    ASSERT_EQ(m_statistics.GetDefinitionEntryCount(), 2);
    EXPECT_EQ(m_statistics.GetDefinitionName(0), CString("Inner"));
    EXPECT_EQ(m_statistics.GetDefinitionCount(0, false), 0);
    EXPECT_EQ(m_statistics.GetDefinitionCount(0, true), 4);
    EXPECT_EQ(m_statistics.GetDefinitionName(1), CString("Outer"));
    EXPECT_EQ(m_statistics.GetDefinitionCount(1, true), 2);
}

// Counting once recursed for ever into a definition that holds its own instance.
TEST_F(ComponentStatisticsTest, ADefinitionHoldingItsOwnInstanceIsNotEnteredAgain)
{
    CComponentDefinition* loop = m_fixture.Definition("Loop");
    ModelFixture::Place(*loop, loop);
    ModelFixture::Place(m_fixture.Root(), loop);
    m_statistics.Update(&m_fixture.Root(), false);
    ExpectRows(m_statistics, {{CComponentStatistics::kFaces, 0, 1},
                              {CComponentStatistics::kComponentInstances, 1, 2}});
}

TEST_F(ComponentStatisticsTest, TheLastThreeRowsShowOnlyWithDefinitionsAndRowsBeyondAreEmpty)
{
    CComponentDefinition* typed = m_fixture.Definition("Typed");
    typed->SetDefinitionType(1);
    m_fixture.Definition("Plain");
    m_statistics.Update(&m_fixture.Root(), false);
    EXPECT_EQ(m_statistics.GetRowCount(), 11);
    EXPECT_EQ(m_statistics.GetRowLabel(10), CString("Text"));
    EXPECT_EQ(m_statistics.GetRowLabel(11), CString());
    EXPECT_EQ(m_statistics.GetRowValue(11, true), 0);

    m_statistics.Update(&m_fixture.Root(), true);
    EXPECT_EQ(m_statistics.GetRowCount(), 14);
    EXPECT_EQ(m_statistics.GetRowLabel(13), CString("Materials"));
    EXPECT_EQ(m_statistics.GetRowValue(CComponentStatistics::kComponentDefinitions, false), 1);
    EXPECT_EQ(m_statistics.GetRowValue(CComponentStatistics::kLayers, true),
              m_fixture.Root().GetLayerManager()->GetCount());
    EXPECT_EQ(m_statistics.GetDefinitionName(5), CString());
    EXPECT_EQ(m_statistics.GetDefinitionCount(-1, true), 0);
}

// The placement list is read by index in name order at every size, and a recount replaces it.
TEST_F(ComponentStatisticsTest, ThePlacementListIsReadByIndexInNameOrder)
{
    for (const int count : {0, 1, 7, 300}) {
        SCOPED_TRACE(count);
        ModelFixture fixture;
        for (int i = count; i > 0; --i) {
            CComponentDefinition* definition = fixture.Definition(("Box#" + std::to_string(i)).c_str());
            for (int placed = 0; placed < i % 3 + 1; ++placed) {
                ModelFixture::Place(fixture.Root(), definition);
            }
        }
        CComponentStatistics statistics;
        statistics.Update(&fixture.Root(), false);
        ASSERT_EQ(statistics.GetDefinitionEntryCount(), count);
        for (int index = 0; index < count; ++index) {
            const CString name = statistics.GetDefinitionName(index);
            const int number = std::stoi(name.ToUtf8().substr(4));
            EXPECT_EQ(statistics.GetDefinitionCount(index, true), number % 3 + 1) << name.ToUtf8();
            if (index > 0) {
                EXPECT_LT(statistics.GetDefinitionName(index - 1).Compare(name), 0);
            }
        }
        EXPECT_EQ(statistics.GetDefinitionName(count), CString());
        EXPECT_EQ(statistics.GetDefinitionCount(-1, true), 0);
        statistics.Update(nullptr, false);
        EXPECT_EQ(statistics.GetDefinitionEntryCount(), 0);
    }
}
