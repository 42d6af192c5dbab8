#pragma once
// Models for measuring what placements cost a frame: many small things drawn each
// through its own placement, in a file that stays small.

class CTarnwickModel;

// Adds a definition holding one unit square, a definition holding `inner` placements of
// it side by side in a square field (at least 1), and `outer` placements of that field
// side by side in the root component (at least 1): outer x inner squares, each drawn
// through its own placement. The model looks down on the whole.
void BuildNestedSquaresModel(CTarnwickModel& model, int outer, int inner);
// The same with the sun's shadows on.
void BuildShadowedNestedSquaresModel(CTarnwickModel& model, int outer, int inner);
