#pragma once
// CDefinitionList: the component definitions held by one component, in order of
// addition. The list owns them, announces additions and removals ("Component Added",
// "Component Removed"), keeps definition names unique, purges definitions that nothing
// places, and writes nested definitions before the definitions that place them.

#include <functional>
#include <set>
#include <unordered_set>
#include <vector>

#include "model/entity.h"
#include "model/entitycontainer.h"
#include "platform/cstring.h"

class CComponentDefinition;
class CInstancePath;

class CDefinitionList : public CEntity, public IEntityContainer
{
    DECLARE_SERIAL(CDefinitionList)

public:
    CDefinitionList();
    // Frees the list; the definitions go with Erase or EraseAll.
    ~CDefinitionList() override;

    // Reads or writes the list record (it has no entity part). Reading skips repeated
    // references and definitions that another list owns already. Throws the archive
    // exception on bad input.
    void Serialize(CArchive& ar) override;
    // Erases the definitions (nested ones after those that place them), then the entity.
    void Erase() override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;

    // IEntityContainer over the definitions.
    [[nodiscard]] int GetCount() const override;
    [[nodiscard]] bool IsEmpty() const override;
    [[nodiscard]] bool Contains(const CEntity* entity) const override;
    // Appends a definition not held yet, becomes its parent and posts "Component Added".
    void Add(CEntity* entity) override;
    // Takes the definition out, clears its parent and posts "Component Removed".
    bool Remove(CEntity* entity) override;
    // Forgets every definition without erasing it or posting.
    void RemoveAll() override;
    // Takes out, in one pass and in order, every definition the test picks, clearing
    // their parents, without erasing them or posting: for a read that is given up,
    // whose definitions were never announced. One Remove per definition would search
    // and shift the list each time. Answers how many went.
    int ForgetWhere(const std::function<bool(const CComponentDefinition*)>& picked);
    [[nodiscard]] CEntity* GetAt(int index) const override;
    [[nodiscard]] IEntityIterator* NewIterator() override;

    [[nodiscard]] CComponentDefinition* GetDefinition(int index) const;
    [[nodiscard]] const std::vector<CComponentDefinition*>& GetDefinitions() const { return m_definitions; }
    // Records the addition while recording, adds, and with touchEntities tells every
    // entity of the definition that it was modified.
    void AddDefinition(CComponentDefinition* definition, bool touchEntities);

    // True when no definition other than exclude has the name, ignoring case.
    [[nodiscard]] bool IsNameUnique(const CString& name, const CComponentDefinition* exclude) const;
    // The name itself when unique (and not forced); else the name's base with "#n".
    void MakeUniqueName(CString& out, const CString& name, bool force, const CComponentDefinition* exclude) const;
    // The same, tested against the name set that RebuildNameSet made.
    void MakeUniqueNameBySet(CString& out, const CString& name, bool force) const;
    void RebuildNameSet();

    // Erases the definition's instances, removes and erases the definition.
    void PurgeDefinition(CComponentDefinition* definition);
    // Removes and erases definitions without instances (with typedOnly, of a type
    // other than 0 only) until none is left.
    void PurgeUnused(bool typedOnly);
    // Purges empty definitions that no instance of the path places.
    void PurgeEmptyDefinitions(const CInstancePath& keep);
    // Erases, pass after pass, every definition without instances, then the
    // definitions that only place one another (after their instances); definitions
    // placed from elsewhere stay. With thenRemoveAll the list is emptied afterwards.
    void EraseAll(bool thenRemoveAll);

    // The definitions in the order they are written: nested definitions first; those
    // that cannot be placed in that order (placed by a component outside the list, or
    // caught in a cycle) follow in list order, so that every definition is written.
    [[nodiscard]] std::vector<CComponentDefinition*> GetWriteOrder() const;
    void SetSortOnWrite(bool sort) { m_sortOnWrite = sort; }

private:
    void ReadRecord(CArchive& ar);
    void WriteRecord(CArchive& ar) const;
    void RemoveRecorded(CComponentDefinition* definition);
    // The passes of EraseAll: erases definitions without instances until none is left.
    void EraseUnplaced(std::unordered_set<const CComponentDefinition*>& erased);
    // The definitions not erased yet whose instances all lie in one another, in list
    // order: no component outside them places them, directly or through a nesting.
    [[nodiscard]] std::vector<CComponentDefinition*> FindPlacedOnlyByOneAnother(
        const std::unordered_set<const CComponentDefinition*>& erased) const;
    template <typename IsUnique>
    static void BuildUniqueName(CString& out, const CString& name, bool force, IsUnique isUnique);

    std::vector<CComponentDefinition*> m_definitions;
    bool m_sortOnWrite = true;
    std::set<CString> m_nameSet;
};
