#include "model/entityiterator.h"

#include "model/entityset.h"

CEntityIterator::CEntityIterator(const CEntitySet& set) : m_set(set)
{
}

void CEntityIterator::Reset()
{
    m_started = false;
    m_last = nullptr;
}

bool CEntityIterator::Next(CEntity*& entity)
{
    const auto it = m_started ? m_set.UpperBound(m_last) : m_set.begin();
    if (it == m_set.end()) {
        entity = nullptr;
        return false;
    }
    m_started = true;
    m_last = *it;
    entity = m_last;
    return true;
}
