#pragma once
// The camera tools' context menu: Exit, the camera tools with the active one checked,
// Zoom Window and Zoom Extents. A picked item runs its camera command once the menu has
// closed. User-interface thread only.

class CTarnwickMenu;
class ITarnisView;

inline constexpr int kZoomExtentsCommandId = 10527;

// Appends the camera items to the menu; an item whose command the program lacks is greyed,
// and so is Walk while the view (when one is given) looks in parallel projection, as the
// Camera menu has it.
void AppendCameraContextMenu(CTarnwickMenu& menu, const ITarnisView* view = nullptr);
// Shows a new camera menu at the view's client point until an item is picked or the menu
// is dismissed; true when it was shown (never without the program's platform menus).
bool TrackCameraContextMenu(int x, int y, ITarnisView* view);
// The active view fits the whole current model; nothing without either.
void ZoomToModelExtents();
