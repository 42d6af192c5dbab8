#include "imaging/ilfilter.h"

#include "imaging/ilanybmp.h"

void ILFilter::ApplyInPlace(ILBmp& bmp) const
{
    ILAnyBmp result;
    Apply(bmp, result);
    bmp = static_cast<const ILBmp&>(result);
}

void ILFilter::Apply(const ILBmp& source, ILBmp& destination) const
{
    if (&source != &destination) {
        destination = source;
    }
    ApplyInPlace(destination);
}
