#include "model/attributecontainer.h"

#include <algorithm>

#include "foundation/versioninfo.h"
#include "model/attribute.h"
#include "model/validitylog.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CAttributeContainer, CEntity, VERSIONABLE_SCHEMA | 0)

CAttributeContainer::CAttributeContainer() = default;

CAttributeContainer::CAttributeContainer(const CAttributeContainer& other)
    : CEntity(other), m_attributes(other.m_attributes), m_capacity(other.m_capacity)
{
}

CAttributeContainer::~CAttributeContainer() = default;

void CAttributeContainer::Serialize(CArchive& ar)
{
    CEntity::Serialize(ar);
    if (ar.IsLoading()) {
        ReadAttributes(ar);
        return;
    }
    const int format = GetSaveFormat();
    if (format == kSaveFormat5000 || format == kSaveFormat4000) {
        WriteAttributes(ar);
    }
}

void CAttributeContainer::ReadAttributes(CArchive& ar)
{
    // A fresh container reads its list; whatever it held is not released, as the
    // references belong to the objects being read. Each reference costs at least two
    // bytes, so the file's length bounds the list.
    m_attributes.clear();
    m_capacity = 0;
    while (CAttribute* attribute = ReadAttributeObject(ar)) {
        Append(attribute);
        attribute->AddRef();
        attribute->SetParent(this);
    }
}

void CAttributeContainer::WriteAttributes(CArchive& ar) const
{
    for (const CAttribute* attribute : m_attributes) {
        if (attribute != nullptr && attribute->IsPersistent()) {
            ar.WriteObject(attribute);
        }
    }
    ar.WriteObject(nullptr);
}

void CAttributeContainer::Append(CAttribute* attribute)
{
    const int count = GetCount();
    if (count >= m_capacity) {
        const int growth = std::clamp(count / 8, kMinGrowth, kMaxGrowth);
        m_capacity = std::max(m_capacity + growth, count + 1);
        m_attributes.reserve(static_cast<std::size_t>(m_capacity));
    }
    m_attributes.push_back(attribute);
}

int CAttributeContainer::Add(CAttribute* attribute)
{
    if (attribute == nullptr) {
        return 0;
    }
    RecordChange(true);
    Append(attribute);
    attribute->SetParent(this);
    return attribute->AddRef();
}

CAttribute* CAttributeContainer::GetAt(int index) const
{
    if (index < 0 || index >= GetCount()) {
        return nullptr;
    }
    return m_attributes[static_cast<std::size_t>(index)];
}

CAttribute* CAttributeContainer::FindByType(int typeId) const
{
    const auto it = std::find_if(m_attributes.begin(), m_attributes.end(), [typeId](const CAttribute* attribute) {
        return attribute != nullptr && attribute->GetTypeId() == typeId;
    });
    return it == m_attributes.end() ? nullptr : *it;
}

void CAttributeContainer::ReleaseSlots()
{
    // The slots are taken out first: an attribute that erases itself may lead back
    // here, and must then find nothing left to release.
    m_releasing = true;
    std::vector<CAttribute*> slots;
    slots.swap(m_attributes);
    m_capacity = 0;
    for (CAttribute* attribute : slots) {
        if (attribute != nullptr) {
            attribute->Release();
        }
    }
    m_releasing = false;
}

void CAttributeContainer::Erase()
{
    if (m_releasing) {
        return;
    }
    RecordChange(true);
    ReleaseSlots();
    CEntity::Erase();
}

void CAttributeContainer::ReleaseAll()
{
    if (!m_releasing) {
        ReleaseSlots();
    }
}

bool CAttributeContainer::CollectDependents(CEntitySet& set)
{
    if (!CEntity::CollectDependents(set)) {
        return false;
    }
    // A copy: collecting must not be disturbed by a change to the array.
    const std::vector<CAttribute*> slots = m_attributes;
    for (CAttribute* attribute : slots) {
        if (attribute != nullptr) {
            attribute->CollectDependents(set);
        }
    }
    return true;
}

CEntity* CAttributeContainer::Clone() const
{
    return new CAttributeContainer(*this);
}

void CAttributeContainer::SwapData(CEntity& other)
{
    CEntity::SwapData(other);
    auto* container = dynamic_cast<CAttributeContainer*>(&other);
    if (container == nullptr) {
        return;
    }
    m_attributes.swap(container->m_attributes);
    std::swap(m_capacity, container->m_capacity);
}

int CAttributeContainer::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartValidityCheck(this, RUNTIME_CLASS(CAttributeContainer), results, result)) {
        return result;
    }
    result = CEntity::CheckValidity(mode, results);
    if (result != kValiditySound) {
        return SetCheckResult(result, results);
    }
    return CheckSlots(mode, results);
}

int CAttributeContainer::CheckSlots(int mode, CValidityResultMap* results)
{
    for (int index = GetCount() - 1; index >= 0; --index) {
        CAttribute* attribute = m_attributes[static_cast<std::size_t>(index)];
        if (attribute == nullptr || !attribute->IsKindOf(RUNTIME_CLASS(CAttribute))) {
            AppendValidityMessageId(kMsgBadAttributeSlot, index, GetEntityLabel(this));
            StoreCheckResult(results, attribute, kValidityBroken);
            return SetCheckResult(kValidityBroken, results);
        }
    }
    if (results == nullptr) {
        return kValiditySound;
    }
    // Marked as visited while its attributes are checked, so that an attribute that
    // leads back here does not start the check again.
    StoreCheckResult(results, this, kValiditySound);
    int severity = kValiditySound;
    for (int index = GetCount() - 1; index >= 0; --index) {
        const int result = m_attributes[static_cast<std::size_t>(index)]->CheckValidity(mode, results);
        if (result >= kValidityStale) {
            return SetCheckResult(result, results);
        }
        severity = std::max(severity, result);
    }
    if (severity == kValiditySound) {
        results->erase(this);
        return kValiditySound;
    }
    return SetCheckResult(severity, results);
}

int CAttributeContainer::GetTypeId() const
{
    return kTypeAttributeContainer;
}

CAttributeContainer* ReadAttributeContainerObject(CArchive& ar)
{
    return static_cast<CAttributeContainer*>(ar.ReadObject(RUNTIME_CLASS(CAttributeContainer)));
}
