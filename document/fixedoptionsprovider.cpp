#include "document/fixedoptionsprovider.h"

#include <utility>

using orvell::utils::CConversionError;
using orvell::utils::CTypedValue;

CFixedOptionsProvider::CFixedOptionsProvider(std::vector<COptionKey> keys, bool pageKeys)
    : m_keys(std::move(keys)), m_pageKeys(pageKeys)
{
    ResetToDefaults();
}

CString CFixedOptionsProvider::GetKeyName(int index) const
{
    if (index < 0 || index >= GetKeyCount()) {
        return {};
    }
    return CString(m_keys[static_cast<std::size_t>(index)].name);
}

int CFixedOptionsProvider::FindKey(const CString& key) const
{
    for (int i = 0; i < GetKeyCount(); ++i) {
        if (key == CString(m_keys[static_cast<std::size_t>(i)].name)) {
            return i;
        }
    }
    return -1;
}

bool CFixedOptionsProvider::SetValue(const CString& key, const CTypedValue& value)
{
    const int index = FindKey(key);
    if (index < 0) {
        return false;
    }
    CTypedValue converted;
    try {
        switch (m_keys[static_cast<std::size_t>(index)].type) {
        case CTypedValue::kInt:
            converted.SetInt(value.AsInt());
            break;
        case CTypedValue::kDouble:
            converted.SetDouble(value.AsDouble());
            break;
        default:
            converted.SetBool(value.AsBool());
            break;
        }
    } catch (const CConversionError&) {
        return false;
    }
    m_values[static_cast<std::size_t>(index)] = converted;
    OnValueSet(index);
    return true;
}

CTypedValue CFixedOptionsProvider::GetValue(const CString& key) const
{
    const int index = FindKey(key);
    return index < 0 ? CTypedValue() : m_values[static_cast<std::size_t>(index)];
}

std::int32_t CFixedOptionsProvider::GetKeyType(const CString& key) const
{
    const int index = FindKey(key);
    return index < 0 ? CTypedValue::kEmpty : m_keys[static_cast<std::size_t>(index)].type;
}

bool CFixedOptionsProvider::IsStoredKey(const CString& /*key*/) const
{
    return true;
}

bool CFixedOptionsProvider::IsPageKey(const CString& /*key*/) const
{
    return m_pageKeys;
}

void CFixedOptionsProvider::ResetToDefaults()
{
    m_values.clear();
    for (int i = 0; i < GetKeyCount(); ++i) {
        m_values.push_back(MakeDefault(i));
    }
}

CTypedValue CFixedOptionsProvider::MakeDefault(int index) const
{
    const COptionKey& key = m_keys[static_cast<std::size_t>(index)];
    CTypedValue value;
    if (key.type == CTypedValue::kInt) {
        value.SetInt(static_cast<int>(key.defaultValue));
    } else if (key.type == CTypedValue::kDouble) {
        value.SetDouble(key.defaultValue);
    } else {
        value.SetBool(key.defaultValue != 0.0);
    }
    return value;
}

int CFixedOptionsProvider::GetInt(int index) const
{
    int value = 0;
    (void)m_values[static_cast<std::size_t>(index)].GetInt(value);
    return value;
}

double CFixedOptionsProvider::GetDouble(int index) const
{
    double value = 0.0;
    (void)m_values[static_cast<std::size_t>(index)].GetDouble(value);
    return value;
}

bool CFixedOptionsProvider::GetBool(int index) const
{
    bool value = false;
    (void)m_values[static_cast<std::size_t>(index)].GetBool(value);
    return value;
}

void CFixedOptionsProvider::OnValueSet(int /*index*/)
{
}
