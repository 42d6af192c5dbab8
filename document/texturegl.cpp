#include "document/texturegl.h"

#include <algorithm>

#include "document/imageadapter/texturesizefit.h"

namespace {

// Set and read on the user-interface thread only.
ITextureGL* g_textureGL = nullptr;
unsigned g_textureEpoch = 0;
std::int64_t g_textureBudget = kDefaultTextureBudget;
std::int64_t g_textureMemory = 0;

}  // namespace

ITextureGL::~ITextureGL() = default;

void ITextureGL::SetPlacementMatrix(const double* /*matrix*/) {}

void SetTextureGL(ITextureGL* textureGL)
{
    g_textureGL = textureGL;
}

ITextureGL* GetTextureGL()
{
    return g_textureGL;
}

void ForgetGLTextureNames()
{
    ++g_textureEpoch;
    g_textureMemory = 0;
}

unsigned GetGLTextureEpoch()
{
    return g_textureEpoch;
}

void SetTextureMemoryBudget(std::int64_t bytes)
{
    g_textureBudget = bytes;
}

std::int64_t GetTextureMemoryBudget()
{
    return g_textureBudget;
}

std::int64_t GetTextureMemoryInUse()
{
    return g_textureMemory;
}

void AddTextureMemory(std::int64_t bytes)
{
    g_textureMemory = std::max<std::int64_t>(g_textureMemory + bytes, 0);
}

bool FitTextureBudget(int& width, int& height, std::int64_t room)
{
    (void)FitImageTextureSize(width, height);
    const auto bytes = [&]() { return TextureBytes(width, height); };
    while (std::max(width, height) > kSmallestBudgetSide && bytes() > room) {
        width = std::max(width / 2, 1);
        height = std::max(height / 2, 1);
    }
    return bytes() <= room;
}
