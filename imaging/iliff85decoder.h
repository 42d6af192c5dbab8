#pragma once
// ILIFF85Decoder: reads EA IFF-85 pictures: interleaved bitplanes ("ILBM") and chunky
// pixels ("PBM "), raw or ByteRun1-compressed, with palettes, hold-and-modify (HAM6 and
// HAM8), a transparent colour, a mask plane (passed over) and deep 24- or 32-plane images.
// Up to 8 planes decode to 8 bits with the file's palette; HAM, deep and transparent-colour
// images decode to 32 bits, the last two kinds with alpha where they carry it.
//
// Failures (ILTextException): wrongSignature when the data is not a single form; badFormat
// for a damaged or missing chunk, a body of the wrong size or a run that overruns its row;
// notSupported for plane counts other than 1 to 8, 24 and 32; noMemory for an image above
// ILBmp::GetMaxPixels(); endOfData when the data ends early.

#include <cstdint>

#include "imaging/ilpicdecoder.h"
#include "imaging/ilpixel32.h"

class ILIFF85Decoder : public ILPicDecoder
{
public:
    ILIFF85Decoder() = default;
    ~ILIFF85Decoder() override = default;

    // True when the data begins with the chunk identifier "FORM".
    [[nodiscard]] static bool IsIFF85(const std::uint8_t* data, std::int64_t size);

    void Open(ILDataSource& source) override;
    void GetImage(ILBmp& bmp) override;

private:
    struct BitmapHeader
    {
        std::uint16_t width = 0;
        std::uint16_t height = 0;
        std::uint8_t planes = 0;
        std::uint8_t masking = 0;
        std::uint8_t compression = 0;
        std::uint16_t transparentColour = 0;
    };

    void ReadChunks(ILDataSource& source, std::int64_t formEnd);
    void ReadBitmapHeader(ILDataSource& source, std::uint32_t size);
    void ReadColourMap(ILDataSource& source, std::uint32_t size);
    void CheckChunks(std::int64_t formEnd, const ILDataSource& source) const;
    void ReadRow(ILDataSource& source, std::uint8_t* row, std::int64_t& bodyLeft) const;
    void MergePlanes(const std::uint8_t* row, std::uint32_t* chunky) const;
    void StoreRow(const std::uint32_t* chunky, std::uint8_t* out) const;
    [[nodiscard]] bool IsHAM() const { return (m_viewportMode & 0x800) != 0; }
    [[nodiscard]] bool IsDeep() const { return m_header.planes > 8; }
    [[nodiscard]] bool IsChunky() const { return m_formType != kILBM; }
    // Bytes of one stored row, mask plane included.
    [[nodiscard]] int BytesPerRow() const;
    [[nodiscard]] int BytesPerPlaneRow() const;

    static constexpr std::uint32_t kILBM = MakeID("ILBM");

    std::uint32_t m_formType = 0;
    BitmapHeader m_header;
    ILPixel32 m_palette[256];
    int m_colourCount = 0;
    std::uint32_t m_viewportMode = 0;
    bool m_haveHeader = false;
    bool m_haveBody = false;
    std::int64_t m_bodySize = 0;
    std::int64_t m_bodyEnd = 0;
};
