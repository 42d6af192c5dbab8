#pragma once
// IDrawingBase: the drawing context handed to every entity that draws itself. It
// keeps the transformations of the nested instances being walked, the eye point and
// viewing direction in the current local coordinates, the stack of geometry filters
// that cull what lies outside the view or behind a section plane, and the active
// section planes. The view implements it, and so do the picking, extents and
// view-centre walks, so one model walk serves all of them.
//
// Culling: an entity or component tests its bounds with the current filter's box
// test. When that test says a box passes wholly, a component pushes a null filter
// (PushFilter(nullptr)) so that nothing inside it is tested again, and pops it when
// it is done.

#include "foundation/point3d.h"
#include "foundation/transformation.h"
#include "foundation/vector3d.h"

namespace orvell::geometry {
class IGeomFilter;
}

class CSectionClipStack;
class CSectionPlane;

class IDrawingBase
{
public:
    virtual ~IDrawingBase() = default;

    // Enters the local space of an instance: the new level's cumulative transformation
    // is the current one times t. With applyToGL the GL model-view matrix follows.
    virtual void PushTransform(const CTransformation& t, bool applyToGL) = 0;
    // Leaves the innermost level; does nothing to the transforms when none is pushed.
    virtual void PopTransform(bool applyToGL) = 0;
    [[nodiscard]] virtual bool HasTransform() const = 0;
    // The cumulative transformation of the innermost level (model space from local
    // space), and its inverse; the identity when no level is pushed.
    [[nodiscard]] virtual CTransformation GetTransform() const = 0;
    [[nodiscard]] virtual CTransformation GetInverseTransform() const = 0;

    // The eye point and viewing direction in the current local coordinates;
    // (0, 0, 0) and (0, 0, 1) before the first Reset.
    [[nodiscard]] virtual CPoint3d GetLocalEyePoint() const = 0;
    [[nodiscard]] virtual CVector3d GetLocalViewDirection() const = 0;
    // Starts a walk: forgets every local eye point and direction and keeps these.
    virtual void Reset(const CPoint3d& eyePoint, const CVector3d& viewDirection) = 0;

    // The filter that entities test themselves against; null when nothing culls.
    [[nodiscard]] virtual orvell::geometry::IGeomFilter* GetCurrentFilter() const = 0;
    virtual void ClearFilters() = 0;
    // Takes ownership. A non-null filter is combined with the current one; null is
    // pushed as null and switches culling off until its pop.
    virtual void PushFilter(orvell::geometry::IGeomFilter* filter) = 0;
    // Deletes the top filter; does nothing when the stack is empty.
    virtual void PopFilter() = 0;

    // Activates a section plane (its GL clip plane when enable is set) and pushes the
    // filter that keeps what lies above it; the pop undoes both.
    virtual void PushSectionFilter(CSectionPlane* sectionPlane, bool enable) = 0;
    virtual void PopSectionFilter(CSectionPlane* sectionPlane) = 0;
    // While set and a section plane is active, the filter below the innermost one
    // is current, so a section plane is not culled by its own filter.
    virtual void SetSkipTopFilter(bool skip) = 0;
    [[nodiscard]] virtual CSectionClipStack& GetSectionFilters() = 0;

    // Saves the polygon-offset state and sets a new offset (an offset already on is
    // deepened); every pop follows its own push.
    virtual void PushPolygonOffset(bool enable, double factor, double units) = 0;
    virtual void PopPolygonOffset() = 0;
};
