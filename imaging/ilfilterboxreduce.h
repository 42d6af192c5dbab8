#pragma once
// ILFilterBoxReduce: shrinks an image of any depth to a 32-bit image by averaging each
// destination pixel's box of source pixels. It reads the source a row at a time and never
// makes a 32-bit copy of it, so a large 1- or 8-bit picture shrinks within little more
// memory than it takes itself.

#include "imaging/ilfilterresize.h"

class ILFilterBoxReduce : public ILFilterResize
{
public:
    ILFilterBoxReduce(int newWidth, int newHeight) : ILFilterResize(newWidth, newHeight) {}

    // The destination takes the new size (each side at most the source's and at least 1),
    // 32 bits, the source's alpha flag and resolution; it is not greyscale. Throws
    // ILTextException notSupported for a source depth other than 1, 8, 24 and 32, and as
    // ILBmp::CreateFromData does.
    void Apply(const ILBmp& source, ILBmp& destination) const override;
};
