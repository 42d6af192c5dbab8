#pragma once
// Length text: lengths travel through the program as doubles in inches; this turns
// them into the text the user reads, in the current units options, and text the user
// typed back into inches. Numbers use the locale's decimal separator.

#include "platform/cstring.h"

inline constexpr int kLengthFormatDecimal = 0;
inline constexpr int kLengthFormatArchitectural = 1;  // feet and inches with fractions
inline constexpr int kLengthFormatEngineering = 2;    // decimal feet
inline constexpr int kLengthFormatFractional = 3;     // inches with fractions

inline constexpr int kLengthUnitInches = 0;
inline constexpr int kLengthUnitFeet = 1;
inline constexpr int kLengthUnitMillimeters = 2;
inline constexpr int kLengthUnitCentimeters = 3;
inline constexpr int kLengthUnitMeters = 4;

// Precisions are taken within these bounds: below would make no printf format,
// above would ask for digits a double does not have.
inline constexpr int kMinLengthPrecision = 0;
inline constexpr int kMaxLengthPrecision = 20;

// The mark written after a number of the unit; empty for an unknown unit.
[[nodiscard]] CString GetUnitSuffix(int unit);
// The size of the last shown digit or fraction; 0.0 for an unknown format with a
// positive precision.
[[nodiscard]] double GetLengthRoundingStep(int format, int precision);
// value rounded to the step; unchanged when the format has no step.
[[nodiscard]] double RoundLength(double value, int format, int precision);
// Reads a number, fraction or number with a unit mark (no feet part) in inches.
// False for text that is none of these, with inches left at 0.
bool ParseLengthText(const CString& text, double& inches, int format, int unit);

class CLengthFormatter
{
public:
    // A precision of -1 takes the current units options' precision. force shows
    // architectural numbers as fractions and engineering numbers with decimals even
    // when they are whole.
    explicit CLengthFormatter(int precision = -1, bool force = false);

    // In the current format and unit.
    [[nodiscard]] CString Format(double inches) const;
    // FormatLength without the approximation mark and trailing zeros; the unit mark is
    // kept only when asked for.
    [[nodiscard]] CString FormatCompact(double inches, int format, int precision, int unit,
                                       bool keepMark) const;
    // "~ " in front when the text shows a rounded value, then "-" for a negative length.
    // A format outside 0..3 shows decimal inches.
    [[nodiscard]] CString FormatLength(double inches, int format, int precision, int unit) const;
    // The number text of a non-negative value already in the display unit; empty when a
    // fraction is finer than 1/64.
    [[nodiscard]] CString FormatLengthNumber(double value, int format, int precision, int unit) const;

    // In the current format (and unit, for decimal text). False for text that is no
    // length; inches then holds what was reached.
    bool Parse(const CString& text, double& inches) const;
    // Accepts an optional leading "~" and a feet part ending in "'" before the rest.
    bool Parse(const CString& text, double& inches, int format, int unit) const;

    [[nodiscard]] int GetPrecision() const { return m_precision; }

private:
    [[nodiscard]] CString FormatArchitectural(double rounded, int precision) const;

    int m_precision;
    bool m_force;
};
