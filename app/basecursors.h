#pragma once
// CBaseCursors: turns the cursor ids tools ask for into cursor handles: the platform's
// standard cursors, a fixed table of named cursors made from embedded images (each loaded
// once and kept), cursors added at run time from image files, and the arrow when nothing
// else answers. The platform steps are virtual; CGlimraCursors fills them.
#include <string>
#include <vector>

#include "platform/cstring.h"
#include "platform/ui/cursor.h"

struct CCursorRecord
{
    int id = 0;
    float hotX = 0.0f;
    float hotY = 0.0f;
    std::string name;
    std::string resourceType;
    HCURSOR handle = nullptr;
};

class CBaseCursors
{
public:
    // Ids given to cursors added at run time start after this one.
    static constexpr int kFirstRuntimeId = 50000;

    CBaseCursors();
    virtual ~CBaseCursors();
    CBaseCursors(const CBaseCursors&) = delete;
    CBaseCursors& operator=(const CBaseCursors&) = delete;

    // The id of a cursor made from the file, 0 when the file gives none.
    virtual int AddCursorFromFile(const CString& path, float hotX, float hotY) { return 0; }
    virtual HCURSOR GetSystemCursor(int id) { return nullptr; }
    // The table cursor of that id, loaded on first use; null when the id is not in the
    // table or its image does not load (it is tried again next time).
    virtual HCURSOR GetTableCursor(int id);
    virtual HCURSOR GetDefaultCursor() { return nullptr; }
    virtual HCURSOR LoadImageCursor(int id, const std::string& resourceType, float hotX, float hotY)
    {
        return nullptr;
    }

    // Default for 0; then standard, table and run-time cursors; else the default.
    [[nodiscard]] HCURSOR GetCursor(int id);
    // Keeps a copy under the next run-time id and returns that id.
    int AddCursor(const CCursorRecord& record);

    [[nodiscard]] const std::vector<CCursorRecord>& GetTable() const { return m_table; }
    [[nodiscard]] const std::vector<CCursorRecord>& GetRuntimeCursors() const { return m_runtime; }

private:
    std::vector<CCursorRecord> m_table;
    std::vector<CCursorRecord> m_runtime;
    int m_lastRuntimeId = kFirstRuntimeId;
};

// The 53 named cursors in table order, without handles.
[[nodiscard]] const std::vector<CCursorRecord>& GetCursorTable();
