#include "model/entitycheck.h"

#include <algorithm>

#include "model/validitylog.h"

bool CEntityCheck::Repairable(int id, int index)
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

void CEntityCheck::Broken(int id, int severity, int index)
{
    Append(id, index);
    m_severity = std::max(m_severity, severity);
}

void CEntityCheck::Take(int severity)
{
    m_severity = std::max(m_severity, severity);
}

void CEntityCheck::Append(int id, int index) const
{
    // A sentence without "%d" ignores the index.
    AppendValidityMessage(m_lookup(id), GetEntityLabel(&m_entity), index);
}

int RunEntityCheck(CEntity& entity, const CRuntimeClass* checkedClass, CValidityResultMap* results,
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
