#include "foundation/interval.h"

#include <algorithm>

void CInterval::SetEmpty()
{
    *this = CInterval();
}

void CInterval::Intersect(const CInterval& other, CInterval& result) const
{
    if (!IntervalsOverlap(*this, other)) {
        result.SetEmpty();
        return;
    }
    result = CInterval(std::max(min, other.min), std::min(max, other.max));
}

void CInterval::Expand(double tol)
{
    if (IsEmpty()) {
        return;
    }
    min -= tol;
    max += tol;
}

bool CInterval::IsValid() const
{
    return IsValidDouble(min) && IsValidDouble(max);
}

bool IntervalsOverlap(const CInterval& first, const CInterval& second)
{
    if (first.IsEmpty() || second.IsEmpty()) {
        return false;
    }
    return first.max >= second.min && first.min <= second.max;
}
