#pragma once
// The messages that the checks of the component behaviour, rendering options, shadow
// settings and thumbnails write into the validity log, with the program's own sentences
// they are formatted with. A message for a problem that repair mode mends has no line
// break of its own: the repair step appends one (model/validitylog.h, BeginRepair).

#include "model/validitylog.h"

enum SettingsMessageId : int
{
    kMsgBadGlueTo = 21733,               // behaviour label
    kMsgBadRenderMode = 21808,           // options label
    kMsgBadEdges = 21809,                // options label
    kMsgBadEdgeColorMode = 21810,        // options label
    kMsgBadReservedMode = 21811,         // options label
    kMsgBadFogMode = 21812,              // options label
    kMsgBadFogDensity = 21813,           // options label
    kMsgBadRestOfModelWeight = 21814,    // options label
    kMsgBadOtherInstancesWeight = 21815, // options label
    kMsgBadTransparencyQuality = 21816,  // options label
    kMsgBadSoftEdgeAngle = 21817,        // options label
    kMsgBadTranslucentFill = 21818,      // options label
    kMsgBadSunDirection = 21822,         // shadow label
    kMsgBadPlace = 21826,                // shadow label
    kMsgBadNorth = 21827,                // shadow label
    kMsgBadDefaultPlace = 21828,         // shadow label
    kMsgBadThumbnailCamera = 21844,      // thumbnail label
    kMsgBadThumbnailImage = 21845        // thumbnail label
};

// The printf-style text of a settings message id; "" for another id.
[[nodiscard]] const char* GetSettingsMessageFormat(int id);

// Formats the id's text with the arguments and appends it to the validity log;
// never throws.
template <typename... Args>
void AppendSettingsMessage(int id, const Args&... args)
{
    AppendValidityMessage(GetSettingsMessageFormat(id), args...);
}
