#include "document/imageadapter/texturesizefit.h"

#include <algorithm>

namespace {

TextureSizeFitter g_fitter = nullptr;
int g_maxSide = kDefaultMaxTextureSize;
std::uint64_t g_generation = 0;
// Larger than any texture store takes: fitting a square of this side gives the limit.
constexpr int kBeyondAnyTexture = 1 << 16;

int NextPowerOfTwo(int value)
{
    int power = 1;
    while (power < value && power <= (1 << 29)) {
        power <<= 1;
    }
    return power;
}

}  // namespace

void SetTextureSizeFitter(TextureSizeFitter fitter)
{
    g_fitter = fitter;
    int width = kBeyondAnyTexture;
    int height = kBeyondAnyTexture;
    (void)FitImageTextureSize(width, height);
    const int side = std::max(width, height);
    if (side != g_maxSide) {
        g_maxSide = side;
        ++g_generation;
    }
}

bool FitImageTextureSize(int& width, int& height)
{
    if (width < 1 || height < 1) {
        return true;
    }
    if (g_fitter != nullptr) {
        return g_fitter(width, height);
    }
    return FitToPowerOfTwo(width, height, kDefaultMaxTextureSize);
}

int GetImageTextureMaxSide()
{
    return g_maxSide;
}

std::uint64_t GetTextureSizeGeneration()
{
    return g_generation;
}

bool FitToPowerOfTwo(int& width, int& height, int maxSize)
{
    if (width < 1 || height < 1) {
        return true;
    }
    const int oldWidth = width;
    const int oldHeight = height;
    width = NextPowerOfTwo(width);
    height = NextPowerOfTwo(height);
    while ((width > maxSize || height > maxSize) && (width > 1 || height > 1)) {
        width = width > 1 ? width / 2 : 1;
        height = height > 1 ? height / 2 : 1;
    }
    return width == oldWidth && height == oldHeight;
}
