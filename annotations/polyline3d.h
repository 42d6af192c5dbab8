#pragma once
// CPolyline3d: an open chain of straight segments through a list of points, drawn as
// one unlit line strip. Also home of the clipping of a closed point list by a plane
// that the section clip stack applies to polylines.

#include <vector>

#include "foundation/plane3d.h"
#include "foundation/point3d.h"
#include "model/drawingelement.h"

class CEntitySet;

class CPolyline3d : public CDrawingElement
{
    DECLARE_SERIAL(CPolyline3d)

public:
    // Each point of the record takes this many bytes.
    static constexpr int kPointBytes = 24;

    // No points.
    CPolyline3d();
    explicit CPolyline3d(std::vector<CPoint3d> points);
    // The drawing-element part and an own copy of the points.
    CPolyline3d(const CPolyline3d& other);
    ~CPolyline3d() override;

    // The drawing-element part, a point count and the points; the same at every
    // version and in every format. A count below 0 throws the archive's
    // genericException, one beyond the bytes left endOfFile.
    void Serialize(CArchive& ar) override;
    // Records the change and moves every point.
    void Transform(const CTransformation& transform) override;
    [[nodiscard]] CEntity* Clone() const override;
    // The other entity must be a polyline: the point lists change places.
    void SwapData(CEntity& other) override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;
    void AccumulateExtents(const CTransformation& transform, CBoundingBox3d& box) const override;
    // The window positions of the points the view projects.
    void AccumulateExtentsVariant(ITarnisView* view, CBoundingBox3d& box) const override;
    // The point of the chain nearest to the line, the first segment winning ties;
    // always code 1, the point untouched when there is no segment.
    [[nodiscard]] int IntersectLine(const CLine3d& line, CPoint3d& point) const override;
    // One unlit line strip in the element's colour, stippled when hidden; nothing below
    // two points. Named for picking. Stops part way when the frame does.
    void Draw(ITarnisView* view) override;
    // A vertex per point.
    [[nodiscard]] std::uint64_t GetDrawingWeight(bool shadows) const override;
    // A point pick takes a polyline one of whose segments it touches; a window pick one
    // whose points left by the section planes all lie inside. Never below two points.
    [[nodiscard]] bool IsSelectedBy(IPickHelper* selector, const CInstancePath* path) const override;

    // Lays an edge along each segment, joined at new vertices, with the polyline's
    // attributes, and merges them into the component's geometry; a point equal to the
    // one before it adds nothing. The new vertices and edges join out when given. The
    // polyline stays. Nothing outside a component.
    void ExplodeIntoEdges(CEntitySet* out);

    [[nodiscard]] const std::vector<CPoint3d>& GetPoints() const { return m_points; }
    // Its layer, colour and a copy of its points, when the visitor takes polylines.
    bool Accept(IEntityVisitor* visitor) override;
    [[nodiscard]] int GetPointCount() const { return static_cast<int>(m_points.size()); }

private:
    void ReadPoints(CArchive& ar);

    std::vector<CPoint3d> m_points;
};

namespace Point3dVector {

// Treats the points as a closed polygon and keeps the part where the plane's signed
// distance is above -0.001, adding the crossings where the outline passes the plane;
// a point equal to the one before it is skipped. False when no point is left.
bool ClipByPlane(std::vector<CPoint3d>& points, const CPlane3d& plane);

}  // namespace Point3dVector
