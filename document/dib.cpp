#include "document/dib.h"

#include <memory>

#include "document/versionmap.h"
#include "foundation/versioninfo.h"
#include "document/imageadapter/imagefiletypes.h"
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

// What asks about a deferred picture is most often about to draw it: the picture probed
// last keeps its bitmap until another is probed, so that its texture need not decode it
// again. User-interface thread only, as the shared decoder is.
const CDib* g_probeKept = nullptr;

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
    GetImageLibApp()->CountOpaqueAndTransparent(m_image, m_shape.m_opaqueCount, m_shape.m_transparentCount);
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
    const bool wasDecoded = IsDecoded();
    if (LoadBitmap() == nullptr || wasDecoded) {
        return;
    }
    if (g_probeKept != nullptr && g_probeKept != this) {
        g_probeKept->ReleaseBitmap();
    }
    g_probeKept = this;
}

ILBmp* CDib::LoadBitmap() const
{
    if (m_image != nullptr || !m_deferred || (m_probed && !m_shape.m_decodes)) {
        return m_image;
    }
    const Shape known = m_shape;
    // The decode stores its bitmap through Create, which describes the bitmap it gets: a
    // picture decoded smaller under a side limit keeps the shape first learnt.
    auto* self = const_cast<CDib*>(this);
    const bool decoded = GetImageLibApp()->DecodeFromMemory(m_formatCode, m_bytes, m_byteCount, self);
    self->m_deferred = true;
    if (m_probed) {
        m_shape = known;
    } else {
        m_probed = true;
        m_shape.m_decodes = decoded;
        LearnAverageColor();
    }
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
    (void)Probed();
    LearnAverageColor();
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
    // The oldest format takes the picture encoded anew, but a picture that did not decode,
    // or whose format is unknown, can only go out as its bytes, or it would be lost.
    const bool keptBytes = saveFormat != kSaveFormat3000 || !IsValid();
    if (keptBytes && m_byteCount > 0) {
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
