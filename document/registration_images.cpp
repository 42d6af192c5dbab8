#include "document/classregistration.h"

#include "document/dib.h"

void RegisterImagesClasses()
{
    AfxRegisterClass(RUNTIME_CLASS(CDib));
}
