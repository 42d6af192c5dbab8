#include "document/containeriterator.h"

CContainerIterator::CContainerIterator(const IEntityContainer* container) : m_container(container)
{
}

void CContainerIterator::Reset()
{
    m_position = 0;
}

bool CContainerIterator::Next(CEntity*& entity)
{
    entity = m_container->GetAt(m_position);
    if (entity == nullptr) {
        return false;
    }
    ++m_position;
    return true;
}
