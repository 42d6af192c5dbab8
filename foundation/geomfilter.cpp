#include "foundation/geomfilter.h"

namespace orvell::geometry {

bool IGeomFilter::TestBox(const CBoundingBox3d& /*box*/, bool& wholly) const
{
    wholly = false;
    return false;
}

} // namespace orvell::geometry
