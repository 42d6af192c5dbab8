#pragma once
// ILPGMDecoder: reads portable grey maps ("P2" text, "P5" binary samples) into 8-bit
// greyscale bitmaps with the grey ramp palette.

#include "imaging/ilpnmdecoder.h"

class ILPGMDecoder : public ILPNMDecoder
{
public:
    ILPGMDecoder();
    ~ILPGMDecoder() override = default;
};
