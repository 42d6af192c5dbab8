#include "foundation/geomfiltercombined.h"

namespace orvell::geometry {

CGeomFilterCombined::CGeomFilterCombined(IGeomFilter* a, IGeomFilter* b)
{
    Add(a);
    Add(b);
}

void CGeomFilterCombined::Add(IGeomFilter* filter)
{
    if (filter != nullptr) {
        m_children.emplace_back(filter);
    }
}

bool CGeomFilterCombined::TestBox(const CBoundingBox3d& box, bool& wholly) const
{
    wholly = true;
    for (const auto& child : m_children) {
        bool childWholly = false;
        if (!child->TestBox(box, childWholly)) {
            wholly = false;
            return false;
        }
        wholly = wholly && childWholly;
    }
    return true;
}

bool CGeomFilterCombined::TestBox(const CBoundingBox3d& box) const
{
    bool wholly = false;
    return TestBox(box, wholly);
}

bool CGeomFilterCombined::TestSegment(const CPoint3d& p, const CPoint3d& q) const
{
    for (const auto& child : m_children) {
        if (!child->TestSegment(p, q)) {
            return false;
        }
    }
    return true;
}

bool CGeomFilterCombined::TestPoint(const CPoint3d& p) const
{
    for (const auto& child : m_children) {
        if (!child->TestPoint(p)) {
            return false;
        }
    }
    return true;
}

IGeomFilter* CGeomFilterCombined::Clone() const
{
    auto* copy = new CGeomFilterCombined;
    for (const auto& child : m_children) {
        copy->Add(child->Clone());
    }
    return copy;
}

void CGeomFilterCombined::Transform(const CTransformation& transform)
{
    for (const auto& child : m_children) {
        child->Transform(transform);
    }
}

} // namespace orvell::geometry
