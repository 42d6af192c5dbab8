#include "document/classregistration.h"

#include "model/drawingelement.h"
#include "model/entity.h"

void RegisterEntityClasses()
{
    AfxRegisterClass(RUNTIME_CLASS(CEntity));
    AfxRegisterClass(RUNTIME_CLASS(CDrawingElement));
}
