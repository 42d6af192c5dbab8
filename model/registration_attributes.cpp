#include "document/classregistration.h"

#include "model/attribute.h"
#include "model/attributecontainer.h"
#include "model/attributenamed.h"
#include "model/relationship.h"
#include "model/relationshipmap.h"

void RegisterAttributesClasses()
{
    AfxRegisterClass(RUNTIME_CLASS(CAttribute));
    AfxRegisterClass(RUNTIME_CLASS(CAttributeNamed));
    AfxRegisterClass(RUNTIME_CLASS(CAttributeContainer));
    AfxRegisterClass(RUNTIME_CLASS(CRelationship));
    AfxRegisterClass(RUNTIME_CLASS(CRelationshipMap));
}
