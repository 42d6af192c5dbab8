#include "foundation/geometryarchive.h"

#include "foundation/boundedline3d.h"
#include "foundation/line3d.h"
#include "foundation/plane3d.h"
#include "foundation/point3d.h"
#include "foundation/transformation.h"
#include "foundation/unitvector3d.h"
#include "foundation/vector3d.h"
#include "platform/archive.h"

CArchive& operator<<(CArchive& ar, const CPoint3d& p)
{
    return ar << p.x << p.y << p.z;
}

CArchive& operator>>(CArchive& ar, CPoint3d& p)
{
    return ar >> p.x >> p.y >> p.z;
}

CArchive& operator<<(CArchive& ar, const CVector3d& v)
{
    return ar << v.x << v.y << v.z;
}

CArchive& operator>>(CArchive& ar, CVector3d& v)
{
    return ar >> v.x >> v.y >> v.z;
}

CArchive& operator<<(CArchive& ar, const CUnitVector3d& u)
{
    return ar << u.x << u.y << u.z;
}

CArchive& operator>>(CArchive& ar, CUnitVector3d& u)
{
    return ar >> u.x >> u.y >> u.z;
}

CArchive& operator<<(CArchive& ar, const CPlane3d& plane)
{
    return ar << plane.a << plane.b << plane.c << plane.d;
}

CArchive& operator>>(CArchive& ar, CPlane3d& plane)
{
    return ar >> plane.a >> plane.b >> plane.c >> plane.d;
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
    return ar >> line.line >> line.start >> line.end;
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
        ar >> number;
    }
    transformation.SetFromStoredNumbers(numbers);
    return ar;
}
