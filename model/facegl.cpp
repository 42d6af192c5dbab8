#include "model/facegl.h"

namespace {

// Set and read on the user-interface thread only.
IFaceGL* g_faceGL = nullptr;

}  // namespace

IFaceGL::~IFaceGL() = default;

void SetFaceGL(IFaceGL* faceGL)
{
    g_faceGL = faceGL;
}

IFaceGL* GetFaceGL()
{
    return g_faceGL;
}

void FlushFaces(ITarnisView* view)
{
    if (g_faceGL != nullptr) {
        g_faceGL->Flush(view);
    }
}
