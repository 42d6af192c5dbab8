#include "foundation/geometryarchive.h"

#include "foundation/boundedline3d.h"
#include "foundation/line3d.h"
#include "foundation/plane3d.h"
#include "foundation/point3d.h"
#include "foundation/transformation.h"
#include "foundation/unitvector3d.h"
#include "foundation/vector3d.h"
#include "platform/archive.h"

#include <cmath>

namespace {

// Reads x, y and z; every three-number type is read through here.
template <typename Triple>
CArchive& ReadTriple(CArchive& ar, Triple& t)
{
    return ar >> Finite(t.x) >> Finite(t.y) >> Finite(t.z);
}

}  // namespace

void CheckReadNumberFinite(const CArchive& ar, double value)
{
    if (!std::isfinite(value)) {
        AfxThrowArchiveException(CArchiveException::genericException, ar.m_strFileName, "a number is not finite");
    }
}

CArchive& operator>>(CArchive& ar, CFiniteNumber number)
{
    ar >> number.value;
    CheckReadNumberFinite(ar, number.value);
    return ar;
}

CArchive& operator>>(CArchive& ar, CStoredTriple<CPoint3d> triple)
{
    return ar >> triple.value.x >> triple.value.y >> triple.value.z;
}

CArchive& operator>>(CArchive& ar, CStoredTriple<CVector3d> triple)
{
    return ar >> triple.value.x >> triple.value.y >> triple.value.z;
}

CArchive& operator<<(CArchive& ar, const CPoint3d& p)
{
    return ar << p.x << p.y << p.z;
}

CArchive& operator>>(CArchive& ar, CPoint3d& p)
{
    return ReadTriple(ar, p);
}

CArchive& operator<<(CArchive& ar, const CVector3d& v)
{
    return ar << v.x << v.y << v.z;
}

CArchive& operator>>(CArchive& ar, CVector3d& v)
{
    return ReadTriple(ar, v);
}

CArchive& operator<<(CArchive& ar, const CUnitVector3d& u)
{
    return ar << u.x << u.y << u.z;
}

CArchive& operator>>(CArchive& ar, CUnitVector3d& u)
{
    return ReadTriple(ar, u);
}

CArchive& operator<<(CArchive& ar, const CPlane3d& plane)
{
    return ar << plane.a << plane.b << plane.c << plane.d;
}

CArchive& operator>>(CArchive& ar, CPlane3d& plane)
{
    return ar >> Finite(plane.a) >> Finite(plane.b) >> Finite(plane.c) >> Finite(plane.d);
}

CArchive& operator<<(CArchive& ar, const CLine3d& line)
{
    return ar << line.origin << line.direction;
}

CArchive& operator>>(CArchive& ar, CLine3d& line)
{
    return ar >> line.origin >> line.direction;
}

CArchive& operator<<(CArchive& ar, const CBoundedLine3d& line)
{
    return ar << line.line << line.start << line.end;
}

CArchive& operator>>(CArchive& ar, CBoundedLine3d& line)
{
    return ar >> line.line >> Finite(line.start) >> Finite(line.end);
}

CArchive& operator<<(CArchive& ar, const CTransformation& transformation)
{
    double numbers[CTransformation::kStoredNumberCount];
    transformation.GetStoredNumbers(numbers);
    for (const double number : numbers) {
        ar << number;
    }
    return ar;
}

CArchive& operator>>(CArchive& ar, CTransformation& transformation)
{
    double numbers[CTransformation::kStoredNumberCount];
    for (double& number : numbers) {
        ar >> Finite(number);
    }
    transformation.SetFromStoredNumbers(numbers);
    return ar;
}
