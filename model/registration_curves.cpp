#include "document/classregistration.h"
#include "model/arccurve.h"
#include "model/curve.h"

void RegisterCurvesClasses()
{
    AfxRegisterClass(RUNTIME_CLASS(CCurve));
    AfxRegisterClass(RUNTIME_CLASS(CArcCurve));
}
