#pragma once
// ILPPMDecoder: reads portable pixel maps ("P3" text, "P6" binary samples) into 32-bit
// bitmaps without alpha.

#include "imaging/ilpnmdecoder.h"

class ILPPMDecoder : public ILPNMDecoder
{
public:
    ILPPMDecoder();
    ~ILPPMDecoder() override = default;
};
