#include "document/classregistration.h"

#include "document/tarnwickmodel.h"
#include "document/versionmap.h"
#include "foundation/versioninfo.h"

void RegisterModelRootClasses()
{
    AfxRegisterClass(RUNTIME_CLASS(CTarnwickModel));
    AfxRegisterClass(RUNTIME_CLASS(CVersionMap));
    AfxRegisterClass(RUNTIME_CLASS(CVersionInfo));
}
