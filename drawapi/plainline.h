#pragma once
// CPlainLine: a segment drawn the way an edge without line effects draws itself, with
// the element it stands for, handed to the view in runs so that the lines of a large
// component reach the view's line arrays without a round of state calls for each.

#include <cstdint>

#include "foundation/color.h"
#include "foundation/point3d.h"

class CDrawingElement;

struct CPlainLine
{
    CDrawingElement* element = nullptr;
    CPoint3d start;
    CPoint3d end;
    // As the element hands it to SetColor: before the view fades it.
    CColor color;
    // As handed to SetLineWidth: before the view's scale.
    double width = 1.0;
    std::uint16_t stipple = 0;
};
