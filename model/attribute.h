#pragma once
// CAttribute: the base of everything an entity can carry in its attribute container.
// An attribute may be shared by several containers; its reference count says how many
// hold it, and the attribute erases itself when the last one lets go.

#include <cstdint>

#include "model/entity.h"

class CAttribute : public CEntity
{
    DECLARE_SERIAL(CAttribute)

public:
    // Word 0, no references.
    CAttribute();
    // Takes over the word; a copy starts with no references (snapshots and clones).
    CAttribute(const CAttribute& other);
    ~CAttribute() override;

    // The entity part, then the word. Format 3000 writes nothing. Throws the archive
    // exception on bad input.
    void Serialize(CArchive& ar) override;
    void Erase() override;
    [[nodiscard]] CEntity* Clone() const override;
    // Exchanges word and count; with an entity of another class only the entity part.
    void SwapData(CEntity& other) override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;

    // Records the change and adds a holder; returns the new count.
    virtual int AddRef();
    // Records the change and drops a holder (never below 0). At 0 the attribute erases
    // itself and must not be used again; the answer is then 0.
    virtual int Release();
    [[nodiscard]] virtual int GetRefCount() const;
    // Clone as an attribute; null when the clone is not one.
    [[nodiscard]] virtual CAttribute* CloneAttribute() const;
    // Whether the container writes the attribute into the file.
    [[nodiscard]] virtual bool IsPersistent() const;
    // Whether this is the named dictionary of that name.
    [[nodiscard]] virtual bool IsNamed(const CString& name) const;

    [[nodiscard]] std::int32_t GetWord() const { return m_word; }
    // Records the change first when the value differs.
    void SetWord(std::int32_t word);

private:
    std::int32_t m_word = 0;
    std::int32_t m_refCount = 0;
};

// CloneAttribute, with the clone registered as created in the open undo operation and
// numbered like a new entity. Null for a null attribute or when the clone fails.
[[nodiscard]] CAttribute* CloneRegistered(const CAttribute* attribute);

// Reads an object reference that must be an attribute (null allowed); throws the
// archive exception badClass for another class.
[[nodiscard]] CAttribute* ReadAttributeObject(CArchive& ar);
