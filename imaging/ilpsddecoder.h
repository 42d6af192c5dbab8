#pragma once
// ILPSDDecoder: reads the merged image of layered-document files in greyscale, indexed
// and RGB mode, with 8- or 16-bit channels (16-bit samples round to 8 bits), raw or
// PackBits-compressed, and the resolution from the image resources. Greyscale and indexed
// documents decode to 8 bits with a palette, RGB ones to 32 bits, with alpha when a fourth
// channel is present. The layer records are read and counted; their pixels are not.
//
// Failures (ILTextException): badFormat for a wrong signature, a damaged resource, layer or
// colour section, an unknown compression or a packed row that overruns; notSupported for
// other colour modes, channel depths and the large-document variant; noMemory for an image
// above ILBmp::GetMaxPixels(); endOfData when the data ends early.

#include <cstdint>
#include <vector>

#include "imaging/ilpicdecoder.h"
#include "imaging/ilpixel32.h"

class ILPSDDecoder : public ILPicDecoder
{
public:
    ILPSDDecoder() = default;
    ~ILPSDDecoder() override = default;

    // True when the data begins with the document signature "8BPS".
    [[nodiscard]] static bool IsPSD(const std::uint8_t* data, std::int64_t size);

    void Open(ILDataSource& source) override;
    void GetImage(ILBmp& bmp) override;

    // Layers found by the most recent Open.
    [[nodiscard]] int GetNumLayers() const { return static_cast<int>(m_layers.size()); }

private:
    struct Header
    {
        std::uint16_t version = 0;
        std::uint16_t channels = 0;
        std::uint32_t rows = 0;
        std::uint32_t columns = 0;
        std::uint16_t depth = 0;
        std::uint16_t mode = 0;
    };

    struct Layer
    {
        std::int32_t top = 0;
        std::int32_t left = 0;
        std::int32_t bottom = 0;
        std::int32_t right = 0;
        std::vector<std::uint16_t> channelIds;
    };

    void ReadHeader(ILDataSource& source);
    void ReadColourModeData(ILDataSource& source);
    ILPoint ReadResources(ILDataSource& source);
    void ReadLayerSection(ILDataSource& source);
    void ReadLayerRecord(ILDataSource& source, std::int64_t sectionEnd);
    void CheckImageData(const ILDataSource& source) const;
    void ReadChannelRow(ILDataSource& source, int compression, int packedLength, std::uint8_t* buffer) const;
    void StoreRow(const std::uint8_t* samples, int channel, std::uint8_t* row) const;
    [[nodiscard]] int BytesPerSample() const { return m_header.depth / 8; }
    [[nodiscard]] int RowBytes() const { return GetWidth() * BytesPerSample(); }

    Header m_header;
    ILPixel32 m_palette[256];
    std::int64_t m_layerSectionEnd = 0;  // position after the layer and mask section
    std::vector<Layer> m_layers;
};
