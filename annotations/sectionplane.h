#pragma once
// CSectionPlane: a plane that cuts its component open. The normal points to the side
// that stays visible. A component names at most one of its planes as the active one;
// the plane itself keeps only its equation in the file, and, while drawn, the extent
// of its component seen in its own frame.

#include <memory>

#include "foundation/boundingbox2d.h"
#include "foundation/plane3d.h"
#include "foundation/transformation.h"
#include "model/drawingelement.h"

class CSectionPlaneSlice;

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
    // While the options display section planes, or when selected: the rectangle in the
    // plane around its component, broken at the middle of each side, with an arrow at
    // each corner pointing to the kept side (filled while the plane cuts) and a
    // translucent or stippled fill. Named for picking: sub-element 1 the outline and
    // arrows, 2 the fill.
    void Draw(ITarnisView* view) override;
    // Its outline, arrows and fill; the component's active plane also what computing its
    // cut visits (CSectionPlaneSlice::GetVisitWeight). An inactive plane cuts nothing.
    [[nodiscard]] std::uint64_t GetDrawingWeight(bool shadows) const override;
    // Shown as a drawing element, and then when section planes are displayed or the
    // plane is selected.
    [[nodiscard]] bool IsShown(ITarnisView* view) const override;
    // The drawn rectangle inside: the corners of its box, or with section planes in
    // force each edge of that box as far as they keep it (a rectangle they cut away
    // wholly counts as inside).
    [[nodiscard]] bool IsSelectedBy(IPickHelper* selector, const CInstancePath* path) const override;
    // A plane that is the current model's active one stops being active first.
    void EraseFromComponent(CComponent* component) override;

    [[nodiscard]] const CPlane3d& GetPlane() const { return m_plane; }
    // Records the change and stores the equation unless it equals the current one
    // within 0.001, orientation counting.
    void SetPlane(const CPlane3d& plane);

    // The plane is its component's active one and section cuts are displayed.
    [[nodiscard]] bool IsActiveCut(ITarnisView* view) const;
    // The section cut of the component, computed on first use after the plane last
    // moved and replayed from the cache; in the cut colour and width.
    void DrawSlice(ITarnisView* view);
    // Computes the cut unless it is kept; a cut the frame meter stopped is not kept, and
    // the slice stays null until a later frame computes it whole.
    void BuildSlice(ITarnisView* view);
    // Dropped whenever what the cut depends on may have changed.
    void DeleteSlice();
    [[nodiscard]] CSectionPlaneSlice* GetSlice() const { return m_slice.get(); }
    // The bounds as drawn: a side shorter than 0.001 widened to 100 pixels at the
    // centre, then 5% of the mean side added all round. pixelLength is the model length
    // of one pixel at the rectangle's centre.
    [[nodiscard]] static CBoundingBox2d InflateDrawBounds(const CBoundingBox2d& bounds, double pixelLength);

    // The frame the bounds live in: its origin the plane's point nearest the world
    // origin, its z axis the normal.
    [[nodiscard]] CTransformation GetFrame() const;
    [[nodiscard]] const CBoundingBox2d& GetBounds() const { return m_bounds; }
    // The bounds become the corners of the component's box, projected onto the plane,
    // in the frame; an empty box counts as the single point at the origin.
    void ComputeBounds(const CBoundingBox3d& componentBounds);

private:
    void DrawPlane(ITarnisView* view, bool active, bool picking, bool highlighted);
    [[nodiscard]] bool IsHighlighted(ITarnisView* view) const;
    void ComputeOwnBounds();

    CPlane3d m_plane;
    CBoundingBox2d m_bounds;
    std::unique_ptr<CSectionPlaneSlice> m_slice;
};

// Reads an object reference that must be a section plane (null allowed); throws the
// archive exception badClass for another class.
[[nodiscard]] CSectionPlane* ReadSectionPlane(CArchive& ar);
