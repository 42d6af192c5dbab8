#pragma once
// CColor: an RGBA colour in one 32-bit word, red in the low byte, so its low 24 bits
// are the colour reference the window system uses. Also the hue-saturation-lightness
// conversions and the table of colours that new layers take in turn.

#include <cstdint>

#include "platform/types.h"

class CArchive;

class CColor
{
public:
    // The zero word: black with alpha 0, which callers treat as "no colour".
    CColor() = default;
    // Bytes 0..255; only the low byte of each argument is kept.
    CColor(int red, int green, int blue, int alpha = 255);
    // Components 0..1, each by DoubleToColorByte.
    CColor(double red, double green, double blue, double alpha = 1.0);

    void SetRGBA(BYTE red, BYTE green, BYTE blue, BYTE alpha);
    void SetFromDoubles(double red, double green, double blue, double alpha);
    // A colour reference has no alpha; the colour becomes opaque.
    void SetFromCOLORREF(std::uint32_t colorRef);

    [[nodiscard]] std::uint32_t GetValue() const { return m_value; }
    void SetValue(std::uint32_t value) { m_value = value; }
    [[nodiscard]] std::uint32_t GetRGB() const { return m_value & 0xFFFFFFu; }

    [[nodiscard]] BYTE GetRedByte() const { return static_cast<BYTE>(m_value); }
    [[nodiscard]] BYTE GetGreenByte() const { return static_cast<BYTE>(m_value >> 8); }
    [[nodiscard]] BYTE GetBlueByte() const { return static_cast<BYTE>(m_value >> 16); }
    [[nodiscard]] BYTE GetAlphaByte() const { return static_cast<BYTE>(m_value >> 24); }

    // Components as doubles: byte * (1/255 rounded to a float). That float lies just
    // above 1/255, so 255 gives 1.00000006 and converts back to 255.
    [[nodiscard]] double GetRed() const;
    [[nodiscard]] double GetGreen() const;
    [[nodiscard]] double GetBlue() const;
    [[nodiscard]] double GetAlpha() const;

    // Writes red, green, blue, alpha into out and returns it. Without out the result
    // goes to one shared array that the next call without out overwrites.
    float* GetFloat4(float* out = nullptr) const;

    void SetAlphaByte(BYTE alpha);
    void SetAlpha(double alpha);

    // Red, green and blue become component/255 * factor; alpha is kept.
    void Scale(double factor);
    // this = this * weight + other * (1 - weight), all four components.
    void Blend(const CColor& other, double weight);
    // result = a * weight + b * (1 - weight), all four components.
    static void Interpolate(const CColor& a, const CColor& b, double weight, CColor& result);

    [[nodiscard]] double GetMaxComponent() const;
    [[nodiscard]] bool IsGray() const;
    // False, leaving the outputs untouched, when the whole word is 0.
    bool GetHSL(double& hue, double& lightness, double& saturation) const;

    friend bool operator==(const CColor& a, const CColor& b) = default;

private:
    std::uint32_t m_value = 0;
};

// At or below 0 gives 0, at or above 1 gives 255, otherwise value * 255 truncated.
[[nodiscard]] BYTE DoubleToColorByte(double value);

// Hue in degrees (-1 for a grey, whose hue is undefined), lightness and saturation 0..1.
void RGBToHSL(BYTE red, BYTE green, BYTE blue, double& hue, double& lightness, double& saturation);
void HSLToRGB(double hue, double lightness, double saturation, BYTE& red, BYTE& green, BYTE& blue);
[[nodiscard]] double HueToComponent(double m1, double m2, double hue);

// The four bytes red, green, blue, alpha. Errors are the archive's exceptions.
CArchive& operator<<(CArchive& ar, const CColor& color);
CArchive& operator>>(CArchive& ar, CColor& color);

// The fixed colours new layers are given, all opaque.
inline constexpr int kLayerColorCount = 58;
// Any index is taken modulo kLayerColorCount, so the table never runs out.
[[nodiscard]] CColor GetLayerColor(int index);

// Hands out the layer colours in table order, starting again after the last.
class CLayerColorCycle
{
public:
    [[nodiscard]] int GetNextIndex() const { return m_next; }
    // The colour at the next index; the index then moves on.
    CColor Next();
    void Reset() { m_next = 0; }

private:
    int m_next = 0;
};
