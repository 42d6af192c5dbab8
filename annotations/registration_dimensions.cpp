#include "document/classregistration.h"

#include "annotations/dimension.h"
#include "annotations/dimensionlinear.h"
#include "annotations/dimensionradial.h"
#include "annotations/dimensionstyle.h"
#include "annotations/text.h"
#include "annotations/textstyle.h"

void RegisterDimensionsClasses()
{
    AfxRegisterClass(RUNTIME_CLASS(CDimension));
    AfxRegisterClass(RUNTIME_CLASS(CDimensionLinear));
    AfxRegisterClass(RUNTIME_CLASS(CDimensionRadial));
    AfxRegisterClass(RUNTIME_CLASS(CDimensionStyle));
    AfxRegisterClass(RUNTIME_CLASS(CText));
    AfxRegisterClass(RUNTIME_CLASS(CTextStyle));
}
