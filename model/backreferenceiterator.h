#pragma once
// CBackReferenceIterator: walks the referrers of one entity in a back-reference map.
// It looks the entity's list up again at every step, so referrers added or removed
// while it runs, or the entry vanishing, never leave it reading freed storage.

#include <cstddef>

#include "model/entitycontainer.h"

class CBackReferenceMap;

class CBackReferenceIterator : public IEntityIterator
{
public:
    // The map must outlive the iterator.
    CBackReferenceIterator(const CBackReferenceMap& map, const CEntity* entity);

    void Reset() override;
    // Hands out the referrers in order, passing over slots cleared while a notification
    // runs; false at the end of the list.
    bool Next(CEntity*& entity) override;

private:
    const CBackReferenceMap& m_map;
    const CEntity* m_entity;
    std::size_t m_index = 0;
};
