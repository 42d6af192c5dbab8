#pragma once
// ILFilterResize: the base of the filters that change an image's size.

#include "imaging/ilfilter.h"

class ILFilterResize : public ILFilter
{
public:
    ILFilterResize(int newWidth, int newHeight) : m_newWidth(newWidth), m_newHeight(newHeight) {}

    void SetNewSize(int newWidth, int newHeight)
    {
        m_newWidth = newWidth;
        m_newHeight = newHeight;
    }
    [[nodiscard]] int GetNewWidth() const { return m_newWidth; }
    [[nodiscard]] int GetNewHeight() const { return m_newHeight; }

protected:
    int m_newWidth;
    int m_newHeight;
};
