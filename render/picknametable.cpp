#include "render/picknametable.h"

namespace {

// Even names 2 .. 0xFFFFFFFE.
constexpr std::size_t kMaxEntities = 0x7FFFFFFF;

}  // namespace

void CPickNameTable::Clear()
{
    m_entities.clear();
    m_names.clear();
}

std::uint32_t CPickNameTable::GetName(CEntity* entity)
{
    if (entity == nullptr) {
        return kNoName;
    }
    const auto found = m_names.find(entity);
    if (found != m_names.end()) {
        return found->second;
    }
    if (m_entities.size() >= kMaxEntities) {
        return kNoName;
    }
    m_entities.push_back(entity);
    const auto name = static_cast<std::uint32_t>(m_entities.size() * 2);
    m_names.emplace(entity, name);
    return name;
}

CEntity* CPickNameTable::FindEntity(std::uint32_t name) const
{
    if (name == kNoName || IsSubElementName(name)) {
        return nullptr;
    }
    const std::size_t index = name / 2 - 1;
    return index < m_entities.size() ? m_entities[index] : nullptr;
}

std::uint32_t CPickNameTable::GetSubElementName(int index)
{
    return static_cast<std::uint32_t>(index) * 2u + 1u;
}

int CPickNameTable::GetSubElementIndex(std::uint32_t name)
{
    return IsSubElementName(name) ? static_cast<int>(name / 2) : -1;
}
