#include "document/classregistration.h"

void RegisterTopologyClasses()
{
}
