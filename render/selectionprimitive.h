#pragma once
// CSelectionPrimitive: the view's open primitive while it draws for GL selection,
// gathered in a client-side vertex array and sent in chunks of at most kChunkVertices
// vertices instead of through glBegin ... glEnd. Under the software rasteriser every
// vertex sent in immediate mode in selection mode stays allocated in the driver for
// good (its vertex buffers are never given back), so a pick that sends a polyline of a
// million points one at a time would keep about 12 MB each time; an array in the
// program's memory costs the driver nothing that stays.
//
// A chunk ends where the primitive may be cut without changing the hits: strips keep
// their last vertex (two for triangle and quad strips, so that every chunk starts on
// an even vertex and keeps its winding), fans their first and last, lines, triangles
// and quads a whole count; a line loop longer than a chunk goes as a strip closed by
// its first vertex. A polygon cannot be cut without changing what a wireframe pick
// sees, so it is sent whole; the array then shrinks back after it. Selection hits
// depend on geometry only: colours, normals and styles set meanwhile go to GL as they
// would, and are never gathered.
//
// User-interface thread only, with the view's context current and GL in selection mode.

#include <cstddef>
#include <vector>

#include "foundation/point3d.h"

class CSelectionPrimitive
{
public:
    // Divisible by 2, 3 and 4, so that lines, triangles and quads end whole.
    static constexpr std::size_t kChunkVertices = 3072;

    // Starts gathering a primitive of the GL mode (GL_POINTS to GL_POLYGON); one that is
    // open is sent first.
    void Open(unsigned mode);
    [[nodiscard]] bool IsOpen() const { return m_open; }
    // Adds a vertex; a full chunk goes to GL at once.
    void AddVertex(const CPoint3d& point);
    // Sends what is left and closes; nothing happens when none is open.
    void Close();
    // Forgets what was gathered without sending it (the context went away).
    void Discard();
    // Room held for vertices: at most a chunk once closed, whatever was drawn.
    [[nodiscard]] std::size_t GetCapacity() const { return m_positions.capacity() / 3; }

private:
    [[nodiscard]] std::size_t GetCount() const { return m_positions.size() / 3; }
    // Sends the gathered vertices as the mode and keeps what the next chunk continues
    // from.
    void SendChunk();
    void Send(unsigned mode) const;
    void KeepLast(std::size_t count);

    unsigned m_mode = 0;
    bool m_open = false;
    // Whether a chunk of this primitive went to GL already.
    bool m_cut = false;
    // The first vertex, for a line loop cut into strips.
    float m_first[3] = {0.0f, 0.0f, 0.0f};
    std::vector<float> m_positions;
};
