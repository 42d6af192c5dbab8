#include "annotations/constructionmessages.h"

namespace {

struct ConstructionMessageText
{
    int id;
    const char* format;
};

constexpr ConstructionMessageText kTexts[] = {
    {kMsgGuideLineInvalid, "The line of %s is not finite.\n"},
    {kMsgGuidePointInvalid, "The point of %s is not finite.\n"},
    {kMsgGuideSecondPointInvalid, "The second point of %s is not finite.\n"},
    {kMsgPolylinePointInvalid, "Point %d of %s is not finite.\n"},
    {kMsgSectionPlaneInvalid, "The plane of %s is not finite.\n"},
    {kMsgSectionBoundsInvalid, "The bounds of %s are not finite.\n"},
    {kMsgWatermarkPositionInvalid, "Position %u of %s is not one of the nine places.\n"},
    {kMsgWatermarkImageInvalid, "The image of %s cannot be drawn.\n"},
};

}  // namespace

const char* GetConstructionMessageFormat(int id)
{
    for (const ConstructionMessageText& text : kTexts) {
        if (text.id == id) {
            return text.format;
        }
    }
    return "";
}
