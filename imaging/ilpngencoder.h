#pragma once
// ILPNGEncoder: writes a bitmap as a PNG image through libpng. 1-bit bitmaps become
// 1-bit greyscale, 8-bit ones palette images (no transparency chunk: a palette's alpha
// is not written), 24- and 32-bit ones RGB (RGBA when the bitmap has alpha). The physical size is always written, (0, 0) "unknown" when the
// bitmap has no resolution.
//
// Failures (ILTextException): notSupported for a 16-bit bitmap and for every error
// libpng reports; noMemory when libpng cannot make its structures; the sink's own
// exception when it cannot take the bytes.

#include <cstdint>
#include <optional>

#include <png.h>

#include "imaging/ilpicencoder.h"
#include "imaging/iltextexception.h"

class ILPNGEncoder : public ILPicEncoder
{
public:
    ILPNGEncoder() = default;
    ~ILPNGEncoder() override = default;

    // The zlib level, 0 (stored, the default) to 9.
    void SetCompressionLevel(uint16_t level) { m_compressionLevel = level; }
    [[nodiscard]] uint16_t GetCompressionLevel() const { return m_compressionLevel; }

    // Where libpng takes and returns its memory; null (the default) means libpng's own.
    // Both are set together, so every block goes back to the allocator that made it.
    void SetMemoryFunctions(png_malloc_ptr allocate, png_free_ptr release)
    {
        m_allocate = allocate;
        m_release = release;
    }

protected:
    void DoEncode(const ILBmp& bmp, ILDataSink& sink) override;

private:
    // libpng's part of the encode; false when libpng gave up (its message or a pending
    // exception says why). Holds no objects with destructors: libpng unwinds it with longjmp.
    bool WriteWithLibpng(png_structp png, png_infop info);
    void SetHeader(png_structp png, png_infop info);
    void MakePalette(png_structp png, png_infop info);
    void SetupTransformations(png_structp png);

    static void WriteData(png_structp png, png_bytep data, size_t length);
    static void FlushData(png_structp png);
    static void ErrorHandler(png_structp png, png_const_charp message);
    static void WarningHandler(png_structp png, png_const_charp message);

    const ILBmp* m_bmp = nullptr;
    ILDataSink* m_sink = nullptr;
    uint16_t m_compressionLevel = 0;
    png_malloc_ptr m_allocate = nullptr;
    png_free_ptr m_release = nullptr;
    png_color m_palette[256] = {};
    char m_message[256] = {};
    std::optional<ILTextException> m_pending;
};
