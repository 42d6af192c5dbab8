#include "document/componentstatistics.h"

#include <limits>

#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/definitionlist.h"
#include "document/layermanager.h"
#include "document/materialmanager.h"
#include "model/entity.h"
#include "platform/quitrequest.h"

namespace {

// Elements counted between two looks at the quit request.
constexpr std::size_t kQuitPollInterval = 4096;

constexpr const char* kRowLabels[CComponentStatistics::kRowCount] = {
    "Edges",  "Faces",         "Component Instances", "Construction Lines", "Construction Points",
    "Groups", "Images",        "3d Polylines",        "Section Planes",     "Dimensions",
    "Text",   "Component Definitions", "Layers",      "Materials"};

// The row of an entity by its own class: a group or an image is an instance too, but
// counts as what it is. -1 for entities that are not counted.
int RowOf(const CEntity* entity)
{
    switch (entity->GetTypeId()) {
    case kTypeEdge: return CComponentStatistics::kEdges;
    case kTypeFace: return CComponentStatistics::kFaces;
    case kTypeComponentInstance: return CComponentStatistics::kComponentInstances;
    case kTypeConstructionLine: return CComponentStatistics::kConstructionLines;
    case kTypeConstructionPoint: return CComponentStatistics::kConstructionPoints;
    case kTypeGroup: return CComponentStatistics::kGroups;
    case kTypeImage: return CComponentStatistics::kImages;
    case kTypePolyline3d: return CComponentStatistics::kPolylines;
    case kTypeSectionPlane: return CComponentStatistics::kSectionPlanes;
    case kTypeDimension:
    case kTypeDimensionLinear:
    case kTypeDimensionRadial: return CComponentStatistics::kDimensions;
    case kTypeText: return CComponentStatistics::kTexts;
    default: return -1;
    }
}

// Counts multiply with every level of nesting; they stop at the largest value.
void AddSaturated(std::int64_t& total, std::int64_t more)
{
    total = more > std::numeric_limits<std::int64_t>::max() - total ? std::numeric_limits<std::int64_t>::max()
                                                                    : total + more;
}

// The definition whose contents a placed instance or group counts.
const CComponentDefinition* DefinitionOf(const CDrawingElement* element, int row)
{
    if (row != CComponentStatistics::kComponentInstances && row != CComponentStatistics::kGroups) {
        return nullptr;
    }
    return static_cast<const CComponentInstance*>(element)->GetDefinition();
}

}  // namespace

void CComponentStatistics::Update(const CComponent* component, bool includeDefinitions)
{
    m_component = component;
    m_includeDefinitions = includeDefinitions;
    Recount();
    m_placementRows.clear();
    m_placementRows.reserve(m_placements.size());
    while (!m_placements.empty()) {
        auto node = m_placements.extract(m_placements.begin());
        m_placementRows.emplace_back(std::move(node.key()), node.mapped());
    }
}

void CComponentStatistics::Recount()
{
    m_placements.clear();
    m_contents.clear();
    m_walking.clear();
    m_topLevel.fill(0);
    m_inside.fill(0);
    m_singles.fill(0);
    if (m_component == nullptr) {
        return;
    }
    CountTopLevel(*m_component);
    if (!m_includeDefinitions) {
        return;
    }
    if (const CDefinitionList* definitions = m_component->GetDefinitionList()) {
        for (const CComponentDefinition* definition : definitions->GetDefinitions()) {
            m_singles[0] += definition->GetDefinitionType() == 0 ? 1 : 0;
        }
    }
    m_singles[kLayers - kComponentDefinitions] =
        m_component->GetLayerManager() != nullptr ? m_component->GetLayerManager()->GetCount() : 0;
    m_singles[kMaterials - kComponentDefinitions] =
        m_component->GetMaterialManager() != nullptr ? m_component->GetMaterialManager()->GetCount() : 0;
}

void CComponentStatistics::CountTopLevel(const CComponent& component)
{
    std::size_t polled = 0;
    for (const CDrawingElement* element : component.GetEntityList()) {
        if (++polled % kQuitPollInterval == 0 && CQuitRequest::IsRequested()) {
            return;
        }
        const int row = RowOf(element);
        if (row < 0) {
            continue;
        }
        AddSaturated(m_topLevel[static_cast<std::size_t>(row)], 1);
        const CComponentDefinition* definition = DefinitionOf(element, row);
        if (definition == nullptr) {
            continue;
        }
        if (row == kComponentInstances) {
            AddSaturated(m_placements[definition->GetName()].first, 1);
        }
        const Contents& contents = ContentsOf(definition);
        for (std::size_t i = 0; i < m_inside.size(); ++i) {
            AddSaturated(m_inside[i], contents.counts[i]);
        }
        for (const auto& [name, count] : contents.placements) {
            AddSaturated(m_placements[name].second, count);
        }
    }
}

const CComponentStatistics::Contents& CComponentStatistics::ContentsOf(const CComponentDefinition* definition)
{
    static const Contents kNothing;
    if (const auto known = m_contents.find(definition); known != m_contents.end()) {
        return known->second;
    }
    if (!m_walking.insert(definition).second) {
        return kNothing;  // the definition holds itself: its contents are being counted
    }
    Contents contents;
    std::size_t polled = 0;
    for (const CDrawingElement* element : definition->GetEntityList()) {
        if (++polled % kQuitPollInterval == 0 && CQuitRequest::IsRequested()) {
            break;
        }
        const int row = RowOf(element);
        if (row < 0) {
            continue;
        }
        AddSaturated(contents.counts[static_cast<std::size_t>(row)], 1);
        const CComponentDefinition* inner = DefinitionOf(element, row);
        if (inner == nullptr) {
            continue;
        }
        if (row == kComponentInstances) {
            AddSaturated(contents.placements[inner->GetName()], 1);
        }
        const Contents& nested = ContentsOf(inner);
        for (std::size_t i = 0; i < contents.counts.size(); ++i) {
            AddSaturated(contents.counts[i], nested.counts[i]);
        }
        for (const auto& [name, count] : nested.placements) {
            AddSaturated(contents.placements[name], count);
        }
    }
    m_walking.erase(definition);
    return m_contents[definition] = std::move(contents);
}

CString CComponentStatistics::GetRowLabel(int row) const
{
    return row >= 0 && row < GetRowCount() ? CString(kRowLabels[row]) : CString();
}

std::int64_t CComponentStatistics::GetRowValue(int row, bool withContents) const
{
    if (row < 0 || row >= GetRowCount()) {
        return 0;
    }
    if (row >= kLevelRowCount) {
        return m_singles[static_cast<std::size_t>(row - kLevelRowCount)];
    }
    const auto index = static_cast<std::size_t>(row);
    return m_topLevel[index] + (withContents ? m_inside[index] : 0);
}

CString CComponentStatistics::GetDefinitionName(int index) const
{
    if (index < 0 || index >= GetDefinitionEntryCount()) {
        return CString();
    }
    return m_placementRows[static_cast<std::size_t>(index)].first;
}

std::int64_t CComponentStatistics::GetDefinitionCount(int index, bool withContents) const
{
    if (index < 0 || index >= GetDefinitionEntryCount()) {
        return 0;
    }
    const auto& counts = m_placementRows[static_cast<std::size_t>(index)].second;
    return counts.first + (withContents ? counts.second : 0);
}
