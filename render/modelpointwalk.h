#pragma once
// CModelPointWalk: a walk over the points of what the model shows, in model coordinates:
// the corners of each face's outer loop, the ends of each edge, and the box corners of
// any other element, through the transformations of the nested instances. The finders
// that place the camera (the extents finder, the view-centre finder) derive from it and
// take each point; one walk of the geometry costs far less than a drawing walk, which
// matters for models of a million faces.
//
// Elements the view does not show are left out. Section planes and guides without an
// end add nothing: neither has a size of its own. A component that is already being
// walked on the current path (an instance that places its own definition) is not
// entered again, and no nesting deeper than the component nesting limit is entered, so
// that every walk ends; the walk then reports itself incomplete. Each point is charged
// to the frame meter as a vertex, and the walk stops, incomplete, where a frame would
// (a budget the caller opened, a quit).

#include <vector>

#include "foundation/point3d.h"
#include "foundation/transformation.h"

class CComponent;
class CDrawingElement;
class CEntity;
class CFace;
class IEntityIterator;
class ITarnisView;

class CModelPointWalk
{
public:
    // The view decides what is shown; null shows everything.
    explicit CModelPointWalk(ITarnisView* view);
    CModelPointWalk(const CModelPointWalk&) = delete;
    CModelPointWalk& operator=(const CModelPointWalk&) = delete;
    virtual ~CModelPointWalk();

    // Each returns false when part of the walk was left out (see above); entities that
    // are not drawing elements add nothing.
    bool WalkEntity(CEntity* entity);
    bool WalkEntities(IEntityIterator& entities);
    bool WalkComponent(const CComponent& component);

protected:
    // A point in model coordinates.
    virtual void AddPoint(const CPoint3d& point) = 0;
    [[nodiscard]] ITarnisView* GetView() const { return m_view; }

private:
    bool WalkElement(const CDrawingElement& element);
    void WalkFace(const CFace& face);
    void WalkOther(const CDrawingElement& element);
    void Add(const CPoint3d& local);

    ITarnisView* m_view;
    // The cumulative transformation of each instance entered; none at the top.
    std::vector<CTransformation> m_transforms;
    // The components being walked, outermost first.
    std::vector<const CComponent*> m_path;
};
