#pragma once
// Adding component definitions to a sample model and placing them in square fields, as
// the models that measure placements and the house do alike.

#include <string_view>

class CComponent;
class CComponentDefinition;
class CTarnwickModel;
class CVector3d;

// The columns of a square field for that many things (one at least).
[[nodiscard]] int ColumnsFor(int count);

// A new, empty definition of that name in the model's definition list.
CComponentDefinition* AddDefinition(CTarnwickModel& model, std::string_view name);

// Places the definition that many times in the component, in rows of a square field:
// the place in column c and row r is translated by (c step.x, r step.y, 0). Answers the
// field's columns.
int PlaceField(CComponent& into, CComponentDefinition& placed, int count, const CVector3d& step);

// Places the definition that many times in the component, all where it stands: each
// placement keeps the identity transformation.
void PlaceStacked(CComponent& into, CComponentDefinition& placed, int count);

// Looks at the square field from the origin to side x side from the south, slanting down
// over the whole of it, in perspective.
void LookFromSouthOnField(CTarnwickModel& model, double side);

// Looks straight down on the square field from the origin to side x side, which fills
// the view; in perspective or parallel.
void LookDownOnField(CTarnwickModel& model, double side, bool perspective = true);
