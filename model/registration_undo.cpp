#include "document/classregistration.h"

#include "document/layer.h"
#include "document/layermanager.h"
#include "document/material.h"
#include "document/materialmanager.h"

void RegisterUndoClasses()
{
    AfxRegisterClass(RUNTIME_CLASS(CLayer));
    AfxRegisterClass(RUNTIME_CLASS(CLayerManager));
    AfxRegisterClass(RUNTIME_CLASS(CMaterial));
    AfxRegisterClass(RUNTIME_CLASS(CMaterialManager));
}
