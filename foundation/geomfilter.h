#pragma once
// IGeomFilter: a spatial condition that a point, a segment or a box passes or not:
// lying in a pick volume, crossing it, touching a plane, lying above one. Entities and
// the drawing walk test their bounds and edges against a filter; the walk carries a
// filter into an instance's space with Transform and keeps copies made by Clone.

struct CBoundingBox3d;
struct CPoint3d;
class CTransformation;

namespace orvell::geometry {

class IGeomFilter
{
public:
    virtual ~IGeomFilter() = default;

    // Whether the box passes; wholly tells that everything inside it passes too, so
    // that nothing within needs a test of its own. The base answers false, not wholly.
    virtual bool TestBox(const CBoundingBox3d& box, bool& wholly) const;
    [[nodiscard]] virtual bool TestBox(const CBoundingBox3d& box) const = 0;
    [[nodiscard]] virtual bool TestSegment(const CPoint3d& p, const CPoint3d& q) const = 0;
    [[nodiscard]] virtual bool TestPoint(const CPoint3d& p) const = 0;
    // A new filter of the same kind and state; the caller owns it.
    [[nodiscard]] virtual IGeomFilter* Clone() const = 0;
    virtual void Transform(const CTransformation& transform) = 0;

protected:
    IGeomFilter() = default;
    IGeomFilter(const IGeomFilter&) = default;
    IGeomFilter& operator=(const IGeomFilter&) = default;
};

} // namespace orvell::geometry
