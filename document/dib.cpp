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

}  // namespace

CDib::CDib() = default;

CDib::~CDib()
{
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

void CDib::ReleaseImage()
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
    m_width = width;
    m_height = height;
    m_sourceWidth = width;
    m_sourceHeight = height;
    m_hasAlpha = hasAlpha;
    m_averageColor = CColor();
    m_averageKnown = false;
    GetImageLibApp()->CountOpaqueAndTransparent(m_image, m_opaqueCount, m_transparentCount);
}

void CDib::SetSourceSize(int width, int height)
{
    m_sourceWidth = width;
    m_sourceHeight = height;
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
        m_bytes = nullptr;
        m_byteCount = 0;
        return;
    }
    m_bytes = bytes;
    m_byteCount = size;
}

bool CDib::IsValid() const
{
    return m_formatCode >= 0 && m_formatCode <= kHighestFormatCode && m_image != nullptr;
}

int CDib::GetBitsPerPixel() const
{
    return m_image != nullptr ? GetImageLibApp()->GetBitsPerPixel(m_image) : 0;
}

std::uint8_t* CDib::GetResizedPixels(int width, int height) const
{
    if (m_image == nullptr) {
        return nullptr;
    }
    if (width == 0 || height == 0) {
        width = m_width;
        height = m_height;
    }
    return GetImageLibApp()->ResizeBuffer(m_image, width, height);
}

CColor CDib::GetAverageColor() const
{
    if (!m_averageKnown && m_image != nullptr) {
        std::uint8_t red = 0;
        std::uint8_t green = 0;
        std::uint8_t blue = 0;
        if (GetImageLibApp()->GetAverageColor(m_image, red, green, blue)) {
            m_averageColor = CColor(red, green, blue);
        }
        m_averageKnown = true;
    }
    return m_averageColor;
}

std::uint8_t* CDib::GetGLPixels(int alpha, double hue, double lightness, double saturation, bool hueIsRelative,
                                int& width, int& height, int& bitsPerPixel, bool fitToTextureSize) const
{
    if (m_image == nullptr) {
        return nullptr;
    }
    return GetImageLibApp()->AdjustImage(m_image, alpha, hue, lightness, saturation, hueIsRelative, width, height,
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
    if (m_image == nullptr) {
        return false;
    }
    return GetImageLibApp()->DrawBitmap(m_image, deviceContext, x, y, width, height);
}

void CDib::Serialize(CArchive& ar)
{
    if (ar.IsLoading()) {
        Read(ar);
    } else {
        Write(ar);
    }
}

void CDib::Read(CArchive& ar)
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
    (void)GetImageLibApp()->DecodeFromMemory(formatCode, bytes.get(), byteCount, this);
    SetPixelBuffer(bytes.release(), byteCount);
}

void CDib::Write(CArchive& ar) const
{
    const int saveFormat = GetSaveFormat();
    if (saveFormat != kSaveFormat5000 && saveFormat != kSaveFormat4000 && saveFormat != kSaveFormat3000) {
        return;
    }
    // The oldest format takes the picture encoded anew, but a picture that did not decode
    // can only go out as its bytes, or it would be lost.
    const bool keptBytes = saveFormat != kSaveFormat3000 || m_image == nullptr;
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
