#pragma once
// Models for measuring section planes: many planes that only frame their component, and
// cuts built to make the walk of a section cut expensive: a definition seen through a new
// local plane by every placement, and one face whose cut meets many of its own edges.

class CTarnwickModel;

// A flat grid of that many triangles (see AddTriangleGrid) and the count of section planes
// (at least 0) standing upright across it, none of them active; looked at from the south.
void BuildGridPlanesModel(CTarnwickModel& model, int planeCount, int triangleCount);

// A unit box and the count of section planes (at least 0) standing upright through it, none
// of them active.
void BuildBoxPlanesModel(CTarnwickModel& model, int planeCount);

// A quad standing across the ground, placed that many times (at least 1) in a definition,
// each placement turned a fifth of a degree further in its own plane; that definition
// placed as many times in the root component, each turned a fifth of a degree further about
// the ground's x axis; the ground plane the root's active section plane. Every placement
// sees its definition through a plane of its own: count x count quads cut apart.
void BuildTiltedCutModel(CTarnwickModel& model, int count);

// The millimetres one placement of the rising cut stands above the one before.
inline constexpr double kRisingStepMillimetres = 1.1;

// An upright quad placed that many times (at least 1) in a square field, each placement
// kRisingStepMillimetres higher than the one before, the ground plane the root's active
// section plane: every placement sees the quad through a plane of its own, and the ground
// crosses the first few.
void BuildRisingCutModel(CTarnwickModel& model, int count);

// One face lying on the ground whose cut by the active section plane y = 0 crosses its
// outline that many times (at least 2): a hole whose lower side runs along the plane
// between notches that dip below it, each stretch two edges long, so that the cut meets as
// many edges lying in the plane as it has crossings.
void BuildCrossingCutModel(CTarnwickModel& model, int crossings);
