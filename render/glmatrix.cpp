#include "render/glmatrix.h"

#include <cmath>
#include <utility>

namespace {

constexpr double kHalfDegree = 0.00872664625997165;

}  // namespace

CGLMatrix::CGLMatrix() : m_values{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1} {}

CGLMatrix::CGLMatrix(const double values[16])
{
    for (int i = 0; i < 16; ++i) {
        m_values[i] = values[i];
    }
}

CGLMatrix CGLMatrix::Ortho(double left, double right, double bottom, double top, double nearZ, double farZ)
{
    CGLMatrix m;
    m.Ref(0, 0) = 2.0 / (right - left);
    m.Ref(1, 1) = 2.0 / (top - bottom);
    m.Ref(2, 2) = -2.0 / (farZ - nearZ);
    m.Ref(0, 3) = -(right + left) / (right - left);
    m.Ref(1, 3) = -(top + bottom) / (top - bottom);
    m.Ref(2, 3) = -(farZ + nearZ) / (farZ - nearZ);
    return m;
}

CGLMatrix CGLMatrix::Frustum(double left, double right, double bottom, double top, double nearZ, double farZ)
{
    CGLMatrix m;
    m.Ref(0, 0) = 2.0 * nearZ / (right - left);
    m.Ref(1, 1) = 2.0 * nearZ / (top - bottom);
    m.Ref(0, 2) = (right + left) / (right - left);
    m.Ref(1, 2) = (top + bottom) / (top - bottom);
    m.Ref(2, 2) = -(farZ + nearZ) / (farZ - nearZ);
    m.Ref(3, 2) = -1.0;
    m.Ref(2, 3) = -2.0 * farZ * nearZ / (farZ - nearZ);
    m.Ref(3, 3) = 0.0;
    return m;
}

CGLMatrix CGLMatrix::Perspective(double fieldOfView, double aspect, double nearZ, double farZ)
{
    const double depth = farZ - nearZ;
    const double angle = fieldOfView * kHalfDegree;
    const double sine = std::sin(angle);
    if (depth == 0.0 || sine == 0.0 || aspect == 0.0) {
        return CGLMatrix();
    }
    const double cotangent = std::cos(angle) / sine;
    CGLMatrix m;
    m.Ref(0, 0) = cotangent / aspect;
    m.Ref(1, 1) = cotangent;
    m.Ref(2, 2) = -(farZ + nearZ) / depth;
    m.Ref(3, 2) = -1.0;
    m.Ref(2, 3) = -2.0 * nearZ * farZ / depth;
    m.Ref(3, 3) = 0.0;
    return m;
}

CGLMatrix CGLMatrix::LookAt(const CPoint3d& eye, const CPoint3d& target, const CVector3d& up)
{
    CVector3d forward = target - eye;
    forward.Normalize();
    CVector3d side = forward.CrossProduct(up);
    side.Normalize();
    const CVector3d upward = side.CrossProduct(forward);
    CGLMatrix m;
    const CVector3d rows[3] = {side, upward, forward * -1.0};
    for (int r = 0; r < 3; ++r) {
        m.Ref(r, 0) = rows[r].x;
        m.Ref(r, 1) = rows[r].y;
        m.Ref(r, 2) = rows[r].z;
    }
    return m * Translation(-eye.x, -eye.y, -eye.z);
}

CGLMatrix CGLMatrix::PickRegion(double x, double y, double width, double height, const int viewport[4])
{
    if (width <= 0.0 || height <= 0.0) {
        return CGLMatrix();
    }
    return Translation((viewport[2] - 2.0 * (x - viewport[0])) / width,
                       (viewport[3] - 2.0 * (y - viewport[1])) / height, 0.0) *
           Scaling(viewport[2] / width, viewport[3] / height, 1.0);
}

CGLMatrix CGLMatrix::Translation(double x, double y, double z)
{
    CGLMatrix m;
    m.Ref(0, 3) = x;
    m.Ref(1, 3) = y;
    m.Ref(2, 3) = z;
    return m;
}

CGLMatrix CGLMatrix::Scaling(double x, double y, double z)
{
    CGLMatrix m;
    m.Ref(0, 0) = x;
    m.Ref(1, 1) = y;
    m.Ref(2, 2) = z;
    return m;
}

CGLMatrix CGLMatrix::operator*(const CGLMatrix& other) const
{
    CGLMatrix product;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) {
                sum += At(r, k) * other.At(k, c);
            }
            product.Ref(r, c) = sum;
        }
    }
    return product;
}

void CGLMatrix::Transform(const CPoint3d& point, double out[3], double& w) const
{
    const double in[4] = {point.x, point.y, point.z, 1.0};
    double result[4];
    for (int r = 0; r < 4; ++r) {
        result[r] = At(r, 0) * in[0] + At(r, 1) * in[1] + At(r, 2) * in[2] + At(r, 3) * in[3];
    }
    out[0] = result[0];
    out[1] = result[1];
    out[2] = result[2];
    w = result[3];
}

bool CGLMatrix::GetInverse(CGLMatrix& result) const
{
    CGLMatrix work = *this;
    CGLMatrix inverse;
    for (int column = 0; column < 4; ++column) {
        int pivot = column;
        for (int r = column + 1; r < 4; ++r) {
            if (std::fabs(work.At(r, column)) > std::fabs(work.At(pivot, column))) {
                pivot = r;
            }
        }
        if (work.At(pivot, column) == 0.0) {
            return false;
        }
        for (int c = 0; c < 4; ++c) {
            std::swap(work.Ref(pivot, c), work.Ref(column, c));
            std::swap(inverse.Ref(pivot, c), inverse.Ref(column, c));
        }
        const double scale = 1.0 / work.At(column, column);
        for (int c = 0; c < 4; ++c) {
            work.Ref(column, c) *= scale;
            inverse.Ref(column, c) *= scale;
        }
        for (int r = 0; r < 4; ++r) {
            if (r == column) {
                continue;
            }
            const double factor = work.At(r, column);
            for (int c = 0; c < 4; ++c) {
                work.Ref(r, c) -= factor * work.At(column, c);
                inverse.Ref(r, c) -= factor * inverse.At(column, c);
            }
        }
    }
    result = inverse;
    return true;
}
