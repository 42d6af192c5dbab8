#include "document/documentcheck.h"

namespace {

struct MessageText
{
    int id;
    const char* format;
};

// The program's own sentences for these messages. A problem that repair mode mends has no
// line break of its own: the repair step appends one.
constexpr MessageText kMessageTexts[] = {
    {kMsgPlacementInvalid, "%s holds a texture placement that is not valid."},
    {kMsgFontManagerBadEntry, "%s holds no font at index %d.\n"},
    {kMsgLayerManagerBadEntry, "%s holds no layer at index %d.\n"},
    {kMsgLayerManagerBadCurrent, "The current layer of %s is not a layer.\n"},
    {kMsgMaterialEmptyName, "%s has no name.\n"},
    {kMsgMaterialBadTexture, "The texture of %s is not a texture.\n"},
    {kMsgMaterialTransparency, "%s has a transparency outside 0 to 1."},
    {kMsgMaterialBadKind, "%s has a kind outside 0 to 2.\n"},
    {kMsgMaterialBadHue, "%s has an absolute-hue flag other than 0 or 1.\n"},
    {kMsgLayerEmptyName, "%s has no name.\n"},
    {kMsgLayerBadMaterial, "The material of %s is not a material.\n"},
    {kMsgLayerMaterialFails, "The material of %s fails its own check."},
    {kMsgMaterialManagerBadEntry, "%s holds no material at index %d.\n"},
    {kMsgMaterialManagerBadCurrent, "The current material of %s is not a material.\n"},
    {kMsgTextureBadPicture, "The picture of %s is missing or damaged.\n"},
    {kMsgTextureBadWidth, "%s has a width that is not a positive number."},
    {kMsgTextureBadHeight, "%s has a height that is not a positive number."},
    {kMsgFontMissingForText, "%s does not hold a font that a text uses."},
    {kMsgFontHeldTwice, "%s holds the font at index %d a second time."},
    {kMsgFontMissingForStyle, "%s does not hold the font of a style."},
};

}  // namespace

const char* GetDocumentMessageFormat(int id)
{
    for (const MessageText& entry : kMessageTexts) {
        if (entry.id == id) {
            return entry.format;
        }
    }
    return "";
}
