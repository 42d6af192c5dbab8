#pragma once
// Models for measuring the depth sort of blended transparency: glass faces whose outlines
// are long and cross one another, alone or placed many times, seen in X-ray with the
// pairwise sort.

class CTarnwickModel;

// The crossing discs: two transparent discs of `corners` corners each (at least 3), one
// lying flat and a smaller one standing up through the flat one's centre, so that each
// cuts the other's plane and, seen from above, the standing one's outline lies within
// the flat one's. In both models X-ray is on and the transparency quality asks for the
// pairwise sort.

// A definition holding the crossing discs and that many placements of it (at least 1)
// side by side in a square field, looked at slanting from above.
void BuildXrayDiscsModel(CTarnwickModel& model, int placements, int corners);

// The crossing discs once, in the root component, looked at slanting from above.
void BuildCrossingDiscsModel(CTarnwickModel& model, int corners);
