#pragma once
// Helpers for the containers that keep their members in a vector of plain pointers
// (components, the layer, material and relationship lists): membership, bounded
// access, adding without duplicates, erasing, and the list of object references
// that such a container is written as.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/archive.h"

class CEntity;

// False for null and for an entity the list does not hold.
template <typename T>
[[nodiscard]] bool ListContains(const std::vector<T*>& list, const CEntity* entity)
{
    return entity != nullptr && std::find(list.begin(), list.end(), entity) != list.end();
}

// Null for an index below 0 or at or beyond the size.
template <typename T>
[[nodiscard]] T* ListAt(const std::vector<T*>& list, int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= list.size()) {
        return nullptr;
    }
    return list[static_cast<std::size_t>(index)];
}

// Appends the member unless the list holds it already; true when it was appended.
template <typename T>
bool AppendOnce(std::vector<T*>& list, T* member)
{
    if (ListContains(list, member)) {
        return false;
    }
    list.push_back(member);
    return true;
}

// Erases every member. The list keeps its pointers: an erased member belongs to the
// undo operation, which may give it back.
template <typename T>
void EraseEach(const std::vector<T*>& list)
{
    for (T* member : list) {
        member->Erase();
    }
}

// Writes the count, then each member as an object reference.
template <typename T>
void WriteReferences(CArchive& ar, const std::vector<T*>& list)
{
    ar << static_cast<std::int32_t>(list.size());
    for (const T* member : list) {
        ar.WriteObject(member);
    }
}

// Reads the count of a list of object references. Throws the archive exception:
// badIndex for a negative count, endOfFile for more references than the bytes left
// can hold.
[[nodiscard]] std::int32_t ReadReferenceCount(CArchive& ar);
