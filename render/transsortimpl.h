#pragma once
// CTransSortImpl: what both transparency sorts share: the camera's eye and the plane
// through it across the line of sight, both in the space of the component being
// drawn (the view's current transformation taken off), and whether the camera has
// perspective, so that distances can be taken against the entities' own bounds.

#include "foundation/plane3d.h"
#include "foundation/point3d.h"

class CDrawingElement;
class CFace;
class ITarnisView;

class CTransSortImpl
{
public:
    explicit CTransSortImpl(ITarnisView* view);
    virtual ~CTransSortImpl();
    CTransSortImpl(const CTransSortImpl&) = delete;
    CTransSortImpl& operator=(const CTransSortImpl&) = delete;

    virtual void Add(CFace* face, CDrawingElement* entity) = 0;
    virtual void SortAndDraw(ITarnisView* view) = 0;

protected:
    // A face goes to the view's face batch; anything else draws after the batch is out.
    static void DrawOne(ITarnisView* view, CFace* face, CDrawingElement* entity);

    CPoint3d m_eye;
    CPlane3d m_viewPlane;
    bool m_perspective = true;
};
