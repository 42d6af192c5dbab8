#pragma once
// Models for measuring what placements cost a frame: many small things drawn each
// through its own placement, in a file that stays small.

#include <vector>

class CTarnwickModel;
class CTransformation;

// Adds a definition holding one unit square, a definition holding `inner` placements of
// it side by side in a square field (at least 1), and `outer` placements of that field
// side by side in the root component (at least 1): outer x inner squares, each drawn
// through its own placement. The model looks down on the whole.
void BuildNestedSquaresModel(CTarnwickModel& model, int outer, int inner);
// The same with the sun's shadows on.
void BuildShadowedNestedSquaresModel(CTarnwickModel& model, int outer, int inner);

// Adds a definition holding one unit box and `count` placements of it (at least 1) side
// by side along x, each through `shape` (a stretch, a mirror, a shear) and `gap` apart
// from the next beyond the box the shape makes of it. The model looks at the whole row.
void BuildShapedBoxesModel(CTarnwickModel& model, const CTransformation& shape, int count, double gap = 1.0);

// Adds a definition holding one unit box, or one unit square facing up, and `count`
// placements of it (at least 1), each 0.001 above the one before and each through `shape`;
// with `made`, the definition is made in the box the shape makes of it and placed as it is,
// so that the two draw the same. The model looks at the whole stack.
void BuildStackedShapesModel(CTarnwickModel& model, const CTransformation& shape, int count, bool squares, bool made);

// A placement as a file stores it: its scale (the last element of its matrix is the
// scale's inverse), and its origin along x.
struct StoredPlacement
{
    double scale = 1.0;
    double origin = 0.0;
};

// Adds a definition holding one unit box placed through the path: the first placement in
// the root component, each placement after it in a definition of its own that the one
// before places, the last placing the box. The camera is left as it is: a path may place
// the box where no camera could look at it.
void BuildPlacedThroughModel(CTarnwickModel& model, const std::vector<StoredPlacement>& path);
