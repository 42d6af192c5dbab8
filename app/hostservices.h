#pragma once
// Host services: the program's windows behind the view core's and the tools' host
// services (render/hostservices.h: status bar and value box, cursors, the active view,
// mouse capture, redraw), and the few the application alone uses. Each finds the main
// window through the program object and does nothing, or answers null, false or empty,
// without one. The profile functions of the same family are those of
// platform/profile.h. User-interface thread only.
#include "platform/cstring.h"
#include "render/hostservices.h"

class CGlimraView;
class CTarnwickModel;

// Installs the program's windows as the host services (false removes them).
void InstallHostServices(bool install);
void ShowPageTabs(bool show);
// A new main view, for re-creating the OpenGL view.
[[nodiscard]] CGlimraView* CreateGlimraView();
// The length in inches with the current units and precision options.
[[nodiscard]] CString FormatLengthString(double inches);
// The path of the file the program's document holds the model from; empty for another
// model or a document never saved.
[[nodiscard]] CString GetModelPathName(const CTarnwickModel* model);
