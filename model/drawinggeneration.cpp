#include "model/drawinggeneration.h"

std::uint64_t CDrawingGeneration::s_count = 0;
