#include "imaging/ilanypicdecoder.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "imaging/ilbmp.h"
#include "imaging/ilbmpdecoder.h"
#include "imaging/ildatasource.h"
#include "imaging/ilgifdecoder.h"
#include "imaging/iliff85decoder.h"
#include "imaging/iljpegdecoder.h"
#include "imaging/ilpcxdecoder.h"
#include "imaging/ilpgmdecoder.h"
#include "imaging/ilpictdecoder.h"
#include "imaging/ilpngdecoder.h"
#include "imaging/ilppmdecoder.h"
#include "imaging/ilpsddecoder.h"
#include "imaging/ilsgidecoder.h"
#include "imaging/iltextexception.h"
#include "imaging/iltgadecoder.h"
#include "imaging/iltiffdecoder.h"
#include "imaging/ilwemfdecoder.h"

namespace {

// Level-2 trace lines by format number.
constexpr const char* kRecognized[ILAnyPicDecoder::typeCount] = {
    nullptr,
    "Windows bitmap recognized.\n",
    "Mac PICT recognized.\n",
    "TGA file recognized.\n",
    "TIFF file recognized.\n",
    "JPEG file recognized.\n",
    "PNG file recognized.\n",
    "TIFF preview in EPS file recognized.\n",
    "WMF file recognized.\n",
    "EMF file recognized.\n",
    "PCX file recognized.\n",
    "PGM file recognized.\n",
    "GIF file recognized.\n",
    "PPM file recognized.\n",
    "PSD file recognized.\n",
    "SGI RGB file recognized.\n",
    "EA IFF-85 file recognized.\n",
};

// Bytes of the data by position; a position past the end reads as -1 and matches nothing.
class Bytes
{
public:
    Bytes(const std::uint8_t* data, std::int64_t size) : m_data(data), m_size(data != nullptr ? size : 0) {}

    [[nodiscard]] int operator[](std::int64_t i) const { return i < m_size ? m_data[i] : -1; }
    [[nodiscard]] bool Has(std::int64_t offset, std::initializer_list<int> expected) const
    {
        for (const int value : expected) {
            if ((*this)[offset++] != value) {
                return false;
            }
        }
        return true;
    }
    [[nodiscard]] std::uint32_t LELong(std::int64_t offset) const
    {
        if (offset + 4 > m_size) {
            return 0;
        }
        return static_cast<std::uint32_t>(m_data[offset]) | (static_cast<std::uint32_t>(m_data[offset + 1]) << 8) |
               (static_cast<std::uint32_t>(m_data[offset + 2]) << 16) |
               (static_cast<std::uint32_t>(m_data[offset + 3]) << 24);
    }
    [[nodiscard]] std::int64_t Size() const { return m_size; }

private:
    const std::uint8_t* m_data;
    std::int64_t m_size;
};

bool IsOneOf(int value, std::initializer_list<int> values)
{
    return std::find(values.begin(), values.end(), value) != values.end();
}

bool IsBitmap(const Bytes& d)
{
    return d.Has(0, {'B', 'A'}) || d.Has(0, {'B', 'M'}) || d.Has(0, {'I', 'C'}) || d.Has(0, {'C', 'I'}) ||
           d.Has(0, {'C', 'P'});
}

bool IsTga(const Bytes& d)
{
    return IsOneOf(d[1], {0, 1}) && IsOneOf(d[2], {0, 1, 2, 3, 9, 10, 11}) && IsOneOf(d[7], {0, 8, 15, 16, 24, 32}) &&
           IsOneOf(d[16], {8, 15, 16, 24, 32});
}

bool IsGif(const Bytes& d)
{
    return d.Has(0, {'G', 'I', 'F', '8'});
}

bool IsTiff(const Bytes& d)
{
    return d.Has(0, {0x49, 0x49, 0x2A, 0x00}) || d.Has(0, {0x4D, 0x4D, 0x00, 0x2A});
}

// After a 512-byte preamble and the picture's size and frame.
bool IsPict(const Bytes& d)
{
    return d.Size() > 540 && (d.Has(522, {0x00, 0x11, 0x02, 0xFF}) || d.Has(522, {0x00, 0x11, 0x01}) ||
                              d.Has(522, {0x11, 0x01, 0x01, 0x00}));
}

bool IsJpeg(const Bytes& d)
{
    return d.Has(0, {0xFF, 0xD8, 0xFF});
}

bool IsPng(const Bytes& d)
{
    return d.Has(0, {0x89, 'P', 'N', 'G'});
}

bool IsEpsWithTiff(const Bytes& d)
{
    return (d.Has(0, {0xC5, 0xD0, 0xD3, 0xC6}) || d.Has(0, {0xC6, 0xD3, 0xD0, 0xC5})) && d.LELong(20) != 0 &&
           d.LELong(24) != 0;
}

bool IsPcx(const Bytes& d)
{
    return d[0] == 0x0A && d[2] == 0x01;
}

bool IsPgm(const Bytes& d)
{
    return d[0] == 'P' && (d[1] == '2' || d[1] == '5');
}

bool IsPpm(const Bytes& d)
{
    return d[0] == 'P' && (d[1] == '3' || d[1] == '6');
}

bool IsPsd(const Bytes& d)
{
    return d.Has(0, {'8', 'B', 'P', 'S'});
}

bool IsSgi(const Bytes& d)
{
    return d[0] == 0x01 && d[1] == 0xDA;
}

bool IsIff85(const Bytes& d)
{
    return d.Size() >= 4 && MakeID(static_cast<char>(d[0]), static_cast<char>(d[1]), static_cast<char>(d[2]),
                                   static_cast<char>(d[3])) == MakeID("FORM");
}

struct Sniffer
{
    int type;
    bool (*matches)(const Bytes&);
};

// Tried in this order; the first that matches decides. TGA has no signature, yet its test
// comes second, so data that passes it is TGA even when a later signature matches too.
constexpr Sniffer kSniffers[] = {
    {ILAnyPicDecoder::typeBmp, IsBitmap},    {ILAnyPicDecoder::typeTga, IsTga},
    {ILAnyPicDecoder::typeGif, IsGif},       {ILAnyPicDecoder::typeTiff, IsTiff},
    {ILAnyPicDecoder::typePict, IsPict},     {ILAnyPicDecoder::typeJpeg, IsJpeg},
    {ILAnyPicDecoder::typePng, IsPng},       {ILAnyPicDecoder::typeEpsTiff, IsEpsWithTiff},
    {ILAnyPicDecoder::typePcx, IsPcx},       {ILAnyPicDecoder::typePgm, IsPgm},
    {ILAnyPicDecoder::typePpm, IsPpm},       {ILAnyPicDecoder::typePsd, IsPsd},
    {ILAnyPicDecoder::typeSgi, IsSgi},       {ILAnyPicDecoder::typeIff85, IsIff85},
};

}  // namespace

ILAnyPicDecoder::ILAnyPicDecoder()
{
    // Made in this order.
    m_decoders[typeBmp] = std::make_unique<ILBmpDecoder>();
    m_decoders[typeTga] = std::make_unique<ILTGADecoder>();
    m_decoders[typeTiff] = std::make_unique<ILTIFFDecoder>();
    m_decoders[typeJpeg] = std::make_unique<ILJPEGDecoder>();
    // JPEG-compressed pictures go through the JPEG decoder.
    m_decoders[typePict] = std::make_unique<ILPictDecoder>(static_cast<ILJPEGDecoder*>(m_decoders[typeJpeg].get()));
    m_decoders[typePng] = std::make_unique<ILPNGDecoder>();
    // One metafile decoder reads both kinds; the file's name tells which.
    m_decoders[typeWmf] = std::make_unique<ILWEMFDecoder>();
    m_decoders[typePcx] = std::make_unique<ILPCXDecoder>();
    m_decoders[typePgm] = std::make_unique<ILPGMDecoder>();
    m_decoders[typeGif] = std::make_unique<ILGIFDecoder>();
    m_decoders[typePpm] = std::make_unique<ILPPMDecoder>();
    m_decoders[typePsd] = std::make_unique<ILPSDDecoder>();
    m_decoders[typeSgi] = std::make_unique<ILSGIDecoder>();
    m_decoders[typeIff85] = std::make_unique<ILIFF85Decoder>();
}

ILAnyPicDecoder::~ILAnyPicDecoder() = default;

int ILAnyPicDecoder::GetFileType(const std::uint8_t* data, std::int64_t size)
{
    const Bytes d(data, size);
    for (const Sniffer& sniffer : kSniffers) {
        if (sniffer.matches(d)) {
            return sniffer.type;
        }
    }
    return typeUnknown;
}

ILPicDecoder* ILAnyPicDecoder::DecoderFor(int fileType) const
{
    // An EPS file's preview is a plain TIFF file inside it; one decoder reads both metafile kinds.
    if (fileType == typeEpsTiff) {
        fileType = typeTiff;
    } else if (fileType == typeEmf) {
        fileType = typeWmf;
    }
    return m_decoders[static_cast<std::size_t>(fileType)].get();
}

int ILAnyPicDecoder::FileTypeFromName(const ILDataSource& source)
{
    std::string name = source.IsWide() ? source.GetWideName()->ToUtf8() : source.GetName();
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (name.find(".WMF") != std::string::npos) {
        return typeWmf;
    }
    if (name.find(".EMF") != std::string::npos) {
        return typeEmf;
    }
    return typeUnknown;
}

void ILAnyPicDecoder::Open(ILDataSource& source)
{
    m_current = nullptr;
    m_fileType = FileTypeFromName(source);
    if (m_fileType == typeUnknown) {
        const std::int64_t available = source.GetBytesLeft();
        const std::uint8_t* data = source.GetBufferPtr(std::min<std::int64_t>(available, 512));
        m_fileType = GetFileType(data, available);
    }
    if (m_fileType == typeUnknown) {
        RaiseError(ILTextException::unknownFileType, "Unknown file type.");
    }
    Trace(2, kRecognized[m_fileType]);
    ILPicDecoder* decoder = DecoderFor(m_fileType);
    if (decoder == nullptr) {
        RaiseError(ILTextException::notBuilt, "Library not compiled for this file type.");
    }
    if (m_fileType == typeEpsTiff) {
        // Recognition saw the whole 28-byte header; the preview's offset is its sixth word.
        const std::uint8_t* header = source.GetBufferPtr(24);
        const std::uint32_t offset = static_cast<std::uint32_t>(header[20]) |
                                     (static_cast<std::uint32_t>(header[21]) << 8) |
                                     (static_cast<std::uint32_t>(header[22]) << 16) |
                                     (static_cast<std::uint32_t>(header[23]) << 24);
        source.Skip(offset);
    }
    m_current = decoder;
    m_current->SetDataSource(&source);
    m_current->Open(source);
    SetBmpInfo(*m_current);
}

void ILAnyPicDecoder::GetImage(ILBmp& bmp)
{
    m_current->GetImage(bmp);
    // A decoder may learn more while it reads the pixels (alpha, for one).
    SetBmpInfo(*m_current);
}

bool ILAnyPicDecoder::GetReducedImage(ILBoxReducer& reducer)
{
    if (!m_current->GetReducedImage(reducer)) {
        return false;
    }
    SetBmpInfo(*m_current);
    return true;
}

void ILAnyPicDecoder::Close()
{
    if (GetDataSource() == nullptr) {
        return;
    }
    if (m_current != nullptr) {
        m_current->Close();
    }
    ILPicDecoder::Close();
}
