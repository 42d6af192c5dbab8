// Feeds arbitrary bytes to the format-detecting decoder from memory, as the image
// service decodes a model's stored pictures: every built-in decoder, 32 bits wanted,
// whole and shrunk as it is read.
#include "imaging/ilanybmp.h"
#include "imaging/ilbmp.h"
#include "imaging/ilanypicdecoder.h"
#include "imaging/iltextexception.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A tiny file may describe a huge picture; a smaller limit keeps each run quick and
    // the process well inside the fuzzer's memory budget.
    static const bool limited = (ILBmp::SetMaxPixels(std::int64_t{1} << 22), true);
    (void)limited;
    static ILAnyPicDecoder decoder;
    for (const int maxSide : {0, 16}) {
        decoder.SetMaxSide(maxSide);
        ILAnyBmp bmp;
        try {
            decoder.MakeBmpFromMemory(data, static_cast<std::int64_t>(size), bmp, 32);
        } catch (const ILTextException&) {
        }
    }
    return 0;
}
