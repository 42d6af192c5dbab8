#pragma once
// Faces whose loops touch one another or themselves, made to be filled: combs whose hole
// touches the outline, columns of windows touching corner to corner, grids of windows
// sharing sides, petals meeting at one point, a loop touching itself once, a hole at an
// outline's corner, small faces far from the origin and a hole running along the
// outline's side; and faces whose holes cross one another (a ladder whose sides are long
// runs of corners in a line, a square crossed by strips). Each shape knows the area the
// positive winding rule fills, worked out from its corners, so that a fill can be
// checked against it. Tests, benchmarks and the sample generator share them.

#include <string>
#include <vector>

#include "foundation/point3d.h"

class CComponent;
class CFace;
class CTarnwickModel;

// A face in the plane z = 0, seen from +z: the outer loop counter-clockwise, then the
// holes clockwise. Loops touch (corners in the same places, a corner on another loop's
// side, sides along each other), and holes may cross one another but not the outline,
// so that the positive winding rule fills exactly the outer loop less the holes, and
// each lobe of a loop that touches itself.
struct SFaceShape
{
    std::string name;
    std::vector<std::vector<CPoint3d>> loops;
    // Outlines that windows glued to the face cut into it, apart from each other and
    // from the loops.
    std::vector<std::vector<CPoint3d>> openings;
    // Where holes cross, the area their signed areas take away twice.
    double overlap = 0.0;
    // What the positive winding rule fills, from the corners as they are (to within the
    // rounding of extended precision).
    double area = 0.0;

    [[nodiscard]] std::size_t GetCornerCount() const;
    // The largest width or height of the outer loop.
    [[nodiscard]] double GetExtent() const;
    [[nodiscard]] CPoint3d GetCentre() const;
};

// One kind of shape, made at a size.
struct SFaceShapeKind
{
    const char* name;
    // What the size counts, for the sample generator's usage text.
    const char* size;
    SFaceShape (*make)(int size);
};

// Every kind, in a fixed order:
//   comb-x-side N    a comb of N teeth along x whose hole has a corner on the middle of
//                    the spine's long side (4N + 4 corners)
//   comb-x-touch N   the same, the hole's corner on the outline's corner at a tooth's root
//   comb-y-side N, comb-y-touch N
//                    the same combs turned a quarter, their teeth along y
//   diamonds N       a column of N diamond windows, each touching the next corner to corner
//   windows N        a grid of N x N square windows, each sharing its sides with its neighbours
//   petals N         one loop of N petals leaving one point and coming back to it (3N corners)
//   bowtie           a loop of six corners touching itself at its middle
//   cornerhole       a square with a hole that has a corner on the square's corner
//   farface N        2 across, 1e7 from the origin: a square with two triangular holes that
//                    share a corner and nearly touch along their sides; 0 the smallest such
//                    face found cut wrongly, any other N one made at random from N
//   farnarrow N      the same, 0.002 across, 1e6 from the origin
//   sharedrun N      a hole whose side lies along the outline's side, both with corners at
//                    the same N places along it
//   ladder N         10 wide and N high, each long side a run of N + 1 corners in a line;
//                    a hole as wide as the face runs along both long sides from 2.5 to
//                    N - 2.5, and two small holes cross each other below it
//   ladderopen N     the same with two windows glued to the face above the long hole
//   strips N         a unit square crossed by N level and N upright strip holes
[[nodiscard]] const std::vector<SFaceShapeKind>& FaceShapeKinds();

// The shape of the named kind at the size (sizes below a kind's least are raised to it;
// sizes above 1,000,000 lowered to it, the window grid's to 1,000); empty loops, area 0,
// for a name that names none.
[[nodiscard]] SFaceShape MakeFaceShape(const std::string& kind, int size);

// Twice the signed area of the loop, counter-clockwise positive, in extended precision
// about the loop's first corner.
[[nodiscard]] long double TwiceSignedArea(const std::vector<CPoint3d>& loop);

// The shape as one face in the component, each corner a vertex of its own (corners in
// one place are not joined), facing +z, with its windows glued to it in the component
// (when the component is a model's). Null for a shape without loops.
CFace* AddFaceShape(CComponent& component, const SFaceShape& shape);

// A model holding the named shape at the size, looked at from above: in its root
// component, or in a definition placed that many times side by side, the windows glued
// to the face inside the definition; false, the model untouched, for a name that names
// no shape.
bool BuildFaceShapeModel(CTarnwickModel& model, const std::string& kind, int size, int placements = 0);
