#pragma once
// ILFilterFlip: turns an image upside down (the row order is reversed).

#include "imaging/ilfilter.h"

class ILFilterFlip : public ILFilter
{
public:
    // Works at every depth; the palette comes along.
    void Apply(const ILBmp& source, ILBmp& destination) const override;
};
