#include "model/backreferenceiterator.h"

#include "model/backreferencemap.h"

CBackReferenceIterator::CBackReferenceIterator(const CBackReferenceMap& map, const CEntity* entity)
    : m_map(map)
    , m_entity(entity)
{
}

void CBackReferenceIterator::Reset()
{
    m_index = 0;
}

bool CBackReferenceIterator::Next(CEntity*& entity)
{
    const std::vector<CEntity*>* referrers = m_map.FindReferrers(m_entity);
    while (referrers != nullptr && m_index < referrers->size()) {
        CEntity* referrer = (*referrers)[m_index];
        ++m_index;
        if (referrer != nullptr) {
            entity = referrer;
            return true;
        }
    }
    entity = nullptr;
    return false;
}
