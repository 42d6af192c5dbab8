#pragma once
// CMaterialIterator: walks a material manager's materials in order, passing over the
// hidden (internal) ones unless asked to include them.

#include "model/entitycontainer.h"

class CMaterialManager;

class CMaterialIterator : public IEntityIterator
{
public:
    // The manager must outlive the iterator.
    CMaterialIterator(const CMaterialManager* manager, bool includeHidden);

    void Reset() override;
    bool Next(CEntity*& entity) override;

private:
    const CMaterialManager* m_manager;
    int m_position = 0;
    bool m_includeHidden;
};
