#pragma once
// ILFilterResizeBilinear: resizes a 32-bit image with a two-pass triangle filter.

#include "imaging/ilfilterresize.h"

class ILFilterResizeBilinear : public ILFilterResize
{
public:
    ILFilterResizeBilinear(int newWidth, int newHeight) : ILFilterResize(newWidth, newHeight) {}

    // The destination takes the new size and the source's depth, flags and resolution.
    // Throws ILTextException notSupported for a source that is not 32-bit and internalError
    // for a negative size.
    void Apply(const ILBmp& source, ILBmp& destination) const override;
};
