#include "document/imageadapter/picturesidelimit.h"

#include <algorithm>

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
