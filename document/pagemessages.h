#pragma once
// The messages that the checks of pages and the page list write into the validity
// log, with the program's own sentences they are formatted with.

#include "model/validitylog.h"

enum PageMessageId : int
{
    kMsgBadPageEntry = 21798,             // index, list label
    kMsgBadSelectedPage = 21799,          // list label
    kMsgBadPageRenderingOptions = 21847,  // page label
    kMsgBadPageShadowInfo = 21848,        // page label
    kMsgBadPageAxes = 21849,              // page label
    kMsgNullHiddenElement = 21850,        // index, page label
    kMsgBadHiddenElement = 21851,         // index, page label
    kMsgNullPageLayer = 21852,            // index, page label
    kMsgBadPageLayer = 21853,             // index, page label
    kMsgNullPageSectionPlane = 21854,     // index, page label
    kMsgBadPageSectionPlane = 21855       // index, page label
};

// The printf-style text of a page message id; "" for another id.
[[nodiscard]] const char* GetPageMessageFormat(int id);

// Formats the id's text with the arguments and appends it to the validity log;
// never throws.
template <typename... Args>
void AppendPageMessage(int id, const Args&... args)
{
    AppendValidityMessage(GetPageMessageFormat(id), args...);
}
