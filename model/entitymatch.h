#pragma once
// IEntityMatch: the predicate of a filtered walk over entities.

class CEntity;

class IEntityMatch
{
public:
    virtual ~IEntityMatch() = default;

    [[nodiscard]] virtual bool Match(CEntity* entity) = 0;
    // Hooks a walk may call around a part of it; they do nothing by default.
    virtual void Prepare(CEntity* /*scope*/) {}
    virtual void Finish(CEntity* /*scope*/) {}
};
