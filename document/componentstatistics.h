#pragma once
// CComponentStatistics: how many entities of each kind a model holds, at the top level
// and inside components, and how often each component definition is placed. The
// contents of a definition count once per placement.

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "platform/cstring.h"

class CComponent;
class CComponentDefinition;

class CComponentStatistics
{
public:
    // The rows in order; the last three are shown only with definitions included.
    enum Row : int
    {
        kEdges,
        kFaces,
        kComponentInstances,
        kConstructionLines,
        kConstructionPoints,
        kGroups,
        kImages,
        kPolylines,
        kSectionPlanes,
        kDimensions,
        kTexts,
        kComponentDefinitions,
        kLayers,
        kMaterials,
        kRowCount
    };
    static constexpr int kLevelRowCount = kComponentDefinitions;

    CComponentStatistics() = default;
    virtual ~CComponentStatistics() = default;

    // Stores both and counts again; a null component counts nothing. A quit request
    // stops the count early, leaving what was counted so far.
    void Update(const CComponent* component, bool includeDefinitions);

    [[nodiscard]] int GetRowCount() const { return m_includeDefinitions ? kRowCount : kLevelRowCount; }
    // Empty for a row outside the row count.
    [[nodiscard]] CString GetRowLabel(int row) const;
    // The top-level count, with withContents plus the count inside components; 0
    // outside the row count.
    [[nodiscard]] std::int64_t GetRowValue(int row, bool withContents) const;

    // The placement list, in name order (code unit by code unit).
    [[nodiscard]] int GetDefinitionEntryCount() const { return static_cast<int>(m_placementRows.size()); }
    // Empty beyond the list.
    [[nodiscard]] CString GetDefinitionName(int index) const;
    // Placements at the top level, with withContents plus those inside components; 0
    // beyond the list.
    [[nodiscard]] std::int64_t GetDefinitionCount(int index, bool withContents) const;

private:
    using Counts = std::array<std::int64_t, kLevelRowCount>;
    using Placements = std::map<CString, std::pair<std::int64_t, std::int64_t>>;
    using PlacementRow = std::pair<CString, std::pair<std::int64_t, std::int64_t>>;
    // What one placement of a definition adds inside components.
    struct Contents
    {
        Counts counts{};
        std::map<CString, std::int64_t> placements;
    };

    void Recount();
    void CountTopLevel(const CComponent& component);
    const Contents& ContentsOf(const CComponentDefinition* definition);

    const CComponent* m_component = nullptr;
    bool m_includeDefinitions = false;
    Counts m_topLevel{};
    Counts m_inside{};
    std::array<std::int64_t, kRowCount - kLevelRowCount> m_singles{};
    // Filled while counting, then laid out in m_placementRows for access by index.
    Placements m_placements;
    std::vector<PlacementRow> m_placementRows;
    // Worked out once per definition, however often it is placed.
    std::map<const CComponentDefinition*, Contents> m_contents;
    // The definitions being worked out: one met again holds itself and is not entered.
    std::set<const CComponentDefinition*> m_walking;
};
