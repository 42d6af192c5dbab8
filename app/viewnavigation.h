#pragma once
// The page operations of the model view that the main view's commands and input call:
// page activation and stepping, and the hidden-geometry switch, with the core's wheel zoom
// beside them. Each leaves the camera stored in the model, asks for
// a redraw and remembers the previous view definition when the camera really changed, so
// that Camera > Previous can go back to it.
//
// They work on the view core and belong with it; they live here until the core's own
// page operations take them over. User-interface thread only.
#include "foundation/point2d.h"
#include "foundation/point3d.h"
#include "foundation/vector3d.h"

class CTarnisView;
class CTarnwickPage;
class CBaseDoc;

// The view core's wheel zoom: one notch is 1.0, and a notch away from the user zooms in.
void WheelZoom(CTarnisView& view, double amount, const CPoint2d& point);

// Stops any animation, applies the page (with its transition when it has one), posts
// "Page Notification" {6, page} and selects the page. Null does nothing.
void ActivatePage(CTarnisView& view, CTarnwickPage* page);
// The next page, wrapping to the first; the previous, wrapping to the last.
void NextPage(CTarnisView& view);
void PreviousPage(CTarnisView& view);
// True when the model holds more than one page.
[[nodiscard]] bool HasSeveralPages(const CTarnisView& view);

// Sets the rendering option; section cuts drop their slices (they depend on what shows);
// hiding drops hidden elements from the selection.
void ShowHiddenGeometry(CTarnisView& view, CBaseDoc* document, bool show);
