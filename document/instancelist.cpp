#include "document/instancelist.h"

#include <algorithm>
#include <utility>

void CInstanceList::clear()
{
    m_items.clear();
    m_head = 0;
}

bool CInstanceList::EraseFirst(const CComponentInstance* instance)
{
    const auto found = std::find(begin(), end(), instance);
    if (found == end()) {
        return false;
    }
    EraseAt(static_cast<std::size_t>(found - begin()));
    return true;
}

void CInstanceList::EraseAt(std::size_t index)
{
    if (index != 0) {
        m_items.erase(m_items.begin() + Head() + static_cast<std::ptrdiff_t>(index));
        return;
    }
    ++m_head;
    // Compacting once the unused start outgrows the rest keeps each removal amortised
    // constant and the memory within twice what is listed.
    if (m_head == m_items.size()) {
        clear();
    } else if (m_head * 2 > m_items.size()) {
        m_items.erase(m_items.begin(), m_items.begin() + Head());
        m_head = 0;
    }
}

void CInstanceList::swap(CInstanceList& other) noexcept
{
    m_items.swap(other.m_items);
    std::swap(m_head, other.m_head);
}
