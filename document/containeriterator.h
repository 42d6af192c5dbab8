#pragma once
// CContainerIterator: walks any entity container by position, from the first entity
// to the last. The position is re-checked on every step, so entities removed during
// the walk never leave it reading past the end.

#include "model/entitycontainer.h"

class CContainerIterator : public IEntityIterator
{
public:
    // The container must outlive the iterator.
    explicit CContainerIterator(const IEntityContainer* container);

    void Reset() override;
    bool Next(CEntity*& entity) override;

private:
    const IEntityContainer* m_container;
    int m_position = 0;
};
