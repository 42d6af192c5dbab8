#pragma once
// Blocks of text in the view: split into lines, laid out with the font's glyph font when
// it has one (kinds 0 to 5) or rendered once into a text image (kind 6, and any font
// whose glyphs could not be made), and drawn in the current colour, unlit:
//
// - in window pixels (DrawTextImageCached: the view's screen texts);
// - anchored at a model point (DrawModelText: texts and dimension labels, through the
//   view's DrawText), facing the screen or lying in a plane.
//
// An annotation draws its label with view->DrawText(font, position, text, placement,
// alignment, flags, plane, flip, cache), keeping its own cache from
// view->CreateTextImageCache() (made on its first draw, reset when its text or the
// context goes); the colour and depth function it sets beforehand are the label's.
// User-interface thread only, with the view's context current.

#include <vector>

#include "platform/cstring.h"

struct CPlane3d;
struct CPoint3d;
class CTwFont;
class IGLTextImageCache;
class ITarnisView;

// The two characters backslash and "n", CR LF, CR and LF each break a line.
[[nodiscard]] std::vector<CString> SplitTextLines(const CString& text);

// Draws the block with its lower-left corner at window pixel (x, y), counted from the
// bottom left, at the window depth (0 near, 1 far), through the cache for text images.
// The cache renders only when the text, alignment or font changed.
void DrawTextImageCached(ITarnisView& view, IGLTextImageCache& cache, CTwFont* font, const CString& text,
                         int alignment, double x, double y, double depth);

// Draws the block placed by the placement code (3 * row + column: columns 0 starting
// at, 1 centred on, 2 ending at the anchor; rows 0 above, 1 centred on, 2 below it; any
// other code counts as 0) at the model point of the current frame. Without a plane it
// faces the screen at the point's depth (nothing when the point cannot be projected);
// with one it lies in that plane through the point, one unit a pixel there, reading
// along the screen's right; seen from behind its plane it is mirrored unless flip is
// set. The polygon offset and the lighting are kept around it. A null cache draws
// through a temporary one. The flags are the caller's faded and normal drawing.
void DrawModelText(ITarnisView& view, CTwFont* font, const CPoint3d& position, const CString& text, int placement,
                   int alignment, unsigned flags, const CPlane3d* plane, bool flip, IGLTextImageCache* cache);

// DrawModelText through a text image made for this drawing only.
void DrawTextBlock(ITarnisView& view, CTwFont* font, const CPoint3d& position, const CString& text, int placement,
                   int alignment, const CPlane3d* plane, bool flip);
