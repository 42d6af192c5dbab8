#pragma once
// CRecentFileList: the most recently opened files, newest first, kept in the profile as
// "File1".."FileN" of one section. A file opened again moves to the front.
#include <vector>

#include "platform/cstring.h"

class CRecentFileList
{
public:
    CRecentFileList(const CString& section, const CString& entryFormat, int size);

    // Moves or inserts the path at the front; the oldest entry drops off a full list.
    // An empty path is ignored.
    void Add(const CString& path);
    // Indexes outside the list are ignored.
    void Remove(int index);
    [[nodiscard]] int GetSize() const { return m_size; }
    // The number of entries in use.
    [[nodiscard]] int GetCount() const { return static_cast<int>(m_entries.size()); }
    // Empty for an index outside the entries in use.
    [[nodiscard]] CString operator[](int index) const;

    // Entries missing or empty in the profile end the list.
    void ReadList();
    // Writes every slot; slots past the entries in use are written empty.
    void WriteList() const;

private:
    [[nodiscard]] CString EntryName(int index) const;

    CString m_section;
    CString m_entryFormat;
    int m_size;
    std::vector<CString> m_entries;
};
