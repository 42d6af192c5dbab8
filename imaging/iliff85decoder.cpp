#include "imaging/iliff85decoder.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/ilbmp.h"
#include "imaging/ilbmplock.h"
#include "imaging/ildatasource.h"
#include "imaging/iltextexception.h"

namespace {

constexpr std::uint32_t kFORM = MakeID("FORM");
constexpr std::uint32_t kPBM = MakeID("PBM ");
constexpr std::uint32_t kBMHD = MakeID("BMHD");
constexpr std::uint32_t kCMAP = MakeID("CMAP");
constexpr std::uint32_t kCAMG = MakeID("CAMG");
constexpr std::uint32_t kBODY = MakeID("BODY");

enum Masking
{
    maskNone = 0,
    maskPlane = 1,
    maskTransparentColour = 2,
    maskLasso = 3
};

void Fail(const char* text)
{
    ILPicDecoder::RaiseError(ILTextException::badFormat, text);
}

int RoundUpToEven(int n)
{
    return n + (n & 1);
}

}  // namespace

bool ILIFF85Decoder::IsIFF85(const std::uint8_t* data, std::int64_t size)
{
    return data != nullptr && size >= 4 && std::memcmp(data, "FORM", 4) == 0;
}

void ILIFF85Decoder::Open(ILDataSource& source)
{
    Trace(2, "Decoding IFF-85 header.\n");
    m_header = BitmapHeader();
    m_colourCount = 0;
    m_viewportMode = 0;
    m_haveHeader = false;
    m_haveBody = false;
    m_bodySize = 0;
    for (ILPixel32& entry : m_palette) {
        entry = ILPixel32(0, 0, 0, 255);
    }
    const std::int64_t start = source.GetBytesRead();
    if (ReadBELong(source) != kFORM) {
        RaiseError(ILTextException::wrongSignature, "File is not a single-form IFF.");
    }
    const std::int64_t formEnd = start + 8 + ReadBELong(source);
    m_formType = ReadBELong(source);
    if (m_formType == kPBM) {
        Trace(2, "Form type: PBM\n");
    } else if (m_formType == kILBM) {
        Trace(2, "Form type: ILBM\n");
    } else {
        Fail("Unknown form type.");
    }
    ReadChunks(source, formEnd);
    CheckChunks(formEnd, source);
    const bool transparent = m_header.masking == maskTransparentColour;
    const bool deep = IsDeep();
    SetBmpInfo(ILPoint(m_header.width, m_header.height), deep || IsHAM() || transparent ? 32 : 8, ILPoint(0, 0),
               transparent || m_header.planes == 32, false);
}

void ILIFF85Decoder::ReadChunks(ILDataSource& source, std::int64_t formEnd)
{
    while (source.GetBytesRead() < formEnd - 1) {
        const std::uint32_t id = ReadBELong(source);
        const std::uint32_t size = ReadBELong(source);
        if (id == kBODY) {
            m_haveBody = true;
            m_bodySize = size;
            m_bodyEnd = source.GetBytesRead() + size;
            return;
        }
        const std::int64_t chunkEnd = source.GetBytesRead() + size + (size & 1);
        if (id == kBMHD) {
            ReadBitmapHeader(source, size);
        } else if (id == kCMAP) {
            ReadColourMap(source, size);
        } else if (id == kCAMG) {
            if (size != 4) {
                Fail("Unexpected CAMG size.");
            }
            m_viewportMode = ReadBELong(source);
        }
        // Chunks of odd size are followed by a pad byte.
        source.Skip(chunkEnd - source.GetBytesRead());
    }
}

void ILIFF85Decoder::ReadBitmapHeader(ILDataSource& source, std::uint32_t size)
{
    if (size != 20) {
        Fail("Unexpected header size.");
    }
    BitmapHeader& h = m_header;
    h.width = ReadBEWord(source);
    h.height = ReadBEWord(source);
    source.Skip(4);  // position
    h.planes = ReadByte(source);
    h.masking = ReadByte(source);
    h.compression = ReadByte(source);
    source.Skip(1);
    h.transparentColour = ReadBEWord(source);
    source.Skip(6);  // aspect and page size
    static const char* const kMaskingNames[] = {"No masking.\n", "Has mask plane.\n", "Has transparent colour.\n",
                                                "Lasso"};
    if (h.masking > maskLasso) {
        Fail("Unknown masking technique.");
    }
    Trace(2, kMaskingNames[h.masking]);
    if (h.compression > 1) {
        Fail("Unknown compression method.");
    }
    Trace(2, h.compression == 0 ? "No compression.\n" : "Byte run encoding.\n");
    m_haveHeader = true;
}

void ILIFF85Decoder::ReadColourMap(ILDataSource& source, std::uint32_t size)
{
    Trace(3, "Reading palette.\n");
    m_colourCount = static_cast<int>(std::min<std::uint32_t>(size / 3, 0x10000));
    const int stored = std::min(m_colourCount, 256);
    const std::uint8_t* map = source.ReadNBytes(3 * stored);
    for (int i = 0; i < stored; ++i) {
        m_palette[i] = ILPixel32(map[3 * i], map[3 * i + 1], map[3 * i + 2], 255);
    }
}

void ILIFF85Decoder::CheckChunks(std::int64_t formEnd, const ILDataSource& source) const
{
    const int planes = m_header.planes;
    if (!m_haveHeader) {
        Fail("Header not found.");
    }
    if (m_colourCount == 0 && planes <= 8) {
        Fail("Palette not found.");
    }
    if (!m_haveBody) {
        Fail("Body not found.");
    }
    const bool planesKnown = planes >= 1 && (planes <= 8 || ((planes == 24 || planes == 32) && !IsChunky()));
    if (!planesKnown || (IsHAM() && (planes < 3 || planes > 8 || IsChunky()))) {
        RaiseError(ILTextException::notSupported, "Unsupported number of planes.");
    }
    if (m_header.width == 0 || m_header.height == 0) {
        Fail("Empty image.");
    }
    const std::int64_t bodyNeeded = static_cast<std::int64_t>(BytesPerRow()) * m_header.height;
    if (m_header.compression == 0 && m_bodySize != bodyNeeded) {
        Fail("Unexpected body size.");
    }
    if (m_bodyEnd > formEnd) {
        Fail("Body extends beyond form.");
    }
    const int paletteBits = IsHAM() ? planes - 2 : planes;
    if (planes <= 8 && m_colourCount > (1 << paletteBits)) {
        Fail("Too many CMAP entries.");
    }
    if (static_cast<std::int64_t>(m_header.width) * m_header.height > ILBmp::GetMaxPixels()) {
        RaiseError(ILTextException::noMemory, "Image too large.");
    }
    // Each packed row takes at least two bytes for every 128 it unpacks to.
    const std::int64_t smallestBody = static_cast<std::int64_t>(m_header.height) * 2 * ((BytesPerRow() + 127) / 128);
    if (m_bodySize > source.GetBytesLeft() || m_bodySize < smallestBody) {
        RaiseError(ILTextException::endOfData, "Body shorter than the image.");
    }
}

int ILIFF85Decoder::BytesPerPlaneRow() const
{
    return RoundUpToEven((RoundUpToEven(m_header.width) + 7) / 8);
}

int ILIFF85Decoder::BytesPerRow() const
{
    if (IsChunky()) {
        return RoundUpToEven(m_header.width);
    }
    const int planes = m_header.planes + (m_header.masking == maskPlane ? 1 : 0);
    return BytesPerPlaneRow() * planes;
}

void ILIFF85Decoder::GetImage(ILBmp& bmp)
{
    Trace(2, "Decoding IFF-85 body.\n");
    ILDataSource& source = *GetDataSource();
    if (GetBitsPerPixel() == 8) {
        bmp.SetPalette(m_palette);
    }
    ILBmpLock lock(bmp, false, true);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(BytesPerRow()));
    std::vector<std::uint32_t> chunky(static_cast<std::size_t>(GetWidth()));
    std::int64_t bodyLeft = m_bodySize;
    for (int y = 0; y < GetHeight(); ++y) {
        ReadRow(source, row.data(), bodyLeft);
        MergePlanes(row.data(), chunky.data());
        StoreRow(chunky.data(), bmp.GetLineArray()[y]);
    }
}

void ILIFF85Decoder::ReadRow(ILDataSource& source, std::uint8_t* row, std::int64_t& bodyLeft) const
{
    const int length = BytesPerRow();
    auto take = [&source, &bodyLeft](std::int64_t count) {
        if (count > bodyLeft) {
            RaiseError(ILTextException::endOfData, "Body ends inside a row.");
        }
        bodyLeft -= count;
        return source.ReadNBytes(count);
    };
    if (m_header.compression == 0) {
        std::memcpy(row, take(length), static_cast<std::size_t>(length));
        return;
    }
    int done = 0;
    while (done < length) {
        const auto control = static_cast<std::int8_t>(*take(1));
        if (control == -128) {
            continue;
        }
        const int count = control >= 0 ? control + 1 : 1 - control;
        if (count > length - done) {
            Fail("Run passes the end of the row.");
        }
        if (control >= 0) {
            std::memcpy(row + done, take(count), static_cast<std::size_t>(count));
        } else {
            std::memset(row + done, *take(1), static_cast<std::size_t>(count));
        }
        done += count;
    }
}

void ILIFF85Decoder::MergePlanes(const std::uint8_t* row, std::uint32_t* chunky) const
{
    const int width = GetWidth();
    if (IsChunky()) {
        for (int x = 0; x < width; ++x) {
            chunky[x] = row[x];
        }
        return;
    }
    std::memset(chunky, 0, sizeof(std::uint32_t) * static_cast<std::size_t>(width));
    const int planeBytes = BytesPerPlaneRow();
    for (int p = 0; p < m_header.planes; ++p) {
        const std::uint8_t* plane = row + p * planeBytes;
        for (int x = 0; x < width; ++x) {
            if (plane[x / 8] & (0x80 >> (x % 8))) {
                chunky[x] |= std::uint32_t{1} << p;
            }
        }
    }
}

void ILIFF85Decoder::StoreRow(const std::uint32_t* chunky, std::uint8_t* out) const
{
    const int width = GetWidth();
    auto* pixels = reinterpret_cast<ILPixel32*>(out);
    if (GetBitsPerPixel() == 8) {
        for (int x = 0; x < width; ++x) {
            out[x] = static_cast<std::uint8_t>(chunky[x]);
        }
    } else if (IsDeep()) {
        // Planes 0-7 hold red, 8-15 green, 16-23 blue and 24-31 alpha, low bit first.
        const bool alpha = m_header.planes == 32;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = chunky[x];
            pixels[x] = ILPixel32(static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                                  static_cast<std::uint8_t>(v >> 16), alpha ? static_cast<std::uint8_t>(v >> 24) : 255);
        }
    } else if (IsHAM()) {
        const int valueBits = m_header.planes - 2;
        const std::uint32_t valueMask = (1u << valueBits) - 1;
        ILPixel32 held(0, 0, 0, 255);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t d = chunky[x] & valueMask;
            const auto level = static_cast<std::uint8_t>(d << (8 - valueBits));
            switch (chunky[x] >> valueBits) {
            case 0: held = m_palette[d]; break;
            case 1: held.b = level; break;
            case 2: held.r = level; break;
            default: held.g = level; break;
            }
            pixels[x] = held;
        }
    } else {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = chunky[x] & 0xFF;
            pixels[x] = m_palette[v];
            pixels[x].a = v == m_header.transparentColour ? 0 : 255;
        }
    }
}
