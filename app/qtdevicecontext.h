#pragma once
// The device context the program's windows hand to the image service: the painter a
// window paints with at the moment.
class QPainter;

struct HDC__
{
    QPainter* painter = nullptr;
};
