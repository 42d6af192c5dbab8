#include "document/dib.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <memory>

#include "document/versionmap.h"
#include "foundation/framemeter.h"
#include "foundation/versioninfo.h"
#include "document/imageadapter/imagefiletypes.h"
#include "document/imageadapter/picturesidelimit.h"
#include "imaging/ilboxreducer.h"
#include "imaging/iltextexception.h"
#include "platform/archive.h"
#include "platform/exceptions.h"

IMPLEMENT_SERIAL(CDib, CObject, VERSIONABLE_SCHEMA | 2)

namespace {

constexpr int kHighestFormatCode = 6;

// Encoded bytes belong to the image service's allocator until a CDib takes them.
struct ServiceBufferDeleter
{
    void operator()(std::uint8_t* block) const { GetImageLibApp()->FreeBuffer(block); }
};
using ServiceBuffer = std::unique_ptr<std::uint8_t, ServiceBufferDeleter>;

// What asks about a deferred picture is most often about to draw it: a picture that had
// to be decoded to answer keeps its bitmap until another is, so that its texture need not
// decode it again. User-interface thread only, as the shared decoder is.
const CDib* g_probeKept = nullptr;

int PixelCount(int width, int height)
{
    if (width <= 0 || height <= 0) {
        return 0;
    }
    return static_cast<int>(std::min<std::int64_t>(std::int64_t{width} * height, INT_MAX));
}

// A count of a bitmap's pixels taken to a picture of another size, in proportion: all
// stays all and none stays none.
int ScaledCount(int count, int bitmapPixels, int pixels)
{
    if (bitmapPixels <= 0) {
        return 0;
    }
    return static_cast<int>(std::int64_t{count} * pixels / bitmapPixels);
}

// A use of the pixels that decoded a deferred picture lets go of the bitmap at its end.
class CBitmapUse
{
public:
    explicit CBitmapUse(const CDib& dib) : m_dib(dib), m_wasDecoded(dib.IsDecoded()) {}
    ~CBitmapUse()
    {
        if (!m_wasDecoded) {
            m_dib.ReleaseBitmap();
        }
    }
    CBitmapUse(const CBitmapUse&) = delete;
    CBitmapUse& operator=(const CBitmapUse&) = delete;

private:
    const CDib& m_dib;
    bool m_wasDecoded;
};

}  // namespace

CDib::CDib() = default;

CDib::~CDib()
{
    if (g_probeKept == this) {
        g_probeKept = nullptr;
    }
    ReleaseImage();
    SetPixelBuffer(nullptr, 0);
}

CObject* CreateDib()
{
    return new CDib;
}

void ArchiveReadDib(CArchive& ar, CDib*& dib)
{
    dib = static_cast<CDib*>(ar.ReadObject(RUNTIME_CLASS(CDib)));
}

void CDib::ReleaseImage() const
{
    if (m_image != nullptr) {
        GetImageLibApp()->DeleteBitmap(m_image);
        m_image = nullptr;
    }
}

void CDib::Create(ILBmp* image, int formatCode, int width, int height, bool hasAlpha)
{
    if (image != m_image) {
        ReleaseImage();
        m_image = image;
    }
    m_formatCode = formatCode;
    m_deferred = false;
    m_probed = false;
    m_shape = Shape{};
    m_shape.m_width = width;
    m_shape.m_height = height;
    m_shape.m_sourceWidth = width;
    m_shape.m_sourceHeight = height;
    m_shape.m_hasAlpha = hasAlpha;
    m_shape.m_decodes = image != nullptr;
    m_shape.m_sizeGeneration = GetTextureSizeGeneration();
    GetImageLibApp()->CountOpaqueAndTransparent(m_image, m_shape.m_opaqueCount, m_shape.m_transparentCount);
    m_shape.m_countsKnown = true;
}

void CDib::SetSourceSize(int width, int height)
{
    m_shape.m_sourceWidth = width;
    m_shape.m_sourceHeight = height;
}

void CDib::SetPixelBuffer(std::uint8_t* bytes, int size)
{
    if (m_bytes != nullptr && m_bytes != bytes) {
        GetImageLibApp()->FreeBuffer(m_bytes);
    }
    if (bytes == nullptr || size < 1) {
        if (bytes != nullptr) {
            GetImageLibApp()->FreeBuffer(bytes);
        }
        bytes = nullptr;
        size = 0;
    }
    m_bytes = bytes;
    m_byteCount = size;
    if (m_deferred) {
        // New bytes are a new picture, learnt anew when asked about.
        ReleaseImage();
        m_probed = false;
        m_shape = Shape{};
        m_deferred = m_byteCount > 0;
    }
}

void CDib::DeferDecoding()
{
    if (m_byteCount <= 0 || m_deferred) {
        return;
    }
    if (m_image != nullptr) {
        LearnAverageColor();
        m_probed = true;
    }
    m_deferred = true;
    ReleaseBitmap();
}

void CDib::ReleaseBitmap() const
{
    if (m_deferred) {
        ReleaseImage();
    }
    if (g_probeKept == this) {
        g_probeKept = nullptr;
    }
}

void CDib::Probe() const
{
    IImageApp::PictureHeader header;
    if (GetImageLibApp()->ReadPictureHeader(m_bytes, m_byteCount, header)) {
        m_shape = Shape{};
        m_shape.m_width = header.width;
        m_shape.m_height = header.height;
        m_shape.m_sourceWidth = header.sourceWidth;
        m_shape.m_sourceHeight = header.sourceHeight;
        m_shape.m_hasAlpha = header.hasAlpha;
        m_shape.m_decodes = true;
        m_shape.m_sizeGeneration = GetTextureSizeGeneration();
        if (!header.hasAlpha) {
            // Without alpha every pixel is opaque.
            m_shape.m_opaqueCount = PixelCount(header.width, header.height);
            m_shape.m_countsKnown = true;
        }
        m_probed = true;
        return;
    }
    // Only a decode tells.
    DecodeAndKeep();
}

void CDib::Refit() const
{
    // A picture decoded small while a side limit stands keeps the shape it has.
    if (CPictureSideLimit::GetCurrent() > 0) {
        return;
    }
    m_shape.m_sizeGeneration = GetTextureSizeGeneration();
    if (!m_shape.m_decodes || m_shape.m_sourceWidth < 1 || m_shape.m_sourceHeight < 1) {
        return;
    }
    int width = m_shape.m_sourceWidth;
    int height = m_shape.m_sourceHeight;
    // As the decoder shrinks a picture longer than the side it is given.
    ILBoxReducer::FitSize(width, height, GetModelPictureMaxSide());
    if (width == m_shape.m_width && height == m_shape.m_height) {
        return;
    }
    const int before = PixelCount(m_shape.m_width, m_shape.m_height);
    const int after = PixelCount(width, height);
    m_shape.m_opaqueCount = ScaledCount(m_shape.m_opaqueCount, before, after);
    m_shape.m_transparentCount = ScaledCount(m_shape.m_transparentCount, before, after);
    m_shape.m_width = width;
    m_shape.m_height = height;
}

void CDib::GetSizeToDecode(int& width, int& height) const
{
    width = std::max(m_shape.m_sourceWidth, 0);
    height = std::max(m_shape.m_sourceHeight, 0);
    if (m_deferred && !m_probed) {
        IImageApp::PictureHeader header;
        if (GetImageLibApp()->ReadPictureHeader(m_bytes, m_byteCount, header)) {
            width = std::max(header.sourceWidth, 0);
            height = std::max(header.sourceHeight, 0);
            return;
        }
    } else if ((width > 0 && height > 0) || m_image != nullptr) {
        return;
    }
    width = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(std::max(m_byteCount, 0)))));
    height = width;
}

void CDib::DecodeAndKeep() const
{
    // A frame that has to stop leaves the question open for the next rather than decode:
    // the picture is not drawn meanwhile.
    if (CFrameMeter::IsMetering() && CFrameMeter::ShouldStop()) {
        return;
    }
    const bool wasDecoded = IsDecoded();
    if (LoadBitmap() == nullptr || wasDecoded) {
        return;
    }
    if (g_probeKept != nullptr && g_probeKept != this) {
        g_probeKept->ReleaseBitmap();
    }
    g_probeKept = this;
}

const CDib::Shape& CDib::Counted() const
{
    (void)Probed();
    if (m_deferred && m_probed && m_shape.m_decodes && !m_shape.m_countsKnown) {
        DecodeAndKeep();
    }
    return m_shape;
}

ILBmp* CDib::LoadBitmap() const
{
    if (m_image != nullptr || !m_deferred || (m_probed && !m_shape.m_decodes)) {
        return m_image;
    }
    const Shape known = m_shape;
    const bool probed = m_probed;
    const std::uint64_t generation = GetTextureSizeGeneration();
    // The decode stores its bitmap through Create, which describes the bitmap it gets and
    // ends the deferral: the picture stays deferred, and what was learnt of it holds even
    // when this bitmap is smaller (decoded under a side limit).
    auto* self = const_cast<CDib*>(this);
    const bool decoded = GetImageLibApp()->DecodeFromMemory(m_formatCode, m_bytes, m_byteCount, self);
    self->m_deferred = true;
    m_probed = true;
    if (!decoded) {
        m_shape = known;
        m_shape.m_decodeTried = true;
        // Kept, so that the picture is not decoded again to fail again.
        m_shape.m_decodes = false;
        return nullptr;
    }
    const Shape fresh = m_shape;
    // The decoder reads the whole picture, however small the bitmap it makes.
    const auto sourcePixels = static_cast<std::uint64_t>(std::max(fresh.m_sourceWidth, 0)) *
                              static_cast<std::uint64_t>(std::max(fresh.m_sourceHeight, 0));
    (void)CFrameMeter::Charge(CFrameMeter::PixelUnits(sourcePixels, CFrameMeter::kDecodedPixelsPerUnit));
    if (probed) {
        m_shape = known;
        if (!m_shape.m_countsKnown) {
            const int bitmapPixels = PixelCount(fresh.m_width, fresh.m_height);
            const int pixels = PixelCount(m_shape.m_width, m_shape.m_height);
            m_shape.m_opaqueCount = ScaledCount(fresh.m_opaqueCount, bitmapPixels, pixels);
            m_shape.m_transparentCount = ScaledCount(fresh.m_transparentCount, bitmapPixels, pixels);
            m_shape.m_countsKnown = true;
        }
    } else {
        m_shape.m_sizeGeneration = generation;
    }
    m_shape.m_decodeTried = true;
    return m_image;
}

void CDib::LearnAverageColor() const
{
    if (m_shape.m_averageKnown || m_image == nullptr) {
        return;
    }
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    if (GetImageLibApp()->GetAverageColor(m_image, red, green, blue)) {
        m_shape.m_averageColor = CColor(red, green, blue);
    }
    m_shape.m_averageKnown = true;
}

bool CDib::DecodesWhole() const
{
    if (m_deferred && HasImage() && !m_shape.m_decodeTried) {
        const CBitmapUse use(*this);
        (void)LoadBitmap();
    }
    return HasImage();
}

bool CDib::IsValid() const
{
    return m_formatCode >= 0 && m_formatCode <= kHighestFormatCode && HasImage();
}

int CDib::GetBitsPerPixel() const
{
    if (m_deferred && m_image == nullptr) {
        // Decoded pictures are 32 bits deep.
        return HasImage() ? 32 : 0;
    }
    return m_image != nullptr ? GetImageLibApp()->GetBitsPerPixel(m_image) : 0;
}

std::uint8_t* CDib::GetResizedPixels(int width, int height) const
{
    const CBitmapUse use(*this);
    const ILBmp* bitmap = LoadBitmap();
    if (bitmap == nullptr) {
        return nullptr;
    }
    if (width == 0 || height == 0) {
        width = m_shape.m_width;
        height = m_shape.m_height;
    }
    return GetImageLibApp()->ResizeBuffer(bitmap, width, height);
}

CColor CDib::GetAverageColor() const
{
    if (!Probed().m_averageKnown && m_shape.m_decodes) {
        const CBitmapUse use(*this);
        (void)LoadBitmap();
        LearnAverageColor();
    }
    return m_shape.m_averageColor;
}

std::uint8_t* CDib::GetGLPixels(int alpha, double hue, double lightness, double saturation, bool hueIsRelative,
                                int& width, int& height, int& bitsPerPixel, bool fitToTextureSize) const
{
    const CBitmapUse use(*this);
    const ILBmp* bitmap = LoadBitmap();
    if (bitmap == nullptr) {
        return nullptr;
    }
    return GetImageLibApp()->AdjustImage(bitmap, alpha, hue, lightness, saturation, hueIsRelative, width, height,
                                         bitsPerPixel, fitToTextureSize);
}

int CDib::ReleaseUse()
{
    if (--m_useCount > 0) {
        return m_useCount;
    }
    delete this;
    return 0;
}

bool CDib::Draw(HPAINTDC deviceContext, int x, int y, int width, int height) const
{
    const CBitmapUse use(*this);
    const ILBmp* bitmap = LoadBitmap();
    if (bitmap == nullptr) {
        return false;
    }
    return GetImageLibApp()->DrawBitmap(bitmap, deviceContext, x, y, width, height);
}

void CDib::Serialize(CArchive& ar)
{
    if (ar.IsLoading()) {
        Read(ar, true);
    } else {
        Write(ar);
    }
}

void CDib::ReadDeferred(CArchive& ar)
{
    Read(ar, false);
    DeferDecoding();
}

void CDib::Read(CArchive& ar, bool decode)
{
    const int version = GetLoadedClassVersion(RUNTIME_CLASS(CDib));
    // A record read into an image that already holds a picture replaces it entirely, so a
    // picture that fails to decode cannot leave the old one behind.
    Create(nullptr, kImageTypePng, 0, 0, false);
    SetPixelBuffer(nullptr, 0);
    if (version == 0) {
        return;
    }
    std::int32_t formatCode = kImageTypePng;
    if (version >= 2) {
        ar >> formatCode;
    }
    m_formatCode = formatCode;
    std::int32_t byteCount = 0;
    ar >> byteCount;
    if (byteCount < 0 || byteCount > kMaxEncodedBytes) {
        AfxThrowArchiveException(CArchiveException::genericException, ar.m_strFileName, "a picture is too large");
    }
    if (byteCount == 0) {
        return;
    }
    ar.EnsureAvailable(static_cast<ULONGLONG>(byteCount));
    ServiceBuffer bytes(GetImageLibApp()->AllocBuffer(static_cast<std::size_t>(byteCount)));
    if (!bytes) {
        AfxThrowMemoryException();
    }
    if (ar.Read(bytes.get(), static_cast<UINT>(byteCount)) != static_cast<UINT>(byteCount)) {
        AfxThrowArchiveException(CArchiveException::endOfFile, ar.m_strFileName);
    }
    // A picture that does not decode is no reason to refuse the file: the image simply
    // has no bitmap, and its bytes are still written back.
    if (decode) {
        (void)GetImageLibApp()->DecodeFromMemory(formatCode, bytes.get(), byteCount, this);
    }
    SetPixelBuffer(bytes.release(), byteCount);
}

void CDib::Write(CArchive& ar) const
{
    const int saveFormat = GetSaveFormat();
    if (saveFormat != kSaveFormat5000 && saveFormat != kSaveFormat4000 && saveFormat != kSaveFormat3000) {
        return;
    }
    // The oldest format takes the picture encoded anew, but a picture that does not decode,
    // or whose format is unknown, can only go out as its bytes, or it would be lost.
    const CBitmapUse use(*this);
    const bool encoded = saveFormat == kSaveFormat3000 && IsValid() && LoadBitmap() != nullptr;
    if (!encoded && m_byteCount > 0) {
        ar << static_cast<std::int32_t>(m_formatCode) << static_cast<std::int32_t>(m_byteCount);
        ar.Write(m_bytes, static_cast<UINT>(m_byteCount));
        return;
    }
    WriteEncoded(ar);
}

void CDib::WriteEncoded(CArchive& ar) const
{
    int formatCode = kImageTypePng;
    int byteCount = 0;
    ServiceBuffer bytes;
    const CBitmapUse use(*this);
    try {
        bytes.reset(GetImageLibApp()->EncodePngToMemory(this, byteCount, formatCode));
    } catch (const ILTextException&) {
        // The model file's writer knows only the archive's failures; an image that cannot be
        // encoded must fail the save rather than escape it.
        AfxThrowArchiveException(CArchiveException::genericException, ar.m_strFileName, "a picture cannot be encoded");
    }
    if (!bytes) {
        byteCount = 0;
    }
    ar << static_cast<std::int32_t>(formatCode) << static_cast<std::int32_t>(byteCount);
    if (byteCount > 0) {
        ar.Write(bytes.get(), static_cast<UINT>(byteCount));
    }
}
