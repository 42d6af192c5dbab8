#pragma once
// The main window's placement in the profile (section "MainFrame", the window-placement
// record as ten integers) and the rectangle the window starts at.
#include "platform/ui/uitypes.h"

// Fills the fields whose values are stored (the others keep their values); true when a
// normal rectangle is stored (its bottom is not 0).
bool ReadFramePlacement(WINDOWPLACEMENT& placement);
void WriteFramePlacement(const WINDOWPLACEMENT& placement);
// A stored normal rectangle made fit for a window on the given area: at least 630 x 440
// and at most the area, moved so that it lies wholly on it. Stored values are not trusted:
// a size that would give no drawing surface, or values near the ends of the integer range,
// come back inside the area.
[[nodiscard]] CRect FitFrameRect(const CRect& stored, const CRect& area);
// The area a main window is fitted to: the primary screen less its panels with one
// monitor, the rectangle of all monitors with several.
[[nodiscard]] CRect GetFrameArea();
// Fits a stored normal rectangle (one whose bottom is not 0) to GetFrameArea.
void FitPlacementToScreen(WINDOWPLACEMENT& placement);
// True when the normal rectangle shares a pixel with the rectangle of all monitors.
[[nodiscard]] bool IsPlacementOnScreen(const WINDOWPLACEMENT& placement);
// Where the window starts: the stored rectangle (the full primary screen when it was
// maximised); without one, the requested rectangle at least 630 × 440 (at most the
// screen) moved so that it ends on the primary screen.
[[nodiscard]] CRect ComputeInitialFrameRect(const WINDOWPLACEMENT* stored, const CRect& requested,
                                            int screenWidth, int screenHeight);
