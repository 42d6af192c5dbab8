#pragma once
// CFilteredIterator: the entities of another iterator that a match accepts, in the
// other iterator's order.

#include "model/entitycontainer.h"

class IEntityMatch;

class CFilteredIterator : public IEntityIterator
{
public:
    // Takes the inner iterator over (it is deleted with this one; null walks nothing).
    // The match stays the caller's and must outlive the iterator; without one every
    // entity is accepted.
    CFilteredIterator(IEntityIterator* inner, IEntityMatch* match);
    ~CFilteredIterator() override;

    CFilteredIterator(const CFilteredIterator&) = delete;
    CFilteredIterator& operator=(const CFilteredIterator&) = delete;

    void Reset() override;
    // The next accepted entity; null and false once the inner iterator ends.
    bool Next(CEntity*& entity) override;

private:
    IEntityIterator* m_inner;
    IEntityMatch* m_match;
};
