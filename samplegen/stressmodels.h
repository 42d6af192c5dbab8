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

// Adds one definition of 1,000 vertical unit quads standing in rows above the ground,
// and the count of its placements (at least 0) side by side in a square field, with the
// sun's shadows on; the model looks at the whole field.
void BuildShadowedModel(CTarnwickModel& model, int placementCount);

// A grid of 2 x count triangles (see BuildGridModel) and the count of materials (at least
// 0), each with a picture of its own, pictureSide pixels a side (1 to 4096; 1024 outside
// that) and kept as PNG: a soft gradient that differs from material to material. The
// triangles of the grid's cells take the first drawn materials in turn (all when drawn is
// below 1 or above the count); the others are only kept.
void BuildMaterialsModel(CTarnwickModel& model, int materialCount, int drawnCount, int pictureSide = 1024);

// Adds the count of labels (at least 0), each a text of 1,000 characters hanging on a
// point of a square field by a short model leader; the model looks down on the whole
// field, so that every label is in view.
void BuildLabelsModel(CTarnwickModel& model, int labelCount);

// Adds the count of labels (at least 0) of 100 characters in the text style's font,
// hanging on the points of a square field; every label is in view.
void BuildShortLabelsModel(CTarnwickModel& model, int labelCount);

// Adds the count of labels (at least 0) of 20 characters, each in its own font of the
// model 200 pixels high, hanging on a point of a square field; every label is in view.
void BuildBigFontLabelsModel(CTarnwickModel& model, int labelCount);

// Adds the count of linear dimensions (at least 0), each between two free points of a
// square field, its label text that many characters long (at least 1); the model looks
// down on the whole field.
void BuildDimensionsModel(CTarnwickModel& model, int dimensionCount, int characters);

// Adds the count of labels (at least 0) of 200 characters, label i in a font of 8 + i
// modulo 1,000 pixels and in the i-th (modulo 6) of the six faces a machine with the
// DejaVu core fonts has; the model looks down on the whole field.
void BuildFontSizesModel(CTarnwickModel& model, int labelCount);

// Adds one face in the root component: a star of that many corners (at least 6), its
// points alternately 100 and 50 units from its centre; the model looks from above.
void BuildStarModel(CTarnwickModel& model, int corners);

// Adds one square face cut by that many square holes (at least 1), one unit wide and
// two apart, in rows as near to square as the count allows; the model looks from above.
void BuildHolesModel(CTarnwickModel& model, int holes);

// The holes model with the y of one corner of the last hole set to NaN: a damaged
// file, which a reader must refuse rather than hand the corner to the drawing.
void BuildNonFiniteHoleModel(CTarnwickModel& model, int holes);

// Adds one definition holding a star of starCorners corners (at least 6) and that many
// instances of it (at least 1) side by side in a square field, looked at from above.
void BuildStarPlacementsModel(CTarnwickModel& model, int placements, int starCorners);

// Adds one face in the root component: a star {corners/step} (at least 5 corners, the
// step taken into 1 to corners - 1), its corners on a circle of radius 100, each joined
// to the one step places on, so that its loop crosses itself; looked at from above.
void BuildCrossingStarModel(CTarnwickModel& model, int corners, int step);

// Adds one face whose loop touches itself at its centre that many times (at least 2): a
// flower of thin petals, each leaving the centre and coming back to it, the centre a new
// vertex each time; looked at from above.
void BuildTouchingLoopModel(CTarnwickModel& model, int touches);

// Adds one face whose loop is a band wound that many turns (at least 1) about a centre,
// 500 corners a turn, each turn's outer side lying on the next turn's inner side all
// along its length (the corners in the same places, each a vertex of its own); looked at
// from above.
void BuildTouchingBandModel(CTarnwickModel& model, int turns);

// Adds one definition holding a polyline of `points` points (at least 2) winding out in a
// spiral of short steps to a radius of 50 units, and that many placements of it (at
// least 1), all over one another in front of the camera: each draws every point, in a
// file that stays small.
void BuildPolylinesModel(CTarnwickModel& model, int placements, int points);

// The count of unit squares (at least 1), each an instance of one definition, all in
// the same place in front of the camera, and one triangle a millimetre across a million
// units away in the root component: the copies fill the view once each while the whole
// model's box is vast.
void BuildFarFillModel(CTarnwickModel& model, int squareCount);

// The ring of a shared-ring model: this many edges round a circle.
inline constexpr int kSharedRingEdges = 2000;

// Adds the count of faces (at least 0), every one bounded by the same ring of
// kSharedRingEdges edges, so that each edge has that many uses; the model looks at the
// ring from above.
void BuildSharedRingModel(CTarnwickModel& model, int faceCount);

// The ring of a faces-first ring model: this many edges round a circle.
inline constexpr int kFacesFirstRingEdges = 10;

// Adds the count of faces (at least 0), every one bounded by the same ring of
// kFacesFirstRingEdges edges, and lists the faces before the edges, so that a model
// erased in list order takes every use out of its ring before the edge goes.
void BuildFacesFirstRingModel(CTarnwickModel& model, int faceCount);

// A white picture side pixels square as a progressive JPEG, written by ImageMagick's
// convert; empty when the tool fails or is missing.
[[nodiscard]] std::vector<std::uint8_t> MakeProgressiveWhiteJpeg(int side);

// Makes the model's preview the encoded picture, kept as its bytes.
void SetEncodedPreview(CTarnwickModel& model, const std::vector<std::uint8_t>& picture);

// A model that holds nothing but its preview: a white progressive JPEG side pixels
// square (none when ImageMagick fails).
void BuildProgressivePreviewModel(CTarnwickModel& model, int side);
