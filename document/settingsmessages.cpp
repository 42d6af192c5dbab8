#include "document/settingsmessages.h"

namespace {

struct SettingsMessageText
{
    int id;
    const char* format;
};

constexpr SettingsMessageText kTexts[] = {
    {kMsgBadGlueTo, "%s glues to an unknown kind of surface."},
    {kMsgBadRenderMode, "%s has an unknown render mode."},
    {kMsgBadEdges, "%s has an unknown edge display."},
    {kMsgBadEdgeColorMode, "%s has an unknown edge colour mode."},
    {kMsgBadReservedMode, "%s has an unknown reserved mode."},
    {kMsgBadFogMode, "%s has an unknown fog mode."},
    {kMsgBadFogDensity, "%s has a fog density that is not finite."},
    {kMsgBadRestOfModelWeight, "%s fades the rest of the model by a weight outside 0 to 1."},
    {kMsgBadOtherInstancesWeight, "%s fades other instances by a weight outside 0 to 1."},
    {kMsgBadTransparencyQuality, "%s has an unknown transparency quality."},
    {kMsgBadSoftEdgeAngle, "%s has a soft-edge angle that is not finite."},
    {kMsgBadTranslucentFill, "%s has an unknown translucent fill style."},
    {kMsgBadSunDirection, "%s has a sun direction that is not finite.\n"},
    {kMsgBadPlace, "%s has a longitude, latitude or time zone that is not finite.\n"},
    {kMsgBadNorth, "%s has a north direction that is not finite.\n"},
    {kMsgBadDefaultPlace, "The default place of %s is not finite.\n"},
    {kMsgBadThumbnailCamera, "%s has a camera that is not valid.\n"},
    {kMsgBadThumbnailImage, "%s has a picture that is not valid.\n"},
};

}  // namespace

const char* GetSettingsMessageFormat(int id)
{
    for (const SettingsMessageText& text : kTexts) {
        if (text.id == id) {
            return text.format;
        }
    }
    return "";
}
