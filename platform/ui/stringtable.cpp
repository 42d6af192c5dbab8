#include "platform/ui/stringtable.h"

#include <cstdio>
#include <mutex>
#include <set>

#include "platform/printfformat.h"
#include "platform/resources.h"

namespace {

void ReportRefusedTranslation(int id)
{
    static std::mutex lock;
    static std::set<int> reported;
    const std::lock_guard guard(lock);
    if (reported.insert(id).second)
        std::fprintf(stderr,
                     "glimra: the translation of string %d takes other values than the built-in string, "
                     "which is used instead\n",
                     id);
}

}  // namespace

CString LoadStringResource(int id)
{
    if (id == 0)
        return {};
    return LoadResourceString(id).value_or(CString());
}

CString LoadFormatString(int id)
{
    const CString text = LoadStringResource(id);
    const CString builtIn = LoadBuiltInString(id).value_or(CString());
    if (text == builtIn || TakesSameValues(text.ToUtf8(), builtIn.ToUtf8()))
        return text;
    ReportRefusedTranslation(id);
    return builtIn;
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
