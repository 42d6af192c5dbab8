#pragma once
// CSectionPlane: a plane that cuts its component open. The normal points to the side
// that stays visible. A component names at most one of its planes as the active one;
// the plane itself keeps only its equation in the file, and, while drawn, the extent
// of its component seen in its own frame.

#include "foundation/boundingbox2d.h"
#include "foundation/plane3d.h"
#include "foundation/transformation.h"
#include "model/drawingelement.h"

class CSectionPlane : public CDrawingElement
{
    DECLARE_SERIAL(CSectionPlane)

public:
    // The XY plane, empty bounds.
    CSectionPlane();
    explicit CSectionPlane(const CPlane3d& plane);
    // The drawing-element part and the equation; the bounds start empty.
    CSectionPlane(const CSectionPlane& other);
    ~CSectionPlane() override;

    // The drawing-element part and the four coefficients, the same at every version
    // and in every format; read back as stored. Throws the archive exception on bad
    // input.
    void Serialize(CArchive& ar) override;
    // Nothing for the identity; otherwise records the change and maps the equation.
    void Transform(const CTransformation& transform) override;
    [[nodiscard]] CEntity* Clone() const override;
    // The other entity must be a section plane: the equations change places.
    void SwapData(CEntity& other) override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;
    // Adds one point: the centre of the box so far (the origin while it is empty)
    // projected onto the plane, so a plane never widens the extents beyond itself.
    void AccumulateExtents(const CTransformation& transform, CBoundingBox3d& box) const override;

    [[nodiscard]] const CPlane3d& GetPlane() const { return m_plane; }
    // Records the change and stores the equation unless it equals the current one
    // within 0.001, orientation counting.
    void SetPlane(const CPlane3d& plane);

    // The frame the bounds live in: its origin the plane's point nearest the world
    // origin, its z axis the normal.
    [[nodiscard]] CTransformation GetFrame() const;
    [[nodiscard]] const CBoundingBox2d& GetBounds() const { return m_bounds; }
    // The bounds become the corners of the component's box, projected onto the plane,
    // in the frame; an empty box counts as the single point at the origin.
    void ComputeBounds(const CBoundingBox3d& componentBounds);

private:
    CPlane3d m_plane;
    CBoundingBox2d m_bounds;
};

// Reads an object reference that must be a section plane (null allowed); throws the
// archive exception badClass for another class.
[[nodiscard]] CSectionPlane* ReadSectionPlane(CArchive& ar);
