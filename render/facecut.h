#pragma once
// CFaceCut: the one way a face whose loops are not a plain polygon with holes is cut into
// triangles, for every road that fills faces (the face batch, and the polygons placed for
// shadow caps, ground shadows and section fills), each step of a size known before it
// starts:
//  1. the sweep cuts the loops as they are (n log n);
//  2. loops that only touch at corners are cut by the sweep with the corners that share a
//     place moved a hair apart (into the inside of their loops, else into their narrower
//     angles), and the triangles, drawn at the corners' own places, are checked there to
//     cover the face's area once;
//  3. loops that cross, or run along each other, are turned by the polygon clipping
//     library into loops that do not (the positive winding rule, as the faces were always
//     filled), once its work is counted and found within bounds; corners lying straight
//     between their neighbours are not handed to it (its joins walk whole loops) and are
//     put back in the sides it returns; those are cut as in 1 and 2. Past the bounds the
//     face is left unfilled, its edges drawn, said once.
// The winding is chosen once from the outer loop's turn: an outer loop that turns
// clockwise (a mirroring placement) is filled as its mirror image is.

#include <cstdint>
#include <vector>

#include "foundation/point2d.h"
#include "model/facecutcost.h"
#include "model/keptfacetriangles.h"
#include "render/polygontriangulator.h"

class CFaceCut
{
public:
    enum class EResult
    {
        kDone,
        // Too costly to resolve, a corner not a number, or not cut: nothing to fill.
        kUnfilled,
        // The frame must stop or the program quit meanwhile; the triangles are incomplete.
        kAbandoned,
    };

    // The loops' corners seen in the face's plane one after the other; loopEnds holds
    // where each loop ends (each loop three corners at least, else nothing is cut). The
    // frame is charged for the work as it is done.
    EResult Cut(const std::vector<CPoint2d>& points, const std::vector<std::uint32_t>& loopEnds);

    // Three indices each, counter-clockwise in the coordinates given: first the corners,
    // then the added corners.
    [[nodiscard]] std::vector<std::uint32_t>& GetTriangles() { return m_triangles; }
    // Corners made where loops cross, each a mix of corners of the face.
    [[nodiscard]] std::vector<CKeptFaceTriangles::SAddedCorner>& GetAdded() { return m_added; }

    // Whether triangles cut at moved corners cover the loops' area once at the corners'
    // own places: the sum of their areas' magnitudes matches the loops' area within what
    // moving corners by at most maxMove can change. O(n).
    [[nodiscard]] static bool CoversOnce(const std::vector<CPoint2d>& own, const std::vector<std::uint32_t>& loopEnds,
                                         const std::vector<std::uint32_t>& triangles, double maxMove);

private:
    using EStep = CPolygonTriangulator::EResult;

    // The sweep on the loops, then on them with touching corners moved apart.
    EStep CutSimple(const std::vector<CPoint2d>& points, const std::vector<std::uint32_t>& loopEnds,
                    std::vector<std::uint32_t>& triangles);
    EStep CutSeparated(const std::vector<CPoint2d>& points, const std::vector<std::uint32_t>& loopEnds,
                       std::vector<std::uint32_t>& triangles);
    // Loops the sweep refused: counted, then split where a corner lies inside a side
    // when they only touch, else resolved; the triangles index m_flat, then m_added.
    EResult Resolve(const std::vector<std::uint32_t>& loopEnds);
    EResult ResolveCrossings(const std::vector<CFaceCutCost::SGridPoint>& grid,
                             const std::vector<std::uint32_t>& loopEnds);
    // Cuts the loops the library returned, the corners straight, which it was not handed,
    // put back in the sides they lie inside.
    EResult CutResolved(const std::vector<CFaceCutCost::SGridPoint>& grid,
                        const std::vector<CFaceCutCost::SGridPoint>& returned,
                        const std::vector<std::uint32_t>& returnedEnds, const std::vector<std::uint32_t>& straight);
    // Of the corners left out and found inside sides (each listed three times, from
    // firstLeftOut on), each once, and none where a corner already lies in that side.
    static void DropCopies(const std::vector<CFaceCutCost::SGridPoint>& grid, std::size_t firstLeftOut,
                           CFaceCutCost::Touches& touches);
    // The loops with the corners lying inside each side put in it: the points (indices
    // before the split) in their loops' order, and where each loop ends.
    static void SplitAtTouches(const std::vector<CFaceCutCost::SGridPoint>& grid,
                               const std::vector<std::uint32_t>& loopEnds, CFaceCutCost::Touches& touches,
                               std::vector<std::uint32_t>& order, std::vector<std::uint32_t>& ends);
    // Splits the loops at their touches, cuts them at the places cutAt and checks the
    // triangles at the places own; the triangles found, through corner, become m_triangles.
    EStep CutSplit(const std::vector<CPoint2d>& cutAt, const std::vector<CPoint2d>& own,
                   const std::vector<std::uint32_t>& corner, const std::vector<CFaceCutCost::SGridPoint>& grid,
                   const std::vector<std::uint32_t>& loopEnds, CFaceCutCost::Touches& touches);
    // The index of a corner the library handed back: a corner of the face at that place,
    // or one added.
    std::uint32_t MapBack(std::int64_t x, std::int64_t y);
    void ChooseBasis();

    CPolygonTriangulator m_triangulator;
    std::vector<CPoint2d> m_flat;
    std::vector<CPoint2d> m_separated;
    std::vector<std::uint32_t> m_triangles;
    std::vector<CKeptFaceTriangles::SAddedCorner> m_added;
    // While resolving: the grid's scale, the corners' places on it, and three corners
    // spanning the plane, of which the added corners are mixed.
    double m_scale = 1.0;
    std::vector<std::pair<std::uint64_t, std::uint32_t>> m_gridIndex;
    std::uint32_t m_basis[3] = {0, 0, 0};
    // How far from the places checked the places cut may lie (the grid's rounding).
    double m_slack = 0.0;
};
