#pragma once
// COpeningLoop: one outline of an opening: the outer loop of one perimeter face of the
// glued instance's definition, with the transformation that places it in the face's
// space and whether its vertices run the wrong way round there.

#include <vector>

#include "document/opening.h"
#include "foundation/point3d.h"
#include "foundation/transformation.h"

class CLoop;

class COpeningLoop : public COpening
{
public:
    COpeningLoop() = default;
    COpeningLoop(CRelationship* relationship, const CTransformation& transform, CLoop* loop, bool reversed);

    // Minus the loop's area about the face's normal, its vertices placed by the
    // opening's transformation after the given one (none: the opening's alone).
    [[nodiscard]] double GetArea(const CTransformation* transform) const;
    // The outline's vertices in the face's space in the order that cuts the face under
    // the positive winding rule; empty for fewer than three.
    void GetContour(std::vector<CPoint3d>& out) const;
    // The outline projected into the face's plane lies strictly inside the polygon.
    [[nodiscard]] bool IsInsidePolygon(const std::vector<CPoint2d>& polygon) const override;

    [[nodiscard]] const CTransformation& GetTransform() const { return m_transform; }
    [[nodiscard]] bool IsReversed() const { return m_reversed; }
    [[nodiscard]] CLoop* GetLoop() const { return m_loop; }

private:
    [[nodiscard]] const CFace* GetFace() const;

    CTransformation m_transform;
    bool m_reversed = false;
    CLoop* m_loop = nullptr;
};
