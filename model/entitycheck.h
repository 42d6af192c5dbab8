#pragma once
// The bookkeeping that one consistency check of one entity repeats, whatever the
// entity's kind: note a problem with its message, mend it in repair mode with the
// entity's change recorded once, and keep the worst severity.

#include <functional>

#include "model/entity.h"

class CEntityCheck
{
public:
    // Answers the sentence an id is formatted with ("%s" for the label, "%d" for an
    // index); "" when unknown.
    using FormatLookup = const char* (*)(int id);

    CEntityCheck(CEntity& entity, int mode, FormatLookup lookup)
        : m_entity(entity), m_mode(mode), m_lookup(lookup)
    {
    }

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
    FormatLookup m_lookup;
    int m_severity = kValiditySound;
    bool m_recorded = false;
};

// Runs a class's own check after the common first steps (bypass, cached result, wrong
// class) and stores its result for the entity; an exception that escapes the body is
// reported as 21714 with severity 3. The body answers a severity.
int RunEntityCheck(CEntity& entity, const CRuntimeClass* checkedClass, CValidityResultMap* results,
                   const std::function<int()>& body);
