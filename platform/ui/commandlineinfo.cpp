#include "platform/ui/commandlineinfo.h"

void CCommandLineInfo::ParseParam(const CString& text, bool isFlag, bool isLast)
{
    if (isFlag)
        ParseParamFlag(text);
    else
        ParseParamNotFlag(text);
    ParseLast(isLast);
}

void CCommandLineInfo::ParseParamNotFlag(const CString& text)
{
    if (m_strFileName.IsEmpty())
        m_strFileName = text;
}

void CCommandLineInfo::ParseLast(bool isLast)
{
    if (isLast && m_nShellCommand == FileNew && !m_strFileName.IsEmpty())
        m_nShellCommand = FileOpen;
}

void ParseCommandLineArguments(const std::vector<CString>& arguments, CCommandLineInfo& info)
{
    for (size_t i = 1; i < arguments.size(); ++i)
    {
        CString text = arguments[i];
        const bool isFlag = text.GetLength() > 1 && text[0] == u'-';
        if (isFlag)
            text = text.Mid(text.GetLength() > 2 && text[1] == u'-' ? 2 : 1);
        info.ParseParam(text, isFlag, i + 1 == arguments.size());
    }
}
