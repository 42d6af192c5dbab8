#pragma once
// The consistency checks of dimensions, texts and their styles: the ids of their
// messages with the program's sentences, and the checks of vectors they share.

#include <functional>

#include "model/entitycheck.h"

enum AnnotationMessageId : int
{
    kMsgDimensionBadMode = 21747,         // label
    kMsgDimensionLabelImage = 21748,      // label
    kMsgStyleBadFont = 21749,             // label
    kMsgStyleBadFontKind = 21750,         // label
    kMsgStyleBadEndMark = 21751,          // label
    kMsgDimensionBadEdge = 21752,         // label
    kMsgStyleBadThreshold = 21753,        // label
    kMsgDimensionBadVector = 21754,       // label
    kMsgDimensionBadNumber = 21755,       // label
    kMsgStyleBadPlacement = 21756,        // label
    kMsgTextBadScreenX = 21833,           // label
    kMsgTextBadScreenY = 21834,           // label
    kMsgTextBadLeader = 21835,            // label
    kMsgTextBadNormal = 21836,            // label
    kMsgTextBadFont = 21837,              // label
    kMsgTextBadArrow = 21838,             // label
    kMsgTextBadLeaderKind = 21839,        // label
    kMsgTextBadSideMode = 21840           // label
};

// The sentence an id is formatted with (one "%s" for the entity label); "" when unknown.
[[nodiscard]] const char* GetAnnotationMessageFormat(int id);

struct CVector3d;

// Finite, with a squared length within 1e-6 of 1.
[[nodiscard]] bool IsValidUnitVector(const CVector3d& vector);
// Every coordinate finite.
[[nodiscard]] bool IsValidVector(const CVector3d& vector);

class CAnnotationCheck : public CEntityCheck
{
public:
    CAnnotationCheck(CEntity& entity, int mode) : CEntityCheck(entity, mode, GetAnnotationMessageFormat) {}
};

inline int RunAnnotationCheck(CEntity& entity, const CRuntimeClass* checkedClass, CValidityResultMap* results,
                              const std::function<int()>& body)
{
    return RunEntityCheck(entity, checkedClass, results, body);
}
