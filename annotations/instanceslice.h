#pragma once
// CInstanceSlice: an instance's share of a section cut: its definition's slice, which
// it does not own, drawn under the instance's transformation.

#include <cstdint>

#include "annotations/elementslice.h"

class CComponentInstance;
class CDefinitionSlice;

class CInstanceSlice : public CElementSlice
{
public:
    // Units of the frame meter for drawing the definition's slice in the instance's axes,
    // besides the lines' vertices: the transformation carried there and back, and the
    // draw of its own that its lines take. Measured.
    static constexpr std::uint64_t kDrawCost = 40;

    CInstanceSlice(CComponentInstance* instance, CDefinitionSlice* definitionSlice);

    // The definition's slice under the instance's transformation, unless it is empty or
    // the frame must stop.
    void Draw(ITarnisView* view) override;

    [[nodiscard]] CDefinitionSlice* GetDefinitionSlice() const { return m_definitionSlice; }

private:
    CComponentInstance* m_instance;
    CDefinitionSlice* m_definitionSlice;
};
