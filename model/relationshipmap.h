#pragma once
// CRelationshipMap: the relationships among the entities of one component, in the
// order added. Every component owns one; the map owns its relationships and erases
// them, it never deletes them.

#include <vector>

#include "model/entity.h"
#include "model/entitycontainer.h"

class CRelationship;

class CRelationshipMap : public CEntity, public IEntityContainer
{
    DECLARE_SERIAL(CRelationshipMap)

public:
    // Far more than any component holds; a larger count in a file means damage.
    static constexpr std::int32_t kMaxRelationships = 16 * 1024 * 1024;

    CRelationshipMap();
    // Frees the vector only: the relationships go with Erase.
    ~CRelationshipMap() override;

    CRelationshipMap(const CRelationshipMap&) = delete;
    CRelationshipMap& operator=(const CRelationshipMap&) = delete;

    // The entity part, an int32 count and that many relationship references. Reading
    // drops null references, repeats, and relationships whose ends are the same
    // object (these are deleted when the archive closes, since a later reference may
    // still name them). Throws the archive exception on bad input.
    void Serialize(CArchive& ar) override;
    // Erases every relationship in order, empties the vector, then erases the map.
    void Erase() override;
    // A map cannot be copied: null.
    [[nodiscard]] CEntity* Clone() const override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;

    [[nodiscard]] int GetCount() const override;
    [[nodiscard]] bool IsEmpty() const override;
    [[nodiscard]] bool Contains(const CEntity* entity) const override;
    // Appends a relationship not yet held, becomes its parent and tells a drawing
    // element at its first end that its geometry changed. Other entities are ignored.
    void Add(CEntity* entity) override;
    // Removes it keeping the order of the rest, clears its parent and tells a drawing
    // element at its first end; false when it was not held.
    bool Remove(CEntity* entity) override;
    // Frees the vector without erasing or detaching the relationships.
    void RemoveAll() override;
    [[nodiscard]] CEntity* GetAt(int index) const override;
    [[nodiscard]] IEntityIterator* NewIterator() override;

    // Records the add in the open undo operation, then Add.
    void AddRelationship(CRelationship* relationship);
    // Erases every relationship. Without freeVector the vector keeps the erased
    // pointers, and the caller must empty it before the map is used again.
    void EraseAll(bool freeVector);
    // Append the relationships whose first (second) end is the entity, in map order;
    // answer how many.
    int FindByFirst(const CEntity* entity, std::vector<CRelationship*>& out) const;
    int FindBySecond(const CEntity* entity, std::vector<CRelationship*>& out) const;
    // Removes and erases every relationship with the entity at either end, recording
    // each removal in the open undo operation.
    void RemoveEntity(const CEntity* entity);
    // Every end that is the old entity becomes the new one, recorded per change.
    void ReplaceEntity(const CEntity* oldEntity, CEntity* newEntity);

    [[nodiscard]] CRelationship* GetRelationship(int index) const;

private:
    void ReadRelationships(CArchive& ar);
    void WriteRelationships(CArchive& ar) const;
    int CheckSlots(int mode, CValidityResultMap* results);

    std::vector<CRelationship*> m_relationships;
};
