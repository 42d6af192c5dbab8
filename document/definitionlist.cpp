#include "document/definitionlist.h"

#include <algorithm>
#include <memory>
#include <unordered_set>

#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/containeriterator.h"
#include "document/instancepath.h"
#include "foundation/notificationcenter.h"
#include "model/entitylist.h"
#include "model/undooperation.h"
#include "model/undosuspender.h"
#include "model/validitylog.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CDefinitionList, CEntity, VERSIONABLE_SCHEMA | 0)

namespace {

CUndoOperation* RecordingOperation(const CEntity* entity)
{
    return IsRecordingChanges() ? entity->GetUndoOperation() : nullptr;
}

CComponentDefinition* AsDefinition(const CEntity* entity)
{
    return dynamic_cast<CComponentDefinition*>(const_cast<CEntity*>(entity));
}

bool IsDecimalDigit(char16_t ch)
{
    return ch >= u'0' && ch <= u'9';
}

// The part of a name that numbers are appended to: a trailing "#digits" is dropped
// when the '#' is not the first character.
CString UniqueNameBase(const CString& name)
{
    const int hash = name.ReverseFind(u'#');
    if (hash <= 0) {
        return name;
    }
    for (int i = hash + 1; i < name.GetLength(); ++i) {
        if (!IsDecimalDigit(name[i])) {
            return name;
        }
    }
    int end = name.GetLength();
    while (end > 0 && IsDecimalDigit(name[end - 1])) {
        --end;
    }
    while (end > 0 && name[end - 1] == u'#') {
        --end;
    }
    return name.Left(end);
}

CString UpperCase(CString text)
{
    text.MakeUpper();
    return text;
}

}  // namespace

CDefinitionList::CDefinitionList() = default;

CDefinitionList::~CDefinitionList() = default;

void CDefinitionList::Serialize(CArchive& ar)
{
    if (ar.IsLoading()) {
        ReadRecord(ar);
    } else {
        WriteRecord(ar);
    }
}

void CDefinitionList::ReadRecord(CArchive& ar)
{
    const std::int32_t count = ReadReferenceCount(ar);
    m_definitions.clear();
    std::unordered_set<const CComponentDefinition*> seen;
    for (std::int32_t i = 0; i < count; ++i) {
        CComponentDefinition* definition = ReadComponentDefinitionObject(ar);
        if (definition == nullptr || !seen.insert(definition).second) {
            continue;
        }
        // A definition that another list owns already would be erased twice.
        if (definition->GetParent() != nullptr && definition->GetParent() != this) {
            continue;
        }
        m_definitions.push_back(definition);
        definition->SetParent(this);
    }
}

void CDefinitionList::WriteRecord(CArchive& ar) const
{
    ar << static_cast<std::int32_t>(m_definitions.size());
    if (m_definitions.empty()) {
        return;
    }
    const bool sorted = m_sortOnWrite && dynamic_cast<const CComponent*>(GetParent()) != nullptr;
    for (const CComponentDefinition* definition : sorted ? GetWriteOrder() : m_definitions) {
        ar.WriteObject(definition);
    }
}

std::vector<CComponentDefinition*> CDefinitionList::GetWriteOrder() const
{
    std::unordered_set<const CEntity*> placed{GetParent()};
    std::vector<std::vector<CComponentDefinition*>> passes;
    std::vector<CComponentDefinition*> work = m_definitions;
    for (;;) {
        std::vector<CComponentDefinition*> passPlaced;
        std::vector<CComponentDefinition*> rest;
        for (CComponentDefinition* definition : work) {
            const auto& instances = definition->GetInstances();
            const bool placeable = std::all_of(instances.begin(), instances.end(), [&](const CComponentInstance* instance) {
                const auto* holder = dynamic_cast<const CComponent*>(instance->GetParent());
                return holder == nullptr || placed.count(holder) != 0;
            });
            (placeable ? passPlaced : rest).push_back(definition);
        }
        if (passPlaced.empty()) {
            break;
        }
        placed.insert(passPlaced.begin(), passPlaced.end());
        passes.push_back(std::move(passPlaced));
        work = std::move(rest);
    }
    // The last pass first; each keeps the list's order, so that a list read back from the
    // save is written the same way again.
    std::vector<CComponentDefinition*> order;
    for (auto pass = passes.rbegin(); pass != passes.rend(); ++pass) {
        order.insert(order.end(), pass->begin(), pass->end());
    }
    // The count is written first, so the ones left over must follow.
    order.insert(order.end(), work.begin(), work.end());
    return order;
}

void CDefinitionList::Erase()
{
    EraseAll(false);
    CEntity::Erase();
}

int CDefinitionList::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartValidityCheck(this, RUNTIME_CLASS(CDefinitionList), results, result)) {
        return result;
    }
    result = CEntity::CheckValidity(mode, results);
    RebuildNameSet();
    for (const CComponentDefinition* definition : m_definitions) {
        if (dynamic_cast<const CComponentDefinition*>(static_cast<const CEntity*>(definition)) == nullptr) {
            AppendValidityMessage("%s holds an entry that is no component definition", GetEntityLabel(this));
            result = kValidityBroken;
        }
    }
    return SetCheckResult(result, results);
}

int CDefinitionList::GetTypeId() const
{
    return kTypeDefinitionList;
}

int CDefinitionList::GetCount() const
{
    return static_cast<int>(m_definitions.size());
}

bool CDefinitionList::IsEmpty() const
{
    return GetCount() <= 0;
}

bool CDefinitionList::Contains(const CEntity* entity) const
{
    return ListContains(m_definitions, AsDefinition(entity));
}

void CDefinitionList::Add(CEntity* entity)
{
    CComponentDefinition* definition = AsDefinition(entity);
    if (definition == nullptr || Contains(definition)) {
        return;
    }
    definition->SetParent(this);
    m_definitions.push_back(definition);
    GetNotificationCenter().Post(kComponentAddedNotification, definition);
}

bool CDefinitionList::Remove(CEntity* entity)
{
    CComponentDefinition* definition = AsDefinition(entity);
    const auto found = std::find(m_definitions.begin(), m_definitions.end(), definition);
    if (definition == nullptr || found == m_definitions.end()) {
        return false;
    }
    m_definitions.erase(found);
    definition->SetParent(nullptr);
    GetNotificationCenter().Post(kComponentRemovedNotification, definition);
    return true;
}

void CDefinitionList::RemoveAll()
{
    m_definitions.clear();
}

int CDefinitionList::ForgetWhere(const std::function<bool(const CComponentDefinition*)>& picked)
{
    const auto kept = std::stable_partition(m_definitions.begin(), m_definitions.end(),
                                            [&picked](const CComponentDefinition* definition) {
                                                return !picked(definition);
                                            });
    for (auto it = kept; it != m_definitions.end(); ++it) {
        (*it)->SetParent(nullptr);
    }
    const auto forgotten = static_cast<int>(m_definitions.end() - kept);
    m_definitions.erase(kept, m_definitions.end());
    return forgotten;
}

CEntity* CDefinitionList::GetAt(int index) const
{
    return ListAt(m_definitions, index);
}

IEntityIterator* CDefinitionList::NewIterator()
{
    return new CContainerIterator(this);
}

CComponentDefinition* CDefinitionList::GetDefinition(int index) const
{
    return ListAt(m_definitions, index);
}

void CDefinitionList::AddDefinition(CComponentDefinition* definition, bool touchEntities)
{
    if (definition == nullptr) {
        return;
    }
    if (CUndoOperation* operation = RecordingOperation(this)) {
        operation->RecordAdd(definition, this);
    }
    Add(definition);
    if (touchEntities && GetModel() != nullptr) {
        for (CDrawingElement* entity : definition->GetEntityList()) {
            entity->OnModified();
        }
    }
}

bool CDefinitionList::IsNameUnique(const CString& name, const CComponentDefinition* exclude) const
{
    return std::none_of(m_definitions.begin(), m_definitions.end(), [&](const CComponentDefinition* definition) {
        return definition != exclude && definition->GetName().CompareNoCase(name) == 0;
    });
}

template <typename IsUnique>
void CDefinitionList::BuildUniqueName(CString& out, const CString& name, bool force, IsUnique isUnique)
{
    if (!force && isUnique(name)) {
        out = name;
        return;
    }
    const CString base = UniqueNameBase(name);
    // Every definition takes one number at most, so a free one comes soon.
    for (int n = 1;; ++n) {
        CString candidate = base + CString::Formatted("#%d", n);
        if (isUnique(candidate)) {
            out = candidate;
            return;
        }
    }
}

void CDefinitionList::MakeUniqueName(CString& out, const CString& name, bool force,
                                     const CComponentDefinition* exclude) const
{
    BuildUniqueName(out, name, force, [&](const CString& candidate) { return IsNameUnique(candidate, exclude); });
}

void CDefinitionList::MakeUniqueNameBySet(CString& out, const CString& name, bool force) const
{
    BuildUniqueName(out, name, force,
                    [&](const CString& candidate) { return m_nameSet.count(UpperCase(candidate)) == 0; });
}

void CDefinitionList::RebuildNameSet()
{
    m_nameSet.clear();
    for (const CComponentDefinition* definition : m_definitions) {
        m_nameSet.insert(UpperCase(definition->GetName()));
    }
}

void CDefinitionList::RemoveRecorded(CComponentDefinition* definition)
{
    if (!Remove(definition)) {
        return;
    }
    if (CUndoOperation* operation = RecordingOperation(this)) {
        operation->RecordRemove(definition, this);
    }
}

void CDefinitionList::PurgeDefinition(CComponentDefinition* definition)
{
    if (definition == nullptr) {
        return;
    }
    for (int i = definition->GetInstanceCount() - 1; i >= 0; --i) {
        CComponentInstance* instance = definition->GetInstance(i);
        instance->EraseFromComponent(instance->GetParentComponent());
    }
    RemoveRecorded(definition);
    definition->Erase();
}

void CDefinitionList::PurgeUnused(bool typedOnly)
{
    bool removed = true;
    while (removed) {
        removed = false;
        std::size_t i = 0;
        while (i < m_definitions.size()) {
            CComponentDefinition* definition = m_definitions[i];
            if (definition->GetInstanceCount() > 0 || (typedOnly && definition->GetDefinitionType() == 0)) {
                ++i;
                continue;
            }
            // The next definition moves into this place.
            RemoveRecorded(definition);
            definition->Erase();
            removed = true;
        }
    }
}

void CDefinitionList::PurgeEmptyDefinitions(const CInstancePath& keep)
{
    for (int i = GetCount() - 1; i >= 0; --i) {
        CComponentDefinition* definition = GetDefinition(i);
        if (definition == nullptr || !definition->IsEmpty()) {
            continue;
        }
        bool kept = false;
        for (int j = 0; j < keep.GetCount() && !kept; ++j) {
            const CComponentInstance* instance = keep.GetInstance(j);
            kept = instance != nullptr && instance->GetDefinition() == definition;
        }
        if (!kept) {
            PurgeDefinition(definition);
        }
    }
}

void CDefinitionList::EraseAll(bool thenRemoveAll)
{
    std::unordered_set<const CComponentDefinition*> erased;
    EraseUnplaced(erased);
    // Definitions that only place one another (one that holds an instance of itself,
    // say) keep instances through every pass. Their instances go first, each while its
    // definition is still there to let go of it; then the passes erase them.
    const std::vector<CComponentDefinition*> cycle = FindPlacedOnlyByOneAnother(erased);
    for (CComponentDefinition* definition : cycle) {
        for (int i = definition->GetInstanceCount() - 1; i >= 0; --i) {
            CComponentInstance* instance = definition->GetInstance(i);
            instance->EraseFromComponent(instance->GetParentComponent());
        }
    }
    if (!cycle.empty()) {
        EraseUnplaced(erased);
    }
    if (thenRemoveAll) {
        RemoveAll();
    }
}

void CDefinitionList::EraseUnplaced(std::unordered_set<const CComponentDefinition*>& erased)
{
    bool progress = true;
    while (progress) {
        progress = false;
        for (CComponentDefinition* definition : m_definitions) {
            if (erased.count(definition) != 0 || definition->GetInstanceCount() > 0) {
                continue;
            }
            // Erasing a definition erases the instances it holds, which frees the
            // definitions nested in it for a later pass.
            erased.insert(definition);
            definition->Erase();
            progress = true;
        }
    }
}

std::vector<CComponentDefinition*> CDefinitionList::FindPlacedOnlyByOneAnother(
    const std::unordered_set<const CComponentDefinition*>& erased) const
{
    std::unordered_set<const CEntity*> left;
    for (const CComponentDefinition* definition : m_definitions) {
        if (erased.count(definition) == 0) {
            left.insert(definition);
        }
    }
    // A definition with an instance outside the definitions left is kept, and so is
    // every definition that a kept one places.
    std::unordered_set<const CEntity*> kept;
    bool grew = true;
    while (grew) {
        grew = false;
        for (const CEntity* entity : left) {
            const auto* definition = static_cast<const CComponentDefinition*>(entity);
            if (kept.count(definition) != 0) {
                continue;
            }
            const auto& instances = definition->GetInstances();
            const auto placesIt = [&](const CComponentInstance* instance) {
                const CEntity* holder = instance->GetParentComponent();
                return left.count(holder) == 0 || kept.count(holder) != 0;
            };
            const bool placedFromOutside = std::any_of(instances.begin(), instances.end(), placesIt);
            if (placedFromOutside) {
                kept.insert(definition);
                grew = true;
            }
        }
    }
    std::vector<CComponentDefinition*> cycle;
    for (CComponentDefinition* definition : m_definitions) {
        if (left.count(definition) != 0 && kept.count(definition) == 0) {
            cycle.push_back(definition);
        }
    }
    return cycle;
}
