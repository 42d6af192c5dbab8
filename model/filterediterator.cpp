#include "model/filterediterator.h"

#include "model/entitymatch.h"

CFilteredIterator::CFilteredIterator(IEntityIterator* inner, IEntityMatch* match)
    : m_inner(inner), m_match(match)
{
}

CFilteredIterator::~CFilteredIterator()
{
    delete m_inner;
}

void CFilteredIterator::Reset()
{
    if (m_inner != nullptr) {
        m_inner->Reset();
    }
}

bool CFilteredIterator::Next(CEntity*& entity)
{
    entity = nullptr;
    if (m_inner == nullptr) {
        return false;
    }
    CEntity* candidate = nullptr;
    while (m_inner->Next(candidate)) {
        if (m_match == nullptr || m_match->Match(candidate)) {
            entity = candidate;
            return true;
        }
    }
    return false;
}
