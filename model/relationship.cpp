#include "model/relationship.h"

#include "model/validitylog.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CRelationship, CEntity, VERSIONABLE_SCHEMA | 0)

CRelationship::CRelationship() = default;

CRelationship::CRelationship(CEntity* first, CEntity* second) : m_first(first), m_second(second)
{
}

CRelationship::CRelationship(const CRelationship& other)
    : CEntity(other), m_first(other.m_first), m_second(other.m_second)
{
}

CRelationship::~CRelationship() = default;

void CRelationship::Serialize(CArchive& ar)
{
    CEntity::Serialize(ar);
    if (ar.IsLoading()) {
        m_first = static_cast<CEntity*>(ar.ReadObject(RUNTIME_CLASS(CEntity)));
        m_second = static_cast<CEntity*>(ar.ReadObject(RUNTIME_CLASS(CEntity)));
    } else {
        ar.WriteObject(m_first);
        ar.WriteObject(m_second);
    }
}

CEntity* CRelationship::Clone() const
{
    return new CRelationship(*this);
}

void CRelationship::SwapData(CEntity& other)
{
    CEntity::SwapData(other);
    if (auto* relationship = dynamic_cast<CRelationship*>(&other)) {
        std::swap(m_first, relationship->m_first);
        std::swap(m_second, relationship->m_second);
    }
}

int CRelationship::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartValidityCheck(this, RUNTIME_CLASS(CRelationship), results, result)) {
        return result;
    }
    result = CEntity::CheckValidity(mode, results);
    if (result != kValiditySound) {
        return SetCheckResult(result, results);
    }
    if (m_first == nullptr || !m_first->IsKindOf(RUNTIME_CLASS(CEntity))) {
        AppendValidityMessageId(kMsgBadRelationshipFirst, GetEntityLabel(this));
        StoreCheckResult(results, m_first, kValidityBroken);
        return SetCheckResult(kValidityBroken, results);
    }
    if (m_second == nullptr || !m_second->IsKindOf(RUNTIME_CLASS(CEntity))) {
        AppendValidityMessageId(kMsgBadRelationshipSecond, GetEntityLabel(this));
        StoreCheckResult(results, m_second, kValidityBroken);
        return SetCheckResult(kValidityBroken, results);
    }
    return kValiditySound;
}

int CRelationship::GetTypeId() const
{
    return kTypeRelationship;
}

void CRelationship::SetFirst(CEntity* first)
{
    if (first == m_first) {
        return;
    }
    RecordChange(true);
    m_first = first;
}

void CRelationship::SetSecond(CEntity* second)
{
    if (second == m_second) {
        return;
    }
    RecordChange(true);
    m_second = second;
}

CRelationship* ReadRelationshipObject(CArchive& ar)
{
    return static_cast<CRelationship*>(ar.ReadObject(RUNTIME_CLASS(CRelationship)));
}
