#pragma once
// CKeptFaceTriangles: the triangles of faces that a fan cannot draw, kept from one draw
// to the next. A face holds the number of its entry as its display cache; the face lets
// go of it when its geometry changes or it is destroyed, so the triangles kept never
// outlive what they were cut from. The model is drawn and changed on one thread.

#include <cstdint>
#include <vector>

class CKeptFaceTriangles
{
public:
    CKeptFaceTriangles() = delete;

    struct SEntry
    {
        // The face's corners counted over all its loops when it was cut, each triangle
        // three indices into them.
        std::uint32_t corners = 0;
        std::vector<std::uint32_t> triangles;
    };

    // The entry's number (above 0), or 0 when the store is full and nothing was kept.
    static std::int32_t Keep(std::uint32_t corners, std::vector<std::uint32_t> triangles);
    // Null for a number that holds nothing.
    [[nodiscard]] static const SEntry* Find(std::int32_t number);
    static void Release(std::int32_t number);
    // The triangles' indices held by all entries together.
    [[nodiscard]] static std::size_t GetIndexCount();
};
