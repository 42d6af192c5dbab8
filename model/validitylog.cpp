#include "model/validitylog.h"

#include "platform/object.h"

namespace {

bool g_checkBypassed = true;
CString g_validityLog;

struct MessageText
{
    int id;
    const char* format;
};

// The program's own sentences for the messages; each takes the arguments its id lists.
constexpr MessageText kMessageTexts[] = {
    {kMsgNullObject, "A %s object is null.\n"},
    {kMsgNotAnEntity, "Object %d is not an entity.\n"},
    {kMsgNegativeId, "Entity %p has the erased id %d.\n"},
    {kMsgBadAttributeContainer, "%s has an attribute container of the wrong class.\n"},
    {kMsgWrongClass, "%s is not of the class being checked.\n"},
    {kMsgEntityCheckException, "Checking %s raised an exception.\n"},
    {kMsgBadParent, "%s has a parent that is not an entity.\n"},
    {kMsgBadMaterial, "%s has a material of the wrong class.\n"},
    {kMsgBadMaterialManager, "The material manager of %s is of the wrong class.\n"},
    {kMsgMaterialNotInManager, "The material of %s is not in the material manager."},
    {kMsgBadLayer, "%s has a layer of the wrong class.\n"},
    {kMsgBadLayerManager, "The layer manager of %s is of the wrong class.\n"},
    {kMsgLayerNotInManager, "The layer of %s is not in the layer manager."},
    {kMsgRepairing, " Repairing.\n"},
    {kMsgBadAttributeSlot, "Attribute slot %d of %s is not an attribute.\n"},
    {kMsgBadRelationshipFirst, "The first end of %s is not an entity.\n"},
    {kMsgBadRelationshipSecond, "The second end of %s is not an entity.\n"},
    {kMsgBadRelationshipSlot, "Relationship slot %d of %s is not a relationship.\n"},
    {kMsgEmptyLog, "No problems were found."},
    {kMsgReportCaption, "Model check"},
};

// The report display shows nothing in this program.
void DisplayReport(const CString& /*text*/, const CString& /*caption*/)
{
}

} // namespace

const char* GetValidityMessageFormat(int id)
{
    for (const MessageText& entry : kMessageTexts) {
        if (entry.id == id) {
            return entry.format;
        }
    }
    return "";
}

bool IsValidityCheckBypassed()
{
    return g_checkBypassed;
}

void SetValidityCheckBypass(bool on)
{
    g_checkBypassed = on;
}

CValidityCheckScope::CValidityCheckScope()
    : m_wasBypassed(g_checkBypassed)
{
    g_checkBypassed = false;
}

CValidityCheckScope::~CValidityCheckScope()
{
    g_checkBypassed = m_wasBypassed;
}

void ClearValidityLog()
{
    g_validityLog.Empty();
}

CString GetValidityLog()
{
    return g_validityLog;
}

void AppendValidityText(const CString& text)
{
    g_validityLog += text;
}

bool BeginRepair(int mode)
{
    if (mode == kValidityModeRepair) {
        AppendValidityMessageId(kMsgRepairing);
        return true;
    }
    AppendValidityText(CString("\n"));
    return false;
}

CString BuildValidityReport(const CString& title)
{
    CString report = title;
    report += u'\n';
    if (g_validityLog.IsEmpty()) {
        report += CString(GetValidityMessageFormat(kMsgEmptyLog));
        report += u'\n';
    } else {
        report += g_validityLog;
    }
    return report;
}

void ShowValidityLog(const CString& title)
{
    DisplayReport(BuildValidityReport(title), CString(GetValidityMessageFormat(kMsgReportCaption)));
}

int FindCheckResult(const CValidityResultMap* results, const CEntity* entity)
{
    if (results == nullptr) {
        return -1;
    }
    const auto found = results->find(entity);
    return found == results->end() ? -1 : found->second;
}

int StoreCheckResult(CValidityResultMap* results, const CEntity* entity, int severity)
{
    if (results != nullptr) {
        (*results)[entity] = severity;
    }
    return severity;
}

bool StartValidityCheck(const CEntity* entity, const CRuntimeClass* checkedClass,
                        CValidityResultMap* results, int& result)
{
    if (IsValidityCheckBypassed()) {
        result = kValiditySound;
        return true;
    }
    const int cached = FindCheckResult(results, entity);
    if (cached >= 0) {
        result = cached;
        return true;
    }
    if (!entity->IsKindOf(checkedClass)) {
        AppendValidityMessageId(kMsgWrongClass, GetEntityLabel(entity));
        result = StoreCheckResult(results, entity, kValidityBroken);
        return true;
    }
    return false;
}

int CheckEntityValidity(CEntity* entity, const char* className, int mode,
                        CValidityResultMap* results)
{
    if (entity == nullptr) {
        if (IsValidityCheckBypassed()) {
            return kValiditySound;
        }
        AppendValidityMessageId(kMsgNullObject, className);
        return StoreCheckResult(results, nullptr, kValidityBroken);
    }
    return entity->CheckValidity(mode, results);
}
