#include "model/notinsetmatch.h"

#include "model/entityset.h"

CNotInSetMatch::CNotInSetMatch(const CEntitySet* set) : m_set(set)
{
}

bool CNotInSetMatch::Match(CEntity* entity)
{
    return m_set == nullptr || !m_set->Contains(entity);
}
