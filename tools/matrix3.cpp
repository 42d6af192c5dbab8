#include "tools/matrix3.h"

double Matrix3Adjugate(const Matrix3& m, Matrix3& adjugate)
{
    Matrix3 result{};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
        {
            // The cofactor of (row, column) lands transposed; cyclic indices carry the sign.
            const int r1 = (row + 1) % 3;
            const int r2 = (row + 2) % 3;
            const int c1 = (column + 1) % 3;
            const int c2 = (column + 2) % 3;
            result[column][row] = m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1];
        }
    const double determinant = m[0][0] * result[0][0] + m[0][1] * result[1][0] + m[0][2] * result[2][0];
    adjugate = result;
    return determinant;
}

Matrix3 Matrix3Multiply(const Matrix3& a, const Matrix3& b)
{
    Matrix3 result{};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            for (int k = 0; k < 3; ++k)
                result[row][column] += a[row][k] * b[k][column];
    return result;
}

Vector3 Matrix3TransformVector(const Matrix3& m, const Vector3& v)
{
    Vector3 result{};
    for (int row = 0; row < 3; ++row)
        result[row] = m[row][0] * v[0] + m[row][1] * v[1] + m[row][2] * v[2];
    return result;
}
