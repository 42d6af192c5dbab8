#pragma once
// Models of many small component definitions, for measuring what a definition costs to
// read and hold apart from what it draws.

class CTarnwickModel;

// Adds the count of definitions (at least 0), each holding one triangle and placed once
// in the root component, in a square field; each is left waiting for its picture, so
// that the file keeps no thumbnail. The model looks at the whole field.
void BuildTriangleDefinitionsModel(CTarnwickModel& model, int definitionCount);
