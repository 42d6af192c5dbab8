#include "model/attribute.h"

#include <unordered_set>
#include <vector>

#include "foundation/versioninfo.h"
#include "model/attributecontainer.h"
#include "model/undooperation.h"
#include "model/undosuspender.h"
#include "model/validitylog.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CAttribute, CEntity, VERSIONABLE_SCHEMA | 0)

namespace {

// Format 3000 has no attributes: its entity part carries no container.
bool SavesAttributes()
{
    const int format = GetSaveFormat();
    return format == kSaveFormat5000 || format == kSaveFormat4000;
}

// Whether following containers to their attributes, and those attributes to their own
// containers, leads from the container back to the attribute. Such a ring can only
// come from a damaged file; parents set along it would make every walk up endless.
bool LeadsBackTo(const CAttributeContainer* start, const CAttribute* target)
{
    std::vector<const CAttributeContainer*> pending{start};
    std::unordered_set<const CAttributeContainer*> seen{start};
    while (!pending.empty()) {
        const CAttributeContainer* container = pending.back();
        pending.pop_back();
        for (int index = 0; index < container->GetCount(); ++index) {
            const CAttribute* attribute = container->GetAt(index);
            if (attribute == nullptr) {
                continue;
            }
            if (attribute == target) {
                return true;
            }
            const CAttributeContainer* next = attribute->GetAttributeContainer();
            if (next != nullptr && seen.insert(next).second) {
                pending.push_back(next);
            }
        }
    }
    return false;
}

}  // namespace

CAttribute::CAttribute() = default;

CAttribute::CAttribute(const CAttribute& other) : CEntity(other), m_word(other.m_word)
{
}

CAttribute::~CAttribute() = default;

void CAttribute::Serialize(CArchive& ar)
{
    CEntity::Serialize(ar);
    if (ar.IsLoading()) {
        const CAttributeContainer* container = GetAttributeContainer();
        if (container != nullptr && LeadsBackTo(container, this)) {
            AfxThrowArchiveException(CArchiveException::genericException, ar.m_strFileName,
                                     "an attribute contains itself");
        }
        ar >> m_word;
    } else if (SavesAttributes()) {
        ar << m_word;
    }
}

void CAttribute::Erase()
{
    CEntity::Erase();
}

CEntity* CAttribute::Clone() const
{
    return new CAttribute(*this);
}

void CAttribute::SwapData(CEntity& other)
{
    CEntity::SwapData(other);
    auto* attribute = dynamic_cast<CAttribute*>(&other);
    if (attribute == nullptr) {
        return;
    }
    std::swap(m_word, attribute->m_word);
    std::swap(m_refCount, attribute->m_refCount);
}

int CAttribute::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartValidityCheck(this, RUNTIME_CLASS(CAttribute), results, result)) {
        return result;
    }
    result = CEntity::CheckValidity(mode, results);
    if (result != kValiditySound) {
        return SetCheckResult(result, results);
    }
    return kValiditySound;
}

int CAttribute::GetTypeId() const
{
    return kTypeAttribute;
}

int CAttribute::AddRef()
{
    RecordChange(true);
    return ++m_refCount;
}

int CAttribute::Release()
{
    RecordChange(true);
    if (m_refCount > 0) {
        --m_refCount;
    }
    if (m_refCount > 0) {
        return m_refCount;
    }
    // Erase may delete this attribute, so nothing of it is read afterwards.
    Erase();
    return 0;
}

int CAttribute::GetRefCount() const
{
    return m_refCount;
}

CAttribute* CAttribute::CloneAttribute() const
{
    CEntity* clone = Clone();
    auto* attribute = dynamic_cast<CAttribute*>(clone);
    if (attribute == nullptr) {
        delete clone;
    }
    return attribute;
}

bool CAttribute::IsPersistent() const
{
    return true;
}

bool CAttribute::IsNamed(const CString& /*name*/) const
{
    return false;
}

void CAttribute::SetWord(std::int32_t word)
{
    if (word == m_word) {
        return;
    }
    RecordChange(true);
    m_word = word;
}

CAttribute* CloneRegistered(const CAttribute* attribute)
{
    if (attribute == nullptr) {
        return nullptr;
    }
    CAttribute* clone = attribute->CloneAttribute();
    if (clone == nullptr) {
        return nullptr;
    }
    if (IsRecordingChanges()) {
        if (CUndoOperation* operation = clone->GetUndoOperation()) {
            operation->AddCreated(clone);
        }
    }
    if (IsEntityNumberingOn()) {
        clone->AssignNewId();
    }
    return clone;
}

CAttribute* ReadAttributeObject(CArchive& ar)
{
    return static_cast<CAttribute*>(ar.ReadObject(RUNTIME_CLASS(CAttribute)));
}
