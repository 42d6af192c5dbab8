#include "document/documentcheck.h"

#include <algorithm>

#include "model/validitylog.h"

namespace {

struct MessageText
{
    int id;
    const char* format;
};

// Stand-ins for the string table's sentences. A problem that repair mode mends has no
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

bool CDocumentCheck::Repairable(int id, int index)
{
    Append(id, index);
    if (!BeginRepair(m_mode)) {
        m_severity = std::max(m_severity, static_cast<int>(kValidityRepairable));
        return false;
    }
    if (!m_recorded) {
        m_entity.RecordChange(true);
        m_recorded = true;
    }
    return true;
}

void CDocumentCheck::Broken(int id, int severity, int index)
{
    Append(id, index);
    m_severity = std::max(m_severity, severity);
}

void CDocumentCheck::Take(int severity)
{
    m_severity = std::max(m_severity, severity);
}

void CDocumentCheck::Append(int id, int index) const
{
    AppendValidityMessage(GetDocumentMessageFormat(id), GetEntityLabel(&m_entity), index);
}

int RunDocumentCheck(CEntity& entity, const CRuntimeClass* checkedClass, CValidityResultMap* results,
                     const std::function<int()>& body)
{
    int result = kValiditySound;
    if (StartValidityCheck(&entity, checkedClass, results, result)) {
        return result;
    }
    try {
        result = body();
    } catch (...) {
        AppendValidityMessageId(kMsgEntityCheckException, GetEntityLabel(&entity));
        result = kValidityBroken;
    }
    return entity.SetCheckResult(result, results);
}
