#pragma once
// CConstructionPoint: a guide point, optionally with a guide segment that runs to it
// from a second point.

#include "annotations/constructiongeometry.h"
#include "foundation/point3d.h"

class CConstructionPoint : public CConstructionGeometry
{
    DECLARE_SERIAL(CConstructionPoint)

public:
    // At the origin, second point at the origin, no segment.
    CConstructionPoint();
    explicit CConstructionPoint(const CPoint3d& point);
    // A guide point with a segment from the second point to the point.
    CConstructionPoint(const CPoint3d& point, const CPoint3d& secondPoint);
    CConstructionPoint(const CConstructionPoint& other);
    ~CConstructionPoint() override;

    // The same record at every version and in every format. Throws the archive
    // exception on bad input.
    void Serialize(CArchive& ar) override;
    // Records the change and moves both points.
    void Transform(const CTransformation& transform) override;
    [[nodiscard]] CEntity* Clone() const override;
    // The other entity must be a construction point.
    void SwapData(CEntity& other) override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;
    // Its two points as a line, its colour and layer, when the visitor takes guides.
    bool Accept(IEntityVisitor* visitor) override;
    // The point alone: the segment never widens the extents.
    void AccumulateExtents(const CTransformation& transform, CBoundingBox3d& box) const override;
    // The point's window position when the view projects it.
    void AccumulateExtentsVariant(ITarnisView* view, CBoundingBox3d& box) const override;
    // Always the point, code 1.
    [[nodiscard]] int IntersectLine(const CLine3d& line, CPoint3d& point) const override;
    // Dashed in the guide colour at full detail only, clipped by the section planes;
    // named for picking.
    void Draw(ITarnisView* view) override;
    // The point's mark, and the segment to the second point when it has one.
    [[nodiscard]] std::uint64_t GetDrawingWeight(bool shadows) const override;
    // The point kept by the section planes and inside; with a segment, what the planes keep of the segment inside.
    [[nodiscard]] bool IsSelectedBy(IPickHelper* selector, const CInstancePath* path) const override;

    [[nodiscard]] const CPoint3d& GetPoint() const { return m_point; }
    [[nodiscard]] const CPoint3d& GetSecondPoint() const { return m_secondPoint; }
    [[nodiscard]] bool HasSegment() const { return m_withSegment; }

private:
    CPoint3d m_point;
    CPoint3d m_secondPoint;
    bool m_withSegment = false;
};
