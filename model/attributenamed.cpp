#include "model/attributenamed.h"

#include "foundation/versioninfo.h"
#include "model/validitylog.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CAttributeNamed, CAttribute, VERSIONABLE_SCHEMA | 0)

CAttributeNamed::CAttributeNamed() = default;

CAttributeNamed::CAttributeNamed(const CAttributeNamed& other)
    : CAttribute(other), m_name(other.m_name), m_values(other.m_values)
{
}

CAttributeNamed::~CAttributeNamed() = default;

void CAttributeNamed::Serialize(CArchive& ar)
{
    CAttribute::Serialize(ar);
    if (ar.IsLoading()) {
        m_name = ArchiveReadString(ar);
        ReadValues(ar);
        return;
    }
    const int format = GetSaveFormat();
    if (format == kSaveFormat5000 || format == kSaveFormat4000) {
        ArchiveWriteString(ar, m_name);
        WriteValues(ar);
    }
}

void CAttributeNamed::ReadValues(CArchive& ar)
{
    // Every entry costs at least a key length byte and a type byte, so the bytes
    // of the file bound how many a damaged record can make.
    m_values.clear();
    for (;;) {
        const CString key = ArchiveReadString(ar);
        if (key.IsEmpty()) {
            return;
        }
        orvell::utils::CTypedValue value;
        value.Read(ar);
        m_values[key] = std::move(value);
    }
}

void CAttributeNamed::WriteValues(CArchive& ar) const
{
    for (const auto& [key, value] : m_values) {
        // An empty key would end the list early on reading; GetValue("") can make one.
        if (key.IsEmpty()) {
            continue;
        }
        ArchiveWriteString(ar, key);
        value.Write(ar);
    }
    ArchiveWriteString(ar, CString());
}

void CAttributeNamed::Erase()
{
    RecordChange(true);
    m_values.clear();
    CAttribute::Erase();
}

void CAttributeNamed::Transform(const CTransformation& transform)
{
    bool recorded = false;
    for (auto& [key, value] : m_values) {
        if (!value.IsGeometric()) {
            continue;
        }
        if (!recorded) {
            RecordChange(true);
            recorded = true;
        }
        value.Transform(transform);
    }
}

CEntity* CAttributeNamed::Clone() const
{
    return new CAttributeNamed(*this);
}

void CAttributeNamed::SwapData(CEntity& other)
{
    CAttribute::SwapData(other);
    if (auto* named = dynamic_cast<CAttributeNamed*>(&other)) {
        m_values.swap(named->m_values);
    }
}

int CAttributeNamed::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartValidityCheck(this, RUNTIME_CLASS(CAttributeNamed), results, result)) {
        return result;
    }
    result = CAttribute::CheckValidity(mode, results);
    if (result != kValiditySound) {
        return SetCheckResult(result, results);
    }
    return kValiditySound;
}

int CAttributeNamed::GetTypeId() const
{
    return kTypeAttributeNamed;
}

bool CAttributeNamed::IsNamed(const CString& name) const
{
    return m_name == name;
}

void CAttributeNamed::SetName(const CString& name)
{
    if (name == m_name) {
        return;
    }
    RecordChange(true);
    m_name = name;
}

orvell::utils::CTypedValue& CAttributeNamed::GetValue(const CString& key)
{
    return m_values[key];
}

const orvell::utils::CTypedValue* CAttributeNamed::FindValue(const CString& key) const
{
    const auto it = m_values.find(key);
    return it == m_values.end() ? nullptr : &it->second;
}

void CAttributeNamed::SetValue(const CString& key, const orvell::utils::CTypedValue& value)
{
    RecordChange(true);
    m_values[key] = value;
}
