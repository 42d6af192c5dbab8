#pragma once
// The archive forms of the geometry value types: little-endian doubles in field
// order, no padding. Directions and planes are read back exactly as stored, without
// normalising. A transformation's flags are not stored; reading recomputes them.
// Every operator raises CArchiveException when the archive goes the other way or the
// data ends early. Reading also refuses a number that is not finite (NaN or an
// infinity) with genericException and the reason "a number is not finite": such a
// coordinate would reach the drawing and the tessellator unchecked.

class CArchive;
struct CPoint3d;
struct CVector3d;
struct CUnitVector3d;
struct CPlane3d;
struct CLine3d;
struct CBoundedLine3d;
class CTransformation;

// One number a record reads on its own that must be finite, as the operators below
// read theirs: `ar >> Finite(radius)`. Throws as they do when it is not.
struct CFiniteNumber
{
    double& value;
};
[[nodiscard]] inline CFiniteNumber Finite(double& value)
{
    return CFiniteNumber{value};
}
CArchive& operator>>(CArchive& ar, CFiniteNumber number);
// For a number read by other means (inside a typed value): throws as above when it is
// not finite.
void CheckReadNumberFinite(const CArchive& ar, double value);

// A point or vector read as stored, numbers that are not finite included: only for a
// record that mends such a value itself before anything uses it (a camera's eye, the
// drawing axes): `ar >> AsStored(eye)`.
template <typename Triple>
struct CStoredTriple
{
    Triple& value;
};
[[nodiscard]] inline CStoredTriple<CPoint3d> AsStored(CPoint3d& point)
{
    return CStoredTriple<CPoint3d>{point};
}
[[nodiscard]] inline CStoredTriple<CVector3d> AsStored(CVector3d& vector)
{
    return CStoredTriple<CVector3d>{vector};
}
CArchive& operator>>(CArchive& ar, CStoredTriple<CPoint3d> triple);
CArchive& operator>>(CArchive& ar, CStoredTriple<CVector3d> triple);

// 24 bytes: x, y, z.
CArchive& operator<<(CArchive& ar, const CPoint3d& p);
CArchive& operator>>(CArchive& ar, CPoint3d& p);
CArchive& operator<<(CArchive& ar, const CVector3d& v);
CArchive& operator>>(CArchive& ar, CVector3d& v);
CArchive& operator<<(CArchive& ar, const CUnitVector3d& u);
CArchive& operator>>(CArchive& ar, CUnitVector3d& u);

// 32 bytes: a, b, c, d.
CArchive& operator<<(CArchive& ar, const CPlane3d& plane);
CArchive& operator>>(CArchive& ar, CPlane3d& plane);

// 48 bytes: origin, direction.
CArchive& operator<<(CArchive& ar, const CLine3d& line);
CArchive& operator>>(CArchive& ar, CLine3d& line);

// 64 bytes: origin, direction, start, end.
CArchive& operator<<(CArchive& ar, const CBoundedLine3d& line);
CArchive& operator>>(CArchive& ar, CBoundedLine3d& line);

// 104 bytes: the matrix row by row, the origin, the scale. Reading snaps a near
// identity to the exact identity and cleans a near rotation (see
// CTransformation::SetFromStoredNumbers).
CArchive& operator<<(CArchive& ar, const CTransformation& transformation);
CArchive& operator>>(CArchive& ar, CTransformation& transformation);
