#pragma once
// CClipVolume: tells from the GL matrices in force which primitives lie wholly inside the
// clip volume, which wholly outside it, and which cross its sides. GL draws nothing of a
// primitive outside, so it may be left out; Mesa's software renderer sends every run of
// vertices that holds one crossing primitive through its slow clipping stage, so drawing
// the inside ones apart spares them that, where their order does not matter. The test
// keeps a margin: a primitive that is nearly on a side counts as crossing it.
//
// Only while GL renders (not while it selects or gives feedback). User-interface
// thread only, with the view's context current.

#include <array>
#include <cstddef>
#include <functional>
#include <vector>

class CEqualLayers;

class CClipVolume
{
public:
    enum Place
    {
        kOutside,
        kInside,
        kCrossing
    };

    // Reads the matrices; false when GL does not render now, and nothing may be left out.
    // Primitives that reach this many pixels past their geometry (half the width of a
    // wide line, and one for smoothing) count as outside only that much farther out.
    [[nodiscard]] bool Load(double reachPixels = 0.0);
    // The primitive of `size` vertices, 3 floats each.
    [[nodiscard]] Place Classify(const float* positions, int size) const;
    // The box around the vertices: what lies in it lies inside when it does, outside
    // when it does.
    [[nodiscard]] Place ClassifyBox(const float* positions, std::size_t vertexCount) const;

    // An array of one attribute per vertex that moves with the positions.
    struct Attribute
    {
        void* data = nullptr;
        std::size_t bytes = 0;
    };
    // Leaves out the whole primitives of `size` vertices that lie outside; the vertices
    // kept come first, in their order, with their attributes. Reordered, the inside
    // primitives come before the crossing ones and the attributes stay where they are
    // (the caller reorders only primitives whose attributes are all alike). Answers the
    // number of vertices kept.
    std::size_t Sift(float* positions, std::size_t vertexCount, int size, bool reordered,
                     const std::vector<Attribute>& attributes);
    // The same, asking whether to reorder only when the box around all the primitives
    // crosses a side: the answer may cost a scan of them, which a batch in full view spares.
    std::size_t SiftAsking(float* positions, std::size_t vertexCount, int size,
                           const std::function<bool()>& reordered, const std::vector<Attribute>& attributes);
    // About what filling the triangles (3 vertices each) costs the rasteriser, in pixels:
    // the pixels each covers, as often as it is drawn, and for each tile of the screen
    // its longer side reaches a few hundred more, since a long thin triangle costs a
    // setup in every tile it crosses however few pixels it covers there. A triangle
    // that reaches behind the eye, or beyond the viewport, counts as the whole viewport.
    // With layers, the pixels of a large triangle drawn exactly over an equal one are
    // added to rejected instead, which the depth test rejects. With setups, the setups are
    // added there instead: they are the drawing thread's, the pixels the rasteriser's
    // threads'.
    [[nodiscard]] double CountTrianglePixels(const float* positions, std::size_t vertexCount,
                                             CEqualLayers* layers = nullptr, double* rejected = nullptr,
                                             double* setups = nullptr) const;
    // The same for lines (2 vertices each) of that width in pixels: the pixels each
    // covers, its length across the screen times its width (no longer than the viewport's
    // diagonal) and what each step along that length costs; its setup, on the thread that
    // draws, is the caller's to charge. A line reaching behind the eye counts as the
    // viewport's diagonal.
    [[nodiscard]] double CountLinePixels(const float* positions, std::size_t vertexCount, double width) const;
    // The same for a convex polygon of that many corners (3 doubles each), as GL fills
    // it in triangles from its first corner; a quad of a shadow volume, or its cap. With
    // setups, its triangles' setups are added there instead, as above.
    [[nodiscard]] double CountPolygonPixels(const double* positions, std::size_t cornerCount,
                                            double* setups = nullptr) const;

private:
    // The triangle's corners in window pixels about the viewport's centre (x and y as
    // counted) and their depth.
    [[nodiscard]] std::array<float, 9> WindowCorners(const float* corners, const float (&x)[3],
                                                     const float (&y)[3]) const;

    // Projection times modelview, column after column as GL holds it.
    float m_matrix[16] = {};
    // Near and far do not clip while depth clamping is on.
    bool m_depthClamped = false;
    // The reach in clip coordinates per unit of w, along x and y.
    float m_reachX = 0.0f;
    float m_reachY = 0.0f;
    // Half the viewport in pixels.
    double m_halfWidth = 0.0;
    double m_halfHeight = 0.0;
    std::vector<float> m_crossing;
};
