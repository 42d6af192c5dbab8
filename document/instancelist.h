#pragma once
// CInstanceList: the placed instances of a component definition, in order of
// registration. A model lets go of its instances first to last, so taking out the
// first costs nothing (the list only moves its start and compacts once half of it is
// unused), while an empty or one-instance list holds no more than a vector: a model of
// hundreds of thousands of definitions, each placed once, keeps a few bytes for each.
// The list does not own the instances.

#include <cstddef>
#include <span>
#include <vector>

class CComponentInstance;

class CInstanceList
{
public:
    using Items = std::vector<CComponentInstance*>;

    [[nodiscard]] std::size_t size() const { return m_items.size() - m_head; }
    [[nodiscard]] bool empty() const { return size() == 0; }
    [[nodiscard]] Items::const_iterator begin() const { return m_items.begin() + Head(); }
    [[nodiscard]] Items::const_iterator end() const { return m_items.end(); }
    // The index must lie below size().
    [[nodiscard]] CComponentInstance* operator[](std::size_t index) const { return m_items[m_head + index]; }
    [[nodiscard]] std::span<CComponentInstance* const> GetSpan() const { return {m_items.data() + m_head, size()}; }

    void push_back(CComponentInstance* instance) { m_items.push_back(instance); }
    void clear();
    // Takes out the first occurrence, the others kept in order; false when it is not
    // listed.
    bool EraseFirst(const CComponentInstance* instance);
    // Takes out the entry at the index below size(), the others kept in order.
    void EraseAt(std::size_t index);
    void swap(CInstanceList& other) noexcept;

private:
    [[nodiscard]] std::ptrdiff_t Head() const { return static_cast<std::ptrdiff_t>(m_head); }

    Items m_items;
    // Entries before this index were taken out.
    std::size_t m_head = 0;
};
