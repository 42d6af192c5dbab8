#pragma once
// Models for measuring how opening grows with their size: many component definitions
// that a file keeps without thumbnails, and many pages.

class CTarnwickModel;

// Adds the count of definitions (at least 0), each a small box placed once in the root
// component, each left waiting for its picture, so that the file keeps no thumbnail;
// the model looks at the whole field of boxes.
void BuildDefinitionsModel(CTarnwickModel& model, int definitionCount);

// Adds one box and the count of pages (at least 0), each named and with a camera of
// its own round the box; the model looks from the first page's camera.
void BuildPagesModel(CTarnwickModel& model, int pageCount);
