#include "document/classregistration.h"

#include "annotations/constructiongeometry.h"
#include "annotations/constructionline.h"
#include "annotations/constructionpoint.h"
#include "annotations/polyline3d.h"
#include "annotations/sectionplane.h"
#include "annotations/watermark.h"

void RegisterConstructionClasses()
{
    AfxRegisterClass(RUNTIME_CLASS(CConstructionGeometry));
    AfxRegisterClass(RUNTIME_CLASS(CConstructionLine));
    AfxRegisterClass(RUNTIME_CLASS(CConstructionPoint));
    AfxRegisterClass(RUNTIME_CLASS(CPolyline3d));
    AfxRegisterClass(RUNTIME_CLASS(CSectionPlane));
    AfxRegisterClass(RUNTIME_CLASS(CWatermark));
}
