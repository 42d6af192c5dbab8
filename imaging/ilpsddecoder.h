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
    // Forgets the layers and the source, then closes the base.
    void Close() override;

    // The layer interface, in place of GetImage after Open: the layers found by Open, and
    // their own pixels one after the other, each in a bitmap of the layer's size and the
    // document's depth (the layer's transparency channel as alpha). Reading past the last
    // layer raises internalError; on any failure the decoder is closed and the failure passes on.
    [[nodiscard]] int GetNumLayers() const { return static_cast<int>(m_layers.size()); }
    void ReadNextLayer(ILBmp& bmp);
    // (left, top) of the layer read last.
    [[nodiscard]] ILPoint GetLayerOffset() const;

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
        struct Channel
        {
            std::int16_t id = 0;  // 0, 1, 2 colours, -1 transparency, -2 and below masks
            std::uint32_t length = 0;
        };
        std::vector<Channel> channels;
    };

    void ReadHeader(ILDataSource& source);
    void ReadColourModeData(ILDataSource& source);
    ILPoint ReadResources(ILDataSource& source);
    void ReadLayerSection(ILDataSource& source);
    void ReadLayerRecord(ILDataSource& source, std::int64_t sectionEnd);
    void CheckImageData(const ILDataSource& source) const;
    void ReadChannelRow(ILDataSource& source, int compression, int packedLength, std::uint8_t* buffer,
                        int length) const;
    // Channel 3 and beyond is alpha, stored only when keepAlpha is set.
    void StoreRow(const std::uint8_t* samples, int channel, std::uint8_t* row, int width, bool keepAlpha) const;
    [[nodiscard]] bool IsWantedChannel(int id) const;
    void ReadLayer(const Layer& layer, ILBmp& bmp);
    void ReadLayerChannel(const Layer::Channel& channel, ILBmp& bmp);
    [[nodiscard]] int BytesPerSample() const { return m_header.depth / 8; }
    [[nodiscard]] int RowBytes() const { return GetWidth() * BytesPerSample(); }

    Header m_header;
    ILPixel32 m_palette[256];
    std::int64_t m_layerSectionEnd = 0;  // position after the layer and mask section
    std::vector<Layer> m_layers;
    int m_currentLayer = -1;
    ILDataSource* m_source = nullptr;  // the source of the most recent Open, for the layer interface
};
