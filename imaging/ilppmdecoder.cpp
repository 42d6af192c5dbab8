#include "imaging/ilppmdecoder.h"

ILPPMDecoder::ILPPMDecoder()
    : ILPNMDecoder({"PPM", "Decoding PPM.\n", '3', '6', 3, "PPM decoder: Is not the correct identifier P3 or P6.",
                    "Unknown PPM image type."})
{
}
