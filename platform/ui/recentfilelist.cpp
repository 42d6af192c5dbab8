#include "platform/ui/recentfilelist.h"

#include <algorithm>

#include "platform/printfformat.h"
#include "platform/profile.h"

namespace {

// The entry names take the entry's number and nothing else.
CString CheckedEntryFormat(const CString& entryFormat)
{
    return TakesSameValues(entryFormat.ToUtf8(), "%d") ? entryFormat : CString("File%d");
}

}  // namespace

CRecentFileList::CRecentFileList(const CString& section, const CString& entryFormat, int size)
    : m_section(section), m_entryFormat(CheckedEntryFormat(entryFormat)), m_size(std::max(size, 0))
{
}

void CRecentFileList::Add(const CString& path)
{
    if (path.IsEmpty() || m_size == 0)
        return;
    std::erase(m_entries, path);
    m_entries.insert(m_entries.begin(), path);
    if (static_cast<int>(m_entries.size()) > m_size)
        m_entries.resize(static_cast<size_t>(m_size));
}

void CRecentFileList::Remove(int index)
{
    if (index < 0 || index >= GetCount())
        return;
    m_entries.erase(m_entries.begin() + index);
}

CString CRecentFileList::operator[](int index) const
{
    if (index < 0 || index >= GetCount())
        return {};
    return m_entries[static_cast<size_t>(index)];
}

CString CRecentFileList::EntryName(int index) const
{
    return CString::Formatted(m_entryFormat.ToUtf8().c_str(), index + 1);
}

void CRecentFileList::ReadList()
{
    m_entries.clear();
    for (int i = 0; i < m_size; ++i)
    {
        const CString path = GetProfileString(m_section, EntryName(i), CString());
        if (path.IsEmpty())
            break;
        m_entries.push_back(path);
    }
}

void CRecentFileList::WriteList() const
{
    for (int i = 0; i < m_size; ++i)
        WriteProfileString(m_section, EntryName(i), (*this)[i]);
}
