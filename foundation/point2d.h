#pragma once
// CPoint2d and its displacement CVector2d: coordinates of points projected into a
// plane's own frame, for the polygon tests of the 2-D classification.

struct CVector2d
{
    double x = 0.0;
    double y = 0.0;

    CVector2d() = default;
    CVector2d(double xValue, double yValue) : x(xValue), y(yValue) {}

    [[nodiscard]] CVector2d operator*(double s) const { return {x * s, y * s}; }
    [[nodiscard]] double GetLengthSquared() const { return x * x + y * y; }
};

struct CPoint2d
{
    double x = 0.0;
    double y = 0.0;

    CPoint2d() = default;
    CPoint2d(double xValue, double yValue) : x(xValue), y(yValue) {}

    // Both per-axis differences within -0.001..0.001 (inclusive) and the squared
    // distance below 1e-6.
    [[nodiscard]] bool operator==(const CPoint2d& p) const;
    [[nodiscard]] bool operator!=(const CPoint2d& p) const { return !(*this == p); }

    [[nodiscard]] CPoint2d operator+(const CVector2d& v) const { return {x + v.x, y + v.y}; }
    // The vector from p to this point.
    [[nodiscard]] CVector2d operator-(const CPoint2d& p) const { return {x - p.x, y - p.y}; }

    // Both coordinates finite.
    [[nodiscard]] bool IsValid() const;
};
