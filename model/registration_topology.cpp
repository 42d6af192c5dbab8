#include "document/classregistration.h"
#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/vertex.h"

void RegisterTopologyClasses()
{
    AfxRegisterClass(RUNTIME_CLASS(CVertex));
    AfxRegisterClass(RUNTIME_CLASS(CEdge));
    AfxRegisterClass(RUNTIME_CLASS(CEdgeUse));
    AfxRegisterClass(RUNTIME_CLASS(CLoop));
    AfxRegisterClass(RUNTIME_CLASS(CFace));
}
