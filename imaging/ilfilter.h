#pragma once
// ILFilter: a transformation of one bitmap into another. A filter overrides at least
// one of the two forms; each base form is written in terms of the other.

#include "imaging/ilobject.h"

class ILBmp;

class ILFilter : public ILObject
{
public:
    ~ILFilter() override = default;

    // Applies the filter into a temporary bitmap and makes the bitmap a copy of it.
    virtual void ApplyInPlace(ILBmp& bmp) const;
    // Makes the destination a copy of the source, then filters it in place.
    virtual void Apply(const ILBmp& source, ILBmp& destination) const;
};
