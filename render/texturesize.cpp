#include "render/texturesize.h"

#include <GL/gl.h>

#include "document/imageadapter/texturesizefit.h"
#include "platform/profile.h"

namespace {

constexpr int kDefaultMaxSize = 1024;
// Sides beyond this are never asked for; the loop below stops there.
constexpr int kLargestSide = 1 << 15;

int g_maxTextureSize = 0;

bool IsPowerOfTwo(int value)
{
    return value > 0 && (value & (value - 1)) == 0;
}

}  // namespace

int GetMaxTextureSize()
{
    if (g_maxTextureSize != 0) {
        return g_maxTextureSize;
    }
    int size = GetProfileInt(CString("Textures"), CString("MaxGLSize"), kDefaultMaxSize);
    if (size != 0 && (!IsPowerOfTwo(size) || size == 1)) {
        size = kDefaultMaxSize;
    }
    GLint driverMax = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &driverMax);
    if (driverMax < 2) {
        // Without a context the driver tells nothing: the default is safe everywhere,
        // and the driver is asked again next time.
        return size == 0 || size > kDefaultMaxSize ? kDefaultMaxSize : size;
    }
    if (size == 0 || size > driverMax) {
        size = driverMax;
    }
    g_maxTextureSize = size;
    return size;
}

void ForgetMaxTextureSize()
{
    g_maxTextureSize = 0;
}

bool FitTextureSize(int& width, int& height)
{
    return FitToPowerOfTwo(width, height, GetMaxTextureSize());
}

int GetTextureSide(int size)
{
    int side = 2;
    while (side < size && side < kLargestSide) {
        side <<= 1;
    }
    return side;
}
