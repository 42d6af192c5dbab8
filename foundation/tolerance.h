#pragma once
// The fixed tolerances of all geometry and the tolerant scalar comparisons built on
// them. A comparison is either strict (-tol < a - b < tol) or inclusive
// (-tol <= a - b <= tol); each function says which. A NaN operand makes every
// comparison false.

// Geometric equality of lengths, points and vectors; on-plane, on-line, parallel and
// containment tests.
inline constexpr double kLengthTolerance = 0.001;
// Unit-length validity, degenerate segments (as a squared length) and angle wrapping.
inline constexpr double kUnitTolerance = 1e-6;
// The shortest length that may be divided by: normalising, parallel lines, perspective.
inline constexpr double kDivisionTolerance = 1e-10;
// The smallest scale or determinant a transformation may be inverted with.
inline constexpr double kInversionTolerance = 1e-15;
// A squared length at or below this is a length of zero.
inline constexpr double kZeroLengthSquared = 1e-20;
// Parameters and box bounds at this magnitude stand for "unbounded" and "empty".
inline constexpr double kUnbounded = 1e30;

inline constexpr double kPi = 3.141592653589793;
inline constexpr double kTwoPi = 6.283185307179586;

// -0.001 < a - b < 0.001.
[[nodiscard]] bool AreEqualTol(double a, double b);
// -tol <= a - b <= tol.
[[nodiscard]] bool AreEqualWithin(double a, double b, double tol);
// -tol <= x <= tol.
[[nodiscard]] bool IsWithin(double x, double tol);
// a - b < 0.001: a is not definitely above b.
[[nodiscard]] bool IsLessOrEqualTol(double a, double b);
// a - b > -0.001: a is not definitely below b.
[[nodiscard]] bool IsNotLessTol(double a, double b);
// Neither NaN nor infinite.
[[nodiscard]] bool IsValidDouble(double x);

// Truncates toward zero; values beyond int saturate and NaN gives 0, so numbers
// from a file never reach an undefined conversion.
[[nodiscard]] int SaturateToInt(double value);
