#include "model/edgepassgl.h"

namespace {

// Set and read on the user-interface thread only.
IEdgePassGL* g_edgePassGL = nullptr;

}  // namespace

IEdgePassGL::~IEdgePassGL() = default;

void SetEdgePassGL(IEdgePassGL* edgePassGL)
{
    g_edgePassGL = edgePassGL;
}

IEdgePassGL* GetEdgePassGL()
{
    return g_edgePassGL;
}
