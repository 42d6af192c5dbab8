#pragma once
// CCmdUI: what an update handler says about one command: enabled, checked, its text,
// and whether its menu item shows at all.
// The frame applies the answer to the command's menu item and toolbar button.
#include "platform/cstring.h"
#include "platform/types.h"

class CCmdUI
{
public:
    explicit CCmdUI(UINT id) : m_nID(id) {}

    void Enable(bool enable = true) { m_enabled = enable; }
    // 0 unchecked, 1 checked.
    void SetCheck(int check = 1) { m_checked = check != 0; }
    void SetText(const CString& text)
    {
        m_text = text;
        m_hasText = true;
    }

    // Menu items of a list that grows and shrinks (the recent files) hide when unused.
    void SetVisible(bool visible)
    {
        m_visible = visible;
        m_hasVisibility = true;
    }

    [[nodiscard]] UINT GetID() const { return m_nID; }
    [[nodiscard]] bool IsEnabled() const { return m_enabled; }
    [[nodiscard]] bool IsChecked() const { return m_checked; }
    [[nodiscard]] bool HasText() const { return m_hasText; }
    [[nodiscard]] const CString& GetText() const { return m_text; }
    [[nodiscard]] bool HasVisibility() const { return m_hasVisibility; }
    [[nodiscard]] bool IsVisible() const { return m_visible; }

private:
    UINT m_nID;
    bool m_enabled = true;
    bool m_checked = false;
    bool m_hasText = false;
    bool m_visible = true;
    bool m_hasVisibility = false;
    CString m_text;
};
