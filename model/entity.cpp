#include "model/entity.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <unordered_map>
#include <vector>

#include "document/component.h"
#include "document/tarnwickmodel.h"
#include "document/versionmap.h"
#include "foundation/versioninfo.h"
#include "model/attribute.h"
#include "model/attributecontainer.h"
#include "model/backreferencemap.h"
#include "model/curve.h"
#include "model/drawinggeneration.h"
#include "model/edge.h"
#include "model/entitycontainer.h"
#include "model/entityset.h"
#include "model/relationship.h"
#include "model/relationshipmap.h"
#include "model/undomanager.h"
#include "model/undooperation.h"
#include "model/undosuspender.h"
#include "model/validitylog.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CEntity, CObject, VERSIONABLE_SCHEMA | 3)

namespace {

std::int32_t g_entityCounter = 1;
bool g_numbering = true;

// Parent chains are made by code, but a broken file can tie one into a ring; no real
// model nests components this deep.
constexpr int kMaxParentDepth = 100000;

CBackReferenceMap* FindCurrentBackReferences()
{
    CTarnwickModel* model = GetCurrentModel();
    return model != nullptr ? model->FindEntitySet() : nullptr;
}

CComponent* AsComponent(CEntity* entity)
{
    if (entity != nullptr && entity->IsKindOf(RUNTIME_CLASS(CComponent))) {
        return static_cast<CComponent*>(entity);
    }
    return nullptr;
}

// The ancestor of the entity (itself included) whose parent is the given parent;
// null when the entity does not lie below it.
CEntity* FindAncestorUnder(CEntity* entity, const CEntity* parent)
{
    for (int depth = 0; entity != nullptr && depth < kMaxParentDepth; ++depth) {
        if (entity->GetParent() == parent) {
            return entity;
        }
        entity = entity->GetParent();
    }
    return nullptr;
}

// The attribute containers of the entities that have one.
using AttributeTable = std::unordered_map<const CEntity*, CAttributeContainer*>;

AttributeTable& Attributes()
{
    // Never destroyed: entities that outlive static destruction still take
    // themselves out of it.
    static auto* const table = new AttributeTable;
    return *table;
}

// The parents of the entities that keep theirs here and have one. Every entity
// deleted asks whether it has an entry, and nearly none has: a filter of the addresses
// entered answers most of them with a multiplication and a bit test. The filter grows
// with the table, about sixteen bits an entry, so that a model of a million entries
// still answers without reaching into the table: closing one otherwise spent most of
// its time looking for entries that were never there. It is made anew when the table
// shrinks or when addresses taken out have filled it.
class ParentTable
{
public:
    [[nodiscard]] CEntity* Find(const CEntity* entity) const
    {
        if (!MayHold(entity)) {
            return nullptr;
        }
        const auto found = m_parents.find(entity);
        return found == m_parents.end() ? nullptr : found->second;
    }
    void Set(const CEntity* entity, CEntity* parent)
    {
        if (parent == nullptr) {
            Erase(entity);
            return;
        }
        m_parents[entity] = parent;
        Enter(entity);
        if (m_parents.size() * kBitsPerEntry > FilterSize()) {
            Rebuild();
        }
    }
    void Erase(const CEntity* entity)
    {
        if (!MayHold(entity) || m_parents.erase(entity) == 0) {
            return;
        }
        ++m_takenOut;
        const std::size_t bits = FilterSize();
        if (m_parents.empty() || (bits > kMinFilterSize && m_parents.size() * kBitsPerEntry * 8 < bits) ||
            m_takenOut * kBitsPerEntry > bits) {
            Rebuild();
        }
    }

private:
    static constexpr int kMinFilterShift = 12;
    static constexpr std::size_t kMinFilterSize = std::size_t{1} << kMinFilterShift;
    static constexpr std::size_t kBitsPerEntry = 16;
    // A page of 4 KB has 256 places of 16 bytes, one bit each.
    static constexpr int kPageShift = 12;
    static constexpr int kInPageBits = kPageShift - 4;

    [[nodiscard]] std::size_t FilterSize() const { return std::size_t{1} << m_filterShift; }
    // Entities next to one another in memory share a word of the filter, since an
    // allocator's slots are deleted one after another and the word then stays in the
    // cache; the pages themselves are spread over the filter.
    [[nodiscard]] std::size_t FilterBit(const CEntity* entity) const
    {
        constexpr std::uint64_t kGoldenRatio = 0x9E3779B97F4A7C15ull;
        const auto address = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(entity));
        const std::uint64_t page = ((address >> kPageShift) * kGoldenRatio) >> (64 - (m_filterShift - kInPageBits));
        return static_cast<std::size_t>(page << kInPageBits | ((address >> 4) & ((1u << kInPageBits) - 1)));
    }
    [[nodiscard]] bool MayHold(const CEntity* entity) const
    {
        const std::size_t bit = FilterBit(entity);
        return (m_filter[bit / 64] >> (bit % 64) & 1u) != 0;
    }
    void Enter(const CEntity* entity)
    {
        const std::size_t bit = FilterBit(entity);
        m_filter[bit / 64] |= std::uint64_t{1} << (bit % 64);
    }
    // A filter of twice the bits the entries need, holding only the entries there are.
    void Rebuild()
    {
        int shift = kMinFilterShift;
        while ((std::size_t{1} << shift) < m_parents.size() * kBitsPerEntry * 2) {
            ++shift;
        }
        if (m_parents.bucket_count() > std::max<std::size_t>(m_parents.size() * 8, kMinFilterSize)) {
            // The table's buckets shrink with it, so a closed model leaves no large array.
            m_parents.rehash(0);
        }
        m_filterShift = shift;
        m_filter.assign(FilterSize() / 64, 0);
        for (const auto& entry : m_parents) {
            Enter(entry.first);
        }
        m_takenOut = 0;
    }

    std::unordered_map<const CEntity*, CEntity*> m_parents;
    int m_filterShift = kMinFilterShift;
    std::vector<std::uint64_t> m_filter = std::vector<std::uint64_t>(kMinFilterSize / 64, 0);
    // Entries taken out since the filter was made: their bits are still set.
    std::size_t m_takenOut = 0;
};

ParentTable& Parents()
{
    // Never destroyed, as the attribute table.
    static auto* const table = new ParentTable;
    return *table;
}

} // namespace

CEntity::CEntity()
{
    if (IsRecordingChanges()) {
        if (CUndoOperation* operation = CEntity::GetUndoOperation()) {
            operation->AddCreated(this);
        }
    }
    if (g_numbering) {
        AssignNewId();
    }
}

CEntity::CEntity(const CEntity& other) : CObject(other)
{
    SetAttributeContainer(other.GetAttributeContainer());
}

CEntity::~CEntity()
{
    // A later entity at the same address must not find this one's container or parent.
    SetAttributeContainer(nullptr);
    Parents().Erase(this);
}

CEntity* CEntity::GetStoredParent() const
{
    return Parents().Find(this);
}

void CEntity::StoreParent(CEntity* parent)
{
    Parents().Set(this, parent);
}

CAttributeContainer* CEntity::GetAttributeContainer() const
{
    const AttributeTable& table = Attributes();
    if (table.empty()) {
        return nullptr;
    }
    const auto found = table.find(this);
    return found == table.end() ? nullptr : found->second;
}

void CEntity::SetAttributeContainer(CAttributeContainer* container)
{
    AttributeTable& table = Attributes();
    if (container != nullptr) {
        table[this] = container;
    } else if (!table.empty()) {
        table.erase(this);
    }
}

void CEntity::EraseAttributes()
{
    if (CAttributeContainer* container = GetAttributeContainer()) {
        SetAttributeContainer(nullptr);
        container->Erase();
    }
}

std::vector<const CAttributeContainer*> CEntity::GetHeldAttributeContainers()
{
    std::vector<const CAttributeContainer*> held;
    held.reserve(Attributes().size());
    for (const auto& [entity, container] : Attributes()) {
        held.push_back(container);
    }
    std::sort(held.begin(), held.end());
    return held;
}

void CEntity::Serialize(CArchive& ar)
{
    if (ar.IsLoading()) {
        const int version = GetLoadedClassVersion(RUNTIME_CLASS(CEntity));
        if (GetAttributeContainer() != nullptr) {
            // Read again: the container it had may now be held by no one.
            ar.NoteObjectsMayBeLeft();
            SetAttributeContainer(nullptr);
        }
        if (version == 1) {
            std::int32_t dropped = 0;
            ar >> dropped;
        } else if (version >= 3) {
            // Most entities have none, and the table was cleared for this one above.
            if (CAttributeContainer* container = ReadAttributeContainerObject(ar); container != nullptr) {
                // Each entity owns its container; a second owner would erase it twice.
                if (container->GetParent() != nullptr && container->GetParent() != this) {
                    AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
                }
                SetAttributeContainer(container);
                container->SetParent(this);
            }
        }
        return;
    }
    if (GetSaveFormat() != kSaveFormat3000) {
        ar.WriteObject(GetAttributeContainer());
    }
}

void CEntity::Erase()
{
    if (CAttributeContainer* attributes = GetAttributeContainer()) {
        attributes->Erase();
    }
    OnErased();
    NotifyReferrers(kReferenceErased, nullptr);
    if (IsRecordingChanges()) {
        if (CUndoOperation* operation = GetUndoOperation()) {
            operation->AddErased(this);
            return;
        }
    }
    // Nobody takes the entity over: it would only leak.
    delete this;
}

void CEntity::Discard()
{
    if (CAttributeContainer* attributes = GetAttributeContainer()) {
        attributes->Erase();
    }
    delete this;
}

CUndoOperation* CEntity::GetUndoOperation() const
{
    CUndoManager* manager = GetCurrentUndoManager();
    return manager != nullptr ? manager->GetOpenOperation() : nullptr;
}

bool CEntity::CollectDependents(CEntitySet& set)
{
    // Added before the related entities are walked, so that two entities related both
    // ways end the walk instead of calling each other for ever; the set is ordered by
    // address, so what it ends up holding is the same.
    if (!set.Add(this)) {
        return false;
    }
    std::vector<CRelationship*> relationships;
    CountRelationships(relationships);
    for (CRelationship* relationship : relationships) {
        CEntity* other = relationship->GetSecond();
        if (other == nullptr) {
            continue;
        }
        CEntity* const parent = GetStoredParent();
        if (other->GetParent() != parent) {
            other = FindAncestorUnder(other, parent);
        }
        if (other != nullptr && other != this) {
            set.Add(relationship);
            other->CollectDependents(set);
        }
    }
    if (CBackReferenceMap* references = FindCurrentBackReferences()) {
        std::unique_ptr<IEntityIterator> referrers(references->NewIterator(this));
        CEntity* referrer = nullptr;
        while (referrers != nullptr && referrers->Next(referrer)) {
            referrer->CollectDependents(set);
        }
    }
    if (CAttributeContainer* attributes = GetAttributeContainer()) {
        attributes->CollectDependents(set);
    }
    return true;
}

void CEntity::Transform(const CTransformation& /*transform*/)
{
}

CEntity* CEntity::Clone() const
{
    return nullptr;
}

void CEntity::SwapData(CEntity& other)
{
    CAttributeContainer* const mine = GetAttributeContainer();
    SetAttributeContainer(other.GetAttributeContainer());
    other.SetAttributeContainer(mine);
}

CString CEntity::GetClassName() const
{
    return CString(GetRuntimeClass()->m_lpszClassName);
}

CString CEntity::GetTypeName() const
{
    const CString name = GetClassName();
    if (!name.IsEmpty() && name[0] == u'C') {
        return name.Mid(1);
    }
    return name;
}

CTarnwickModel* CEntity::GetModel() const
{
    CEntity* const parent = GetStoredParent();
    return parent != nullptr ? parent->GetModel() : nullptr;
}

CEntity* CEntity::GetParent() const
{
    return GetStoredParent();
}

CComponent* CEntity::GetParentComponent() const
{
    CEntity* const parent = GetStoredParent();
    if (CComponent* component = AsComponent(parent)) {
        return component;
    }
    return parent != nullptr ? parent->GetParentComponent() : nullptr;
}

void CEntity::OnReferenceChanged(int /*code*/, CEntity* /*changed*/, CEntity* /*argument*/)
{
}

void CEntity::Notify(int code)
{
    if (code == kNotifyModified) {
        OnModified();
    } else if (code == kNotifyErased) {
        OnErased();
    }
}

void CEntity::OnModified()
{
}

void CEntity::OnErased()
{
}

int CEntity::CheckValidity(int mode, CValidityResultMap* results)
{
    const int cached = FindCheckResult(results, this);
    if (cached >= 0) {
        return cached;
    }
    try {
        return CheckEntityParts(mode, results);
    } catch (...) {
        AppendValidityMessageId(kMsgEntityCheckException, GetEntityLabel(this));
        return SetCheckResult(kValidityBroken, results);
    }
}

int CEntity::CheckEntityParts(int mode, CValidityResultMap* results)
{
    if (!IsKindOf(RUNTIME_CLASS(CEntity))) {
        AppendValidityMessageId(kMsgNotAnEntity, m_id);
        return SetCheckResult(kValidityBroken, results);
    }
    int severity = kValiditySound;
    if (CAttributeContainer* attributes = GetAttributeContainer()) {
        if (!attributes->IsKindOf(RUNTIME_CLASS(CAttributeContainer))) {
            AppendValidityMessageId(kMsgBadAttributeContainer, GetEntityLabel(this));
            StoreCheckResult(results, attributes, kValidityBroken);
            return SetCheckResult(kValidityBroken, results);
        }
        if (results != nullptr) {
            const int found = attributes->CheckValidity(mode, results);
            if (found >= kValidityStale) {
                return SetCheckResult(found, results);
            }
            if (found == kValidityRepairable) {
                severity = kValidityRepairable;
            }
        }
    }
    if (mode != kValidityModeIgnoreStaleIds && m_id < 0) {
        AppendValidityMessageId(kMsgNegativeId, static_cast<const void*>(this), m_id);
        return SetCheckResult(kValidityStale, results);
    }
    return severity == kValiditySound ? kValiditySound : SetCheckResult(severity, results);
}

int CEntity::GetTypeId() const
{
    return kTypeEntity;
}

void CEntity::AssignNewId()
{
    m_id = g_entityCounter++;
}

std::int32_t CEntity::NegateId()
{
    m_id = -m_id;
    return m_id;
}

void CEntity::RecordChangeWhileRecording(bool saveState)
{
    if (CUndoOperation* operation = GetUndoOperation()) {
        operation->RecordChange(this, saveState);
    }
}

void CEntity::SetParent(CEntity* parent)
{
    StoreParent(parent);
    if (parent != nullptr && IsKindOf(RUNTIME_CLASS(CEdge))) {
        if (CCurve* curve = static_cast<CEdge*>(this)->GetCurve()) {
            curve->SetParent(parent);
        }
    }
}

CAttribute* CEntity::FindAttributeDictionary(int typeId) const
{
    const CAttributeContainer* attributes = GetAttributeContainer();
    return attributes != nullptr ? attributes->FindByType(typeId) : nullptr;
}

int CEntity::GetOrCreateAttributeContainer(CAttribute* attribute)
{
    CAttributeContainer* attributes = GetAttributeContainer();
    if (attributes == nullptr) {
        RecordChange(true);
        attributes = new CAttributeContainer;
        attributes->SetParent(this);
        SetAttributeContainer(attributes);
    }
    return attributes->Add(attribute);
}

void CEntity::CopyAttributesFrom(const CEntity* source, bool share)
{
    const CAttributeContainer* container = source != nullptr ? source->GetAttributeContainer() : nullptr;
    if (container == nullptr) {
        return;
    }
    // Copying from an entity that shares this container makes it grow while it is
    // walked: only the attributes it held at the start are copied.
    const int count = container->GetCount();
    for (int i = 0; i < count; ++i) {
        CAttribute* attribute = container->GetAt(i);
        if (attribute == nullptr) {
            continue;
        }
        GetOrCreateAttributeContainer(share ? attribute : CloneRegistered(attribute));
    }
}

int CEntity::CountRelationshipEnds(std::vector<CRelationship*>& out, bool asFirst) const
{
    int appended = 0;
    CComponent* component = AsComponent(GetStoredParent());
    for (int depth = 0; component != nullptr && depth < kMaxParentDepth; ++depth) {
        if (const CRelationshipMap* map = component->GetRelationshipMap()) {
            appended += asFirst ? map->FindByFirst(this, out) : map->FindBySecond(this, out);
        }
        component = AsComponent(component->GetParent());
    }
    return appended;
}

int CEntity::CountRelationships(std::vector<CRelationship*>& out) const
{
    return CountRelationshipEnds(out, true);
}

int CEntity::CountRelationshipsAsSecond(std::vector<CRelationship*>& out) const
{
    return CountRelationshipEnds(out, false);
}

void CEntity::DeleteRelationships()
{
    CComponent* component = AsComponent(GetStoredParent());
    if (component != nullptr && component->GetRelationshipMap() != nullptr) {
        component->GetRelationshipMap()->RemoveEntity(this);
    }
}

void CEntity::ReplaceInRelationships(CEntity* other)
{
    CComponent* component = AsComponent(GetStoredParent());
    if (component != nullptr && component->GetRelationshipMap() != nullptr) {
        component->GetRelationshipMap()->ReplaceEntity(this, other);
    }
}

void CEntity::AddBackReference(CEntity* referrer)
{
    if (CTarnwickModel* model = GetCurrentModel()) {
        model->GetEntitySet()->Add(this, referrer);
    }
}

void CEntity::RemoveBackReference(CEntity* referrer)
{
    if (CBackReferenceMap* references = FindCurrentBackReferences()) {
        references->Remove(this, referrer);
    }
}

void CEntity::NotifyReferrers(int code, CEntity* argument)
{
    if (CBackReferenceMap* references = FindCurrentBackReferences()) {
        references->Notify(this, code, argument);
    }
}

int CEntity::SetCheckResult(int severity, CValidityResultMap* results) const
{
    return StoreCheckResult(results, this, severity);
}

void ResetEntityIdCounter()
{
    g_entityCounter = 1;
}

std::int32_t GetEntityIdCounter()
{
    return g_entityCounter;
}

void SetEntityNumbering(bool on)
{
    g_numbering = on;
}

bool IsEntityNumberingOn()
{
    return g_numbering;
}

CString GetEntityLabel(const CEntity* entity)
{
    if (entity == nullptr) {
        return CString("(NULL}");
    }
    try {
        return CString::Formatted("%s (%d)", entity->GetClassName(), entity->GetId());
    } catch (...) {
        return CString("(Garbage)");
    }
}

int RandomRaw()
{
    // RAND_MAX + 1 is a power of two at least 32768, so the low 15 bits are uniform.
    return std::rand() % 32768;
}

double RandomDouble(double lo, double hi)
{
    return lo + (hi - lo) * (static_cast<double>(RandomRaw()) / 32767.0);
}

int RandomInt(int lo, int hi)
{
    return lo + static_cast<int>(static_cast<double>(RandomRaw()) / 32767.0 * (hi - lo));
}
