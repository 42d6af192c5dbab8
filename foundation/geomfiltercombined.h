#pragma once
// CGeomFilterCombined: accepts only what every child filter accepts; it owns its
// children. Without children everything passes, wholly.

#include <memory>
#include <vector>

#include "foundation/geomfilter.h"

namespace orvell::geometry {

class CGeomFilterCombined : public IGeomFilter
{
public:
    CGeomFilterCombined() = default;
    // Takes both filters over; a null one is left out.
    CGeomFilterCombined(IGeomFilter* a, IGeomFilter* b);
    CGeomFilterCombined(const CGeomFilterCombined&) = delete;
    CGeomFilterCombined& operator=(const CGeomFilterCombined&) = delete;

    // Takes the filter over; null is ignored.
    void Add(IGeomFilter* filter);
    [[nodiscard]] int GetCount() const { return static_cast<int>(m_children.size()); }

    // Every child must pass; wholly only when every child passes wholly.
    bool TestBox(const CBoundingBox3d& box, bool& wholly) const override;
    [[nodiscard]] bool TestBox(const CBoundingBox3d& box) const override;
    [[nodiscard]] bool TestSegment(const CPoint3d& p, const CPoint3d& q) const override;
    [[nodiscard]] bool TestPoint(const CPoint3d& p) const override;
    // A combined filter of clones of every child.
    [[nodiscard]] IGeomFilter* Clone() const override;
    void Transform(const CTransformation& transform) override;

private:
    std::vector<std::unique_ptr<IGeomFilter>> m_children;
};

} // namespace orvell::geometry
