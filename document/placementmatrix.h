#pragma once
// The small matrices of texture placements: a 3x3 projective matrix (nine doubles,
// row by row) and a 4x4 matrix (sixteen doubles, row by row), both used with row
// vectors, a point times the matrix. Comparisons use 1e-6 unless stated.

#include <array>

using Matrix3 = std::array<double, 9>;
using Matrix4 = std::array<double, 16>;

[[nodiscard]] Matrix3 Matrix3Identity();
[[nodiscard]] bool Matrix3IsIdentity(const Matrix3& m);
// The last column is (0, 0, w): no perspective.
[[nodiscard]] bool Matrix3IsAffine(const Matrix3& m);
// Divides every element by m8 unless m8 lies near 0 or near 1.
void Matrix3Normalize(Matrix3& m);
// The adjugate (transposed cofactors) into adjugate; returns the determinant.
double Matrix3Adjugate(const Matrix3& m, Matrix3& adjugate);
// The adjugate divided by the determinant (undivided when that is near 0), normalized.
[[nodiscard]] Matrix3 Matrix3Inverse(const Matrix3& m);
// a times b, normalized when the result is affine.
[[nodiscard]] Matrix3 Matrix3Product(const Matrix3& a, const Matrix3& b);
[[nodiscard]] bool Matrix3IsEqual(const Matrix3& a, const Matrix3& b, double tolerance);
[[nodiscard]] Matrix3 Matrix3Scale(double sx, double sy);
// All nine elements finite.
[[nodiscard]] bool Matrix3IsValid(const Matrix3& m);
[[nodiscard]] Matrix3 Matrix3Transpose(const Matrix3& m);
// Rows (m0, m1, 0, m2), (m3, m4, 0, m5), (0, 0, 1, 0), (m6, m7, 0, m8).
[[nodiscard]] Matrix4 Matrix3To4(const Matrix3& m);
// The inverse of Matrix3To4 for what it makes, normalized.
[[nodiscard]] Matrix3 Matrix4To3(const Matrix4& m);

[[nodiscard]] Matrix4 Matrix4Product(const Matrix4& a, const Matrix4& b);
// The row vector v times m.
[[nodiscard]] std::array<double, 4> Matrix4Transform(const std::array<double, 4>& v, const Matrix4& m);
// (x, y, 0, 1) times m, divided by its fourth coordinate.
void Matrix4ProjectPoint(const Matrix4& m, double& x, double& y);
