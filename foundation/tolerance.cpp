#include "foundation/tolerance.h"

#include <climits>
#include <cmath>

bool AreEqualTol(double a, double b)
{
    const double diff = a - b;
    return diff > -kLengthTolerance && diff < kLengthTolerance;
}

bool AreEqualWithin(double a, double b, double tol)
{
    return IsWithin(a - b, tol);
}

bool IsWithin(double x, double tol)
{
    return x >= -tol && x <= tol;
}

bool IsLessOrEqualTol(double a, double b)
{
    return a - b < kLengthTolerance;
}

bool IsNotLessTol(double a, double b)
{
    return a - b > -kLengthTolerance;
}

bool IsValidDouble(double x)
{
    return std::isfinite(x);
}

int SaturateToInt(double value)
{
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= static_cast<double>(INT_MAX)) {
        return INT_MAX;
    }
    if (value <= static_cast<double>(INT_MIN)) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}
