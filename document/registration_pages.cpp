#include "document/classregistration.h"

#include "document/pagelist.h"
#include "document/tarnwickpage.h"
#include "document/viewpage.h"

void RegisterPagesClasses()
{
    AfxRegisterClass(RUNTIME_CLASS(CTarnwickPage));
    AfxRegisterClass(RUNTIME_CLASS(CViewPage));
    AfxRegisterClass(RUNTIME_CLASS(CPageList));
}
