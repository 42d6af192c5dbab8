#include "imaging/ilpsddecoder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "imaging/ilbmp.h"
#include "imaging/ilbmplock.h"
#include "imaging/ildatasource.h"
#include "imaging/ilpackbits.h"
#include "imaging/iltextexception.h"

namespace {

enum Mode
{
    modeGreyscale = 1,
    modeIndexed = 2,
    modeRGB = 3
};

enum Compression
{
    compressionRaw = 0,
    compressionRLE = 1,
    compressionZip = 2,
    compressionZipPredicted = 3
};

constexpr std::uint16_t kResolutionInfo = 0x03ED;
constexpr int kMaxChannels = 56;

void Fail(const char* text)
{
    ILPicDecoder::RaiseError(ILTextException::badFormat, text);
}

// Fails unless `count` bytes from the read position stay inside a section ending at `end`.
void RequireInside(const ILDataSource& source, std::int64_t count, std::int64_t end, const char* text)
{
    if (count < 0 || source.GetBytesRead() + count > end) {
        Fail(text);
    }
}

}  // namespace

bool ILPSDDecoder::IsPSD(const std::uint8_t* data, std::int64_t size)
{
    return data != nullptr && size >= 4 && std::memcmp(data, "8BPS", 4) == 0;
}

void ILPSDDecoder::Open(ILDataSource& source)
{
    m_layers.clear();
    m_layerSectionEnd = 0;
    m_currentLayer = -1;
    m_source = &source;
    ReadHeader(source);
    ReadColourModeData(source);
    const ILPoint resolution = ReadResources(source);
    const bool rgb = m_header.mode == modeRGB;
    if (m_header.mode == modeGreyscale) {
        for (int i = 0; i < 256; ++i) {
            m_palette[i] = ILPixel32(static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i),
                                     static_cast<std::uint8_t>(i), 255);
        }
    } else if (!rgb && m_header.mode != modeIndexed) {
        RaiseError(ILTextException::notSupported, "This PSD color mode is not supported.");
    }
    SetBmpInfo(ILPoint(static_cast<int>(m_header.columns), static_cast<int>(m_header.rows)), rgb ? 32 : 8,
               resolution, rgb && m_header.channels > 3, m_header.mode == modeGreyscale);
    ReadLayerSection(source);
    CheckImageData(source);
}

void ILPSDDecoder::ReadHeader(ILDataSource& source)
{
    if (std::memcmp(source.ReadNBytes(4), "8BPS", 4) != 0) {
        Fail("PSD decoder: This isn't a photoshop file.");
    }
    Header& h = m_header;
    h.version = ReadBEWord(source);
    source.Skip(6);
    h.channels = ReadBEWord(source);
    h.rows = ReadBELong(source);
    h.columns = ReadBELong(source);
    h.depth = ReadBEWord(source);
    h.mode = ReadBEWord(source);
    if (h.version != 1) {
        RaiseError(ILTextException::notSupported, "PSD decoder: Large document format not supported.");
    }
    if (h.channels < 1 || h.channels > kMaxChannels) {
        Fail("PSD decoder: Bad number of channels.");
    }
    if (h.depth != 8 && h.depth != 16) {
        RaiseError(ILTextException::notSupported, "PSD decoder: Channel depth not supported.");
    }
    if (h.rows == 0 || h.columns == 0) {
        Fail("PSD decoder: Empty image.");
    }
    if (h.rows > ILBmp::kMaxPixels || h.columns > ILBmp::kMaxPixels ||
        static_cast<std::int64_t>(h.rows) * h.columns > ILBmp::GetMaxPixels()) {
        RaiseError(ILTextException::noMemory, "PSD decoder: Image too large.");
    }
}

void ILPSDDecoder::ReadColourModeData(ILDataSource& source)
{
    const std::uint32_t length = ReadBELong(source);
    if (length >= 768) {
        const std::uint8_t* map = source.ReadNBytes(768);
        for (int i = 0; i < 256; ++i) {
            m_palette[i] = ILPixel32(map[i], map[256 + i], map[512 + i], 255);
        }
        source.Skip(length - 768);
    } else if (m_header.mode == modeIndexed) {
        Fail("PSD decoder: Colour table missing.");
    } else {
        source.Skip(length);
    }
}

ILPoint ILPSDDecoder::ReadResources(ILDataSource& source)
{
    const std::uint32_t length = ReadBELong(source);
    const std::int64_t end = source.GetBytesRead() + length;
    if (length > static_cast<std::uint64_t>(source.GetBytesLeft())) {
        RaiseError(ILTextException::endOfData, "PSD decoder: Resource section passes the end of the file.");
    }
    ILPoint resolution(0, 0);
    const char* damaged = "PSD decoder: Resource passes the end of its section.";
    while (source.GetBytesRead() < end) {
        RequireInside(source, 7, end, damaged);
        if (std::memcmp(source.ReadNBytes(4), "8BIM", 4) != 0) {
            Fail("PSD decoder: Wrong signature in resource data block.");
        }
        const std::uint16_t id = ReadBEWord(source);
        const int nameLength = ReadByte(source);
        // The name with its length byte fills an even number of bytes.
        const int namePadded = nameLength + ((nameLength % 2 == 0) ? 1 : 0);
        RequireInside(source, namePadded + 4, end, damaged);
        const std::uint8_t* name = source.ReadNBytes(namePadded);
        Trace(2, ("Reading resource:" + std::string(reinterpret_cast<const char*>(name), nameLength) + "\n").c_str());
        const std::uint32_t size = ReadBELong(source);
        const std::int64_t padded = static_cast<std::int64_t>(size) + (size % 2);
        RequireInside(source, padded, end, damaged);
        if (id == kResolutionInfo && size >= 16) {
            const std::uint32_t horizontal = ReadBELong(source);
            source.Skip(4);
            const std::uint32_t vertical = ReadBELong(source);
            source.Skip(padded - 12);
            resolution = ILPoint(static_cast<int>(horizontal >> 16), static_cast<int>(vertical >> 16));
        } else {
            source.Skip(padded);
        }
    }
    return resolution;
}

void ILPSDDecoder::ReadLayerSection(ILDataSource& source)
{
    const std::uint32_t size = ReadBELong(source);
    if (size > static_cast<std::uint64_t>(source.GetBytesLeft())) {
        RaiseError(ILTextException::endOfData, "PSD decoder: Layer section passes the end of the file.");
    }
    m_layerSectionEnd = source.GetBytesRead() + size;
    if (size < 4) {
        source.Skip(size);
        return;
    }
    const std::uint32_t infoLength = ReadBELong(source);
    if (infoLength < 2) {
        return;
    }
    RequireInside(source, infoLength, m_layerSectionEnd, "PSD decoder: Layer information passes its section.");
    const std::int64_t infoEnd = source.GetBytesRead() + infoLength;
    const int count = std::abs(static_cast<std::int16_t>(ReadBEWord(source)));
    Trace(2, ("Number of layers: " + std::to_string(count) + "\n").c_str());
    for (int i = 0; i < count; ++i) {
        ReadLayerRecord(source, infoEnd);
    }
}

void ILPSDDecoder::ReadLayerRecord(ILDataSource& source, std::int64_t sectionEnd)
{
    const char* damaged = "PSD decoder: Layer record passes its section.";
    RequireInside(source, 18, sectionEnd, damaged);
    Layer layer;
    layer.top = static_cast<std::int32_t>(ReadBELong(source));
    layer.left = static_cast<std::int32_t>(ReadBELong(source));
    layer.bottom = static_cast<std::int32_t>(ReadBELong(source));
    layer.right = static_cast<std::int32_t>(ReadBELong(source));
    const int channels = ReadBEWord(source);
    if (channels > kMaxChannels) {
        Fail("PSD decoder: Bad number of layer channels.");
    }
    RequireInside(source, channels * 6 + 16, sectionEnd, damaged);
    for (int c = 0; c < channels; ++c) {
        Layer::Channel channel;
        channel.id = static_cast<std::int16_t>(ReadBEWord(source));
        channel.length = ReadBELong(source);
        layer.channels.push_back(channel);
    }
    source.Skip(8);  // blend mode signature and key
    source.Skip(4);  // opacity, clipping, flags, filler
    const std::uint32_t extra = ReadBELong(source);
    RequireInside(source, extra, sectionEnd, damaged);
    source.Skip(extra);
    m_layers.push_back(std::move(layer));
}

// The smallest image data that could describe the image: refuses a short file before the
// bitmap is made, so that a few bytes cannot demand a huge allocation.
void ILPSDDecoder::CheckImageData(const ILDataSource& source) const
{
    const std::int64_t rows = static_cast<std::int64_t>(m_header.channels) * GetHeight();
    // A packed row takes its count and two bytes for every 128 it unpacks to.
    const std::int64_t smallestRow = std::min<std::int64_t>(RowBytes(), 2 + 2 * ((RowBytes() + 127) / 128));
    const std::int64_t smallest = 2 + rows * smallestRow;
    if (m_layerSectionEnd + smallest > source.GetFileSize()) {
        RaiseError(ILTextException::endOfData, "PSD decoder: Image data shorter than the image.");
    }
}

void ILPSDDecoder::GetImage(ILBmp& bmp)
{
    ILDataSource& source = *GetDataSource();
    m_layers.clear();
    if (GetBitsPerPixel() == 8) {
        bmp.SetPalette(m_palette);
    }
    source.Skip(m_layerSectionEnd - source.GetBytesRead());
    const int compression = ReadBEWord(source);
    static const char* const kCompressionNames[] = {"No compression\n", "RLE compression\n",
                                                    "ZIP compression, no prediction\n", "ZIP compression, prediction\n"};
    if (compression > compressionZipPredicted) {
        Fail("PSD decoder: Compression unknown.");
    }
    Trace(2, kCompressionNames[compression]);
    if (compression != compressionRaw && compression != compressionRLE) {
        Fail("PSD decoder: Compression type not supported.");
    }
    const int height = GetHeight();
    const int channels = m_header.channels;
    const std::uint8_t* counts = nullptr;
    if (compression == compressionRLE) {
        counts = source.ReadNBytes(2 * static_cast<std::int64_t>(channels) * height);
    }
    ILBmpLock lock(bmp, false, true);
    std::uint8_t* const* rows = bmp.GetLineArray();
    if (GetBitsPerPixel() == 32) {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < GetWidth(); ++x) {
                rows[y][4 * x + 3] = 255;
            }
        }
    }
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(RowBytes()));
    for (int c = 0; c < channels; ++c) {
        for (int y = 0; y < height; ++y) {
            int packed = 0;
            if (counts != nullptr) {
                const std::int64_t at = 2 * (static_cast<std::int64_t>(c) * height + y);
                packed = (counts[at] << 8) | counts[at + 1];
            }
            ReadChannelRow(source, compression, packed, buffer.data(), RowBytes());
            StoreRow(buffer.data(), c, rows[y], GetWidth(), HasAlpha());
        }
    }
}

void ILPSDDecoder::ReadChannelRow(ILDataSource& source, int compression, int packedLength, std::uint8_t* buffer,
                                  int length) const
{
    if (compression == compressionRaw) {
        std::memcpy(buffer, source.ReadNBytes(length), static_cast<std::size_t>(length));
        return;
    }
    // A row that unpacks to fewer bytes than the image is wide leaves the rest black.
    std::memset(buffer, 0, static_cast<std::size_t>(length));
    if (ILUnpackBits(source.ReadNBytes(packedLength), packedLength, buffer, length) < 0) {
        Fail("PSD decoder: Packed row overruns its length.");
    }
}

void ILPSDDecoder::StoreRow(const std::uint8_t* samples, int channel, std::uint8_t* row, int width,
                            bool keepAlpha) const
{
    const bool wide = BytesPerSample() == 2;
    // 16-bit samples are big-endian and round to the nearest 8-bit level.
    auto sample = [samples, wide](int x) {
        if (!wide) {
            return samples[x];
        }
        const unsigned value = (samples[2 * x] << 8) | samples[2 * x + 1];
        return static_cast<std::uint8_t>((value + 128) / 257);
    };
    if (GetBitsPerPixel() == 8) {
        if (channel == 0) {
            for (int x = 0; x < width; ++x) {
                row[x] = sample(x);
            }
        }
        return;
    }
    // Red, green and blue lie at bytes 2, 1, 0 of a pixel; every further channel is alpha.
    static const int kByteOfChannel[] = {2, 1, 0, 3};
    const int at = kByteOfChannel[channel < 3 ? channel : 3];
    if (at == 3 && !keepAlpha) {
        return;
    }
    for (int x = 0; x < width; ++x) {
        row[4 * x + at] = sample(x);
    }
}

void ILPSDDecoder::Close()
{
    m_layers.clear();
    m_source = nullptr;
    ILPicDecoder::Close();
}

ILPoint ILPSDDecoder::GetLayerOffset() const
{
    if (m_currentLayer < 0 || m_currentLayer >= GetNumLayers()) {
        return ILPoint(0, 0);
    }
    const Layer& layer = m_layers[static_cast<std::size_t>(m_currentLayer)];
    return ILPoint(layer.left, layer.top);
}

void ILPSDDecoder::ReadNextLayer(ILBmp& bmp)
{
    try {
        if (m_source == nullptr || m_currentLayer + 1 >= GetNumLayers()) {
            RaiseError(ILTextException::internalError, "PSD decoder: No more layers.");
        }
        ++m_currentLayer;
        Trace(2, ("Reading Layer " + std::to_string(m_currentLayer) + "\n").c_str());
        ReadLayer(m_layers[static_cast<std::size_t>(m_currentLayer)], bmp);
    } catch (...) {
        Close();
        throw;
    }
}

bool ILPSDDecoder::IsWantedChannel(int id) const
{
    // Masks have rectangles of their own, and grey or indexed layers keep no alpha.
    const bool rgb = GetBitsPerPixel() == 32;
    return id >= 0 ? id <= (rgb ? 2 : 0) : (id == -1 && rgb);
}

void ILPSDDecoder::ReadLayer(const Layer& layer, ILBmp& bmp)
{
    const std::int64_t width = static_cast<std::int64_t>(layer.right) - layer.left;
    const std::int64_t height = static_cast<std::int64_t>(layer.bottom) - layer.top;
    if (width < 0 || height < 0 || width > ILBmp::kMaxPixels || height > ILBmp::kMaxPixels) {
        Fail("PSD decoder: Layer with a negative size.");
    }
    if (width * height > ILBmp::GetMaxPixels()) {
        RaiseError(ILTextException::noMemory, "PSD decoder: Layer too large.");
    }
    // Every channel the layer is drawn from must be long enough for its rows, so that a few
    // bytes cannot ask for a large bitmap.
    const std::int64_t rowBytes = width * BytesPerSample();
    const std::int64_t smallest = width * height == 0 ? 0 : 2 + height * std::min<std::int64_t>(rowBytes, 2 + 2 * ((rowBytes + 127) / 128));
    std::int64_t total = 0;
    for (const Layer::Channel& channel : layer.channels) {
        total += channel.length;
        if (IsWantedChannel(channel.id) && channel.length < smallest) {
            RaiseError(ILTextException::endOfData, "PSD decoder: Layer channel shorter than the layer.");
        }
    }
    if (total > m_source->GetBytesLeft()) {
        RaiseError(ILTextException::endOfData, "PSD decoder: Layer channels pass the end of the file.");
    }
    const bool rgb = GetBitsPerPixel() == 32;
    const bool alpha = rgb && std::any_of(layer.channels.begin(), layer.channels.end(),
                                          [](const Layer::Channel& c) { return c.id == -1; });
    bmp.CreateFromInfo(ILBmpInfo(ILPoint(static_cast<int>(width), static_cast<int>(height)), GetBitsPerPixel(),
                                 GetResolution(), alpha, IsGreyscale()));
    if (!rgb) {
        bmp.SetPalette(m_palette);
    }
    for (int y = 0; y < bmp.GetHeight(); ++y) {
        std::uint8_t* row = bmp.GetLineArray()[y];
        std::memset(row, 0, static_cast<std::size_t>(bmp.GetBytesPerLine()));
        for (int x = 0; rgb && x < bmp.GetWidth(); ++x) {
            row[4 * x + 3] = 255;
        }
    }
    for (std::size_t c = 0; c < layer.channels.size(); ++c) {
        Trace(2, ("Reading Channel " + std::to_string(c) + "\n").c_str());
        ReadLayerChannel(layer.channels[c], bmp);
    }
}

void ILPSDDecoder::ReadLayerChannel(const Layer::Channel& channel, ILBmp& bmp)
{
    ILDataSource& source = *m_source;
    const std::int64_t end = source.GetBytesRead() + channel.length;
    if (!IsWantedChannel(channel.id) || bmp.GetWidth() == 0 || bmp.GetHeight() == 0) {
        source.Skip(channel.length);
        return;
    }
    const int compression = ReadBEWord(source);
    if (compression != compressionRaw && compression != compressionRLE) {
        Fail("PSD decoder: Compression type not supported.");
    }
    const int height = bmp.GetHeight();
    const int rowBytes = bmp.GetWidth() * BytesPerSample();
    const std::uint8_t* counts =
        compression == compressionRLE ? source.ReadNBytes(2 * static_cast<std::int64_t>(height)) : nullptr;
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(rowBytes));
    for (int y = 0; y < height; ++y) {
        const int packed = counts != nullptr ? (counts[2 * y] << 8) | counts[2 * y + 1] : 0;
        ReadChannelRow(source, compression, packed, buffer.data(), rowBytes);
        StoreRow(buffer.data(), channel.id < 0 ? 3 : channel.id, bmp.GetLineArray()[y], bmp.GetWidth(), true);
    }
    RequireInside(source, 0, end, "PSD decoder: Layer channel longer than its record says.");
    source.Skip(end - source.GetBytesRead());
}
