#pragma once
// CUndoRecord: what an undo operation keeps for one changed entity: the entity and a
// copy of its state from before its first change in that operation, so that undo and
// redo can exchange the two (CEntity::SwapData).

#include <memory>

#include "model/entity.h"

class CUndoRecord
{
public:
    // With saveNow the copy is made at once by the entity's clone operation.
    CUndoRecord(CEntity* entity, bool saveNow);
    // Deletes the saved copy (never the entity).
    virtual ~CUndoRecord() = default;

    CUndoRecord(const CUndoRecord&) = delete;
    CUndoRecord& operator=(const CUndoRecord&) = delete;

    [[nodiscard]] CEntity* GetEntity() const { return m_entity; }
    // The copy, made on the first request; later requests return the same copy. Null
    // for an entity whose class makes no clone.
    CEntity* GetSavedCopy();
    [[nodiscard]] bool HasSavedCopy() const { return m_savedCopy != nullptr; }

private:
    CEntity* m_entity;
    std::unique_ptr<CEntity> m_savedCopy;
    bool m_copyMade = false;
};
