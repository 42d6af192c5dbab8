#pragma once
// Undo for tests: this system records operations but does not replay them, so the
// tests of model operations replay the open operation here to show that what was
// recorded is enough to restore the model. Changed entities exchange their state with
// the saved copy, additions are taken out and removals put back (at the end of their
// container: containers record membership, not position). When the replay ends, what
// it put back is taken out again and what the operation made is erased, so that the
// operation alone owns its erased entities, as it does after a real undo and commit.

#include <vector>

#include "model/edge.h"
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
        const auto& created = operation.GetCreatedEntities();
        for (CEntity* entity : operation.GetChangedEntities()) {
            CUndoRecord* record = operation.FindRecord(entity);
            CEntity* saved = record != nullptr ? record->GetSavedCopy() : nullptr;
            if (saved != nullptr && std::find(created.begin(), created.end(), entity) == created.end()) {
                entity->SwapData(*saved);
            }
        }
        const auto& added = operation.GetAddedPairs();
        for (auto it = added.rbegin(); it != added.rend(); ++it) {
            it->second->Remove(it->first);
            m_takenOut.push_back(it->first);
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
        for (const auto& [entity, container] : m_putBack) {
            container->Remove(entity);
        }
        // Faces before edges: a face's loops let go of the edges it uses.
        std::vector<CEntity*> edges;
        for (CEntity* entity : m_takenOut) {
            if (!IsCreated(entity)) {
                continue;
            }
            if (dynamic_cast<CEdge*>(entity) != nullptr) {
                edges.push_back(entity);
            } else {
                entity->Erase();
            }
        }
        for (CEntity* edge : edges) {
            edge->Erase();
        }
    }

    UndoReplay(const UndoReplay&) = delete;
    UndoReplay& operator=(const UndoReplay&) = delete;

private:
    [[nodiscard]] bool IsCreated(const CEntity* entity) const
    {
        const auto& created = m_operation.GetCreatedEntities();
        return std::find(created.begin(), created.end(), entity) != created.end();
    }

    CUndoOperation& m_operation;
    std::vector<CEntity*> m_takenOut;
    std::vector<CUndoOperation::EntityPair> m_putBack;
};

}  // namespace undoreplay
