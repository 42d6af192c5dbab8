#include "document/classregistration.h"

void RegisterEntityClasses()
{
}
