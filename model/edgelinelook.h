#pragma once
// CEdgeLineLook: what the display settings make of one edge's line, weighed for the
// count at opening as a frame pays for it: the vertices its strokes and end ticks send,
// and the pixels they fill, part growing with the line's length on the screen and part
// (setups, ticks, extensions) a fixed number of pixels whatever its length. By default a
// plain line a pixel wide.

#include <cstdint>

#include "foundation/framemeter.h"

struct CEdgeLineLook
{
    // The rasteriser sets each stroke up as a triangle, and steps along it a pixel at a
    // time: in filled pixels.
    static constexpr auto kSetupPixels =
        static_cast<double>(CFrameMeter::kTriangleSetupCost * CFrameMeter::kFilledPixelsPerUnit);
    static constexpr auto kStepPixels = static_cast<double>(CFrameMeter::kLineStepPixels);

    // Vertices sent: two for each stroke and each end tick.
    std::uint64_t vertices = 2;
    // The strokes' widths in pixels and their steps, summed: the line's length on the
    // screen times this is what its strokes cost. 0 when the settings do not draw the edge.
    double widthAlong = 1.0 + kStepPixels;
    // Pixels whatever the line's length: the strokes' setups, end ticks and extensions.
    double fixedPixels = kSetupPixels;

    // Each respect the heavier of the two: settings that differ page by page.
    void Take(const CEdgeLineLook& other)
    {
        vertices = vertices < other.vertices ? other.vertices : vertices;
        widthAlong = widthAlong < other.widthAlong ? other.widthAlong : widthAlong;
        fixedPixels = fixedPixels < other.fixedPixels ? other.fixedPixels : fixedPixels;
    }

    bool operator==(const CEdgeLineLook&) const = default;
};
