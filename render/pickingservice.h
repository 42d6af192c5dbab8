#pragma once
// IPickingService: what the view's camera operations need of picking and of the extents
// finder, which work in the tools layer above the view: the model point under a window
// point, and fitting the camera to a set of entities. The tools install their service
// once at start-up; until they do, the view finds no point under the cursor and zoom
// extents leaves the camera where it is. User-interface thread only.

class CTarnisView;
class IEntityIterator;
struct CPoint2d;
struct CPoint3d;

class IPickingService
{
public:
    virtual ~IPickingService() = default;

    // The model point nearest to the eye under the window point; false when nothing is hit.
    virtual bool FindNearestHitPoint(CTarnisView& view, const CPoint2d& windowPoint, CPoint3d& point) = 0;
    // Places the camera so that what the entities draw fills the view with a margin;
    // null stands for every entity of the model.
    virtual void ZoomExtents(CTarnisView& view, IEntityIterator* entities) = 0;
};

// Null removes the service; the caller keeps ownership.
void SetPickingService(IPickingService* service);
[[nodiscard]] IPickingService* GetPickingService();
