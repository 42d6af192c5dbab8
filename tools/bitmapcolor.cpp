#include "tools/bitmapcolor.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kFullCircle = 360.0;
// Value never drops to black, so a later shift can still bring the colour back.
constexpr double kSmallestValue = 0.01;

struct CHsv
{
    double hue = 0.0;
    double saturation = 0.0;
    double value = 0.0;
};

CHsv ToHsv(int red, int green, int blue)
{
    const int high = std::max({red, green, blue});
    const int low = std::min({red, green, blue});
    CHsv hsv;
    hsv.value = high / 255.0;
    if (high == 0 || high == low)
        return hsv;
    const double range = high - low;
    hsv.saturation = range / high;
    if (high == red)
        hsv.hue = 60.0 * ((green - blue) / range);
    else if (high == green)
        hsv.hue = 60.0 * (2.0 + (blue - red) / range);
    else
        hsv.hue = 60.0 * (4.0 + (red - green) / range);
    if (hsv.hue < 0.0)
        hsv.hue += kFullCircle;
    return hsv;
}

std::uint8_t ToByte(double component)
{
    return static_cast<std::uint8_t>(std::lround(std::clamp(component, 0.0, 1.0) * 255.0));
}

void FromHsv(const CHsv& hsv, std::uint8_t& red, std::uint8_t& green, std::uint8_t& blue)
{
    const double sector = hsv.hue / 60.0;
    const int index = static_cast<int>(std::floor(sector)) % 6;
    const double fraction = sector - std::floor(sector);
    const double v = hsv.value;
    const double p = v * (1.0 - hsv.saturation);
    const double q = v * (1.0 - hsv.saturation * fraction);
    const double t = v * (1.0 - hsv.saturation * (1.0 - fraction));
    const double table[6][3] = {{v, t, p}, {q, v, p}, {p, v, t}, {p, q, v}, {t, p, v}, {v, p, q}};
    red = ToByte(table[index][0]);
    green = ToByte(table[index][1]);
    blue = ToByte(table[index][2]);
}

// Into 0..360; a hue that is no number is red.
double WrapHue(double hue)
{
    if (!std::isfinite(hue))
        return 0.0;
    hue = std::fmod(hue, kFullCircle);
    return hue < 0.0 ? hue + kFullCircle : hue;
}

bool IsGrey(const CColor& color)
{
    return color.GetRedByte() == color.GetGreenByte() && color.GetGreenByte() == color.GetBlueByte();
}

// Bytes per pixel for a depth that can be recoloured, else 0.
int BytesPerPixel(int bitsPerPixel)
{
    return bitsPerPixel == 24 || bitsPerPixel == 32 ? bitsPerPixel / 8 : 0;
}

template <typename PixelFunction>
void ForEachPixel(std::uint8_t* pixels, int width, int height, int bytes, int stride, PixelFunction function)
{
    const int rowBytes = stride != 0 ? stride : width * bytes;
    for (int y = 0; y < height; ++y)
    {
        std::uint8_t* pixel = pixels + static_cast<std::ptrdiff_t>(y) * rowBytes;
        for (int x = 0; x < width; ++x, pixel += bytes)
            function(pixel);
    }
}

}  // namespace

CHsvDelta ComputeHsvDelta(const CColor& from, const CColor& to, bool relativeHue)
{
    const CHsv a = ToHsv(from.GetRedByte(), from.GetGreenByte(), from.GetBlueByte());
    const CHsv b = ToHsv(to.GetRedByte(), to.GetGreenByte(), to.GetBlueByte());
    CHsvDelta delta;
    delta.value = b.value - a.value;
    if (IsGrey(to))
    {
        delta.saturation = IsGrey(from) ? 0.0 : -1.0;
        return delta;
    }
    if (IsGrey(from))
    {
        delta.hue = b.hue;
        delta.saturation = b.saturation;
        return delta;
    }
    delta.saturation = b.saturation - a.saturation;
    delta.hue = relativeHue ? b.hue - a.hue : b.hue;
    return delta;
}

bool ShiftBitmapHsv(std::uint8_t* pixels, int width, int height, int bitsPerPixel, int stride,
                    const CHsvDelta& delta, bool relativeHue)
{
    const int bytes = BytesPerPixel(bitsPerPixel);
    if (bytes == 0)
        return false;
    ForEachPixel(pixels, width, height, bytes, stride, [&](std::uint8_t* pixel) {
        CHsv hsv = ToHsv(pixel[2], pixel[1], pixel[0]);
        hsv.hue = WrapHue(relativeHue ? hsv.hue + delta.hue : delta.hue);
        hsv.saturation = std::clamp(hsv.saturation + delta.saturation, 0.0, 1.0);
        hsv.value = std::clamp(hsv.value + delta.value, kSmallestValue, 1.0);
        FromHsv(hsv, pixel[2], pixel[1], pixel[0]);
    });
    return true;
}

bool ReplaceBitmapColor(std::uint8_t* pixels, int width, int height, int bitsPerPixel, int stride,
                        const CColor& key, const CColor& match, const CColor& other)
{
    const int bytes = BytesPerPixel(bitsPerPixel);
    if (bytes == 0)
        return false;
    ForEachPixel(pixels, width, height, bytes, stride, [&](std::uint8_t* pixel) {
        const bool isKey =
            pixel[0] == key.GetBlueByte() && pixel[1] == key.GetGreenByte() && pixel[2] == key.GetRedByte();
        const CColor& color = isKey ? match : other;
        pixel[0] = color.GetBlueByte();
        pixel[1] = color.GetGreenByte();
        pixel[2] = color.GetRedByte();
    });
    return true;
}
