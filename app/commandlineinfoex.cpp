#include "app/commandlineinfoex.h"

void CCommandLineInfoEx::ParseParam(const CString& text, bool isFlag, bool isLast)
{
    if (isFlag)
    {
        m_options[text] = CString("TRUE");
        m_pending = text;
        CCommandLineInfo::ParseParam(text, isFlag, isLast);
        return;
    }
    if (m_pending.IsEmpty())
    {
        CCommandLineInfo::ParseParam(text, isFlag, isLast);
        return;
    }
    m_options[m_pending] = text;
    m_pending.Empty();
    ParseLast(isLast);
}

bool CCommandLineInfoEx::GetOption(const CString& name, CString& value) const
{
    const auto found = m_options.find(name);
    if (found == m_options.end())
        return false;
    value = found->second;
    return true;
}

bool CCommandLineInfoEx::HasOption(const CString& name) const
{
    return m_options.count(name) != 0;
}
