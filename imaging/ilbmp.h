#pragma once
// ILBmp: the abstract bitmap — creation, copying and conversion between depths.
// Concrete bitmaps (ILAnyBmp, ILWinBmp) decide how the pixels are stored.
//
// Depths are 1, 8, 16, 24 and 32 bits. Pixels of 32-bit bitmaps are ILPixel32
// (blue, green, red, alpha), of 24-bit ones ILPixel24, of 16-bit ones ILPixel16; 1-bit
// rows hold the first pixel in the most significant bit. Depths up to 8 have a palette.

#include <cstddef>
#include <cstdint>

#include "imaging/ilbmpbase.h"

class ILFilter;

class ILBmp : public ILBmpBase
{
public:
    // Largest bitmap the library makes by default: 2^28 pixels, and no side longer than that.
    static constexpr std::int64_t kMaxPixels = std::int64_t{1} << 28;

    // The limit in force: kMaxPixels unless lowered for the process, e.g. by a caller that
    // decodes untrusted pictures under a tight memory budget. Values are clamped to
    // 1..kMaxPixels.
    [[nodiscard]] static std::int64_t GetMaxPixels();
    static void SetMaxPixels(std::int64_t pixels);

    ~ILBmp() override = default;

    // Replaces this bitmap by an exact copy of the other (CreateCopy with depth 0).
    ILBmp& operator=(const ILBmp& other);

    // Sets the description and builds the row table, with the grey palette for depths below 16.
    // Called while the storage is created; never call it on its own.
    void Create(int width, int height, int bitsPerPixel, bool alpha, bool greyscale) override;

    // A new image of the description's size, depth, flags and resolution; pixels undefined.
    virtual void CreateFromInfo(const ILBmpInfo& info);
    // Replaces the storage. When `data` is given, row y is copied from data + y × stride
    // (stride 0 = the packed row length). Throws ILTextException: internalError for a depth
    // other than 1, 8, 16, 24, 32 or a negative size; noMemory when the image is larger than
    // GetMaxPixels() or cannot be allocated. A refused shape leaves the bitmap as it was; after a
    // failed allocation it is 0 × 0 without storage.
    virtual void CreateFromData(int width, int height, int bitsPerPixel, bool alpha, bool greyscale,
                                const std::uint8_t* data, int stride, const ILPoint& resolution);

    [[nodiscard]] virtual std::size_t GetMemUsed() const = 0;
    [[nodiscard]] virtual int GetBytesPerLine() const = 0;

    // A counter that nothing else reads; kept for callers that pair them.
    virtual void Lock(bool readable, bool writable);
    virtual void Unlock();
    [[nodiscard]] int GetLockCount() const { return m_lockCount; }

    // Makes this bitmap a copy of the source at the given depth (0 = the source's depth).
    // Supported: any depth to itself; 1 and 8 to 32, 24, 16 and 8; 16 and 24 to 32, 24 and
    // 16; 32 to 24, 16 and 8 (quantized with this bitmap's quantization mode); 8 and 32 to 1.
    // Other conversions throw ILTextException notSupported and leave this bitmap unchanged.
    void CreateCopy(const ILBmp& source, int bitsPerPixel = 0);

    // Runs the filter on this bitmap, or from this bitmap into the destination.
    void ApplyFilter(const ILFilter& filter);
    void ApplyFilter(const ILFilter& filter, ILBmp& destination) const;

    // Handed to the quantizer when 32-bit images are converted to 8 bits.
    void SetQuantizationMode(int ditherType, int ditherPaletteType);
    [[nodiscard]] int GetDitherType() const { return m_ditherType; }
    [[nodiscard]] int GetDitherPaletteType() const { return m_ditherPaletteType; }

    // Turning alpha on first makes every pixel (32 bits) or palette entry opaque. 16- and
    // 24-bit bitmaps cannot carry alpha: turning it on throws ILTextException notSupported.
    void SetHasAlpha(bool hasAlpha);

protected:
    ILBmp() = default;

    // Frees the current storage and allocates new storage of this shape (then calls Create).
    virtual void internalCreate(int width, int height, int bitsPerPixel, bool alpha, bool greyscale) = 0;
    virtual void initLineArray() = 0;
    // Frees pixels, palette and row table. Safe to call when nothing is held.
    virtual void freeMembers() = 0;

    // Exact copy: shape, pixels, palette and resolution.
    void InternalCopy(const ILBmp& source);

    // Checks the shape, frees the storage and creates new storage; leaves 0 × 0 on failure.
    void Recreate(int width, int height, int bitsPerPixel, bool alpha, bool greyscale);

    int m_lockCount = 0;
    int m_ditherType = 0;
    int m_ditherPaletteType = 2;

private:
    void ConvertFrom(const ILBmp& source);
};
