#include "model/relationshipiterator.h"

#include "model/relationshipmap.h"

CRelationshipIterator::CRelationshipIterator(const CRelationshipMap& map) : m_map(map)
{
}

void CRelationshipIterator::Reset()
{
    m_index = 0;
}

bool CRelationshipIterator::Next(CEntity*& entity)
{
    entity = m_map.GetAt(m_index);
    if (entity == nullptr) {
        return false;
    }
    ++m_index;
    return true;
}
