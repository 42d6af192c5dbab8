#pragma once
// The consistency checks' shared state: the program-wide validity log that checks
// write numbered messages into, the bypass switch that makes every check but the
// entity base's answer "sound" at once, and the steps of the check protocol that every
// class's CheckValidity repeats. Everything here is used from the UI thread only.

#include "platform/cstring.h"
#include "model/entity.h"

// Ids of the check messages. The program's own sentences for them are kept here in the
// code; GetValidityMessageFormat gives the text each id is formatted with.
enum ValidityMessageId : int
{
    kMsgNullObject = 21700,           // class name
    kMsgNotAnEntity = 21701,          // id
    kMsgNegativeId = 21702,           // entity pointer, id
    kMsgBadAttributeContainer = 21703,  // label
    kMsgWrongClass = 21712,           // label
    kMsgEntityCheckException = 21714,  // label
    kMsgBadParent = 21726,            // label
    kMsgBadMaterial = 21727,          // label
    kMsgBadMaterialManager = 21728,   // label
    kMsgMaterialNotInManager = 20838,  // label
    kMsgBadLayer = 21898,             // label
    kMsgBadLayerManager = 21899,      // label
    kMsgLayerNotInManager = 21900,    // label
    kMsgRepairing = 21729,            // none
    kMsgBadAttributeSlot = 21732,     // index, container label
    kMsgBadRelationshipFirst = 21805,  // label
    kMsgBadRelationshipSecond = 21806,  // label
    kMsgBadRelationshipSlot = 21807,  // index, map label
    kMsgEmptyLog = 20362,             // none
    kMsgReportCaption = 20358         // none
};

// The printf-style text an id is formatted with; "" for an unknown id. The
// texts take exactly the arguments listed with the ids above.
[[nodiscard]] const char* GetValidityMessageFormat(int id);

// On from start-up; only the model-level check turns it off for its own run.
[[nodiscard]] bool IsValidityCheckBypassed();
void SetValidityCheckBypass(bool on);

// Turns the bypass off while it lives and restores the earlier state at its end.
class CValidityCheckScope
{
public:
    CValidityCheckScope();
    ~CValidityCheckScope();
    CValidityCheckScope(const CValidityCheckScope&) = delete;
    CValidityCheckScope& operator=(const CValidityCheckScope&) = delete;

private:
    bool m_wasBypassed;
};

void ClearValidityLog();
[[nodiscard]] CString GetValidityLog();
void AppendValidityText(const CString& text);

// Formats the id's text with the arguments and appends it. Never throws: a failure
// while formatting leaves the log as it was.
template <typename... Args>
void AppendValidityMessageId(int id, const Args&... args)
{
    try {
        AppendValidityText(CString::Formatted(GetValidityMessageFormat(id), args...));
    } catch (...) {
        // A message that cannot be formatted must not end the check.
    }
}

// Formats and appends; never throws.
template <typename... Args>
void AppendValidityMessage(const char* format, const Args&... args)
{
    try {
        AppendValidityText(CString::Formatted(format, args...));
    } catch (...) {
    }
}

// Repair mode: appends the repair message and answers true (the caller repairs).
// Other modes: appends a line break and answers false (the caller counts severity 1).
bool BeginRepair(int mode);

// The report: the title, a line break, then the log, or the empty-log message and a
// line break when the log is empty.
[[nodiscard]] CString BuildValidityReport(const CString& title);
// Builds the report and hands it to the report display, which shows nothing here.
void ShowValidityLog(const CString& title);

// The severity stored for the entity (null allowed), or -1 when the map has none or
// there is no map.
[[nodiscard]] int FindCheckResult(const CValidityResultMap* results, const CEntity* entity);
// Stores the severity under the entity (null allowed) when there is a map; returns it.
int StoreCheckResult(CValidityResultMap* results, const CEntity* entity, int severity);

// The first steps of every class's check except the entity base's: the bypass answers
// 0, a cached result is answered, and an entity not of the class gets the wrong-class
// message and severity 3. True when the check is finished and result holds its answer.
bool StartValidityCheck(const CEntity* entity, const CRuntimeClass* checkedClass,
                        CValidityResultMap* results, int& result);

// Checks an entity that another refers to or owns, which may be null: null gives
// (unless the bypass is on) the null-object message with the class name and severity 3 (stored under the null key);
// otherwise the entity's own CheckValidity.
int CheckEntityValidity(CEntity* entity, const char* className, int mode,
                        CValidityResultMap* results);
