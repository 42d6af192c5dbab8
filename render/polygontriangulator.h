#pragma once
// CPolygonTriangulator: cuts a plane polygon with holes into triangles in time that
// grows as n log n in its corners. One sweep from top to bottom adds the diagonals that
// cut the polygon into pieces monotone in y; each piece is then cut into triangles
// along its two sides.
//
// The polygon must be simple: loops that neither cross nor touch, no two corners in one
// place, and the inside on the left of every loop (outer loops counter-clockwise, holes
// clockwise), which the sweep checks as it goes. Any other polygon is answered as
// unsuited, so that the caller (CFaceCut) can part touching loops or resolve crossings.
// The triangles found are checked against the polygon's area before they are given.

#include <cstdint>
#include <vector>

#include "foundation/point2d.h"
#include "foundation/point3d.h"
#include "foundation/vector3d.h"

class CPolygonTriangulator
{
public:
    enum class EResult
    {
        kDone,
        // Not simple, or too close to it for the sweep's arithmetic.
        kUnsuited,
        // The program was asked to quit meanwhile; the triangles are incomplete.
        kAbandoned,
    };

    // The loops' corners one after the other; loopEnds holds where each loop ends (each
    // loop has three corners at least). The triangles are three indices into the corners
    // each, counter-clockwise.
    EResult Triangulate(const std::vector<CPoint2d>& points, const std::vector<std::uint32_t>& loopEnds,
                        std::vector<std::uint32_t>& triangles);

    // Moves every corner that shares its place with another corner a hair's breadth along
    // its bisector, into the inside of its loop (inside) or into the narrower angle
    // between its two sides, so that loops which only touch at corners (or run along
    // each other corner to corner) no longer touch and the sweep can cut them. Loops that
    // run along each other part when moved inside, petals that meet at one point when
    // moved into their narrower angles; the sweep still refuses any that overlap, and a
    // fill the move would change. The triangles
    // found then index the corners as before, to be drawn at their own places, where
    // the caller checks them (CFaceCut::CoversOnce). False when no two corners share a
    // place. The k-th corner of a place moves k steps (SeparationStep).
    static bool SeparateTouchingCorners(std::vector<CPoint2d>& points, const std::vector<std::uint32_t>& loopEnds,
                                        bool inside);
    // The step of the moves: 2^-30 of the polygon's extent measured from its first corner,
    // at least kSeparationUlps units in the last place of its largest coordinate.
    [[nodiscard]] static double SeparationStep(const std::vector<CPoint2d>& points);
    static constexpr double kSeparationUlps = 256.0;

    // The point seen in a plane with this normal: the axis the normal leans on most is
    // dropped, and the other two are taken in the order that keeps counter-clockwise
    // about the normal counter-clockwise in the plane.
    [[nodiscard]] static CPoint2d Flatten(const CPoint3d& point, const CVector3d& normal);

private:
    struct SDiagonal
    {
        std::uint32_t a;
        std::uint32_t b;
    };
    class CSweep;

    // Moves the corner the distance into the inside or the narrower angle between its
    // sides; false, nothing moved, when a side has no length.
    static bool MoveIntoAngle(const std::vector<CPoint2d>& points, std::uint32_t before, std::uint32_t corner,
                              std::uint32_t after, double distance, bool inside, CPoint2d& to);
    [[nodiscard]] bool SetUpLoops(const std::vector<std::uint32_t>& loopEnds);
    // Cuts the pieces bounded by the loops and the diagonals into triangles.
    EResult TriangulatePieces(std::vector<std::uint32_t>& triangles);
    // Sorts each corner's outgoing sides counter-clockwise from its loop's next side.
    [[nodiscard]] bool SortOutgoing();
    void TriangulateMonotone(const std::vector<std::uint32_t>& piece, std::vector<std::uint32_t>& triangles);
    void Emit(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::vector<std::uint32_t>& triangles) const;
    [[nodiscard]] bool HasPolygonArea(const std::vector<std::uint32_t>& triangles) const;

    const std::vector<CPoint2d>* m_points = nullptr;
    std::vector<std::uint32_t> m_next;
    std::vector<std::uint32_t> m_previous;
    std::vector<SDiagonal> m_diagonals;
    // Each corner's outgoing sides from m_firstOut[i] to m_firstOut[i + 1]: the target and
    // the diagonal (or kLoopSide for the loop's own side).
    std::vector<std::uint32_t> m_firstOut;
    std::vector<std::uint32_t> m_outTarget;
    std::vector<std::uint32_t> m_outDiagonal;
    // Where each diagonal sits among its two ends' outgoing sides.
    std::vector<std::uint32_t> m_diagonalAtA;
    std::vector<std::uint32_t> m_diagonalAtB;
};
