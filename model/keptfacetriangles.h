#pragma once
// CKeptFaceTriangles: the triangles of faces that a fan cannot draw, kept from one draw
// to the next, whether the sweep cut them or a tessellator that adds corners where loops
// cross; a face found too costly to fill keeps an entry without triangles, so that it
// is weighed once. A face that glued windows cut keeps the openings it was cut with,
// so that it is cut again only when they change. A face holds the number of its entry as its display cache; the face lets
// go of it when its geometry changes or it is destroyed, so the triangles kept never
// outlive what they were cut from. The model is drawn and changed on one thread.

#include <cstdint>
#include <utility>
#include <vector>

#include "foundation/point3d.h"

class CKeptFaceTriangles
{
public:
    CKeptFaceTriangles() = delete;

    // A corner added where loops cross or touch: a weighted mix of up to four corners
    // before it (the face's own, then the added ones), unused places weighing 0.
    struct SAddedCorner
    {
        std::uint32_t from[4] = {0, 0, 0, 0};
        float weights[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    };

    struct SEntry
    {
        // The face's corners counted over all its loops when it was cut (never 0), and
        // the openings' corners after them; each triangle three indices into them
        // followed by the added corners.
        std::uint32_t corners = 0;
        std::vector<std::uint32_t> triangles;
        std::vector<SAddedCorner> added;
        // The openings' outlines one after the other in the face's axes, and where each
        // ends; empty for a face cut from its own loops.
        std::vector<CPoint3d> openings;
        std::vector<std::size_t> openingEnds;

        // Cut from this many corners (all loops' and the openings') with these openings,
        // every point equal: one that moved at all is cut again.
        [[nodiscard]] bool IsCutWith(std::size_t allCorners, const std::vector<CPoint3d>& theseOpenings,
                                     const std::vector<std::size_t>& theseEnds) const;
    };

    // The entry's number (above 0), or 0 when the store is full, the corners are 0 or
    // an index points past the corners, and nothing was kept.
    static std::int32_t Keep(SEntry entry);
    static std::int32_t Keep(std::uint32_t corners, std::vector<std::uint32_t> triangles)
    {
        return Keep(SEntry{corners, std::move(triangles), {}, {}, {}});
    }
    // Null for a number that holds nothing.
    [[nodiscard]] static const SEntry* Find(std::int32_t number);
    static void Release(std::int32_t number);
    // The triangles' indices held by all entries together.
    [[nodiscard]] static std::size_t GetIndexCount();
    // The room the store holds, in indices (about 256 MB): past it a face is not kept and
    // is cut anew at every draw.
    static constexpr std::size_t kMaxIndices = std::size_t{1} << 26;
    // The room an entry of that many triangles and added corners takes.
    [[nodiscard]] static constexpr std::uint64_t RoomFor(std::uint64_t triangles, std::uint64_t added)
    {
        return 3 * triangles + 3 * added;
    }
};
