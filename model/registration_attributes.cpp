#include "document/classregistration.h"

void RegisterAttributesClasses()
{
}
