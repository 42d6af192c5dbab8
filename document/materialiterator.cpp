#include "document/materialiterator.h"

#include "document/material.h"
#include "document/materialmanager.h"

CMaterialIterator::CMaterialIterator(const CMaterialManager* manager, bool includeHidden)
    : m_manager(manager), m_includeHidden(includeHidden)
{
}

void CMaterialIterator::Reset()
{
    m_position = 0;
}

bool CMaterialIterator::Next(CEntity*& entity)
{
    while (CEntity* candidate = m_manager->GetAt(m_position)) {
        ++m_position;
        const auto* material = static_cast<const CMaterial*>(candidate);
        if (m_includeHidden || !material->IsHidden()) {
            entity = candidate;
            return true;
        }
    }
    entity = nullptr;
    return false;
}
