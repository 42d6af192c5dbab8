#include "imaging/ilbmpdecoder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "imaging/ilbmp.h"
#include "imaging/ilbmplock.h"
#include "imaging/ildatasource.h"
#include "imaging/iltextexception.h"

namespace {

constexpr float kInchesPerMetre = 39.37f;
constexpr uint32_t kMaxHeaderSize = 4096;
// Run-length data may end the picture early (the rest stays index 0), so no length of
// data bounds its size. Real encoders spend at least two bytes per 255 pixels of a run
// (about 128 pixels a byte); this cap is eight times that, beyond a megapixel that any
// data may claim.
constexpr int64_t kRunLengthPixelsPerByte = 1024;
constexpr int64_t kRunLengthFreePixels = 1 << 20;

enum Compression : uint32_t
{
    kRgb = 0,
    kRle8 = 1,
    kRle4 = 2,
    kBitFields = 3,
    kJpeg = 4,
    kPng = 5,
    kAlphaBitFields = 6
};

// Header sizes of the Windows headers that carry colour masks (the OS/2 2.x header of
// 64 bytes has other fields there), and of those that add an alpha mask.
bool HasColourMasks(uint32_t headerSize)
{
    return headerSize >= 52 && headerSize != 64;
}

bool HasAlphaMask(uint32_t headerSize)
{
    return headerSize >= 56 && headerSize != 64;
}

bool IsBitFields(uint32_t compression)
{
    return compression == kBitFields || compression == kAlphaBitFields;
}

// A channel value of `bits` bits to 0..255. Channels of 32-bit pixels repeat their bits
// downwards when short, so that their largest value becomes 255; those of 16-bit pixels
// keep their bits at the top (five bits of 31 give 248), as the 5-5-5 and 5-6-5 layouts are
// read. Long channels keep their top eight bits.
uint8_t Widen(uint32_t value, int bits, bool repeatBits)
{
    if (bits >= 8) {
        return static_cast<uint8_t>(value >> (bits - 8));
    }
    uint32_t widened = value << (8 - bits);
    for (int filled = bits; repeatBits && filled < 8; filled *= 2) {
        widened |= widened >> filled;
    }
    return static_cast<uint8_t>(widened);
}

bool IsSignature(const uint8_t* s)
{
    static const char* const kSignatures[] = {"BA", "BM", "IC", "CI", "CP"};
    for (const char* sig : kSignatures) {
        if (s[0] == static_cast<uint8_t>(sig[0]) && s[1] == static_cast<uint8_t>(sig[1])) {
            return true;
        }
    }
    return false;
}

uint16_t Le16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t Le32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

int Resolution(int32_t pelsPerMetre)
{
    if (pelsPerMetre <= 0) {
        return 0;
    }
    const int dpi = static_cast<int>(static_cast<double>(pelsPerMetre) / static_cast<double>(kInchesPerMetre) + 0.5);
    return dpi <= 1 ? 0 : dpi;
}

int64_t Padded(int64_t bytes)
{
    return (bytes + 3) & ~int64_t{3};
}

// Pixel i of a run of 4-bit pixels packed two a byte, the high nibble first.
uint8_t Nibble(uint8_t byte, int i)
{
    return static_cast<uint8_t>((i & 1) ? (byte & 0x0F) : (byte >> 4));
}

}  // namespace

ILBmpDecoder::ILBmpDecoder()
{
    std::fill(std::begin(m_palette), std::end(m_palette), ILPixel32(0, 0, 0, 255));
}

ILBmpDecoder::~ILBmpDecoder() = default;

void ILBmpDecoder::Close()
{
    m_header.reset();
    ILPicDecoder::Close();
}

void ILBmpDecoder::Open(ILDataSource& source)
{
    // Nothing of an earlier file may show through: a short palette leaves entries unset.
    std::fill(std::begin(m_palette), std::end(m_palette), ILPixel32(0, 0, 0, 255));
    m_pixelAlpha = false;
    try {
        uint32_t pixelOffset = 0;
        ReadFileHeader(source, pixelOffset);
        ReadInfoHeader(source);
        ReadPalette(source, pixelOffset);
        SkipToPixels(source, pixelOffset);
        CheckImage(source);
        Trace(2, "Bitmap header is ok.\n");
        if (m_header->bitCount == 16 || m_header->bitCount == 32) {
            ChooseChannels();
            m_pixelAlpha = AnyPixelHasAlpha(source);
        }
        SetDescription();
    } catch (...) {
        m_header.reset();
        throw;
    }
}

// The pixel offset counts from the start of the input, array headers included, so the
// pixels are found by it whatever headers came first.
void ILBmpDecoder::ReadFileHeader(ILDataSource& source, uint32_t& pixelOffset)
{
    const uint8_t* signature = source.Read2Bytes();
    while (signature[0] == 'B' && signature[1] == 'A') {
        source.Skip(12);  // size, display width and height, offset of the next entry
        signature = source.Read2Bytes();
    }
    const uint8_t sig[2] = {signature[0], signature[1]};
    const uint8_t* fields = source.ReadNBytes(12);
    pixelOffset = Le32(fields + 8);
    if (!IsSignature(sig)) {
        RaiseError(ILTextException::wrongSignature, "Bitmap decoder: This isn't a bitmap.");
    }
    Trace(2, "Bitmap file signature found\n");
}

void ILBmpDecoder::ReadInfoHeader(ILDataSource& source)
{
    auto header = std::make_unique<InfoHeader>();
    header->size = ReadLELong(source);
    if (header->size == 12) {
        const uint8_t* f = source.ReadNBytes(8);
        header->width = Le16(f);
        header->height = Le16(f + 2);
        header->planes = Le16(f + 4);
        header->bitCount = Le16(f + 6);
        m_header = std::move(header);
        CheckBitCount();
        return;
    }
    // Shorter OS/2 2.x headers carry the leading fields only; longer ones append colour
    // masks and colour-space data, of which only the masks matter here.
    if (header->size < 16 || header->size > kMaxHeaderSize) {
        RaiseError(ILTextException::badFormat, "Decoding bmp: Illegal header size.");
    }
    uint8_t f[52] = {};
    const uint32_t present = std::min<uint32_t>(header->size - 4, sizeof f);
    std::memcpy(f, source.ReadNBytes(present), present);
    source.Skip(header->size - 4 - present);
    header->width = static_cast<int32_t>(Le32(f));
    header->height = static_cast<int32_t>(Le32(f + 4));
    header->planes = Le16(f + 8);
    header->bitCount = Le16(f + 10);
    header->compression = Le32(f + 12);
    header->imageSize = Le32(f + 16);
    header->xPelsPerMeter = static_cast<int32_t>(Le32(f + 20));
    header->yPelsPerMeter = static_cast<int32_t>(Le32(f + 24));
    header->clrUsed = Le32(f + 28);
    header->clrImportant = Le32(f + 32);
    m_header = std::move(header);
    ReadMasks(source, f);
    CheckBitCount();
}

// Longer headers hold the masks; after a 40-byte header they follow it, three of them, or
// four with the alpha mask.
void ILBmpDecoder::ReadMasks(ILDataSource& source, const uint8_t* fields)
{
    InfoHeader& h = *m_header;
    if (HasColourMasks(h.size)) {
        const int count = HasAlphaMask(h.size) ? 4 : 3;
        for (int i = 0; i < count; ++i) {
            h.masks[i] = Le32(fields + 36 + 4 * i);
        }
    } else if (h.size == 40 && IsBitFields(h.compression)) {
        const int count = h.compression == kAlphaBitFields ? 4 : 3;
        for (int i = 0; i < count; ++i) {
            h.masks[i] = ReadLELong(source);
        }
    }
}

// Uncompressed files have fixed layouts: 5-5-5 at 16 bits, blue, green, red and a fourth
// byte at 32. The fourth byte may be alpha unless a header with an alpha mask says not.
// Compressed 16-bit files are 5-5-5 when their masks say so and 5-6-5 when they give
// none; masks of another layout are followed.
void ILBmpDecoder::ChooseChannels()
{
    const InfoHeader& h = *m_header;
    const bool deep = h.bitCount == 32;
    uint32_t masks[4] = {h.masks[0], h.masks[1], h.masks[2], h.masks[3]};
    const bool masksGiven = (masks[0] | masks[1] | masks[2]) != 0;
    const bool fieldsGiven = (deep ? IsBitFields(h.compression) : h.compression != kRgb) && masksGiven;
    if (!fieldsGiven) {
        const bool fiveSixFive = !deep && h.compression != kRgb;
        masks[0] = deep ? 0x00FF0000 : (fiveSixFive ? 0xF800 : 0x7C00);
        masks[1] = deep ? 0x0000FF00 : (fiveSixFive ? 0x07E0 : 0x03E0);
        masks[2] = deep ? 0x000000FF : 0x001F;
        if (!HasAlphaMask(h.size) && h.compression != kAlphaBitFields) {
            masks[3] = deep ? 0xFF000000 : 0;
        }
    }
    for (int i = 0; i < 4; ++i) {
        m_channels[i].SetMask(masks[i], deep);
    }
}

bool ILBmpDecoder::AnyPixelHasAlpha(ILDataSource& source) const
{
    const uint32_t alphaMask = m_channels[3].mask;
    if (alphaMask == 0) {
        return false;
    }
    const int bytes = m_header->bitCount / 8;
    const int64_t rowBytes = FileRowBytes();
    const int width = m_header->width;
    const int64_t rows = std::abs(static_cast<int64_t>(m_header->height));
    const uint8_t* data = source.GetBufferPtr(rowBytes * rows);
    for (int64_t k = 0; k < rows; ++k) {
        const uint8_t* row = data + k * rowBytes;
        for (int x = 0; x < width; ++x) {
            const uint32_t pixel = bytes == 2 ? Le16(row + 2 * x) : Le32(row + 4 * x);
            if ((pixel & alphaMask) != 0) {
                return true;
            }
        }
    }
    return false;
}

void ILBmpDecoder::Channel::SetMask(uint32_t channelMask, bool repeatShortBits)
{
    mask = channelMask;
    shift = 0;
    bits = 0;
    widened.clear();
    if (mask == 0) {
        return;
    }
    while (((mask >> shift) & 1) == 0) {
        ++shift;
    }
    while (bits < 32 - shift && (mask >> shift) >> bits != 0) {
        ++bits;
    }
    if (bits <= 16) {
        widened.resize(std::size_t{1} << bits);
        for (uint32_t v = 0; v < widened.size(); ++v) {
            widened[v] = Widen(v, bits, repeatShortBits);
        }
    }
}

uint8_t ILBmpDecoder::Channel::Of(uint32_t pixel) const
{
    if (bits == 0) {
        return 0;
    }
    const uint32_t value = (pixel & mask) >> shift;
    // Only channels of more than 16 bits have no table; they keep their top eight bits.
    return widened.empty() ? static_cast<uint8_t>(value >> (bits - 8)) : widened[value];
}

void ILBmpDecoder::CheckBitCount() const
{
    switch (m_header->bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        return;
    default:
        RaiseError(ILTextException::badFormat, "Decoding bmp: Illegal bpp value.");
    }
}

void ILBmpDecoder::ReadPalette(ILDataSource& source, uint32_t pixelOffset)
{
    const InfoHeader& h = *m_header;
    if (h.bitCount > 8) {
        return;
    }
    Trace(3, "Reading palette.\n");
    // Only the OS/2 1.x header has 3-byte entries; every longer header (OS/2 2.x, the
    // Windows headers of 40 bytes and beyond) is followed by 4-byte ones.
    const uint32_t entrySize = h.size == 12 ? 3 : 4;
    uint32_t entries = (h.clrUsed == 0 || h.bitCount < 8) ? (1u << h.bitCount) : h.clrUsed;
    entries = std::min<uint32_t>(entries, 256);
    // A palette shorter than its nominal size ends where the pixels begin.
    const int64_t position = source.GetBytesRead();
    if (pixelOffset > position) {
        entries = static_cast<uint32_t>(std::min<int64_t>(entries, (pixelOffset - position) / entrySize));
    }
    const uint8_t* table = source.ReadNBytes(static_cast<int64_t>(entries) * entrySize);
    for (uint32_t i = 0; i < entries; ++i) {
        const uint8_t* e = table + i * entrySize;
        m_palette[i] = ILPixel32(e[2], e[1], e[0], 255);
    }
}

void ILBmpDecoder::SkipToPixels(ILDataSource& source, uint32_t pixelOffset)
{
    const int64_t gap = static_cast<int64_t>(pixelOffset) - source.GetBytesRead();
    if (gap <= 0) {
        return;  // an offset inside the headers is taken to mean "right after them"
    }
    if (gap > source.GetBytesLeft()) {
        RaiseError(ILTextException::endOfData, "Bitmap pixel data lies past the end of the file.");
    }
    source.Skip(gap);
}

void ILBmpDecoder::CheckImage(ILDataSource& source) const
{
    const InfoHeader& h = *m_header;
    if (h.compression == kJpeg || h.compression == kPng) {
        RaiseError(ILTextException::notSupported, "Decoding bmp: Embedded JPEG or PNG data is not supported.");
    }
    const int64_t width = h.width;
    const int64_t height = std::abs(static_cast<int64_t>(h.height));
    if (width <= 0 || height == 0) {
        RaiseError(ILTextException::badFormat, "Decoding bmp: Illegal image size.");
    }
    if (width > ILBmp::GetMaxPixels() || height > ILBmp::GetMaxPixels() / width) {
        RaiseError(ILTextException::noMemory, "Decoding bmp: Image too large.");
    }
    const bool runLength = (h.bitCount == 4 || h.bitCount == 8) && h.compression != kRgb;
    if (!runLength && FileRowBytes() * height > source.GetBytesLeft()) {
        RaiseError(ILTextException::endOfData, "Bitmap pixel data is shorter than the header says.");
    }
    if (runLength && width * height > kRunLengthPixelsPerByte * source.GetBytesLeft() + kRunLengthFreePixels) {
        RaiseError(ILTextException::endOfData, "Bitmap run-length data is too short for the size the header says.");
    }
}

void ILBmpDecoder::SetDescription()
{
    const InfoHeader& h = *m_header;
    m_topDown = h.height < 0;
    m_rows = static_cast<int>(std::abs(static_cast<int64_t>(h.height)));
    const int depth = h.bitCount > 8 ? 32 : 8;
    SetBmpInfo(ILPoint(h.width, m_rows), depth, ILPoint(Resolution(h.xPelsPerMeter), Resolution(h.yPelsPerMeter)),
               m_pixelAlpha, false);
}

int64_t ILBmpDecoder::FileRowBytes() const
{
    return Padded((static_cast<int64_t>(m_header->width) * m_header->bitCount + 7) / 8);
}

int ILBmpDecoder::TargetRow(int fileRow) const
{
    return m_topDown ? fileRow : m_rows - 1 - fileRow;
}

void ILBmpDecoder::GetImage(ILBmp& bmp)
{
    ILDataSource& source = *GetDataSource();
    if (GetBitsPerPixel() == 8) {
        bmp.SetPalette(m_palette);
    }
    ILBmpLock lock(bmp, false, true);
    uint8_t* const* rows = bmp.GetLineArray();
    const InfoHeader& h = *m_header;
    switch (h.bitCount) {
    case 1:
        Decode1(source, rows);
        break;
    case 4:
        h.compression != kRgb ? DecodeRle(source, rows, true) : Decode4(source, rows);
        break;
    case 8:
        h.compression != kRgb ? DecodeRle(source, rows, false) : Decode8(source, rows);
        break;
    case 16:
    case 32:
        DecodeBitFields(source, rows);
        break;
    case 24:
        Decode24(source, rows);
        break;
    default:
        RaiseError(ILTextException::badFormat, "Decoding bmp: Illegal bpp value.");
    }
}

template <typename DecodeRow>
void ILBmpDecoder::DecodeRows(ILDataSource& source, uint8_t* const* rows, DecodeRow decodeRow)
{
    const int width = GetWidth();
    for (int k = 0; k < m_rows; ++k) {
        const uint8_t* in = source.ReadNBytes(FileRowBytes());
        decodeRow(in, rows[TargetRow(k)], width);
    }
}

void ILBmpDecoder::Decode1(ILDataSource& source, uint8_t* const* rows)
{
    Trace(2, "Decoding 1 bit per pixel bitmap.\n");
    DecodeRows(source, rows, [](const uint8_t* in, uint8_t* out, int width) {
        for (int x = 0; x < width; ++x) {
            out[x] = (in[x >> 3] >> (7 - (x & 7))) & 1;
        }
    });
}

void ILBmpDecoder::Decode4(ILDataSource& source, uint8_t* const* rows)
{
    Trace(2, "Decoding uncompressed 4 bit per pixel bitmap.\n");
    DecodeRows(source, rows, [](const uint8_t* in, uint8_t* out, int width) {
        for (int x = 0; x < width; ++x) {
            out[x] = Nibble(in[x >> 1], x);
        }
    });
}

void ILBmpDecoder::Decode8(ILDataSource& source, uint8_t* const* rows)
{
    Trace(2, "Decoding uncompressed 8 bit per pixel bitmap.\n");
    DecodeRows(source, rows, [](const uint8_t* in, uint8_t* out, int width) {
        std::memcpy(out, in, static_cast<size_t>(width));
    });
}

void ILBmpDecoder::DecodeBitFields(ILDataSource& source, uint8_t* const* rows)
{
    Trace(2, "Decoding true-color bitmap.\n");
    const bool wide = m_header->bitCount == 32;
    const bool alpha = m_pixelAlpha;
    const Channel* c = m_channels;
    DecodeRows(source, rows, [wide, alpha, c](const uint8_t* in, uint8_t* row, int width) {
        auto* out = reinterpret_cast<ILPixel32*>(row);
        for (int x = 0; x < width; ++x) {
            const uint32_t pixel = wide ? Le32(in + 4 * x) : Le16(in + 2 * x);
            out[x] = ILPixel32(c[0].Of(pixel), c[1].Of(pixel), c[2].Of(pixel), alpha ? c[3].Of(pixel) : 255);
        }
    });
}

void ILBmpDecoder::Decode24(ILDataSource& source, uint8_t* const* rows)
{
    Trace(2, "Decoding true-color bitmap.\n");
    DecodeRows(source, rows, [](const uint8_t* in, uint8_t* row, int width) {
        auto* out = reinterpret_cast<ILPixel32*>(row);
        for (int x = 0; x < width; ++x) {
            out[x] = ILPixel32(in[3 * x + 2], in[3 * x + 1], in[3 * x], 255);
        }
    });
}

// Run-length data at 8 bits, or at 4 bits with two pixels a byte. Runs and literals
// that pass the end of a row are cut there: the pixels beyond are dropped.
void ILBmpDecoder::DecodeRle(ILDataSource& source, uint8_t* const* rows, bool nibbles)
{
    Trace(2, nibbles ? "Decoding RLE4-compressed bitmap.\n" : "Decoding RLE8-compressed bitmap.\n");
    const int width = GetWidth();
    for (int k = 0; k < m_rows; ++k) {
        std::memset(rows[k], 0, static_cast<size_t>(width));
    }
    int k = 0;
    int x = 0;
    while (k < m_rows) {
        uint8_t* out = rows[TargetRow(k)];
        const int count = ReadByte(source);
        if (count > 0) {
            const uint8_t value = ReadByte(source);
            for (int i = 0; i < count && x < width; ++i, ++x) {
                out[x] = nibbles ? Nibble(value, i) : value;
            }
            continue;
        }
        const int escape = ReadByte(source);
        if (escape == 0) {
            ++k;
            x = 0;
        } else if (escape == 1) {
            break;
        } else if (escape == 2) {
            RaiseError(ILTextException::notSupported, "Encountered delta escape.");
        } else {
            x = CopyLiteral(source, out, x, escape, nibbles);
        }
    }
}

// A literal of count pixels, padded in the file to a whole number of 16-bit words;
// answers the position after it.
int ILBmpDecoder::CopyLiteral(ILDataSource& source, uint8_t* out, int x, int count, bool nibbles)
{
    const int width = GetWidth();
    const int bytes = nibbles ? (count + 1) / 2 : count;
    const uint8_t* literal = source.ReadNBytes(bytes);
    for (int i = 0; i < count && x < width; ++i, ++x) {
        out[x] = nibbles ? Nibble(literal[i >> 1], i) : literal[i];
    }
    if (bytes & 1) {
        source.Skip(1);
    }
    return x;
}
