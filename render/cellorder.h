#pragma once
// CCellOrder: puts primitives that lie near each other next to each other in their
// vertex arrays. Mesa's software renderer clips and bins the vertices of a draw in runs
// of a few thousand; a run whose primitives all lie inside (or all outside) the view
// skips the clipping stage, and a grid seen across, drawn row after row, gives it runs
// that all cross the sides of the view. The primitives are ordered by the cell, of a
// grid of 32 by 32 by 32 cells over their box, that holds their first vertex (they are
// small beside such a grid), cells following a curve that goes from each cell to a
// neighbour.
//
// Only positions move: the caller orders primitives whose other attributes are all
// alike, under GL state in which their order does not change a pixel.

#include <cstddef>
#include <cstdint>
#include <vector>

class CCellOrder
{
public:
    // Orders the primitives of `size` vertices (3 floats each) at the front of the
    // array; a vertex left over after the last whole primitive stays where it is.
    void Arrange(float* positions, std::size_t vertexCount, int size);

private:
    std::vector<std::uint32_t> m_cellOf;
    std::vector<std::uint32_t> m_starts;
    std::vector<float> m_moved;
};
