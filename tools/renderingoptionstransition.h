#pragma once
// CRenderingOptionsTransition: blends the display settings of one page into those of
// the next while a page transition runs: sky, ground and fog, where both sides show
// them. Other settings are left to the page.

#include "document/renderingoptions.h"

class CRenderingOptionsTransition
{
public:
    // Both settings are copied.
    CRenderingOptionsTransition(const CRenderingOptions& start, const CRenderingOptions& end);

    // Every blended value becomes end * t + start * (1 - t) in the target, integers
    // truncated toward zero; only the fog density announces its change.
    void Interpolate(double t, CRenderingOptions& target) const;

private:
    CRenderingOptions m_start;
    CRenderingOptions m_end;
};
