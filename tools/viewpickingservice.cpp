#include "tools/viewpickingservice.h"

#include "tools/pickhelper.h"
#include "tools/viewextentsfinder.h"

bool CViewPickingService::FindNearestHitPoint(CTarnisView& view, const CPoint2d& windowPoint, CPoint3d& point)
{
    CPickHelper picker(&view, windowPoint, 0);
    return picker.FindNearestHitPoint(point);
}

void CViewPickingService::ZoomExtents(CTarnisView& view, IEntityIterator* entities)
{
    CViewExtentsFinder finder(view);
    finder.ZoomExtents(entities);
}

void InstallViewPicking()
{
    static CViewPickingService service;
    SetPickingService(&service);
}
