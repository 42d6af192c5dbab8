#include "model/relationshipmap.h"

#include <algorithm>
#include <unordered_set>

#include "model/drawingelement.h"
#include "model/entitylist.h"
#include "model/relationship.h"
#include "model/relationshipiterator.h"
#include "model/undooperation.h"
#include "model/undosuspender.h"
#include "model/validitylog.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CRelationshipMap, CEntity, VERSIONABLE_SCHEMA | 0)

namespace {

// A face rebuilds the openings cut into it when a link to it comes or goes.
void NotifyFirstEnd(const CRelationship* relationship)
{
    if (auto* element = dynamic_cast<CDrawingElement*>(relationship->GetFirst())) {
        element->NotifyGeometryChanged();
    }
}

// The smallest object reference is one two-byte word.
constexpr ULONGLONG kMinReferenceBytes = 2;

}  // namespace

CRelationshipMap::CRelationshipMap() = default;

CRelationshipMap::~CRelationshipMap() = default;

void CRelationshipMap::Serialize(CArchive& ar)
{
    CEntity::Serialize(ar);
    if (ar.IsLoading()) {
        ReadRelationships(ar);
    } else {
        WriteRelationships(ar);
    }
}

void CRelationshipMap::ReadRelationships(CArchive& ar)
{
    std::int32_t count = 0;
    ar >> count;
    if (count < 0 || count > kMaxRelationships) {
        AfxThrowArchiveException(CArchiveException::genericException, ar.m_strFileName, "a count is out of range");
    }
    ar.EnsureAvailable(static_cast<ULONGLONG>(count) * kMinReferenceBytes);
    m_relationships.clear();
    std::unordered_set<const CRelationship*> seen;
    for (std::int32_t i = 0; i < count; ++i) {
        const UINT known = ar.GetMapCount();
        CRelationship* relationship = ReadRelationshipObject(ar);
        if (relationship == nullptr || !seen.insert(relationship).second) {
            continue;
        }
        // One that another record read first is that record's: a map erases what it holds,
        // and two maps would erase it twice.
        if (!ar.IsMadeAfter(relationship, known)) {
            continue;
        }
        if (relationship->IsSelfLink()) {
            // The archive frees it and hands it to no later reference.
            ar.DeleteWhenClosed(relationship);
            continue;
        }
        m_relationships.push_back(relationship);
    }
}

void CRelationshipMap::WriteRelationships(CArchive& ar) const
{
    WriteReferences(ar, m_relationships);
}

void CRelationshipMap::Erase()
{
    EraseAll(true);
    CEntity::Erase();
}

CEntity* CRelationshipMap::Clone() const
{
    return nullptr;
}

int CRelationshipMap::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartValidityCheck(this, RUNTIME_CLASS(CRelationshipMap), results, result)) {
        return result;
    }
    result = CEntity::CheckValidity(mode, results);
    if (result != kValiditySound) {
        return SetCheckResult(result, results);
    }
    return CheckSlots(mode, results);
}

int CRelationshipMap::CheckSlots(int mode, CValidityResultMap* results)
{
    for (int index = GetCount() - 1; index >= 0; --index) {
        CRelationship* relationship = GetRelationship(index);
        if (relationship == nullptr || !relationship->IsKindOf(RUNTIME_CLASS(CRelationship))) {
            AppendValidityMessageId(kMsgBadRelationshipSlot, index, GetEntityLabel(this));
            StoreCheckResult(results, relationship, kValidityBroken);
            return SetCheckResult(kValidityBroken, results);
        }
    }
    if (results == nullptr) {
        return kValiditySound;
    }
    int severity = kValiditySound;
    for (int index = GetCount() - 1; index >= 0; --index) {
        // Each relationship checks itself alone: its ends belong to the component.
        const int result = GetRelationship(index)->CheckValidity(mode, nullptr);
        if (result >= kValidityStale) {
            return SetCheckResult(result, results);
        }
        severity = std::max(severity, result);
    }
    return severity == kValiditySound ? kValiditySound : SetCheckResult(severity, results);
}

int CRelationshipMap::GetTypeId() const
{
    return kTypeRelationshipMap;
}

int CRelationshipMap::GetCount() const
{
    return static_cast<int>(m_relationships.size());
}

bool CRelationshipMap::IsEmpty() const
{
    return m_relationships.empty();
}

bool CRelationshipMap::Contains(const CEntity* entity) const
{
    return ListContains(m_relationships, entity);
}

void CRelationshipMap::Add(CEntity* entity)
{
    auto* relationship = dynamic_cast<CRelationship*>(entity);
    // A relationship held twice would be erased twice.
    if (relationship == nullptr || Contains(relationship)) {
        return;
    }
    m_relationships.push_back(relationship);
    relationship->SetParent(this);
    NotifyFirstEnd(relationship);
}

bool CRelationshipMap::Remove(CEntity* entity)
{
    const auto it = std::find(m_relationships.begin(), m_relationships.end(), entity);
    if (entity == nullptr || it == m_relationships.end()) {
        return false;
    }
    CRelationship* relationship = *it;
    m_relationships.erase(it);
    relationship->SetParent(nullptr);
    NotifyFirstEnd(relationship);
    return true;
}

void CRelationshipMap::RemoveAll()
{
    std::vector<CRelationship*>().swap(m_relationships);
}

CEntity* CRelationshipMap::GetAt(int index) const
{
    return GetRelationship(index);
}

CRelationship* CRelationshipMap::GetRelationship(int index) const
{
    return ListAt(m_relationships, index);
}

IEntityIterator* CRelationshipMap::NewIterator()
{
    return new CRelationshipIterator(*this);
}

void CRelationshipMap::AddRelationship(CRelationship* relationship)
{
    if (relationship == nullptr) {
        return;
    }
    if (IsRecordingChanges()) {
        if (CUndoOperation* operation = GetUndoOperation()) {
            operation->RecordAdd(relationship, this);
        }
    }
    Add(relationship);
}

void CRelationshipMap::EraseAll(bool freeVector)
{
    // A copy: erasing tells referrers, which may reach back into the map.
    const std::vector<CRelationship*> relationships = m_relationships;
    if (freeVector) {
        std::vector<CRelationship*>().swap(m_relationships);
    }
    for (CRelationship* relationship : relationships) {
        if (relationship != nullptr) {
            relationship->Erase();
        }
    }
}

int CRelationshipMap::FindByFirst(const CEntity* entity, std::vector<CRelationship*>& out) const
{
    int found = 0;
    for (CRelationship* relationship : m_relationships) {
        if (relationship != nullptr && relationship->GetFirst() == entity) {
            out.push_back(relationship);
            ++found;
        }
    }
    return found;
}

int CRelationshipMap::FindBySecond(const CEntity* entity, std::vector<CRelationship*>& out) const
{
    int found = 0;
    for (CRelationship* relationship : m_relationships) {
        if (relationship != nullptr && relationship->GetSecond() == entity) {
            out.push_back(relationship);
            ++found;
        }
    }
    return found;
}

void CRelationshipMap::RemoveEntity(const CEntity* entity)
{
    std::vector<CRelationship*> links;
    FindByFirst(entity, links);
    FindBySecond(entity, links);
    for (CRelationship* relationship : links) {
        // A link with the entity at both ends is collected twice; only the removal
        // that succeeds erases it.
        if (!Remove(relationship)) {
            continue;
        }
        if (IsRecordingChanges()) {
            if (CUndoOperation* operation = GetUndoOperation()) {
                operation->RecordRemove(relationship, this);
            }
        }
        relationship->Erase();
    }
}

void CRelationshipMap::ReplaceEntity(const CEntity* oldEntity, CEntity* newEntity)
{
    for (CRelationship* relationship : m_relationships) {
        if (relationship == nullptr) {
            continue;
        }
        if (relationship->GetFirst() == oldEntity) {
            relationship->SetFirst(newEntity);
        }
        if (relationship->GetSecond() == oldEntity) {
            relationship->SetSecond(newEntity);
        }
    }
}
