#pragma once
// The consistency checks of dimensions, texts and their styles: the ids of their
// messages with the stand-in sentences, and the bookkeeping that one check of one
// entity repeats (note a problem, repair it in repair mode, record the change once).

#include <functional>

#include "model/entity.h"

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

class CAnnotationCheck
{
public:
    CAnnotationCheck(CEntity& entity, int mode) : m_entity(entity), m_mode(mode) {}

    // A problem that repair mode mends: true when the caller is to repair it now (the
    // entity's change is recorded before the first repair); otherwise severity 1.
    bool Repairable(int id);
    // A problem that stays: its message and at least this severity.
    void Broken(int id, int severity);

    [[nodiscard]] int GetSeverity() const { return m_severity; }
    [[nodiscard]] int GetMode() const { return m_mode; }

private:
    void Append(int id) const;

    CEntity& m_entity;
    int m_mode;
    int m_severity = kValiditySound;
    bool m_recorded = false;
};

// Runs a class's own check after the common first steps (bypass, cached result, wrong
// class) with the result stored for the entity; an exception that escapes the body is
// reported as 21714 with severity 3. The body answers a severity.
int RunAnnotationCheck(CEntity& entity, const CRuntimeClass* checkedClass, CValidityResultMap* results,
                       const std::function<int()>& body);
