#pragma once
// ILBilinearContribDef: the triangle function, width − |x| inside the width.

#include <cmath>

#include "imaging/ilcontribdef.h"

class ILBilinearContribDef : public ILContribDef
{
public:
    explicit ILBilinearContribDef(double width) : ILContribDef(width) {}

    [[nodiscard]] double Filter(double x) const override
    {
        const double distance = std::fabs(x);
        return distance < m_width ? m_width - distance : 0.0;
    }
};
