#pragma once
// CInstanceSlice: an instance's share of a section cut: its definition's slice, which
// it does not own, drawn under the instance's transformation.

#include "annotations/elementslice.h"

class CComponentInstance;
class CDefinitionSlice;

class CInstanceSlice : public CElementSlice
{
public:
    CInstanceSlice(CComponentInstance* instance, CDefinitionSlice* definitionSlice);

    void Draw(ITarnisView* view) override;

    [[nodiscard]] CDefinitionSlice* GetDefinitionSlice() const { return m_definitionSlice; }

private:
    CComponentInstance* m_instance;
    CDefinitionSlice* m_definitionSlice;
};
