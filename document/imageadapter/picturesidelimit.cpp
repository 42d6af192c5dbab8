#include "document/imageadapter/picturesidelimit.h"

#include <algorithm>

#include "document/imageadapter/texturesizefit.h"

namespace {

int g_side = 0;

}  // namespace

CPictureSideLimit::CPictureSideLimit(int side) : m_previous(g_side)
{
    g_side = std::max(side, 1);
}

CPictureSideLimit::~CPictureSideLimit()
{
    g_side = m_previous;
}

int CPictureSideLimit::GetCurrent()
{
    return g_side;
}

int GetModelPictureMaxSide()
{
    const int texture = GetImageTextureMaxSide();
    return g_side > 0 ? std::min(g_side, texture) : texture;
}
