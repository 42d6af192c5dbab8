#pragma once
// CEqualLayers: the large triangles a frame has drawn, by their corners in window
// coordinates with their depth, so that one drawn exactly over an equal one (a copy
// placed where an equal copy stands, a face over an equal face) is known. While the depth
// test passes only what is nearer (GL_LESS, depth written), such a triangle's pixels are
// rejected before they are shaded or written: they cost what rejected pixels cost, as
// the count at opening weighs them. A bounded number is remembered; a triangle pushed
// out is later charged as filled, which can only charge more. User-interface thread only.

#include <array>

#include "foundation/recentkeys.h"

class CEqualLayers
{
public:
    // Triangles smaller than this many pixels are charged as filled, unremembered: their
    // fill costs less than their setup.
    static constexpr float kLargeTriangle = 1024.0f;

    // Forgets every triangle: a new frame clears the depth buffer.
    void Clear() { m_corners.Clear(); }
    // Reads from GL whether the depth test now rejects what lies at the depth already
    // written.
    void Load();
    [[nodiscard]] bool IsRejecting() const { return m_rejecting; }
    // Whether an equal triangle (x, y and depth of each corner) was drawn before while
    // the test rejected; remembers this one when not. Compared as bits: the same corners
    // through the same matrices give the same bits.
    [[nodiscard]] bool Repeats(const std::array<float, 9>& corners) { return m_corners.Repeats(corners); }

private:
    CRecentKeys<std::array<float, 9>, 4096> m_corners;
    bool m_rejecting = false;
};
