#include "foundation/lengthformatter.h"

#include <climits>
#include <cmath>

#include "foundation/syshelpers.h"
#include "foundation/tolerance.h"
#include "foundation/unitssettings.h"

namespace {

constexpr double kInchesPerFoot = 12.0;
constexpr double kFeetPerInch = 0.08333333333333333;
constexpr double kMillimetersPerInch = 25.4;
constexpr double kCentimetersPerInch = 2.54;
constexpr double kMetersPerInch = 0.0254;
constexpr double kInchesPerMillimeter = 0.03937007874015748;
constexpr double kInchesPerCentimeter = 0.39370078740157477;
constexpr double kInchesPerMeter = 39.37007874015748;
constexpr double kShownTolerance = 0.001;
constexpr double kWholeSlack = 1e-6;
constexpr double kMinDenominator = 1e-6;
constexpr int kFinestFractionPower = 6;

int ClampPrecision(int precision)
{
    if (precision < kMinLengthPrecision) {
        return kMinLengthPrecision;
    }
    return precision > kMaxLengthPrecision ? kMaxLengthPrecision : precision;
}

double ToDisplayUnit(double inches, int unit)
{
    switch (unit) {
    case kLengthUnitFeet:
        return inches * kFeetPerInch;
    case kLengthUnitMillimeters:
        return inches * kMillimetersPerInch;
    case kLengthUnitCentimeters:
        return inches * kCentimetersPerInch;
    case kLengthUnitMeters:
        return inches * kMetersPerInch;
    default:
        return inches;
    }
}

double ToInches(double value, int unit)
{
    switch (unit) {
    case kLengthUnitFeet:
        return value * kInchesPerFoot;
    case kLengthUnitMillimeters:
        return value * kInchesPerMillimeter;
    case kLengthUnitCentimeters:
        return value * kInchesPerCentimeter;
    case kLengthUnitMeters:
        return value * kInchesPerMeter;
    default:
        return value;
    }
}

// Numerator and denominator (2 to 64) of frac in lowest terms; false when frac is
// finer than 1/64.
bool FindFraction(double frac, int& numerator, int& denominator)
{
    for (int power = 1; power <= kFinestFractionPower; ++power) {
        const int candidate = 1 << power;
        const double scaled = candidate * frac;
        const int whole = SaturateToInt(scaled);
        if (scaled - whole < kWholeSlack) {
            numerator = whole;
            denominator = candidate;
            return true;
        }
    }
    return false;
}

// "n/d" or "w n/d"; empty when the fraction is too fine.
CString FractionText(int whole, double frac)
{
    int numerator = 0;
    int denominator = 0;
    if (!FindFraction(frac, numerator, denominator)) {
        return {};
    }
    if (whole == 0) {
        return CString::Formatted("%d/%d", numerator, denominator);
    }
    return CString::Formatted("%d %d/%d", whole, numerator, denominator);
}

CString WithLocaleSeparator(CString text)
{
    const char16_t separator = GetDecimalSeparator();
    if (separator != u'.') {
        text.Replace(CString(u'.'), CString(separator));
    }
    return text;
}

bool IsDigit(char16_t ch)
{
    return ch >= u'0' && ch <= u'9';
}

// Reads the digits at pos as a number; count tells how many there were.
double ReadDigits(const CString& text, int& pos, int& count)
{
    double value = 0.0;
    count = 0;
    while (pos < text.GetLength() && IsDigit(text[pos])) {
        value = value * 10.0 + (text[pos] - u'0');
        ++pos;
        ++count;
    }
    return value;
}

void SkipSpaces(const CString& text, int& pos)
{
    while (pos < text.GetLength() && text[pos] == u' ') {
        ++pos;
    }
}

// The unit a whole remaining text names; -1 when it names none.
int UnitFromMark(const CString& mark)
{
    static const struct
    {
        const char* text;
        int unit;
    } kMarks[] = {{"cm", kLengthUnitCentimeters}, {"mm", kLengthUnitMillimeters},
                  {"m", kLengthUnitMeters},       {"\"", kLengthUnitInches},
                  {"'", kLengthUnitFeet}};
    for (const auto& entry : kMarks) {
        if (mark.CompareNoCase(CString(entry.text)) == 0) {
            return entry.unit;
        }
    }
    return -1;
}

// True when nothing, or only an inch mark, follows pos.
bool OnlyInchMarkFollows(const CString& text, int pos)
{
    const CString rest = text.Mid(pos);
    return rest.IsEmpty() || rest == CString("\"");
}

// "1.5cm": the whole text is the number, and a mark after its digits may name the unit.
// Anything after the digits that is no unit mark makes the text no length ("1.5x").
bool ParseDecimalWithUnit(const CString& text, int pos, int& unit, double& value)
{
    value = ParseLocaleDouble(text);
    int digitCount = 0;
    ++pos;
    (void)ReadDigits(text, pos, digitCount);
    const CString mark = text.Mid(pos).Trim();
    if (mark.IsEmpty()) {
        return true;
    }
    const int named = UnitFromMark(mark);
    if (named < 0) {
        return false;
    }
    unit = named;
    return true;
}

// A plain signed decimal number ("-12", "1.5"): no exponent, no infinity, nothing after it.
bool IsPlainNumber(const CString& text)
{
    int pos = 0;
    SkipSpaces(text, pos);
    if (pos < text.GetLength() && text[pos] == u'-') {
        ++pos;
    }
    int digits = 0;
    (void)ReadDigits(text, pos, digits);
    if (pos < text.GetLength() && text[pos] == GetDecimalSeparator()) {
        ++pos;
        int fraction = 0;
        (void)ReadDigits(text, pos, fraction);
        digits += fraction;
    }
    SkipSpaces(text, pos);
    return digits > 0 && pos == text.GetLength();
}

// "3/4": the whole part read so far is the numerator.
bool ParseSimpleFraction(const CString& text, int pos, double numerator, double& value)
{
    int digitCount = 0;
    ++pos;
    const double denominator = ReadDigits(text, pos, digitCount);
    if (denominator <= kMinDenominator || !OnlyInchMarkFollows(text, pos)) {
        return false;
    }
    value = numerator / denominator;
    return true;
}

// "3 1/2": a fraction added to the magnitude of the whole part.
bool ParseMixedFraction(const CString& text, int pos, double& magnitude)
{
    SkipSpaces(text, pos);
    int numeratorDigits = 0;
    const double numerator = ReadDigits(text, pos, numeratorDigits);
    if (pos >= text.GetLength() || text[pos] != u'/') {
        return false;
    }
    ++pos;
    int denominatorDigits = 0;
    const double denominator = ReadDigits(text, pos, denominatorDigits);
    if (numeratorDigits > 0 && denominatorDigits > 0) {
        if (denominator <= kMinDenominator) {
            return false;
        }
        magnitude += numerator / denominator;
    }
    return OnlyInchMarkFollows(text, pos);
}

int DefaultParseUnit(int format, int unit)
{
    if (format == kLengthFormatEngineering) {
        return kLengthUnitFeet;
    }
    if (format == kLengthFormatArchitectural || format == kLengthFormatFractional) {
        return kLengthUnitInches;
    }
    return unit;
}

} // namespace

CString GetUnitSuffix(int unit)
{
    switch (unit) {
    case kLengthUnitInches:
        return CString("\"");
    case kLengthUnitFeet:
        return CString("'");
    case kLengthUnitMillimeters:
        return CString("mm");
    case kLengthUnitCentimeters:
        return CString("cm");
    case kLengthUnitMeters:
        return CString("m");
    default:
        return {};
    }
}

double GetLengthRoundingStep(int format, int precision)
{
    precision = ClampPrecision(precision);
    if (precision == 0) {
        return format == kLengthFormatEngineering ? kInchesPerFoot : 1.0;
    }
    switch (format) {
    case kLengthFormatDecimal:
        return 1.0 / std::pow(10.0, precision);
    case kLengthFormatArchitectural:
    case kLengthFormatFractional:
        return 1.0 / std::pow(2.0, precision);
    case kLengthFormatEngineering:
        return kInchesPerFoot / std::pow(10.0, precision);
    default:
        return 0.0;
    }
}

double RoundLength(double value, int format, int precision)
{
    if (ClampPrecision(precision) == 0) {
        return std::floor(value + 0.5);
    }
    const double step = GetLengthRoundingStep(format, precision);
    if (step <= 0.0) {
        return value;
    }
    return std::floor(value / step + 0.5) * step;
}

bool ParseLengthText(const CString& text, double& inches, int format, int unit)
{
    inches = 0.0;
    if (text.IsEmpty()) {
        return false;
    }
    unit = DefaultParseUnit(format, unit);
    int pos = 0;
    SkipSpaces(text, pos);
    const bool negative = pos < text.GetLength() && text[pos] == u'-';
    if (negative) {
        ++pos;
    }
    int digitCount = 0;
    double magnitude = ReadDigits(text, pos, digitCount);
    double value = 0.0;
    if (pos >= text.GetLength()) {
        value = negative ? -magnitude : magnitude;
    } else if (text[pos] == GetDecimalSeparator()) {
        if (!ParseDecimalWithUnit(text, pos, unit, value)) {
            return false;
        }
    } else if (text[pos] == u'/') {
        if (!ParseSimpleFraction(text, pos, negative ? -magnitude : magnitude, value)) {
            return false;
        }
    } else if (text[pos] == u' ') {
        if (!ParseMixedFraction(text, pos, magnitude)) {
            return false;
        }
        value = negative ? -magnitude : magnitude;
    } else {
        unit = UnitFromMark(text.Mid(pos));
        if (unit < 0) {
            return false;
        }
        value = negative ? -magnitude : magnitude;
    }
    inches = ToInches(value, unit);
    // Hundreds of digits make no length.
    return std::isfinite(inches);
}

CLengthFormatter::CLengthFormatter(int precision, bool force)
    : m_precision(precision == -1 ? GetCurrentLengthPrecision() : precision), m_force(force)
{
}

CString CLengthFormatter::Format(double inches) const
{
    return FormatLength(inches, GetCurrentLengthFormat(), m_precision, GetCurrentLengthUnit());
}

CString CLengthFormatter::FormatCompact(double inches, int format, int precision, int unit,
                                        bool keepMark) const
{
    CString text = FormatLength(inches, format, precision, unit);
    if (!text.IsEmpty() && text[0] == u'~') {
        text = text.Mid(1);
    }
    const char16_t separator = GetDecimalSeparator();
    int end = text.GetLength() - 1;
    while (end >= 0 && !IsDigit(text[end]) && text[end] != separator) {
        --end;
    }
    const CString mark = text.Mid(end + 1);
    CString number = text.Left(end + 1);
    if (number.Find(separator) >= 0) {
        int keep = number.GetLength();
        while (keep > 0 && number[keep - 1] == u'0') {
            --keep;
        }
        if (keep > 0 && number[keep - 1] == separator) {
            --keep;
        }
        number = number.Left(keep);
    }
    return keepMark ? number + mark : number;
}

CString CLengthFormatter::FormatLength(double inches, int format, int precision, int unit) const
{
    if (format < kLengthFormatDecimal || format > kLengthFormatFractional) {
        format = kLengthFormatDecimal;
        unit = kLengthUnitInches;
    }
    const bool negative = inches < 0.0;
    double length = std::fabs(inches);
    if (format == kLengthFormatDecimal) {
        length = ToDisplayUnit(length, unit);
    }
    const double rounded = RoundLength(length, format, precision);
    const bool approximate = std::fabs(length - rounded) >= kShownTolerance;

    CString number;
    if (format == kLengthFormatArchitectural) {
        number = FormatArchitectural(rounded, precision);
    } else if (format == kLengthFormatEngineering) {
        number = FormatLengthNumber(rounded / kInchesPerFoot, format, precision, unit);
    } else {
        number = FormatLengthNumber(rounded, format, precision, unit);
    }

    CString text;
    if (approximate) {
        text += CString("~ ");
    }
    if (negative) {
        text += u'-';
    }
    return text + number;
}

CString CLengthFormatter::FormatArchitectural(double rounded, int precision) const
{
    const int feet = SaturateToInt((rounded + kWholeSlack) / kInchesPerFoot);
    const double inches = rounded - kInchesPerFoot * feet;
    if (feet > 0) {
        if (inches < kShownTolerance) {
            return GetCurrentForceInchDisplay() ? CString::Formatted("%d' 0\"", feet)
                                                : CString::Formatted("%d'", feet);
        }
        return CString::Formatted("%d' ", feet) +
               FormatLengthNumber(inches, kLengthFormatArchitectural, precision, kLengthUnitInches);
    }
    if (inches < kShownTolerance) {
        return CString("0\"");
    }
    return FormatLengthNumber(inches, kLengthFormatArchitectural, precision, kLengthUnitInches);
}

CString CLengthFormatter::FormatLengthNumber(double value, int format, int precision, int unit) const
{
    precision = ClampPrecision(precision);
    const int whole = SaturateToInt(value + kWholeSlack);
    const double frac = precision == 0 ? 0.0 : value - whole;
    const bool fractionShown = frac - GetLengthRoundingStep(format, precision) > -kShownTolerance;
    const double decimalStep = 1.0 / std::pow(10.0, precision < 1 ? 1 : precision);
    const bool decimalsShown = frac - decimalStep > -kShownTolerance;

    CString text;
    switch (format) {
    case kLengthFormatDecimal: {
        const CString printfFormat = CString("%.") + CString::Formatted("%dlf", precision);
        text = CString::Formatted(printfFormat.ToUtf8().c_str(), value);
        if (!GetCurrentSuppressUnitsDisplay()) {
            text += GetUnitSuffix(unit);
        }
        break;
    }
    case kLengthFormatEngineering:
        if (!decimalsShown && !m_force) {
            text = CString::Formatted("%d'", whole);
        } else {
            const CString printfFormat = CString("%.") + CString::Formatted("%df'", precision);
            text = CString::Formatted(printfFormat.ToUtf8().c_str(), value);
        }
        break;
    case kLengthFormatArchitectural:
        if (fractionShown || m_force) {
            text = FractionText(whole, frac);
            if (!text.IsEmpty()) {
                text += u'"';
            }
        } else {
            text = CString::Formatted("%d\"", whole);
        }
        break;
    case kLengthFormatFractional:
        text = fractionShown ? FractionText(whole, frac) : CString::Formatted("%d", whole);
        if (!text.IsEmpty() && !GetCurrentSuppressUnitsDisplay()) {
            text += u'"';
        }
        break;
    default:
        break;
    }
    return WithLocaleSeparator(text);
}

bool CLengthFormatter::Parse(const CString& text, double& inches) const
{
    return Parse(text, inches, GetCurrentLengthFormat(), GetCurrentLengthUnit());
}

bool CLengthFormatter::Parse(const CString& text, double& inches, int format, int unit) const
{
    inches = 0.0;
    CString rest = text;
    if (!rest.IsEmpty() && rest[0] == u'~') {
        rest = rest.Mid(1);
    }
    double feet = 0.0;
    bool negative = false;
    const int footMark = rest.Find(u'\'');
    if (footMark >= 1) {
        CString feetText = rest.Left(footMark);
        if (!IsPlainNumber(feetText)) {
            return false;
        }
        feet = ParseLocaleDouble(feetText);
        negative = feetText.TrimLeft().Find(u'-') == 0;
        rest = rest.Mid(footMark + 1);
    }
    // Only after a feet part may the rest be empty.
    double restInches = 0.0;
    const bool restOptional = footMark >= 1 && rest.IsEmpty();
    if (!restOptional && !ParseLengthText(rest, restInches, format, unit)) {
        inches = feet * kInchesPerFoot;
        return false;
    }
    inches = negative ? feet * kInchesPerFoot - restInches : feet * kInchesPerFoot + restInches;
    return std::isfinite(inches);
}
