#pragma once
// The drawing pieces that dimensions and text leaders share: the end marks at the ends
// of their lines, the offset that moves a label one text height aside on the screen,
// and a dimension line broken where its label sits on it. Sizes are in pixels and are
// turned into model lengths at the point each time they are drawn.

#include <array>

#include "foundation/point3d.h"
#include "foundation/vector3d.h"
#include "platform/cstring.h"

struct CPlane3d;
class CTwFont;
class IGLTextImageCache;
class IPickHelper;
class ITarnisView;

// The longest label drawn: a text from a file may be far longer than anything a view
// can show, and each one is rendered into a bitmap.
inline constexpr int kMaxLabelLength = 4096;
// The text cut to kMaxLabelLength units.
[[nodiscard]] CString BoundLabel(const CString& text);

enum EndMarkType : int
{
    kEndMarkNone = 0,
    kEndMarkSlash = 1,
    kEndMarkDot = 2,
    kEndMarkClosedArrow = 3,
    kEndMarkOpenArrow = 4
};

// Draws the mark in the plane with its tip on the point; arrows open along the
// direction. Nothing for type 0 or a zero direction. Dots and closed arrows grow by
// twice the weight for weights above 1.
void DrawEndMark(ITarnisView* view, const CPlane3d& plane, const CPoint3d& point, const CVector3d& direction,
                 int type, int sizePixels, int weight);

// One text height along the screen's right (codes 3 and 9) or left (5 and 10) as a
// model vector at the point; zero for other codes or no height. A negative height takes
// the font's.
[[nodiscard]] CVector3d GetLabelOffsetVector(ITarnisView* view, int heightPixels, CTwFont* font,
                                             const CPoint3d& point, int code);

// The segment start-end, left open where the label (its pixel size known from the
// cache, which must hold the text) placed by the code at the anchor covers it.
void DrawLineAroundLabel(ITarnisView* view, const CPoint3d& start, const CPoint3d& end, const CPoint3d& anchor,
                         const IGLTextImageCache& label, int code, bool inPlane);

// Draws a dimension's label, centred, through the view's text drawing. A label facing
// the screen whose anchor the model does not hide is drawn over whatever lies in front
// of the rest of its box: a dimension lying on a floor keeps the half of its text that
// would otherwise sink into it.
void DrawDimensionLabel(ITarnisView* view, CTwFont* font, const CPoint3d& position, const CString& text,
                        int alignment, bool solid, const CPlane3d* plane, bool flip, IGLTextImageCache* image);

// Whether the label, at the size its cache last rendered it and placed by the code at
// the anchor facing the screen, lies inside what the selector picks: each corner of
// its box, carried back into the model at the anchor's depth, must pass the point test.
// A label not rendered yet has no box and passes; one whose anchor does not project
// fails.
[[nodiscard]] bool IsLabelSelected(IPickHelper& selector, const CPoint3d& anchor, const IGLTextImageCache* label,
                                   int code);

// The corners of a label of this pixel size placed by the box code (0 to 8) at the
// screen point, in window coordinates at the point's depth: left then right, each
// bottom then top.
[[nodiscard]] std::array<CPoint3d, 4> GetLabelScreenCorners(const CPoint3d& screen, double width, double height,
                                                           int code);
