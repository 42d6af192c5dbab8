#include "document/classregistration.h"

void RegisterCurvesClasses()
{
}
