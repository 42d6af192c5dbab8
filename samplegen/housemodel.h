#pragma once
// The sample house: walls with a window opening, a pitched roof with a chimney, a
// garden group holding three placed trees, coloured and textured materials, layers, a
// section plane, a label and a dimension, three pages that show it from different
// sides, and a preview picture for the open dialog.

class CTarnwickModel;

// Builds the house into an empty model through the model's own operations.
void BuildHouseModel(CTarnwickModel& model);

// Opens the house's garden group for editing; false when the model has none.
bool OpenGardenForEditing(CTarnwickModel& model);
