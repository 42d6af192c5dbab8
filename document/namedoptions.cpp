#include "document/namedoptions.h"

#include <iterator>

using orvell::utils::CTypedValue;

CString CNamedOptions::GetKeyName(int index) const
{
    if (index < 0 || index >= GetKeyCount()) {
        return {};
    }
    return CString::FromAnsi(std::next(m_values.begin(), index)->first);
}

bool CNamedOptions::SetValue(const CString& key, const CTypedValue& value)
{
    if (value.IsEmpty()) {
        m_values.erase(key.ToAnsi());
    } else {
        m_values[key.ToAnsi()] = value;
    }
    return true;
}

CTypedValue CNamedOptions::GetValue(const CString& key) const
{
    const auto found = m_values.find(key.ToAnsi());
    return found == m_values.end() ? CTypedValue() : found->second;
}

COptionsProvider* CNamedOptions::Clone() const
{
    return new CNamedOptions(*this);
}
