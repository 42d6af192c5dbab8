#pragma once
// Small 3x3 matrix operations for texture coordinates: the adjugate (with the
// determinant, so that a caller inverts only what can be inverted), the product and a
// vector transformed. Matrices are stored row by row.

#include <array>

using Matrix3 = std::array<std::array<double, 3>, 3>;
using Vector3 = std::array<double, 3>;

// Writes the transposed cofactor matrix of m and returns the determinant of m; the
// inverse is the adjugate divided by it.
double Matrix3Adjugate(const Matrix3& m, Matrix3& adjugate);
[[nodiscard]] Matrix3 Matrix3Multiply(const Matrix3& a, const Matrix3& b);
// m * v, v a column.
[[nodiscard]] Vector3 Matrix3TransformVector(const Matrix3& m, const Vector3& v);
