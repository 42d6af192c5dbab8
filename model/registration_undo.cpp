#include "document/classregistration.h"

void RegisterUndoClasses()
{
}
