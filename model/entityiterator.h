#pragma once
// CEntityIterator: walks an entity set in its order. The cursor remembers the last
// entity handed out rather than a position in the set, so members added or removed
// while the walk runs never leave it standing on freed storage.

#include "model/entitycontainer.h"

class CEntitySet;

class CEntityIterator : public IEntityIterator
{
public:
    // The set must outlive the iterator.
    explicit CEntityIterator(const CEntitySet& set);

    void Reset() override;
    bool Next(CEntity*& entity) override;

private:
    const CEntitySet& m_set;
    bool m_started = false;
    CEntity* m_last = nullptr;  // the entity handed out last, once started
};
