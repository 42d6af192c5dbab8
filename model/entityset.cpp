#include "model/entityset.h"

#include "model/entityiterator.h"

CEntitySet& CEntitySet::operator=(const CEntitySet& other)
{
    if (this != &other) {
        m_entities.clear();
        m_entities.insert(other.m_entities.begin(), other.m_entities.end());
    }
    return *this;
}

CEntitySet::~CEntitySet() = default;

bool CEntitySet::Add(CEntity* entity)
{
    return m_entities.insert(entity).second;
}

void CEntitySet::AddAll(const CEntitySet& other)
{
    if (this != &other) {
        m_entities.insert(other.m_entities.begin(), other.m_entities.end());
    }
}

void CEntitySet::AddVector(const std::vector<CEntity*>& entities)
{
    m_entities.insert(entities.begin(), entities.end());
}

bool CEntitySet::Remove(CEntity* entity)
{
    return m_entities.erase(entity) > 0;
}

void CEntitySet::RemoveSet(const CEntitySet& other)
{
    if (this == &other) {
        m_entities.clear();
        return;
    }
    for (CEntity* entity : other.m_entities) {
        m_entities.erase(entity);
    }
}

void CEntitySet::RemoveVector(const std::vector<CEntity*>& entities)
{
    for (CEntity* entity : entities) {
        m_entities.erase(entity);
    }
}

bool CEntitySet::Contains(const CEntity* entity) const
{
    return m_entities.find(entity) != m_entities.end();
}

int CEntitySet::ToVector(std::vector<CEntity*>& out) const
{
    if (m_entities.empty()) {
        return 0;
    }
    out.reserve(out.size() + m_entities.size());
    out.insert(out.end(), m_entities.begin(), m_entities.end());
    return GetCount();
}

IEntityIterator* CEntitySet::NewIterator() const
{
    return new CEntityIterator(*this);
}

CEntitySet::const_iterator CEntitySet::UpperBound(const CEntity* entity) const
{
    return m_entities.upper_bound(entity);
}
