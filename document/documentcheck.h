#pragma once
// The consistency checks of the model's shared objects (layers, materials, textures,
// texture placements, fonts and their managers): the ids of their messages with the
// program's sentences for them.

#include <functional>

#include "model/entitycheck.h"

enum DocumentMessageId : int
{
    kMsgPlacementInvalid = 21776,        // label
    kMsgFontManagerBadEntry = 21784,     // label, index
    kMsgLayerManagerBadEntry = 21785,    // label, index
    kMsgLayerManagerBadCurrent = 21786,  // label
    kMsgMaterialEmptyName = 21787,       // label
    kMsgMaterialBadTexture = 21788,      // label
    kMsgMaterialTransparency = 21789,    // label
    kMsgMaterialBadKind = 21790,         // label
    kMsgMaterialBadHue = 21791,          // label
    kMsgLayerEmptyName = 21792,          // label
    kMsgLayerBadMaterial = 21793,        // label
    kMsgLayerMaterialFails = 21794,      // label
    kMsgMaterialManagerBadEntry = 21795,  // label, index
    kMsgMaterialManagerBadCurrent = 21796,  // label
    kMsgTextureBadPicture = 21841,       // label
    kMsgTextureBadWidth = 21842,         // label
    kMsgTextureBadHeight = 21843,        // label
    kMsgFontMissingForText = 21923,      // label
    kMsgFontHeldTwice = 21924,           // label, index
    kMsgFontMissingForStyle = 21925      // label
};

// The sentence an id is formatted with ("%s" for the label, "%d" for an index); "" when
// unknown.
[[nodiscard]] const char* GetDocumentMessageFormat(int id);

class CDocumentCheck : public CEntityCheck
{
public:
    CDocumentCheck(CEntity& entity, int mode) : CEntityCheck(entity, mode, GetDocumentMessageFormat) {}
};

inline int RunDocumentCheck(CEntity& entity, const CRuntimeClass* checkedClass, CValidityResultMap* results,
                            const std::function<int()>& body)
{
    return RunEntityCheck(entity, checkedClass, results, body);
}
