#pragma once
// Undo for tests: this system records operations but does not replay them, so the
// tests of model operations replay the open operation here to show that what was
// recorded is enough to restore the model. Changed entities exchange their state with
// the saved copy, additions are taken out and removals put back (at the end of their
// container: containers record membership, not position). When the replay ends it
// does all that again, which leaves the model as the operation left it: the operation
// owns what it erased and the model everything else. What the operation made cannot
// be erased after the undo instead: its links lead into the restored entities.

#include <algorithm>
#include <vector>

#include "model/entitycontainer.h"
#include "model/undooperation.h"
#include "model/undorecord.h"
#include "model/undosuspender.h"

namespace undoreplay {

class UndoReplay
{
public:
    explicit UndoReplay(CUndoOperation& operation) : m_operation(operation)
    {
        const CUndoSuspender suspender;
        ExchangeWithSavedCopies();
        const auto& added = operation.GetAddedPairs();
        for (auto it = added.rbegin(); it != added.rend(); ++it) {
            it->second->Remove(it->first);
            m_takenOut.push_back(*it);
        }
        const auto& removed = operation.GetRemovedPairs();
        for (auto it = removed.rbegin(); it != removed.rend(); ++it) {
            it->second->Add(it->first);
            m_putBack.push_back(*it);
        }
    }

    ~UndoReplay()
    {
        const CUndoSuspender suspender;
        for (auto it = m_putBack.rbegin(); it != m_putBack.rend(); ++it) {
            it->second->Remove(it->first);
        }
        for (auto it = m_takenOut.rbegin(); it != m_takenOut.rend(); ++it) {
            it->second->Add(it->first);
        }
        ExchangeWithSavedCopies();
    }

    UndoReplay(const UndoReplay&) = delete;
    UndoReplay& operator=(const UndoReplay&) = delete;

private:
    // Entities the operation made have no earlier state to go back to.
    void ExchangeWithSavedCopies()
    {
        const auto& created = m_operation.GetCreatedEntities();
        for (CEntity* entity : m_operation.GetChangedEntities()) {
            CUndoRecord* record = m_operation.FindRecord(entity);
            if (record != nullptr && record->HasSavedCopy() &&
                std::find(created.begin(), created.end(), entity) == created.end()) {
                entity->SwapData(*record->GetSavedCopy());
            }
        }
    }

    CUndoOperation& m_operation;
    std::vector<CUndoOperation::EntityPair> m_takenOut;
    std::vector<CUndoOperation::EntityPair> m_putBack;
};

}  // namespace undoreplay
