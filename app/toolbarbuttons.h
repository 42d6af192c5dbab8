#pragma once
// The button tables of the four toolbars: command id (0 for a separator) and the embedded
// pictograms of the button at 16 and 24 pixels.
#include <vector>

#include "platform/types.h"

struct CToolbarButton
{
    UINT command = 0;
    int smallImage = 0;
    int largeImage = 0;
    const char* resourceType = "";
};

struct CToolbarDefinition
{
    UINT barId = 0;
    int titleStringId = 0;
    // A CBRS_ALIGN_ flag.
    DWORD side = 0;
    std::vector<CToolbarButton> buttons;
};

[[nodiscard]] const CToolbarDefinition& GetStandardToolbar();
[[nodiscard]] const CToolbarDefinition& GetCameraToolbar();
[[nodiscard]] const CToolbarDefinition& GetDisplayStyleToolbar();
[[nodiscard]] const CToolbarDefinition& GetViewsToolbar();
