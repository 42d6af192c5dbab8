#pragma once
// CViewPickingService: the picking service of the tools layer that the view's camera
// operations (zoom about a point, zoom window, zoom extents, the orbit pivot) call
// through render/pickingservice.h: a point pick for the model point under the cursor
// and the extents finder for zoom extents.

#include "render/pickingservice.h"

class CViewPickingService : public IPickingService
{
public:
    bool FindNearestHitPoint(CTarnisView& view, const CPoint2d& windowPoint, CPoint3d& point) override;
    void ZoomExtents(CTarnisView& view, IEntityIterator* entities) override;
};

// Installs the program's one service; start-up calls it before a view is made.
void InstallViewPicking();
