#include "platform/ui/commandtable.h"

void CCommandTable::Add(UINT id, const CString& text, std::function<void()> handler,
                        std::function<void(CCmdUI&)> update)
{
    CCommandRow row;
    row.firstId = id;
    row.lastId = id;
    row.text = text;
    if (handler)
        row.handler = [h = std::move(handler)](UINT) { h(); };
    row.update = std::move(update);
    m_rows.push_back(std::move(row));
}

void CCommandTable::AddRange(UINT firstId, UINT lastId, std::function<void(UINT)> handler,
                             std::function<void(CCmdUI&)> update)
{
    CCommandRow row;
    row.firstId = firstId;
    row.lastId = lastId;
    row.handler = std::move(handler);
    row.update = std::move(update);
    m_rows.push_back(std::move(row));
}

void CCommandTable::AddUpdate(UINT id, std::function<void(CCmdUI&)> update)
{
    Add(id, {}, {}, std::move(update));
}

const CCommandRow* CCommandTable::Find(UINT id) const
{
    for (const CCommandRow& row : m_rows)
        if (row.Covers(id))
            return &row;
    return nullptr;
}

bool CCommandTable::Execute(UINT id) const
{
    for (const CCommandRow& row : m_rows)
        if (row.Covers(id) && row.handler)
        {
            row.handler(id);
            return true;
        }
    return false;
}

bool CCommandTable::Update(CCmdUI& ui) const
{
    for (const CCommandRow& row : m_rows)
    {
        if (!row.Covers(ui.GetID()))
            continue;
        if (row.update)
            row.update(ui);
        else if (!row.handler)
            continue;
        return true;
    }
    return false;
}
