#pragma once
// CValueInputBuffer: the value a user types into the view while a tool is active (a
// length, an angle, a count), with a caret, until Enter hands it to the tool.

#include "platform/cstring.h"

class CValueInputBuffer
{
public:
    CValueInputBuffer() = default;

    // Empty text, caret at 0, replace on.
    void Clear();
    // The caret goes to the end of the new text.
    void SetText(const CString& text);
    // Control characters (below 32, DEL, 128..159) are refused.
    bool InsertChar(int code);
    // Backspace, End, Home, Left, Right and Delete; true when the text changed.
    bool HandleEditKey(int code);

    [[nodiscard]] const CString& GetText() const { return m_text; }
    [[nodiscard]] int GetCaret() const { return m_caret; }
    [[nodiscard]] int GetReplace() const { return m_replace; }
    void SetReplace(int replace) { m_replace = replace; }

private:
    void EraseAt(int position);

    CString m_text;
    int m_caret = 0;
    int m_replace = 1;
};
