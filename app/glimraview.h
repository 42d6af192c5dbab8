#pragma once
// CGlimraView: the program's main view: the OpenGL view, drawing the model's frame.
// Until the model view exists it clears to the background colour.
#include "render/baseglview.h"

class CGlimraView : public CBaseGLView
{
public:
    // The view's one-shot animation timer.
    static constexpr UINT kAnimationTimerId = 123;

    void OnSize(int width, int height) override;
};
