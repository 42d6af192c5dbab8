#pragma once
// CRelationship: a persistent link between two entities of one component. The first
// end is the entity whose shape depends on the link (a face that a glued instance cuts
// into), the second the entity linked to it (the instance). A relationship does not
// own its ends; its parent is the relationship map that holds it.

#include "model/entity.h"

class CRelationship : public CEntity
{
    DECLARE_SERIAL(CRelationship)

public:
    CRelationship();
    CRelationship(CEntity* first, CEntity* second);
    // Both ends copied.
    CRelationship(const CRelationship& other);
    ~CRelationship() override;

    // The entity part, then object references to the first and the second end. Throws
    // the archive exception on bad input.
    void Serialize(CArchive& ar) override;
    [[nodiscard]] CEntity* Clone() const override;
    // Exchanges the ends too; with an entity of another class only the entity part.
    void SwapData(CEntity& other) override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;

    [[nodiscard]] CEntity* GetFirst() const { return m_first; }
    [[nodiscard]] CEntity* GetSecond() const { return m_second; }
    // Each records the change first when the end differs.
    void SetFirst(CEntity* first);
    void SetSecond(CEntity* second);
    // Both ends are the same object (or both null): the link means nothing.
    [[nodiscard]] bool IsSelfLink() const { return m_first == m_second; }

private:
    CEntity* m_first = nullptr;
    CEntity* m_second = nullptr;
};

// Reads an object reference that must be a relationship (null allowed); throws the
// archive exception badClass for another class.
[[nodiscard]] CRelationship* ReadRelationshipObject(CArchive& ar);
