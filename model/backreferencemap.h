#pragma once
// CBackReferenceMap: which entities refer to an entity in ways the topology does not
// express (texts and dimensions attached to edges and vertices, curves, relationships).
// When the entity changes, merges or is erased its referrers are told through
// OnReferenceChanged. The model owns one map.

#include <cstdint>
#include <map>
#include <vector>

class CEntity;
class IEntityIterator;

class CBackReferenceMap
{
public:
    CBackReferenceMap() = default;
    CBackReferenceMap(const CBackReferenceMap&) = delete;
    CBackReferenceMap& operator=(const CBackReferenceMap&) = delete;

    // Records that the referrer refers to the entity; a referrer added twice is listed
    // twice. Nothing while inactive, for null pointers, or while the entity's referrers
    // are being told.
    void Add(CEntity* entity, CEntity* referrer);
    // Drops the first record of the referrer; an entity left without referrers loses
    // its entry. While the entity's referrers are being told the slot is only cleared.
    // Nothing while inactive or for null pointers.
    void Remove(CEntity* entity, CEntity* referrer);
    [[nodiscard]] bool Contains(const CEntity* entity) const;
    // A new iterator over the entity's referrers, reading the list as it stands at each
    // step; null when the entity has none. The caller deletes it.
    [[nodiscard]] IEntityIterator* NewIterator(const CEntity* entity) const;
    // Tells every referrer of the entity, in the order added. Notifications of one
    // entity do not nest: a referrer that notifies the same entity again is ignored.
    void Notify(CEntity* entity, int code, CEntity* argument);

    // Add and Remove do nothing while the map is inactive; it is active when made.
    [[nodiscard]] bool IsActive() const { return m_active; }
    void SetActive(bool active) { m_active = active; }

    // The referrer slots of the entity as they stand (null slots included while a
    // notification runs); null when the entity has no entry.
    [[nodiscard]] const std::vector<CEntity*>* FindReferrers(const CEntity* entity) const;
    [[nodiscard]] int GetEntryCount() const { return static_cast<int>(m_entries.size()); }
    void RemoveAll() { m_entries.clear(); }

private:
    struct Entry
    {
        std::int32_t notifying = 0;  // the code being sent, 0 when idle
        std::vector<CEntity*> referrers;
    };

    std::map<const CEntity*, Entry> m_entries;
    bool m_active = true;
};
