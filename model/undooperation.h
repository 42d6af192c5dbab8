#pragma once
// CUndoOperation: one user action as the undo manager records it: the entities it
// changed (each with a copy of its earlier state), created and erased, what it added
// to containers and removed from them, and the components it touched. Entities report
// here through the current manager's open operation (CEntity::RecordChange, the entity
// constructor and CEntity::Erase); containers report their adds and removes.

#include <map>
#include <memory>
#include <unordered_set>
#include <utility>
#include <vector>

#include "model/entityset.h"

class CEntity;
class CUndoManager;
class CUndoRecord;
class IEntityContainer;

class CUndoOperation
{
public:
    using EntityPair = std::pair<CEntity*, IEntityContainer*>;

    // Takes the next sequence number (the first operation made is 1). The manager may
    // be null for an operation that tells no listeners.
    CUndoOperation(CUndoManager* manager, int nameId, bool joined);
    // Deletes the change records (with their saved copies) and the erased entities,
    // which the operation owns; created entities are not deleted.
    virtual ~CUndoOperation();

    CUndoOperation(const CUndoOperation&) = delete;
    CUndoOperation& operator=(const CUndoOperation&) = delete;

    // Called by an entity before it changes. The first call makes the entity's record
    // (with a saved copy when saveState is set); a later call with saveState makes the
    // copy if the record has none yet.
    void RecordChange(CEntity* entity, bool saveState);
    // A new entity: the listeners hear it and it is kept as created.
    void AddCreated(CEntity* entity);
    // An erased entity. One created in this same operation is deleted at once and
    // forgotten (the two cancel); any other becomes owned by the operation and its id
    // is negated. The caller must not use the entity afterwards.
    void AddErased(CEntity* entity);
    // An add cancels a remove of the same pair in this operation, and the other way round.
    void RecordAdd(CEntity* entity, IEntityContainer* container);
    void RecordRemove(CEntity* entity, IEntityContainer* container);

    // Adds the touched components and every created entity that is a component.
    void CollectTouchedComponents(CEntitySet& components) const;
    // No change record, no added or removed pair, no created or erased entity.
    [[nodiscard]] bool IsEmpty() const;

    [[nodiscard]] int GetNameId() const { return m_nameId; }
    [[nodiscard]] int GetSequenceNumber() const { return m_sequenceNumber; }
    [[nodiscard]] CUndoManager* GetManager() const { return m_manager; }
    [[nodiscard]] bool IsJoined() const { return m_joined; }
    void SetJoined(bool joined) { m_joined = joined; }
    [[nodiscard]] int GetCommitFlags() const { return m_commitFlags; }
    void SetCommitFlags(int flags) { m_commitFlags = flags; }

    // The record of an entity, or null when the operation has none.
    [[nodiscard]] CUndoRecord* FindRecord(CEntity* entity) const;
    // The changed entities in the order of their addresses.
    [[nodiscard]] std::vector<CEntity*> GetChangedEntities() const;
    [[nodiscard]] const std::vector<CEntity*>& GetCreatedEntities() const { return m_created; }
    [[nodiscard]] const std::vector<CEntity*>& GetErasedEntities() const { return m_erased; }
    [[nodiscard]] const std::vector<EntityPair>& GetAddedPairs() const { return m_added; }
    [[nodiscard]] const std::vector<EntityPair>& GetRemovedPairs() const { return m_removed; }
    [[nodiscard]] const CEntitySet& GetTouchedComponents() const { return m_touchedComponents; }

    // The sequence number the next operation will take (for tests and the log).
    [[nodiscard]] static int PeekNextSequenceNumber();

private:
    void TouchContainer(IEntityContainer* container);
    void ForgetCreated(CEntity* entity);
    static void DropPairsNaming(std::vector<EntityPair>& pairs, const CEntity* entity);
    // True when a matching pair was found and dropped.
    static bool DropPair(std::vector<EntityPair>& pairs, const EntityPair& pair);

    int m_nameId;
    int m_sequenceNumber;
    CUndoManager* m_manager;
    std::map<CEntity*, std::unique_ptr<CUndoRecord>> m_records;
    std::vector<EntityPair> m_added;
    std::vector<EntityPair> m_removed;
    std::vector<CEntity*> m_created;
    std::vector<CEntity*> m_erased;
    // The same entities for lookups: a merge erases thousands in one operation.
    std::unordered_set<const CEntity*> m_createdSet;
    std::unordered_set<const CEntity*> m_erasedSet;
    bool m_joined;
    int m_commitFlags = 0;
    CEntitySet m_touchedComponents;
};
