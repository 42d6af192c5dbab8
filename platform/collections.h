#pragma once
// Hash maps under the names the rest of the code calls them by. Iteration order is
// unspecified, as with any hash map; range-for walks (key, value) pairs.

#include <unordered_map>

#include "platform/cstring.h"

template <typename Key, typename Value>
class CHashMapOf
{
public:
    using Container = std::unordered_map<Key, Value>;
    using iterator = typename Container::iterator;
    using const_iterator = typename Container::const_iterator;

    // Accepted so callers may state an allocation block size; a hash map has no use for it.
    explicit CHashMapOf(int /*blockSize*/ = 10) {}

    void SetAt(const Key& key, const Value& value) { m_map[key] = value; }
    // False, leaving value alone, when the key is absent.
    bool Lookup(const Key& key, Value& value) const
    {
        const auto it = m_map.find(key);
        if (it == m_map.end()) {
            return false;
        }
        value = it->second;
        return true;
    }
    // The value under key, made empty when the key was absent.
    Value& operator[](const Key& key) { return m_map[key]; }
    // False when the key was absent.
    bool RemoveKey(const Key& key) { return m_map.erase(key) > 0; }
    void RemoveAll() { m_map.clear(); }
    [[nodiscard]] int GetCount() const { return static_cast<int>(m_map.size()); }
    [[nodiscard]] bool IsEmpty() const { return m_map.empty(); }

    iterator begin() { return m_map.begin(); }
    iterator end() { return m_map.end(); }
    const_iterator begin() const { return m_map.begin(); }
    const_iterator end() const { return m_map.end(); }

private:
    Container m_map;
};

class CMapPtrToPtr : public CHashMapOf<void*, void*>
{
public:
    using CHashMapOf::CHashMapOf;
};

class CMapStringToString : public CHashMapOf<CString, CString>
{
public:
    using CHashMapOf::CHashMapOf;
};
