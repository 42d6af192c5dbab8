#include "imaging/ilfilterboxreduce.h"

#include "imaging/ilbmp.h"
#include "imaging/ilboxreducer.h"
#include "imaging/iltextexception.h"

void ILFilterBoxReduce::Apply(const ILBmp& source, ILBmp& destination) const
{
    if (!ILBoxReducer::TakesDepth(source.GetBitsPerPixel())) {
        throw ILTextException(ILTextException::notSupported, "Only 1-, 8-, 24- and 32-bit images can be reduced.");
    }
    if (&source == &destination) {
        ApplyInPlace(destination);
        return;
    }
    ILBoxReducer reducer(source, m_newWidth, m_newHeight, destination);
    if (const ILPixel32* palette = source.GetPalette()) {
        reducer.SetPalette(palette);
    }
    const std::uint8_t* const* rows = source.GetLineArray();
    for (int y = 0; y < source.GetHeight(); ++y) {
        reducer.AddRow(rows[y]);
    }
}
