#pragma once
// CRelationshipIterator: walks a relationship map by index, so relationships added
// or removed meanwhile never leave it on freed storage.

#include "model/entitycontainer.h"

class CRelationshipMap;

class CRelationshipIterator : public IEntityIterator
{
public:
    // The map must outlive the iterator.
    explicit CRelationshipIterator(const CRelationshipMap& map);

    void Reset() override;
    bool Next(CEntity*& entity) override;

private:
    const CRelationshipMap& m_map;
    int m_index = 0;
};
