#pragma once
// Models for measuring how opening grows with their size: many component definitions
// that a file keeps without thumbnails, many pages, and definitions shared so often
// that the instance paths multiply with every level.

#include <cstdint>
#include <vector>

class CTarnwickModel;

// Definitions shared level by level: copies[0] instances of the first in the root
// component, copies[i] instances of the next in the definition of level i, the last
// definition the leaf: a unit box, or a flat grid of that many triangles. The copies of
// a level stand side by side in a square field, or all in the same place (stacked).
struct SharedModelShape
{
    std::vector<int> copies;
    int leafTriangles = 0;
    bool stacked = true;
};

// The copies of the doubling model's levels (at least 1): one in the root component,
// two of the next in every definition.
[[nodiscard]] std::vector<int> DoublingCopies(int levels);

// Adds the shape's definitions (named Level#1 to Level#N) and its instances, and looks
// at the whole from above the south-west.
void BuildSharedModel(CTarnwickModel& model, const SharedModelShape& shape);

// Adds the count of definitions (at least 0), each a small box placed once in the root
// component, each left waiting for its picture, so that the file keeps no thumbnail;
// the model looks at the whole field of boxes.
void BuildDefinitionsModel(CTarnwickModel& model, int definitionCount);

// Adds one box and the count of pages (at least 0), each named and with a camera of
// its own round the box; the model looks from the first page's camera.
void BuildPagesModel(CTarnwickModel& model, int pageCount);

// Adds the count of definitions (at least 1), each holding two instances of the next
// and the last a unit box; the root component holds one instance of the first. Every
// copy sits in the same place, so that each of the 2^count - 1 instance paths draws
// over the same pixels, while the file grows only with the count.
void BuildDoublingModel(CTarnwickModel& model, int definitionCount);

// The ring of a shared-ring model: this many edges round a circle.
inline constexpr int kSharedRingEdges = 2000;

// Adds the count of faces (at least 0), every one bounded by the same ring of
// kSharedRingEdges edges, so that each edge has that many uses; the model looks at the
// ring from above.
void BuildSharedRingModel(CTarnwickModel& model, int faceCount);

// A white picture side pixels square as a progressive JPEG, written by ImageMagick's
// convert; empty when the tool fails or is missing.
[[nodiscard]] std::vector<std::uint8_t> MakeProgressiveWhiteJpeg(int side);

// Makes the model's preview the encoded picture, kept as its bytes.
void SetEncodedPreview(CTarnwickModel& model, const std::vector<std::uint8_t>& picture);

// A model that holds nothing but its preview: a white progressive JPEG side pixels
// square (none when ImageMagick fails).
void BuildProgressivePreviewModel(CTarnwickModel& model, int side);
