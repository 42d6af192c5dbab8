#include "model/backreferencemap.h"

#include <algorithm>

#include "model/backreferenceiterator.h"
#include "model/entity.h"

void CBackReferenceMap::Add(CEntity* entity, CEntity* referrer)
{
    if (!m_active || entity == nullptr || referrer == nullptr) {
        return;
    }
    Entry& entry = m_entries[entity];
    if (entry.notifying != 0) {
        return;
    }
    entry.referrers.push_back(referrer);
}

void CBackReferenceMap::Remove(CEntity* entity, CEntity* referrer)
{
    if (!m_active || entity == nullptr || referrer == nullptr) {
        return;
    }
    const auto found = m_entries.find(entity);
    if (found == m_entries.end()) {
        return;
    }
    Entry& entry = found->second;
    const auto slot = std::find(entry.referrers.begin(), entry.referrers.end(), referrer);
    if (slot == entry.referrers.end()) {
        return;
    }
    // The notification loop still walks the list by index: keep its length.
    if (entry.notifying != 0) {
        *slot = nullptr;
        return;
    }
    entry.referrers.erase(slot);
    if (entry.referrers.empty()) {
        m_entries.erase(found);
    }
}

bool CBackReferenceMap::Contains(const CEntity* entity) const
{
    return entity != nullptr && m_entries.count(entity) != 0;
}

IEntityIterator* CBackReferenceMap::NewIterator(const CEntity* entity) const
{
    if (!Contains(entity)) {
        return nullptr;
    }
    return new CBackReferenceIterator(*this, entity);
}

const std::vector<CEntity*>* CBackReferenceMap::FindReferrers(const CEntity* entity) const
{
    const auto found = m_entries.find(entity);
    return found == m_entries.end() ? nullptr : &found->second.referrers;
}

void CBackReferenceMap::Notify(CEntity* entity, int code, CEntity* argument)
{
    if (entity == nullptr) {
        return;
    }
    auto found = m_entries.find(entity);
    if (found == m_entries.end() || found->second.notifying != 0) {
        return;
    }
    // A code of 0 would not mark the entry as busy; any nonzero mark will do.
    found->second.notifying = code != 0 ? code : -1;
    const std::size_t count = found->second.referrers.size();
    for (std::size_t i = 0; i < count; ++i) {
        // A referrer's reaction may clear the whole map, and even give the entity a
        // new entry of another length: look the entry up each time, and stop unless it
        // is still the one being told.
        found = m_entries.find(entity);
        if (found == m_entries.end() || found->second.notifying == 0) {
            return;
        }
        CEntity* referrer = found->second.referrers[i];
        if (referrer != nullptr) {
            referrer->OnReferenceChanged(code, entity, argument);
        }
    }
    found = m_entries.find(entity);
    if (found == m_entries.end()) {
        return;
    }
    Entry& entry = found->second;
    entry.notifying = 0;
    std::erase(entry.referrers, nullptr);
    if (entry.referrers.empty()) {
        m_entries.erase(found);
    }
}
