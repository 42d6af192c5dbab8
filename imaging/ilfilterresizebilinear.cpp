#include "imaging/ilfilterresizebilinear.h"

#include "imaging/2passscale.h"
#include "imaging/ilbilinearcontribdef.h"
#include "imaging/ilbmp.h"
#include "imaging/iltextexception.h"

void ILFilterResizeBilinear::Apply(const ILBmp& source, ILBmp& destination) const
{
    if (&source == &destination) {
        ApplyInPlace(destination);
        return;
    }
    // The scaler moves 4-byte pixels; any other depth would be read past its rows.
    if (source.GetBitsPerPixel() != 32) {
        throw ILTextException(ILTextException::notSupported, "Only 32-bit images can be resized.");
    }
    destination.CreateFromData(m_newWidth, m_newHeight, 32, source.HasAlpha(), source.IsGreyscale(), nullptr, 0,
                               source.GetResolution());
    const ILBilinearContribDef contrib(0.64);
    C2PassScale scaler(contrib);
    (void)scaler.Scale(source.GetLineArray(), source.GetWidth(), source.GetHeight(), destination.GetLineArray(),
                       m_newWidth, m_newHeight);
}
