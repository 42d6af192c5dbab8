#include "document/pagemessages.h"

namespace {

struct PageMessageText
{
    int id;
    const char* format;
};

constexpr PageMessageText kTexts[] = {
    {kMsgBadPageEntry, "Entry %d of %s is not a page.\n"},
    {kMsgBadSelectedPage, "The selected page of %s is not a page.\n"},
    {kMsgBadPageRenderingOptions, "The display settings of %s are not valid.\n"},
    {kMsgBadPageShadowInfo, "The shadow settings of %s are not valid.\n"},
    {kMsgBadPageAxes, "The drawing axes of %s are not valid.\n"},
    {kMsgNullHiddenElement, "Hidden element %d of %s is missing."},
    {kMsgBadHiddenElement, "Hidden element %d of %s is not a drawing element."},
    {kMsgNullPageLayer, "Layer %d of %s is missing."},
    {kMsgBadPageLayer, "Layer %d of %s is not a layer."},
    {kMsgNullPageSectionPlane, "Section plane %d of %s is missing.\n"},
    {kMsgBadPageSectionPlane, "Section plane %d of %s is not a section plane.\n"},
};

}  // namespace

const char* GetPageMessageFormat(int id)
{
    for (const PageMessageText& text : kTexts) {
        if (text.id == id) {
            return text.format;
        }
    }
    return "";
}
