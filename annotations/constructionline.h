#pragma once
// CConstructionLine: a guide line. Its line may be unbounded at either end or both, so
// one class holds whole lines, rays and segments; a stipple of 0 means the guide
// draws with the default dash pattern.

#include <cstdint>

#include "annotations/constructiongeometry.h"
#include "foundation/boundedline3d.h"
#include "model/lineprovider.h"

class CConstructionLine : public CConstructionGeometry, public ILineProvider
{
    DECLARE_SERIAL(CConstructionLine)

public:
    // The whole z axis, stipple 0.
    CConstructionLine();
    explicit CConstructionLine(const CBoundedLine3d& line);
    CConstructionLine(const CConstructionLine& other);
    ~CConstructionLine() override;

    // Version 0 records hold an unbounded line only; later ones the bounded line and
    // the stipple. Format 3000 is written as version 0. Throws the archive exception
    // on bad input.
    void Serialize(CArchive& ar) override;
    // Records the change; the parameters follow the scale along the line.
    void Transform(const CTransformation& transform) override;
    [[nodiscard]] CEntity* Clone() const override;
    // The other entity must be a construction line.
    void SwapData(CEntity& other) override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;
    // Both end points of a bounded line; the origin when an end is unbounded.
    void AccumulateExtents(const CTransformation& transform, CBoundingBox3d& box) const override;
    // The window positions of the bounded ends the view projects; for an unbounded end,
    // of the guide's point nearest to the view's line of sight.
    void AccumulateExtentsVariant(ITarnisView* view, CBoundingBox3d& box) const override;
    // The point of the guide nearest to the line (code 1); the origin (code 4) when the
    // lines are parallel.
    [[nodiscard]] int IntersectLine(const CLine3d& line, CPoint3d& point) const override;
    // Dashed in the guide colour at full detail only, clipped by the section planes;
    // named for picking.
    void Draw(ITarnisView* view) override;
    // One line, bounded or reaching to the view's sides.
    [[nodiscard]] std::uint64_t GetDrawingWeight(bool shadows) const override;
    // The line, clipped by the section planes, bounded at both ends and inside.
    [[nodiscard]] bool IsSelectedBy(IPickHelper* selector, const CInstancePath* path) const override;

    // The guide's line unbounded at both ends.
    [[nodiscard]] CBoundedLine3d GetLine() const override;
    // The line, its colour and layer, when the visitor takes guides.
    bool Accept(IEntityVisitor* visitor) override;
    [[nodiscard]] const CBoundedLine3d& GetBoundedLine() const { return m_line; }
    [[nodiscard]] std::uint16_t GetStipple() const { return m_stipple; }
    // Records the change when the origin moves by more than 0.001.
    void SetOrigin(const CPoint3d& origin);

private:
    void ReadRecord(CArchive& ar);

    CBoundedLine3d m_line;
    std::uint16_t m_stipple = 0;
};

// Codes of IntersectLine for guides.
inline constexpr int kGuideNearestPoint = 1;
inline constexpr int kGuideParallel = 4;
