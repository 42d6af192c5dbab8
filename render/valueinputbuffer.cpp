#include "render/valueinputbuffer.h"

namespace {

constexpr int kBackspace = 8;
constexpr int kEnd = 35;
constexpr int kHome = 36;
constexpr int kLeft = 37;
constexpr int kRight = 39;
constexpr int kDelete = 46;

}  // namespace

void CValueInputBuffer::Clear()
{
    m_text.Empty();
    m_caret = 0;
    m_replace = 1;
}

void CValueInputBuffer::SetText(const CString& text)
{
    m_text = text;
    m_caret = m_text.GetLength();
}

bool CValueInputBuffer::InsertChar(int code)
{
    // Control characters (below 32, DEL and 128..159) have no glyph and no place in a value,
    // whoever sends them (the view's window already drops those of keys that are no
    // characters).
    if (code < 32 || (code >= 127 && code < 160) || code > 0xFFFF) {
        return false;
    }
    std::u16string units = m_text.Units();
    const auto at = static_cast<size_t>(std::min(m_caret, static_cast<int>(units.size())));
    units.insert(at, 1, static_cast<char16_t>(code));
    m_text = CString(units);
    m_caret = static_cast<int>(at) + 1;
    return true;
}

void CValueInputBuffer::EraseAt(int position)
{
    std::u16string units = m_text.Units();
    units.erase(static_cast<size_t>(position), 1);
    m_text = CString(units);
}

bool CValueInputBuffer::HandleEditKey(int code)
{
    const int length = m_text.GetLength();
    switch (code) {
    case kBackspace:
        if (m_caret <= 0) {
            return false;
        }
        --m_caret;
        EraseAt(m_caret);
        return true;
    case kEnd:
        m_caret = length;
        return false;
    case kHome:
        m_caret = 0;
        return false;
    case kLeft:
        m_caret = m_caret > 0 ? m_caret - 1 : 0;
        return false;
    case kRight:
        m_caret = m_caret < length ? m_caret + 1 : length;
        return false;
    case kDelete:
        if (m_caret >= length) {
            return false;
        }
        EraseAt(m_caret);
        return true;
    default:
        return false;
    }
}
