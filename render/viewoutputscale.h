#pragma once
// CViewOutputScale: while it lives, the view draws for an output of another size
// (printing, pictures of the view): the viewport takes the output size, keeping the
// camera's stored aspect ratio when it has one, pixel lengths scale by the ratio of the
// old size to the new, and lines widen by the caller's factor. The old viewport and
// both scales come back when it ends.

class CTarnisView;

class CViewOutputScale
{
public:
    CViewOutputScale(CTarnisView& view, int width, int height, double lineWidthFactor);
    ~CViewOutputScale();

    CViewOutputScale(const CViewOutputScale&) = delete;
    CViewOutputScale& operator=(const CViewOutputScale&) = delete;

private:
    CTarnisView& m_view;
    int m_oldWidth;
    int m_oldHeight;
};
