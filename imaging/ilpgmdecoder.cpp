#include "imaging/ilpgmdecoder.h"

ILPGMDecoder::ILPGMDecoder()
    : ILPNMDecoder({"PGM", "Decoding PGM.\n", '2', '5', 1, "PGM decoder: Is not the correct identifier P5 or P2.",
                    "Unknown PGM image type."})
{
}
