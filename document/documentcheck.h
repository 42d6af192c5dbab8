#pragma once
// The consistency checks of the model's shared objects (layers, materials, textures,
// texture placements, fonts and their managers): the ids of their messages with the
// stand-in sentences, and the bookkeeping of one entity's check (note a problem, mend
// it in repair mode with the change recorded once).

#include <functional>

#include "model/entity.h"

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

class CDocumentCheck
{
public:
    CDocumentCheck(CEntity& entity, int mode) : m_entity(entity), m_mode(mode) {}

    // A problem that repair mode mends: true when the caller is to repair it now (the
    // entity's change is recorded before the first repair); otherwise severity 1.
    bool Repairable(int id, int index = 0);
    // A problem that stays: its message and at least this severity.
    void Broken(int id, int severity, int index = 0);
    // Takes a severity that a check of a part answered.
    void Take(int severity);

    [[nodiscard]] int GetSeverity() const { return m_severity; }
    [[nodiscard]] int GetMode() const { return m_mode; }

private:
    void Append(int id, int index) const;

    CEntity& m_entity;
    int m_mode;
    int m_severity = kValiditySound;
    bool m_recorded = false;
};

// Runs a class's own check after the common first steps (bypass, cached result, wrong
// class) and stores its result; an exception that escapes the body is 21714 with
// severity 3. The body answers a severity.
int RunDocumentCheck(CEntity& entity, const CRuntimeClass* checkedClass, CValidityResultMap* results,
                     const std::function<int()>& body);
