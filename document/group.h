#pragma once
// CGroup: a placed set of entities that the user treats as one. It is a component
// instance whose definition normally has this one instance; its record is the
// instance record.

#include "document/componentinstance.h"

class CGroup : public CComponentInstance
{
    DECLARE_SERIAL(CGroup)

public:
    CGroup();
    CGroup(const CGroup& other);
    ~CGroup() override;

    [[nodiscard]] CEntity* Clone() const override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;
    // The instance explode, told whether the group is its definition's only instance.
    std::vector<CEntity*> Explode(bool callerFlag, bool onlyInstance) override;
};
