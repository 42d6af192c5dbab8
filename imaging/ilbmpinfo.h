#pragma once
// ILBmpInfo: the description of an image — size, colour depth, resolution and the
// alpha and greyscale flags. Bitmaps and decoders both carry one.

#include <string>

#include "imaging/ilobject.h"
#include "imaging/ilpoint.h"

class ILBmpInfo : public ILObject
{
public:
    ILBmpInfo() = default;
    ILBmpInfo(const ILPoint& size, int bitsPerPixel, const ILPoint& resolution, bool alpha, bool greyscale);
    // Reads the text form written by AsString. Fields the text does not supply stay 0 / false.
    explicit ILBmpInfo(const char* text);
    ILBmpInfo(const ILBmpInfo&) = default;
    ILBmpInfo& operator=(const ILBmpInfo&) = default;
    ~ILBmpInfo() override = default;

    void SetBmpInfo(const ILPoint& size, int bitsPerPixel, const ILPoint& resolution, bool alpha,
                    bool greyscale);
    void SetBmpInfo(const ILBmpInfo& info) { *this = info; }

    [[nodiscard]] const ILPoint& GetSize() const { return m_size; }
    [[nodiscard]] int GetWidth() const { return m_size.x; }
    [[nodiscard]] int GetHeight() const { return m_size.y; }
    [[nodiscard]] int GetBitsPerPixel() const { return m_bitsPerPixel; }
    // (0, 0) when the source did not tell it. Dots per inch.
    [[nodiscard]] const ILPoint& GetResolution() const { return m_resolution; }
    [[nodiscard]] bool HasAlpha() const { return m_alpha; }
    [[nodiscard]] bool IsGreyscale() const { return m_greyscale; }

    // "{ Size: (w, h), bpp: n, Resolution: (x, y), Alpha: a, Greyscale: g }"
    [[nodiscard]] std::string AsString() const;

    // Compares all six fields.
    friend bool operator==(const ILBmpInfo& a, const ILBmpInfo& b);

protected:
    ILPoint m_size;
    int m_bitsPerPixel = 0;
    ILPoint m_resolution;
    bool m_alpha = false;
    bool m_greyscale = false;
};
