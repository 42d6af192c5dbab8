#pragma once
// CGLMatrix: a 4x4 matrix stored column-major as OpenGL keeps it, with the matrices
// that GL and GLU build (orthographic and perspective projections, the look-at view,
// the pick region) computed on the processor. The view definition keeps its
// projection and window matrices in this form, so that it converts between pixels and
// model space without a context and loads GL with exactly the values it computed.

#include "foundation/point3d.h"
#include "foundation/vector3d.h"

class CGLMatrix
{
public:
    // The identity.
    CGLMatrix();
    explicit CGLMatrix(const double values[16]);

    [[nodiscard]] static CGLMatrix Ortho(double left, double right, double bottom, double top, double nearZ,
                                         double farZ);
    [[nodiscard]] static CGLMatrix Frustum(double left, double right, double bottom, double top, double nearZ,
                                           double farZ);
    // Vertical field of view in degrees.
    [[nodiscard]] static CGLMatrix Perspective(double fieldOfView, double aspect, double nearZ, double farZ);
    [[nodiscard]] static CGLMatrix LookAt(const CPoint3d& eye, const CPoint3d& target, const CVector3d& up);
    // The region of width by height pixels around (x, y), y counted upwards; the
    // identity for a region without area, as GL leaves the matrix then.
    [[nodiscard]] static CGLMatrix PickRegion(double x, double y, double width, double height,
                                              const int viewport[4]);
    [[nodiscard]] static CGLMatrix Translation(double x, double y, double z);
    [[nodiscard]] static CGLMatrix Scaling(double x, double y, double z);

    // this * other: other applies first, as glMultMatrix does.
    [[nodiscard]] CGLMatrix operator*(const CGLMatrix& other) const;
    // (x, y, z, 1) through the matrix; w receives the fourth coordinate.
    void Transform(const CPoint3d& point, double out[3], double& w) const;
    // Gauss-Jordan elimination with the largest pivot of each column; false for a
    // singular matrix, the result then unchanged.
    bool GetInverse(CGLMatrix& result) const;

    [[nodiscard]] double At(int row, int column) const { return m_values[column * 4 + row]; }
    [[nodiscard]] const double* GetValues() const { return m_values; }

private:
    double& Ref(int row, int column) { return m_values[column * 4 + row]; }

    double m_values[16];
};
