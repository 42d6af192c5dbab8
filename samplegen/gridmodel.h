#pragma once
// The benchmark model: a flat grid of square cells, each cut into two triangles, that
// share their edges and vertices as a real surface does.

#include <utility>

class CComponent;
class CTarnwickModel;

// Adds the grid to the component, in rows of cells as near to square as the count
// allows; returns the columns and rows of cells made.
std::pair<int, int> AddTriangleGrid(CComponent& component, int triangleCount);

// Adds the grid to the model's root component: the given number of triangles (at
// least 0) in rows of cells as near to square as the count allows, one unit per cell.
void BuildGridModel(CTarnwickModel& model, int triangleCount);
