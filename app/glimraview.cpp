#include "app/glimraview.h"

void CGlimraView::OnSize(int width, int height)
{
    CBaseGLView::OnSize(width, height);
    Invalidate();
}
