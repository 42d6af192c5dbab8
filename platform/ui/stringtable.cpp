#include "platform/ui/stringtable.h"

#include "platform/resources.h"

CString LoadStringResource(int id)
{
    if (id == 0)
        return {};
    return LoadResourceString(id).value_or(CString());
}

CString ExtractSubString(const CString& text, int field, char16_t separator)
{
    int start = 0;
    for (int i = 0; i < field; ++i)
    {
        const int next = text.Find(separator, start);
        if (next < 0)
            return {};
        start = next + 1;
    }
    const int end = text.Find(separator, start);
    return end < 0 ? text.Mid(start) : text.Mid(start, end - start);
}

CString GetCommandPrompt(int id)
{
    return ExtractSubString(LoadStringResource(id), 0);
}

CString GetCommandTip(int id)
{
    const CString text = LoadStringResource(id);
    return text.Find(u'\n') < 0 ? text : ExtractSubString(text, 1);
}
