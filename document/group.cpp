#include "document/group.h"

#include "model/validitylog.h"

IMPLEMENT_SERIAL(CGroup, CComponentInstance, VERSIONABLE_SCHEMA | 1)

CGroup::CGroup() = default;

CGroup::CGroup(const CGroup& other) = default;

CGroup::~CGroup() = default;

CEntity* CGroup::Clone() const
{
    return new CGroup(*this);
}

int CGroup::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartValidityCheck(this, RUNTIME_CLASS(CGroup), results, result)) {
        return result;
    }
    return CComponentInstance::CheckValidity(mode, results);
}

int CGroup::GetTypeId() const
{
    return kTypeGroup;
}

std::vector<CEntity*> CGroup::Explode(bool callerFlag, bool /*onlyInstance*/)
{
    return CComponentInstance::Explode(callerFlag, IsUnique());
}
