// Feeds arbitrary bytes to the format-detecting decoder from memory, as the image
// service decodes a model's stored pictures: every built-in decoder, 32 bits wanted.
#include "imaging/ilanybmp.h"
#include "imaging/ilanypicdecoder.h"
#include "imaging/iltextexception.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static ILAnyPicDecoder decoder;
    ILAnyBmp bmp;
    try {
        decoder.MakeBmpFromMemory(data, static_cast<std::int64_t>(size), bmp, 32);
    } catch (const ILTextException&) {
    }
    return 0;
}
