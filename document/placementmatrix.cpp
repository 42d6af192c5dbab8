#include "document/placementmatrix.h"

#include <cmath>

namespace {

constexpr double kTolerance = 1e-6;

bool IsNear(double a, double b)
{
    return std::fabs(a - b) <= kTolerance;
}

}  // namespace

Matrix3 Matrix3Identity()
{
    return {1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0};
}

bool Matrix3IsIdentity(const Matrix3& m)
{
    return Matrix3IsEqual(m, Matrix3Identity(), kTolerance);
}

bool Matrix3IsAffine(const Matrix3& m)
{
    return IsNear(m[2], 0.0) && IsNear(m[5], 0.0);
}

void Matrix3Normalize(Matrix3& m)
{
    const double w = m[8];
    if (IsNear(w, 0.0) || IsNear(w, 1.0)) {
        return;
    }
    for (double& element : m) {
        element /= w;
    }
}

double Matrix3Adjugate(const Matrix3& m, Matrix3& adjugate)
{
    adjugate[0] = m[4] * m[8] - m[5] * m[7];
    adjugate[1] = m[2] * m[7] - m[1] * m[8];
    adjugate[2] = m[1] * m[5] - m[2] * m[4];
    adjugate[3] = m[5] * m[6] - m[3] * m[8];
    adjugate[4] = m[0] * m[8] - m[2] * m[6];
    adjugate[5] = m[2] * m[3] - m[0] * m[5];
    adjugate[6] = m[3] * m[7] - m[4] * m[6];
    adjugate[7] = m[1] * m[6] - m[0] * m[7];
    adjugate[8] = m[0] * m[4] - m[1] * m[3];
    return m[0] * adjugate[0] + m[1] * adjugate[3] + m[2] * adjugate[6];
}

Matrix3 Matrix3Inverse(const Matrix3& m)
{
    Matrix3 inverse{};
    const double determinant = Matrix3Adjugate(m, inverse);
    if (!IsNear(determinant, 0.0)) {
        for (double& element : inverse) {
            element /= determinant;
        }
    }
    Matrix3Normalize(inverse);
    return inverse;
}

Matrix3 Matrix3Product(const Matrix3& a, const Matrix3& b)
{
    Matrix3 product{};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            double sum = 0.0;
            for (int k = 0; k < 3; ++k) {
                sum += a[row * 3 + k] * b[k * 3 + column];
            }
            product[row * 3 + column] = sum;
        }
    }
    if (Matrix3IsAffine(product)) {
        Matrix3Normalize(product);
    }
    return product;
}

bool Matrix3IsEqual(const Matrix3& a, const Matrix3& b, double tolerance)
{
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!(std::fabs(a[i] - b[i]) <= tolerance)) {
            return false;
        }
    }
    return true;
}

Matrix3 Matrix3Scale(double sx, double sy)
{
    return {sx, 0.0, 0.0, 0.0, sy, 0.0, 0.0, 0.0, 1.0};
}

bool Matrix3IsValid(const Matrix3& m)
{
    for (double element : m) {
        if (!std::isfinite(element)) {
            return false;
        }
    }
    return true;
}

Matrix3 Matrix3Transpose(const Matrix3& m)
{
    return {m[0], m[3], m[6], m[1], m[4], m[7], m[2], m[5], m[8]};
}

Matrix4 Matrix3To4(const Matrix3& m)
{
    return {m[0], m[1], 0.0, m[2], m[3], m[4], 0.0, m[5], 0.0, 0.0, 1.0, 0.0, m[6], m[7], 0.0, m[8]};
}

Matrix3 Matrix4To3(const Matrix4& m)
{
    Matrix3 reduced{m[0], m[1], m[3], m[4], m[5], m[7], m[12], m[13], m[15]};
    Matrix3Normalize(reduced);
    return reduced;
}

Matrix4 Matrix4Product(const Matrix4& a, const Matrix4& b)
{
    Matrix4 product{};
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) {
                sum += a[row * 4 + k] * b[k * 4 + column];
            }
            product[row * 4 + column] = sum;
        }
    }
    return product;
}

std::array<double, 4> Matrix4Transform(const std::array<double, 4>& v, const Matrix4& m)
{
    std::array<double, 4> result{};
    for (int column = 0; column < 4; ++column) {
        double sum = 0.0;
        for (int k = 0; k < 4; ++k) {
            sum += v[k] * m[k * 4 + column];
        }
        result[column] = sum;
    }
    return result;
}

void Matrix4ProjectPoint(const Matrix4& m, double& x, double& y)
{
    const std::array<double, 4> point = Matrix4Transform({x, y, 0.0, 1.0}, m);
    x = point[0] / point[3];
    y = point[1] / point[3];
}
