#include "foundation/transformation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <iterator>

namespace {

constexpr double kIdentityMatrix[9] = {1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0};

double Component(const CVector3d& v, int axis)
{
    return axis == 0 ? v.x : (axis == 1 ? v.y : v.z);
}

double Determinant(const double m[9])
{
    return m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) +
           m[2] * (m[3] * m[7] - m[4] * m[6]);
}

void Transpose(double m[9])
{
    std::swap(m[1], m[3]);
    std::swap(m[2], m[6]);
    std::swap(m[5], m[7]);
}

// Turns the three columns pair by pair until each pair stands perpendicular (one-sided
// Jacobi rotations): their lengths are then the matrix's singular values, each to the
// precision of its own size however far apart they lie. The eigenvalues of the columns'
// products, their squares, found in closed form lose a small one's digits beside a large
// one.
void TurnPerpendicular(std::array<CVector3d, 3>& columns)
{
    double largest = 0.0;
    for (const CVector3d& column : columns) {
        largest = std::max({largest, std::fabs(column.x), std::fabs(column.y), std::fabs(column.z)});
    }
    if (!(largest > 0.0) || !std::isfinite(largest)) {
        return;
    }
    // Columns far from unit size are brought near it first, so that no product of four of
    // their numbers overflows or vanishes; by a power of two, so that they come back exact.
    const int exponent = largest > 1e-70 && largest < 1e70 ? 0 : std::ilogb(largest);
    if (exponent != 0) {
        for (CVector3d& column : columns) {
            column = column * std::ldexp(1.0, -exponent);
        }
    }
    // Each sweep squares the angle by which the columns miss standing perpendicular, and
    // their lengths miss by about that angle's square, or by the angle where two are
    // equal: a few sweeps hold them to ten places.
    constexpr int kMostSweeps = 30;
    constexpr double kPerpendicular = 1e-10;
    const auto turnPair = [](CVector3d& a, CVector3d& b) {
        const double aa = a.GetLengthSquared();
        const double bb = b.GetLengthSquared();
        const double ab = DotProduct(a, b);
        if (!(ab * ab > kPerpendicular * kPerpendicular * aa * bb)) {
            return false;
        }
        // The smaller angle that makes the pair perpendicular, by its tangent.
        const double zeta = (bb - aa) / (2.0 * ab);
        const double root = std::fabs(zeta) < 1e150 ? std::sqrt(1.0 + zeta * zeta) : std::fabs(zeta);
        const double tangent = std::copysign(1.0, zeta) / (std::fabs(zeta) + root);
        const double cosine = 1.0 / std::sqrt(1.0 + tangent * tangent);
        const double sine = cosine * tangent;
        const CVector3d turnedA = a * cosine - b * sine;
        b = a * sine + b * cosine;
        a = turnedA;
        return true;
    };
    for (int sweep = 0; sweep < kMostSweeps; ++sweep) {
        // Each pair turned, whatever the one before did.
        const bool first = turnPair(columns[0], columns[1]);
        const bool second = turnPair(columns[0], columns[2]);
        const bool third = turnPair(columns[1], columns[2]);
        if (!first && !second && !third) {
            break;
        }
    }
    if (exponent != 0) {
        for (CVector3d& column : columns) {
            column = column * std::ldexp(1.0, exponent);
        }
    }
}

}  // namespace

CTransformation::CTransformation()
{
    SetIdentity();
}

CTransformation::CTransformation(const CVector3d& xAxis, const CVector3d& yAxis, const CVector3d& zAxis,
                                 const CPoint3d& origin)
    : m_origin(origin), m_scale(1.0), m_identity(false), m_orthonormal(false)
{
    SetColumns(xAxis, yAxis, zAxis);
    // Frames are nearly always orthonormal, but a skewed one inverted by transposing
    // would silently give a wrong inverse.
    m_orthonormal = IsOrthonormal();
}

void CTransformation::SetIdentity()
{
    std::copy(std::begin(kIdentityMatrix), std::end(kIdentityMatrix), m_matrix);
    m_origin = CVector3d();
    m_scale = 1.0;
    m_identity = true;
    m_orthonormal = true;
}

void CTransformation::SetTranslation(const CVector3d& offset)
{
    SetIdentity();
    m_origin = offset;
    m_identity = false;
}

void CTransformation::SetRotation(const CPoint3d& point, const CUnitVector3d& axis, double angle)
{
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const double t = 1.0 - c;
    const double x = axis.x;
    const double y = axis.y;
    const double z = axis.z;
    m_matrix[0] = x * x + (1.0 - x * x) * c;
    m_matrix[1] = t * x * y - s * z;
    m_matrix[2] = t * x * z + s * y;
    m_matrix[3] = t * x * y + s * z;
    m_matrix[4] = y * y + (1.0 - y * y) * c;
    m_matrix[5] = t * y * z - s * x;
    m_matrix[6] = t * x * z - s * y;
    m_matrix[7] = t * y * z + s * x;
    m_matrix[8] = z * z + (1.0 - z * z) * c;
    // The point on the axis must stay where it is.
    m_origin = CVector3d(point) - MultiplyMatrix(CVector3d(point));
    m_scale = 1.0;
    m_identity = false;
    m_orthonormal = true;
}

void CTransformation::SetUniformScale(double s)
{
    SetIdentity();
    m_scale = s;
    m_identity = false;
}

void CTransformation::SetScale(double sx, double sy, double sz)
{
    SetIdentity();
    m_matrix[0] = sx;
    m_matrix[4] = sy;
    m_matrix[8] = sz;
    m_identity = false;
    m_orthonormal = false;
}

void CTransformation::SetFromPlane(const CPoint3d& origin, const CUnitVector3d& normal)
{
    CUnitVector3d xAxis;
    CUnitVector3d yAxis;
    normal.GetPerpendicularAxes(xAxis, yAxis);
    SetColumns(xAxis, yAxis, normal);
    m_origin = CVector3d(origin);
    m_scale = 1.0;
    m_identity = false;
    m_orthonormal = true;
}

void CTransformation::SetFromGLMatrix(const double glMatrix[16])
{
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            m_matrix[3 * row + column] = glMatrix[4 * column + row];
        }
    }
    m_origin = CVector3d(glMatrix[12], glMatrix[13], glMatrix[14]);
    m_scale = 1.0 / glMatrix[15];
    m_identity = false;
    m_orthonormal = false;
}

double CTransformation::SetLookAt(const CPoint3d& eye, const CPoint3d& target, const CVector3d& up, bool fromEye)
{
    CVector3d zAxis;
    const double distance = zAxis.SetDirection(target, eye);
    CVector3d xAxis = up.CrossProduct(zAxis);
    if (!xAxis.Normalize()) {
        return -1.0;
    }
    CVector3d yAxis = zAxis.CrossProduct(xAxis);
    yAxis.Normalize();

    CTransformation rotation;
    rotation.m_matrix[0] = xAxis.x;
    rotation.m_matrix[1] = xAxis.y;
    rotation.m_matrix[2] = xAxis.z;
    rotation.m_matrix[3] = yAxis.x;
    rotation.m_matrix[4] = yAxis.y;
    rotation.m_matrix[5] = yAxis.z;
    rotation.m_matrix[6] = zAxis.x;
    rotation.m_matrix[7] = zAxis.y;
    rotation.m_matrix[8] = zAxis.z;
    rotation.m_identity = false;
    CTransformation translation;
    translation.SetTranslation(-CVector3d(fromEye ? eye : target));
    *this = rotation * translation;
    m_orthonormal = true;
    return distance;
}

CTransformation CTransformation::Rotation(const CPoint3d& point, const CUnitVector3d& axis, double angle)
{
    CTransformation rotation;
    rotation.SetRotation(point, axis, angle);
    return rotation;
}

CTransformation CTransformation::Scaling(double sx, double sy, double sz)
{
    CTransformation scaling;
    scaling.SetScale(sx, sy, sz);
    return scaling;
}

void CTransformation::GetStoredNumbers(double numbers[kStoredNumberCount]) const
{
    std::copy(std::begin(m_matrix), std::end(m_matrix), numbers);
    numbers[9] = m_origin.x;
    numbers[10] = m_origin.y;
    numbers[11] = m_origin.z;
    numbers[12] = m_scale;
}

void CTransformation::SetFromStoredNumbers(const double numbers[kStoredNumberCount])
{
    m_identity = false;
    std::copy(numbers, numbers + 9, m_matrix);
    m_origin = CVector3d(numbers[9], numbers[10], numbers[11]);
    m_scale = numbers[12];
    // Stored transformations carry rounding noise; snapping keeps the identity's
    // short cuts and keeps rotations from drifting further with every save.
    if (IsIdentity()) {
        SetIdentity();
    }
    m_orthonormal = IsOrthonormal();
    OrthonormalizeIfRotation();
}

CUnitVector3d CTransformation::GetXAxis() const
{
    return CUnitVector3d(Column(0));
}

CUnitVector3d CTransformation::GetYAxis() const
{
    return CUnitVector3d(Column(1));
}

CUnitVector3d CTransformation::GetZAxis() const
{
    return CUnitVector3d(Column(2));
}

CPoint3d CTransformation::GetOrigin() const
{
    return *this * CPoint3d(0.0, 0.0, 0.0);
}

double CTransformation::GetXScale() const
{
    return (*this * CVector3d(1.0, 0.0, 0.0)).GetLength();
}

double CTransformation::GetYScale() const
{
    return (*this * CVector3d(0.0, 1.0, 0.0)).GetLength();
}

double CTransformation::GetZScale() const
{
    return (*this * CVector3d(0.0, 0.0, 1.0)).GetLength();
}

CVector3d CTransformation::GetScales() const
{
    return {GetXScale(), GetYScale(), GetZScale()};
}

CVector3d CTransformation::GetStretches() const
{
    if (m_identity) {
        return {1.0, 1.0, 1.0};
    }
    // The images of the axes.
    std::array<CVector3d, 3> axes = {Column(0) * m_scale, Column(1) * m_scale, Column(2) * m_scale};
    TurnPerpendicular(axes);
    double lengths[3] = {std::sqrt(axes[0].GetLengthSquared()), std::sqrt(axes[1].GetLengthSquared()),
                         std::sqrt(axes[2].GetLengthSquared())};
    std::sort(std::begin(lengths), std::end(lengths), std::greater<>());
    return {lengths[0], lengths[1], lengths[2]};
}

bool CTransformation::IsMirrored() const
{
    const CVector3d xAxis(GetXAxis());
    return DotProduct(xAxis.CrossProduct(GetYAxis()), GetZAxis()) < 0.0;
}

bool CTransformation::IsValid() const
{
    return std::all_of(std::begin(m_matrix), std::end(m_matrix), IsValidDouble) && m_origin.IsValid() &&
           IsValidDouble(m_scale);
}

bool CTransformation::IsIdentityMatrix() const
{
    for (int i = 0; i < 9; ++i) {
        if (!AreEqualTol(m_matrix[i], kIdentityMatrix[i])) {
            return false;
        }
    }
    return true;
}

bool CTransformation::IsIdentity() const
{
    return IsIdentityMatrix() && AreEqualTol(m_origin.x, 0.0) && AreEqualTol(m_origin.y, 0.0) &&
           AreEqualTol(m_origin.z, 0.0) && AreEqualTol(m_scale, 1.0);
}

bool CTransformation::IsOrthonormal() const
{
    if (m_identity) {
        return true;
    }
    const CVector3d rows[3] = {{m_matrix[0], m_matrix[1], m_matrix[2]},
                               {m_matrix[3], m_matrix[4], m_matrix[5]},
                               {m_matrix[6], m_matrix[7], m_matrix[8]}};
    for (const CVector3d& row : rows) {
        if (!AreEqualTol(row.GetLengthSquared(), 1.0)) {
            return false;
        }
    }
    return IsWithin(DotProduct(rows[0], rows[1]), kLengthTolerance) &&
           IsWithin(DotProduct(rows[0], rows[2]), kLengthTolerance) &&
           IsWithin(DotProduct(rows[1], rows[2]), kLengthTolerance);
}

void CTransformation::GetGLMatrix(double glMatrix[16]) const
{
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            glMatrix[4 * column + row] = m_matrix[3 * row + column];
        }
    }
    glMatrix[3] = glMatrix[7] = glMatrix[11] = 0.0;
    glMatrix[12] = m_origin.x;
    glMatrix[13] = m_origin.y;
    glMatrix[14] = m_origin.z;
    glMatrix[15] = 1.0 / m_scale;
}

void CTransformation::TransformPoint(CPoint3d& p) const
{
    if (m_identity) {
        return;
    }
    p = CPoint3d((MultiplyMatrix(CVector3d(p)) + m_origin) * m_scale);
}

CPoint3d CTransformation::operator*(const CPoint3d& p) const
{
    CPoint3d result = p;
    TransformPoint(result);
    return result;
}

void CTransformation::TransformVector(CVector3d& v) const
{
    if (m_identity) {
        return;
    }
    v = MultiplyMatrix(v) * m_scale;
}

CVector3d CTransformation::operator*(const CVector3d& v) const
{
    CVector3d result = v;
    TransformVector(result);
    return result;
}

void CTransformation::TransformUnitVector(CUnitVector3d& u) const
{
    if (m_identity) {
        return;
    }
    u = CUnitVector3d(*this * CVector3d(u));
}

bool CTransformation::TransformPlane(CPlane3d& plane) const
{
    return TransformPlaneByInverse(plane, true);
}

bool CTransformation::TransformPlaneUnnormalized(CPlane3d& plane) const
{
    return TransformPlaneByInverse(plane, false);
}

CPlane3d CTransformation::operator*(const CPlane3d& plane) const
{
    CPlane3d result = plane;
    TransformPlane(result);
    return result;
}

double CTransformation::TransformLineGetScale(CLine3d& line) const
{
    if (m_identity) {
        return 1.0;
    }
    const CPoint3d start = *this * line.origin;
    const CPoint3d ahead = *this * (line.origin + CVector3d(line.direction));
    CVector3d direction = ahead - start;
    double length = 0.0;
    direction.Normalize(length);
    line.origin = start;
    line.direction.x = direction.x;
    line.direction.y = direction.y;
    line.direction.z = direction.z;
    return length;
}

void CTransformation::TransformBox(CBoundingBox3d& box) const
{
    if (m_identity || box.xmax < box.xmin) {
        return;
    }
    const double minimum[3] = {box.xmin, box.ymin, box.zmin};
    const double maximum[3] = {box.xmax, box.ymax, box.zmax};
    double lower[3];
    double upper[3];
    // Each output bound is the sum of the extreme products of one matrix row.
    for (int i = 0; i < 3; ++i) {
        lower[i] = upper[i] = Component(m_origin, i);
        for (int j = 0; j < 3; ++j) {
            const double fromMin = m_matrix[3 * i + j] * minimum[j];
            const double fromMax = m_matrix[3 * i + j] * maximum[j];
            lower[i] += std::min(fromMin, fromMax);
            upper[i] += std::max(fromMin, fromMax);
        }
    }
    // A negative scale swaps the corners, so both go through Add.
    box.SetEmpty();
    box.Add(CPoint3d(lower[0] * m_scale, lower[1] * m_scale, lower[2] * m_scale));
    box.Add(CPoint3d(upper[0] * m_scale, upper[1] * m_scale, upper[2] * m_scale));
}

CBoundingBox3d CTransformation::operator*(const CBoundingBox3d& box) const
{
    CBoundingBox3d result = box;
    TransformBox(result);
    return result;
}

CTransformation CTransformation::operator*(const CTransformation& other) const
{
    if (m_identity) {
        return other;
    }
    CTransformation result;
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            double sum = 0.0;
            for (int k = 0; k < 3; ++k) {
                sum += m_matrix[3 * row + k] * other.m_matrix[3 * k + column];
            }
            result.m_matrix[3 * row + column] = sum;
        }
    }
    result.m_origin = m_origin / other.m_scale + MultiplyMatrix(other.m_origin);
    result.m_scale = m_scale * other.m_scale;
    result.m_identity = false;
    result.m_orthonormal = m_orthonormal && other.m_orthonormal;
    return result;
}

bool CTransformation::Invert()
{
    if (m_identity) {
        return true;
    }
    if (!(std::fabs(m_scale) >= kInversionTolerance)) {
        return false;
    }
    if (!InvertMatrix()) {
        return false;
    }
    m_origin = -MultiplyMatrix(m_origin) * m_scale;
    m_scale = 1.0 / m_scale;
    return true;
}

bool CTransformation::GetInverse(CTransformation& result) const
{
    result = *this;
    return result.Invert();
}

CTransformation CTransformation::GetInverse() const
{
    CTransformation result;
    GetInverse(result);
    return result;
}

void CTransformation::Orthonormalize()
{
    if (IsIdentityMatrix()) {
        std::copy(std::begin(kIdentityMatrix), std::end(kIdentityMatrix), m_matrix);
        return;
    }
    const bool mirrored = IsMirrored();
    CVector3d xAxis = Column(0);
    CVector3d yAxis = Column(1);
    CVector3d zAxis = Column(2);
    xAxis.Normalize();
    yAxis.Normalize();
    zAxis.Normalize();
    // z keeps its direction; the other two are rebuilt around it.
    if (mirrored) {
        xAxis = zAxis.CrossProduct(yAxis);
        xAxis.Normalize();
        yAxis = xAxis.CrossProduct(zAxis);
        yAxis.Normalize();
    } else {
        yAxis = zAxis.CrossProduct(xAxis);
        yAxis.Normalize();
        xAxis = yAxis.CrossProduct(zAxis);
        xAxis.Normalize();
    }
    SetColumns(xAxis, yAxis, zAxis);
}

void CTransformation::OrthonormalizeIfRotation()
{
    if (m_orthonormal && !m_identity) {
        Orthonormalize();
    }
}

CVector3d CTransformation::Column(int index) const
{
    return {m_matrix[index], m_matrix[3 + index], m_matrix[6 + index]};
}

void CTransformation::SetColumns(const CVector3d& xAxis, const CVector3d& yAxis, const CVector3d& zAxis)
{
    const CVector3d* columns[3] = {&xAxis, &yAxis, &zAxis};
    for (int column = 0; column < 3; ++column) {
        m_matrix[column] = columns[column]->x;
        m_matrix[3 + column] = columns[column]->y;
        m_matrix[6 + column] = columns[column]->z;
    }
}

CVector3d CTransformation::MultiplyMatrix(const CVector3d& v) const
{
    return {m_matrix[0] * v.x + m_matrix[1] * v.y + m_matrix[2] * v.z,
            m_matrix[3] * v.x + m_matrix[4] * v.y + m_matrix[5] * v.z,
            m_matrix[6] * v.x + m_matrix[7] * v.y + m_matrix[8] * v.z};
}

bool CTransformation::InvertMatrix()
{
    if (m_orthonormal) {
        Transpose(m_matrix);
        return true;
    }
    const double determinant = Determinant(m_matrix);
    if (!(std::fabs(determinant) >= kInversionTolerance)) {
        return false;
    }
    const double* m = m_matrix;
    // The adjugate (transposed cofactors) over the determinant.
    const double inverse[9] = {
        (m[4] * m[8] - m[5] * m[7]) / determinant, (m[2] * m[7] - m[1] * m[8]) / determinant,
        (m[1] * m[5] - m[2] * m[4]) / determinant, (m[5] * m[6] - m[3] * m[8]) / determinant,
        (m[0] * m[8] - m[2] * m[6]) / determinant, (m[2] * m[3] - m[0] * m[5]) / determinant,
        (m[3] * m[7] - m[4] * m[6]) / determinant, (m[1] * m[6] - m[0] * m[7]) / determinant,
        (m[0] * m[4] - m[1] * m[3]) / determinant,
    };
    std::copy(std::begin(inverse), std::end(inverse), m_matrix);
    return true;
}

bool CTransformation::TransformPlaneByInverse(CPlane3d& plane, bool normalize) const
{
    if (m_identity) {
        return true;
    }
    CTransformation inverse;
    if (!GetInverse(inverse)) {
        return false;
    }
    const double* mi = inverse.m_matrix;
    // The normal maps by the inverse transposed.
    const CVector3d normal(mi[0] * plane.a + mi[3] * plane.b + mi[6] * plane.c,
                           mi[1] * plane.a + mi[4] * plane.b + mi[7] * plane.c,
                           mi[2] * plane.a + mi[5] * plane.b + mi[8] * plane.c);
    const double d = DotProduct(CVector3d(plane.a, plane.b, plane.c), inverse.m_origin) + plane.d / inverse.m_scale;
    plane.a = normal.x;
    plane.b = normal.y;
    plane.c = normal.z;
    plane.d = d;
    const double squared = normal.GetLengthSquared();
    if (normalize && squared > kZeroLengthSquared) {
        const double inverseLength = 1.0 / std::sqrt(squared);
        plane.a *= inverseLength;
        plane.b *= inverseLength;
        plane.c *= inverseLength;
        plane.d *= inverseLength;
    }
    return true;
}
