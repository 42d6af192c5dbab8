#pragma once
// CEntitySet: the ordered set of entity pointers used wherever entities are collected
// (dependents of a copy, touched components, the selection). Ordered by address, no
// duplicates; the set never owns the entities it names.

#include <functional>
#include <set>
#include <vector>

class CEntity;
class IEntityIterator;

class CEntitySet
{
public:
    using Storage = std::set<CEntity*, std::less<>>;
    using const_iterator = Storage::const_iterator;

    CEntitySet() = default;
    CEntitySet(const CEntitySet& other) = default;
    CEntitySet& operator=(const CEntitySet& other);
    virtual ~CEntitySet();

    // True when the entity was not there yet. Null is held like any other pointer.
    bool Add(CEntity* entity);
    void AddAll(const CEntitySet& other);
    void AddVector(const std::vector<CEntity*>& entities);
    // True when the entity was there.
    bool Remove(CEntity* entity);
    void RemoveSet(const CEntitySet& other);
    void RemoveVector(const std::vector<CEntity*>& entities);
    void RemoveAll() { m_entities.clear(); }

    [[nodiscard]] bool Contains(const CEntity* entity) const;
    [[nodiscard]] int GetCount() const { return static_cast<int>(m_entities.size()); }
    [[nodiscard]] bool IsEmpty() const { return m_entities.empty(); }

    // Appends the members in set order and answers how many; an empty set leaves the
    // vector untouched (not even reserved) and answers 0.
    int ToVector(std::vector<CEntity*>& out) const;
    // A new iterator at the first member; the caller deletes it.
    [[nodiscard]] IEntityIterator* NewIterator() const;

    [[nodiscard]] const_iterator begin() const { return m_entities.begin(); }
    [[nodiscard]] const_iterator end() const { return m_entities.end(); }
    // The first member after the given pointer in set order; end() when none.
    [[nodiscard]] const_iterator UpperBound(const CEntity* entity) const;

private:
    Storage m_entities;
};
