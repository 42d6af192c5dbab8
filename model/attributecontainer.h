#pragma once
// CAttributeContainer: the attributes an entity carries, in the order added. Each slot
// holds one reference on its attribute; the container's parent is its entity and each
// attribute's parent the last container that added it.

#include <vector>

#include "model/entity.h"

class CAttribute;

class CAttributeContainer : public CEntity
{
    DECLARE_SERIAL(CAttributeContainer)

public:
    // Growth of the slot array when one more slot is needed: by count / 8, kept
    // between these bounds, and at least to count + 1.
    static constexpr int kMinGrowth = 4;
    static constexpr int kMaxGrowth = 1024;

    CAttributeContainer();
    // Shares the attribute pointers without taking references: copies are undo
    // snapshots and must not change the counts.
    CAttributeContainer(const CAttributeContainer& other);
    // Releases nothing (see Erase and ReleaseAll).
    ~CAttributeContainer() override;

    // The entity part, then object references to the attributes up to a null
    // reference. Writing skips attributes that are not persistent; format 3000 writes
    // nothing. Reading throws the archive exception on bad input.
    void Serialize(CArchive& ar) override;
    // Records the change, releases every attribute, empties the array, then erases the
    // entity. A container met again while it is being erased is left alone.
    void Erase() override;
    bool CollectDependents(CEntitySet& set) override;
    [[nodiscard]] CEntity* Clone() const override;
    // Exchanges count, capacity and array; with an entity of another class only the
    // entity part.
    void SwapData(CEntity& other) override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;

    // Releases every attribute and empties the array, without recording and without
    // erasing the container.
    virtual void ReleaseAll();

    // Records the change, appends the attribute, makes the container its parent and
    // returns its AddRef result. A null attribute is ignored and answers 0.
    int Add(CAttribute* attribute);
    // Null for an index below 0 or at or beyond the count.
    [[nodiscard]] CAttribute* GetAt(int index) const;
    // The first attribute in array order whose GetTypeId is the id; null when none.
    [[nodiscard]] CAttribute* FindByType(int typeId) const;
    [[nodiscard]] int GetCount() const { return static_cast<int>(m_attributes.size()); }
    [[nodiscard]] int GetCapacity() const { return m_capacity; }

private:
    void Append(CAttribute* attribute);
    void ReleaseSlots();
    void ReadAttributes(CArchive& ar);
    void WriteAttributes(CArchive& ar) const;
    int CheckSlots(int mode, CValidityResultMap* results);

    std::vector<CAttribute*> m_attributes;
    int m_capacity = 0;  // slots allocated, grown by the rule above
    bool m_releasing = false;
};

// Reads an object reference that must be an attribute container (null allowed);
// throws the archive exception badClass for another class.
[[nodiscard]] CAttributeContainer* ReadAttributeContainerObject(CArchive& ar);
