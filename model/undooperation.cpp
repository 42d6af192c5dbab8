#include "model/undooperation.h"

#include <algorithm>

#include "document/component.h"
#include "model/dblistener.h"
#include "model/entity.h"
#include "model/undomanager.h"
#include "model/undorecord.h"

namespace {

// Every operation made takes the next number, so the first one is 1.
int g_operationCounter = 0;

CComponent* AsComponent(CEntity* entity)
{
    return dynamic_cast<CComponent*>(entity);
}

}  // namespace

CUndoOperation::CUndoOperation(CUndoManager* manager, int nameId, bool joined)
    : m_nameId(nameId), m_sequenceNumber(++g_operationCounter), m_manager(manager), m_joined(joined)
{
}

CUndoOperation::~CUndoOperation()
{
    for (CEntity* entity : m_erased) {
        delete entity;
    }
}

int CUndoOperation::PeekNextSequenceNumber()
{
    return g_operationCounter + 1;
}

void CUndoOperation::RecordChange(CEntity* entity, bool saveState)
{
    if (entity == nullptr) {
        return;
    }
    const auto found = m_records.find(entity);
    if (found != m_records.end()) {
        if (saveState) {
            (void)found->second->GetSavedCopy();
        }
        return;
    }
    m_records.emplace(entity, std::make_unique<CUndoRecord>(entity, saveState));
    if (CComponent* component = AsComponent(entity->GetParent())) {
        m_touchedComponents.Add(component);
    }
}

void CUndoOperation::AddCreated(CEntity* entity)
{
    if (m_manager != nullptr) {
        m_manager->NotifyListeners(kDBCreated, entity);
    }
    m_created.push_back(entity);
    m_createdSet.insert(entity);
}

void CUndoOperation::AddErased(CEntity* entity)
{
    if (entity == nullptr) {
        return;
    }
    if (m_manager != nullptr) {
        m_manager->NotifyListeners(kDBErased, entity);
    }
    if (m_createdSet.count(entity) == 0) {
        // Erasing twice would delete the entity twice when the operation ends.
        if (m_erasedSet.insert(entity).second) {
            m_erased.push_back(entity);
            entity->NegateId();
        }
        return;
    }
    // Born and gone within this operation: nothing of it needs undoing.
    ForgetCreated(entity);
    delete entity;
}

void CUndoOperation::ForgetCreated(CEntity* entity)
{
    if (m_createdSet.erase(entity) != 0) {
        m_created.erase(std::remove(m_created.begin(), m_created.end(), entity), m_created.end());
    }
    const auto record = m_records.find(entity);
    if (record != m_records.end()) {
        m_records.erase(record);
    }
    DropPairsNaming(m_added, entity);
    DropPairsNaming(m_removed, entity);
    if (AsComponent(entity) != nullptr) {
        m_touchedComponents.Remove(entity);
    }
}

void CUndoOperation::RecordAdd(CEntity* entity, IEntityContainer* container)
{
    if (m_manager != nullptr) {
        m_manager->NotifyListeners(kDBAdded, entity, container);
    }
    if (!DropPair(m_removed, {entity, container})) {
        m_added.emplace_back(entity, container);
    }
    TouchContainer(container);
}

void CUndoOperation::RecordRemove(CEntity* entity, IEntityContainer* container)
{
    if (m_manager != nullptr) {
        m_manager->NotifyListeners(kDBRemoved, entity, container);
    }
    if (!DropPair(m_added, {entity, container})) {
        m_removed.emplace_back(entity, container);
    }
    TouchContainer(container);
}

void CUndoOperation::TouchContainer(IEntityContainer* container)
{
    if (auto* component = dynamic_cast<CComponent*>(container)) {
        m_touchedComponents.Add(component);
    }
}

void CUndoOperation::CollectTouchedComponents(CEntitySet& components) const
{
    components.AddAll(m_touchedComponents);
    for (CEntity* entity : m_created) {
        if (AsComponent(entity) != nullptr) {
            components.Add(entity);
        }
    }
}

bool CUndoOperation::IsEmpty() const
{
    return m_records.empty() && m_added.empty() && m_removed.empty() && m_created.empty() &&
           m_erased.empty();
}

CUndoRecord* CUndoOperation::FindRecord(CEntity* entity) const
{
    const auto found = m_records.find(entity);
    return found == m_records.end() ? nullptr : found->second.get();
}

std::vector<CEntity*> CUndoOperation::GetChangedEntities() const
{
    std::vector<CEntity*> entities;
    entities.reserve(m_records.size());
    for (const auto& [entity, record] : m_records) {
        entities.push_back(entity);
    }
    return entities;
}

void CUndoOperation::DropPairsNaming(std::vector<EntityPair>& pairs, const CEntity* entity)
{
    pairs.erase(std::remove_if(pairs.begin(), pairs.end(),
                               [entity](const EntityPair& pair) { return pair.first == entity; }),
                pairs.end());
}

bool CUndoOperation::DropPair(std::vector<EntityPair>& pairs, const EntityPair& pair)
{
    const auto found = std::find(pairs.begin(), pairs.end(), pair);
    if (found == pairs.end()) {
        return false;
    }
    pairs.erase(found);
    return true;
}
