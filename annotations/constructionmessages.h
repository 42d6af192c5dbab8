#pragma once
// The messages that the checks of guides, polylines, section planes and watermarks
// write into the validity log, with the program's own sentences they are formatted with.

#include "model/validitylog.h"

enum ConstructionMessageId : int
{
    kMsgGuideLineInvalid = 21741,          // label
    kMsgGuidePointInvalid = 21742,         // label
    kMsgGuideSecondPointInvalid = 21743,   // label
    kMsgPolylinePointInvalid = 21804,      // index, label
    kMsgSectionPlaneInvalid = 21819,       // label
    kMsgSectionBoundsInvalid = 21820,      // label
    kMsgWatermarkPositionInvalid = 21859,  // position, label
    kMsgWatermarkImageInvalid = 21860      // label
};

// The printf-style text of one of the ids above; "" for another id.
[[nodiscard]] const char* GetConstructionMessageFormat(int id);

// Formats the id's text with the arguments and appends it to the validity log; never
// throws.
template <typename... Args>
void AppendConstructionMessage(int id, const Args&... args)
{
    AppendValidityMessage(GetConstructionMessageFormat(id), args...);
}
