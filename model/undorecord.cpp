#include "model/undorecord.h"

#include "model/entity.h"

CUndoRecord::CUndoRecord(CEntity* entity, bool saveNow) : m_entity(entity)
{
    if (saveNow) {
        (void)GetSavedCopy();
    }
}

CEntity* CUndoRecord::GetSavedCopy()
{
    // A class without a clone answers null; asking it again would not change that.
    if (!m_copyMade && m_entity != nullptr) {
        m_savedCopy.reset(m_entity->Clone());
        m_copyMade = true;
    }
    return m_savedCopy.get();
}
