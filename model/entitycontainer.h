#pragma once
// The two small interfaces through which every list of entities is walked: components,
// the relationship map, the definition list, the layer, material and font managers
// and the page list all hand out their members this way.

class CEntity;

// Walks a list of entities. Iterators are made on the heap by their container and
// deleted by whoever asked for them.
class IEntityIterator
{
public:
    // Virtual so that deleting through the interface frees the whole iterator.
    virtual ~IEntityIterator() = default;

    // Back to the first entity.
    virtual void Reset() = 0;
    // Hands out the entity at the cursor and advances, answering true; at the end
    // hands out null and answers false (again and again until Reset).
    virtual bool Next(CEntity*& entity) = 0;
};

class IEntityContainer
{
public:
    virtual ~IEntityContainer() = default;

    [[nodiscard]] virtual int GetCount() const = 0;
    [[nodiscard]] virtual bool IsEmpty() const = 0;
    [[nodiscard]] virtual bool Contains(const CEntity* entity) const = 0;
    // Adds the entity; a container that is itself an entity becomes its parent.
    virtual void Add(CEntity* entity) = 0;
    // The entity's parent becomes null; false when it was not held.
    virtual bool Remove(CEntity* entity) = 0;
    // Empties the container without erasing the entities.
    virtual void RemoveAll() = 0;
    // Null for an index below 0 or at or beyond the count; never reads past the end.
    [[nodiscard]] virtual CEntity* GetAt(int index) const = 0;
    // A new iterator at the first entity; the caller deletes it.
    [[nodiscard]] virtual IEntityIterator* NewIterator() = 0;
};
