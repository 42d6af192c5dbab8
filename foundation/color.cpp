#include "foundation/color.h"

#include <cmath>

#include "platform/archive.h"

namespace {

// The step between two component values, taken through a float as the file's
// colours always were; the float is a little above 1/255, so 255 converts to
// slightly more than 1.0.
constexpr double kByteToDouble = static_cast<double>(1.0f / 255.0f);
constexpr double kTolerance = 0.001;
constexpr double kSixtieth = 0.016666666666666666;

double ByteToDouble(BYTE value)
{
    return value * kByteToDouble;
}

std::uint32_t PackBytes(BYTE red, BYTE green, BYTE blue, BYTE alpha)
{
    return static_cast<std::uint32_t>(red) | (static_cast<std::uint32_t>(green) << 8) |
           (static_cast<std::uint32_t>(blue) << 16) | (static_cast<std::uint32_t>(alpha) << 24);
}

// Red, green and blue of the table; alpha is always 255.
constexpr BYTE kLayerColors[kLayerColorCount][3] = {
    {255, 84, 84},   {0, 102, 153},   {102, 68, 0},    {0, 153, 135},   {119, 119, 153},
    {153, 0, 255},   {204, 68, 0},    {170, 68, 0},    {204, 102, 0},   {204, 84, 0},
    {153, 153, 204}, {255, 135, 170}, {128, 128, 20},  {0, 0, 204},     {102, 102, 102},
    {119, 0, 119},   {170, 102, 0},   {255, 204, 0},   {255, 170, 0},   {0, 170, 186},
    {102, 221, 0},   {153, 153, 153}, {170, 168, 0},   {204, 135, 204}, {237, 255, 0},
    {186, 68, 0},    {237, 153, 0},   {186, 51, 0},    {255, 119, 102}, {0, 0, 102},
    {0, 0, 204},     {135, 119, 0},   {255, 102, 0},   {255, 68, 0},    {255, 186, 0},
    {255, 0, 204},   {255, 153, 102}, {204, 186, 237}, {17, 102, 0},    {255, 153, 186},
    {204, 17, 204},  {204, 84, 204},  {153, 102, 17},  {119, 68, 0},    {221, 17, 204},
    {255, 153, 153}, {186, 237, 204}, {119, 68, 0},    {119, 119, 119}, {135, 204, 255},
    {186, 255, 186}, {135, 135, 204}, {177, 154, 120}, {255, 135, 221}, {68, 84, 204},
    {186, 0, 204},   {186, 0, 255},   {255, 0, 119},
};

} // namespace

BYTE DoubleToColorByte(double value)
{
    if (value <= 0.0) {
        return 0;
    }
    if (value >= 1.0) {
        return 255;
    }
    if (std::isnan(value)) {
        return 0;
    }
    return static_cast<BYTE>(value * 255.0);
}

CColor::CColor(int red, int green, int blue, int alpha)
{
    SetRGBA(static_cast<BYTE>(red), static_cast<BYTE>(green), static_cast<BYTE>(blue),
            static_cast<BYTE>(alpha));
}

CColor::CColor(double red, double green, double blue, double alpha)
{
    SetFromDoubles(red, green, blue, alpha);
}

void CColor::SetRGBA(BYTE red, BYTE green, BYTE blue, BYTE alpha)
{
    m_value = PackBytes(red, green, blue, alpha);
}

void CColor::SetFromDoubles(double red, double green, double blue, double alpha)
{
    SetRGBA(DoubleToColorByte(red), DoubleToColorByte(green), DoubleToColorByte(blue),
            DoubleToColorByte(alpha));
}

void CColor::SetFromCOLORREF(std::uint32_t colorRef)
{
    m_value = colorRef | 0xFF000000u;
}

double CColor::GetRed() const
{
    return ByteToDouble(GetRedByte());
}

double CColor::GetGreen() const
{
    return ByteToDouble(GetGreenByte());
}

double CColor::GetBlue() const
{
    return ByteToDouble(GetBlueByte());
}

double CColor::GetAlpha() const
{
    return ByteToDouble(GetAlphaByte());
}

float* CColor::GetFloat4(float* out) const
{
    static float shared[4];
    float* target = out != nullptr ? out : shared;
    target[0] = static_cast<float>(GetRed());
    target[1] = static_cast<float>(GetGreen());
    target[2] = static_cast<float>(GetBlue());
    target[3] = static_cast<float>(GetAlpha());
    return target;
}

void CColor::SetAlphaByte(BYTE alpha)
{
    m_value = (m_value & 0x00FFFFFFu) | (static_cast<std::uint32_t>(alpha) << 24);
}

void CColor::SetAlpha(double alpha)
{
    SetAlphaByte(DoubleToColorByte(alpha));
}

void CColor::Scale(double factor)
{
    SetRGBA(DoubleToColorByte(GetRedByte() / 255.0 * factor),
            DoubleToColorByte(GetGreenByte() / 255.0 * factor),
            DoubleToColorByte(GetBlueByte() / 255.0 * factor), GetAlphaByte());
}

void CColor::Blend(const CColor& other, double weight)
{
    Interpolate(*this, other, weight, *this);
}

void CColor::Interpolate(const CColor& a, const CColor& b, double weight, CColor& result)
{
    const double rest = 1.0 - weight;
    result.SetFromDoubles(a.GetRed() * weight + b.GetRed() * rest,
                          a.GetGreen() * weight + b.GetGreen() * rest,
                          a.GetBlue() * weight + b.GetBlue() * rest,
                          a.GetAlpha() * weight + b.GetAlpha() * rest);
}

double CColor::GetMaxComponent() const
{
    BYTE largest = GetRedByte();
    if (GetGreenByte() > largest) {
        largest = GetGreenByte();
    }
    if (GetBlueByte() > largest) {
        largest = GetBlueByte();
    }
    return ByteToDouble(largest);
}

bool CColor::IsGray() const
{
    return GetRedByte() == GetGreenByte() && GetGreenByte() == GetBlueByte();
}

bool CColor::GetHSL(double& hue, double& lightness, double& saturation) const
{
    if (m_value == 0) {
        return false;
    }
    RGBToHSL(GetRedByte(), GetGreenByte(), GetBlueByte(), hue, lightness, saturation);
    return true;
}

void RGBToHSL(BYTE red, BYTE green, BYTE blue, double& hue, double& lightness, double& saturation)
{
    const double r = ByteToDouble(red);
    const double g = ByteToDouble(green);
    const double b = ByteToDouble(blue);

    double maximum = r;
    if (g - maximum >= kTolerance) {
        maximum = g;
    }
    if (b - maximum >= kTolerance) {
        maximum = b;
    }
    double minimum = r;
    if (g - minimum <= -kTolerance) {
        minimum = g;
    }
    if (b - minimum <= -kTolerance) {
        minimum = b;
    }

    lightness = (maximum + minimum) / 2.0;
    if (std::fabs(minimum - maximum) <= kTolerance) {
        saturation = 0.0;
        hue = -1.0;
        return;
    }

    const double delta = maximum - minimum;
    saturation = lightness - 0.5 < kTolerance ? delta / (maximum + minimum)
                                              : delta / (2.0 - maximum - minimum);
    double sixths = 0.0;
    if (std::fabs(r - maximum) < kTolerance) {
        sixths = (g - b) / delta;
    } else if (std::fabs(g - maximum) < kTolerance) {
        sixths = 2.0 + (b - r) / delta;
    } else if (std::fabs(b - maximum) <= kTolerance) {
        sixths = 4.0 + (r - g) / delta;
    }
    hue = sixths * 60.0;
    if (hue <= -kTolerance) {
        hue += 360.0;
    }
}

double HueToComponent(double m1, double m2, double hue)
{
    if (hue - 360.0 >= kTolerance) {
        hue -= 360.0;
    }
    if (hue <= -kTolerance) {
        hue += 360.0;
    }
    if (hue - 60.0 <= -kTolerance) {
        return m1 + (m2 - m1) * hue * kSixtieth;
    }
    if (hue - 180.0 <= -kTolerance) {
        return m2;
    }
    if (hue - 240.0 <= -kTolerance) {
        return m1 + (m2 - m1) * (240.0 - hue) * kSixtieth;
    }
    return m1;
}

void HSLToRGB(double hue, double lightness, double saturation, BYTE& red, BYTE& green, BYTE& blue)
{
    const double m2 = lightness - 0.5 <= -kTolerance ? lightness * (1.0 + saturation)
                                                     : lightness + saturation - lightness * saturation;
    const double m1 = 2.0 * lightness - m2;
    if (std::fabs(saturation) < kTolerance) {
        red = green = blue = DoubleToColorByte(lightness);
        return;
    }
    red = DoubleToColorByte(HueToComponent(m1, m2, hue + 120.0));
    green = DoubleToColorByte(HueToComponent(m1, m2, hue));
    blue = DoubleToColorByte(HueToComponent(m1, m2, hue - 120.0));
}

CArchive& operator<<(CArchive& ar, const CColor& color)
{
    return ar << color.GetRedByte() << color.GetGreenByte() << color.GetBlueByte()
              << color.GetAlphaByte();
}

CArchive& operator>>(CArchive& ar, CColor& color)
{
    BYTE red = 0;
    BYTE green = 0;
    BYTE blue = 0;
    BYTE alpha = 0;
    ar >> red >> green >> blue >> alpha;
    color.SetRGBA(red, green, blue, alpha);
    return ar;
}

CColor GetLayerColor(int index)
{
    int slot = index % kLayerColorCount;
    if (slot < 0) {
        slot += kLayerColorCount;
    }
    const BYTE* rgb = kLayerColors[slot];
    return CColor(rgb[0], rgb[1], rgb[2], 255);
}

CColor CLayerColorCycle::Next()
{
    const CColor color = GetLayerColor(m_next);
    m_next = (m_next + 1) % kLayerColorCount;
    return color;
}
