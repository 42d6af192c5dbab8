#pragma once
// CNotInSetMatch: accepts the entities that a given set does not hold, so that a walk
// can leave out what is being worked on (the definition being copied, for one).

#include "model/entitymatch.h"

class CEntitySet;

class CNotInSetMatch : public IEntityMatch
{
public:
    // The set must outlive the match; a null set holds nothing, so all entities match.
    explicit CNotInSetMatch(const CEntitySet* set);

    [[nodiscard]] bool Match(CEntity* entity) override;

private:
    const CEntitySet* m_set;
};
