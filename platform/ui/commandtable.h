#pragma once
// CCommandTable: a command target's commands as rows (id or id range, menu text, handler,
// update rule), so menus, toolbars and routing read one list instead of code spread over
// constructors.
#include <functional>
#include <vector>

#include "platform/cstring.h"
#include "platform/types.h"
#include "platform/ui/cmdui.h"

struct CCommandRow
{
    UINT firstId = 0;
    // The same as firstId for a single command.
    UINT lastId = 0;
    CString text;
    // Given the id the command arrived with.
    std::function<void(UINT)> handler;
    // Null: the command is enabled whenever it has a handler.
    std::function<void(CCmdUI&)> update;

    [[nodiscard]] bool Covers(UINT id) const { return id >= firstId && id <= lastId; }
};

class CCommandTable
{
public:
    void Add(UINT id, const CString& text, std::function<void()> handler,
             std::function<void(CCmdUI&)> update = {});
    void AddRange(UINT firstId, UINT lastId, std::function<void(UINT)> handler,
                  std::function<void(CCmdUI&)> update = {});
    // A row with an update rule only, for a command whose handler lies elsewhere.
    void AddUpdate(UINT id, std::function<void(CCmdUI&)> update);

    // Runs the handler of the first row covering the id; false when no row handles it.
    bool Execute(UINT id) const;
    // Runs the update rule of the first row covering the id; false when no row covers it.
    bool Update(CCmdUI& ui) const;
    // The first row covering the id, or null.
    [[nodiscard]] const CCommandRow* Find(UINT id) const;
    [[nodiscard]] const std::vector<CCommandRow>& GetRows() const { return m_rows; }

private:
    std::vector<CCommandRow> m_rows;
};
