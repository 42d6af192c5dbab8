#pragma once
// CVector3d: a displacement of three doubles. Shares its memory form with CPoint3d
// and CUnitVector3d, so the three convert into one another by copying the fields.

#include "foundation/tolerance.h"

struct CPoint3d;
struct CUnitVector3d;

struct CVector3d
{
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    CVector3d() = default;
    CVector3d(double xValue, double yValue, double zValue) : x(xValue), y(yValue), z(zValue) {}
    explicit CVector3d(const CPoint3d& p);
    // A direction is a vector; this conversion never changes a field.
    CVector3d(const CUnitVector3d& u);  // NOLINT: implicit on purpose

    [[nodiscard]] double GetLengthSquared() const { return x * x + y * y + z * z; }
    // 0 when the squared length is at or below 1e-20.
    [[nodiscard]] double GetLength() const;

    // Scales to unit length and reports the former length. Shorter than 1e-10: the
    // vector becomes (0, 0, 0) and the result is false.
    bool Normalize(double& length);
    // The same judged on the squared length: at or below 1e-20 gives (0, 0, 0) and false.
    bool Normalize();
    // this = v, then Normalize(length); returns the former length (0 when too short).
    double SetNormalized(const CVector3d& v);
    // this = b - a normalised; returns the distance from a to b.
    double SetDirection(const CPoint3d& a, const CPoint3d& b);
    // False, leaving the vector unchanged, when it is shorter than 1e-10.
    bool SetLength(double length);

    // result = this x v. Inline: a large model's read asks for three per triangle.
    void CrossProduct(const CVector3d& v, CVector3d& result) const
    {
        // Through a temporary so that result may alias either operand.
        const CVector3d cross(y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x);
        result = cross;
    }
    [[nodiscard]] CVector3d CrossProduct(const CVector3d& v) const
    {
        CVector3d result;
        CrossProduct(v, result);
        return result;
    }

    [[nodiscard]] CVector3d operator*(double s) const { return {x * s, y * s, z * s}; }
    // Multiplies by the inverse of s.
    [[nodiscard]] CVector3d operator/(double s) const;
    [[nodiscard]] CVector3d operator+(const CVector3d& v) const { return {x + v.x, y + v.y, z + v.z}; }
    [[nodiscard]] CVector3d operator-(const CVector3d& v) const { return {x - v.x, y - v.y, z - v.z}; }
    [[nodiscard]] CVector3d operator-() const { return {-x, -y, -z}; }
    CVector3d& operator+=(const CVector3d& v);
    CVector3d& operator-=(const CVector3d& v);
    CVector3d& operator*=(double s);
    // Multiplies by the inverse of s.
    CVector3d& operator/=(double s);
    void Negate();
    void SetSum(const CVector3d& a, const CVector3d& b);
    void SetScaled(double s, const CVector3d& v);
    // this = a*u + b*v.
    void SetLinearCombination(double a, const CVector3d& u, double b, const CVector3d& v);
    // this = a*u + b*v + c*w.
    void SetLinearCombination(double a, const CVector3d& u, double b, const CVector3d& v, double c,
                              const CVector3d& w);

    // Every component difference within -tol..tol (inclusive); no length test.
    [[nodiscard]] bool IsEqual(const CVector3d& v, double tol = kLengthTolerance) const;
    [[nodiscard]] bool operator==(const CVector3d& v) const { return IsEqual(v); }
    [[nodiscard]] bool operator!=(const CVector3d& v) const { return !IsEqual(v); }
    // |this . v| < 0.001.
    [[nodiscard]] bool IsPerpendicularTo(const CVector3d& v) const;
    // All three components finite.
    [[nodiscard]] bool IsValid() const;
};

[[nodiscard]] inline CVector3d operator*(double s, const CVector3d& v)
{
    return v * s;
}

[[nodiscard]] inline double DotProduct(const CVector3d& a, const CVector3d& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
