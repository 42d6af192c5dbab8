#include "document/classregistration.h"
#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/definitionlist.h"
#include "document/fontmanager.h"
#include "document/group.h"
#include "document/image.h"
#include "document/tarniscs.h"
#include "document/twfont.h"

void RegisterComponentsClasses()
{
    AfxRegisterClass(RUNTIME_CLASS(CComponent));
    AfxRegisterClass(RUNTIME_CLASS(CComponentDefinition));
    AfxRegisterClass(RUNTIME_CLASS(CComponentInstance));
    AfxRegisterClass(RUNTIME_CLASS(CGroup));
    AfxRegisterClass(RUNTIME_CLASS(CImage));
    AfxRegisterClass(RUNTIME_CLASS(CDefinitionList));
    AfxRegisterClass(RUNTIME_CLASS(CTarnisCS));
    AfxRegisterClass(RUNTIME_CLASS(CFontManager));
    AfxRegisterClass(RUNTIME_CLASS(CTwFont));
}
