#include "document/texture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>
#include <utility>

#include "document/dib.h"
#include "document/documentcheck.h"
#include "document/imageadapter/imageapp.h"
#include "document/imageadapter/picturesidelimit.h"
#include "document/imageadapter/texturesizefit.h"
#include "document/texturegl.h"
#include "document/versionmap.h"
#include "foundation/framemeter.h"
#include "foundation/tolerance.h"
#include "imaging/ilanybmp.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CTexture, CEntity, VERSIONABLE_SCHEMA | 4)

namespace {

constexpr double kSizeTolerance = 0.001;
constexpr int kOpaqueAlpha = 255;

struct DibDeleter
{
    void operator()(CDib* dib) const { delete dib; }
};
using DibHolder = std::unique_ptr<CDib, DibDeleter>;

// A picture of our own like one that the archive holds: the archive's object may be
// handed out again to anything that names it. With kept bytes only those are copied, and
// the copy is decoded from them when needed.
CDib* CopyDib(const CDib& source)
{
    IImageApp* const images = GetImageLibApp();
    DibHolder copy(new CDib);
    const int size = source.GetPixelBufferSize();
    if (size <= 0) {
        ILBmp* bitmap = source.GetImage() != nullptr ? images->CopyBitmap(source.GetImage()) : nullptr;
        copy->Create(bitmap, source.GetFormatCode(), source.GetWidth(), source.GetHeight(), source.HasAlpha());
        return copy.release();
    }
    copy->Create(nullptr, source.GetFormatCode(), 0, 0, false);
    std::uint8_t* bytes = images->AllocBuffer(static_cast<std::size_t>(size));
    if (bytes != nullptr) {
        std::memcpy(bytes, source.GetPixelBuffer(), static_cast<std::size_t>(size));
        copy->SetPixelBuffer(bytes, size);
        copy->DeferDecoding();
    }
    return copy.release();
}

// What a texture made of the picture does to the textures' budget.
constexpr int kFitsWhole = 0;
constexpr int kPastTheBudget = -1;

// The side a texture of the picture may have so that it fits in what is left of the
// textures' budget, halving it down to kSmallestBudgetSide: kFitsWhole when it fits
// whole, kPastTheBudget when it does not fit even at that side.
int BudgetSide(int width, int height)
{
    (void)FitImageTextureSize(width, height);
    const std::int64_t room = GetTextureMemoryBudget() - GetTextureMemoryInUse();
    if (TextureBytes(width, height) <= room) {
        return kFitsWhole;
    }
    return FitTextureBudget(width, height, room) ? std::max({width, height, 1}) : kPastTheBudget;
}

}  // namespace

CTexture* CreateTexture()
{
    return new CTexture;
}

void ArchiveReadTexture(CArchive& ar, CTexture*& texture)
{
    texture = static_cast<CTexture*>(ar.ReadObject(RUNTIME_CLASS(CTexture)));
}

void ComputeHsvDelta(double& hue, double& lightness, double& saturation, CColor from, CColor to, bool relativeHue)
{
    double fromHue = 0.0;
    double fromLightness = 0.0;
    double fromSaturation = 0.0;
    double toHue = 0.0;
    double toLightness = 0.0;
    double toSaturation = 0.0;
    RGBToHSL(from.GetRedByte(), from.GetGreenByte(), from.GetBlueByte(), fromHue, fromLightness, fromSaturation);
    RGBToHSL(to.GetRedByte(), to.GetGreenByte(), to.GetBlueByte(), toHue, toLightness, toSaturation);
    // RGBToHSL gives a grey the hue -1.
    const bool fromGray = fromHue < 0.0;
    const bool toGray = toHue < 0.0;
    lightness = toLightness - fromLightness;
    if (toGray) {
        hue = 0.0;
        saturation = fromGray ? 0.0 : -1.0;
        return;
    }
    saturation = fromGray ? 0.0 : toSaturation - fromSaturation;
    hue = relativeHue ? toHue - (fromGray ? 0.0 : fromHue) : toHue;
}

CTexture::CTexture() = default;

CTexture::CTexture(const CTexture& other)
    : CEntity(other),
      m_fileName(other.m_fileName),
      m_width(other.m_width),
      m_height(other.m_height),
      m_averageColor(other.m_averageColor)
{
}

CTexture::~CTexture()
{
    ReleaseGLTexture();
    ReleaseImage();
}

void CTexture::ReleaseImage()
{
    m_pictureUnusable = false;
    if (m_image != nullptr) {
        CDib* const image = std::exchange(m_image, nullptr);
        (void)image->ReleaseUse();
    }
}

CEntity* CTexture::Clone() const
{
    return new CTexture(*this);
}

int CTexture::GetTypeId() const
{
    return kTypeTexture;
}

void CTexture::Erase()
{
    ReleaseGLTexture();
    CEntity::Erase();
}

void CTexture::SwapData(CEntity& other)
{
    auto& texture = dynamic_cast<CTexture&>(other);
    ReleaseGLTexture();
    CEntity::SwapData(other);
    std::swap(m_width, texture.m_width);
    std::swap(m_height, texture.m_height);
    std::swap(m_fileName, texture.m_fileName);
    std::swap(m_averageColor, texture.m_averageColor);
}

void CTexture::SetWidth(double width)
{
    if (width == m_width) {
        return;
    }
    RecordChange(true);
    m_width = width;
}

void CTexture::SetHeight(double height)
{
    if (height == m_height) {
        return;
    }
    RecordChange(true);
    m_height = height;
}

void CTexture::SetImage(CDib* image)
{
    if (image == m_image) {
        return;
    }
    RecordChange(true);
    ReleaseGLTexture();
    ReleaseImage();
    m_image = image;
    if (m_image != nullptr) {
        m_image->AddUse();
    }
}

void CTexture::SetFileName(const CString& fileName)
{
    if (fileName.CompareNoCase(m_fileName) == 0) {
        return;
    }
    RecordChange(true);
    m_fileName = fileName;
}

void CTexture::SetAverageColor(CColor color)
{
    RecordChange(true);
    m_averageColor = color;
}

int CTexture::GetImageWidth() const
{
    return m_image != nullptr ? m_image->GetWidth() : 0;
}

int CTexture::GetImageHeight() const
{
    return m_image != nullptr ? m_image->GetHeight() : 0;
}

bool CTexture::FitsTextureBudget() const
{
    if (m_image == nullptr) {
        return false;
    }
    if ((m_glName != 0 && m_glEpoch == GetGLTextureEpoch()) || GetTextureGL() == nullptr) {
        return true;
    }
    return BudgetSide(m_image->GetWidth(), m_image->GetHeight()) != kPastTheBudget;
}

bool CTexture::HasImage() const
{
    // A picture of a format code outside the known ones is kept but not drawn.
    return m_image != nullptr && m_image->IsValid() && !m_pictureUnusable;
}

void CTexture::SetColoring(CColor tint, bool hueRelative, double transparency)
{
    ReleaseGLTexture();
    m_tint = tint;
    m_hueRelative = hueRelative;
    m_alpha = DoubleToColorByte(1.0 - transparency);
    m_effectiveAlpha = m_alpha;
    if (tint.GetValue() != 0) {
        m_averageColor = tint;
    } else if (m_image != nullptr && m_image->IsValid()) {
        const CColor average = m_image->GetAverageColor();
        // Learning the average decodes the picture, which may find that it does not decode.
        if (m_image->IsValid()) {
            m_averageColor = average;
        }
    }
}

void CTexture::ComputeColorOffsets(double& hue, double& lightness, double& saturation) const
{
    const CColor average = m_image != nullptr ? m_image->GetAverageColor() : CColor();
    ComputeHsvDelta(hue, lightness, saturation, average, m_tint, m_hueRelative);
}

bool CTexture::IsEqual(const CTexture& other) const
{
    return m_fileName == other.m_fileName && GetImageWidth() == other.GetImageWidth() &&
           GetImageHeight() == other.GetImageHeight() && std::fabs(m_width - other.m_width) < kSizeTolerance &&
           std::fabs(m_height - other.m_height) < kSizeTolerance;
}

void CTexture::ReleaseGLTexture()
{
    if (m_glName != 0) {
        if (m_glEpoch == GetGLTextureEpoch()) {
            if (ITextureGL* gl = GetTextureGL()) {
                gl->DeleteTexture(m_glName);
            }
            AddTextureMemory(-m_glBytes);
        }
        m_glName = 0;
        m_glBytes = 0;
    }
}

unsigned CTexture::Upload(bool forceAlpha, int alpha)
{
    ITextureGL* const gl = GetTextureGL();
    if (!HasImage() || gl == nullptr) {
        return 0;
    }
    const int budgetSide = BudgetSide(m_image->GetWidth(), m_image->GetHeight());
    // Past the budget the faces draw in the material's colour; a frame that has to stop
    // leaves the picture for the next.
    if (budgetSide == kPastTheBudget || CFrameMeter::ShouldStop()) {
        return 0;
    }
    int uploadAlpha = alpha;
    if (!forceAlpha || alpha == kOpaqueAlpha) {
        switch (gl->GetTransparencyMode()) {
        case kTextureSeeThrough:
            m_effectiveAlpha = static_cast<BYTE>(m_alpha >> 1);
            break;
        case kTextureTransparent:
            m_effectiveAlpha = m_alpha;
            break;
        case kTextureOpaque:
        default:
            m_effectiveAlpha = kOpaqueAlpha;
            break;
        }
        uploadAlpha = m_effectiveAlpha;
    }
    double hue = 0.0;
    double lightness = 0.0;
    double saturation = 0.0;
    if (m_tint.GetValue() != 0) {
        ComputeColorOffsets(hue, lightness, saturation);
    }
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    std::uint8_t* pixels = nullptr;
    try {
        // Beyond the budget a picture is decoded smaller, as the largest are.
        std::optional<CPictureSideLimit> limit;
        if (budgetSide != kFitsWhole) {
            limit.emplace(budgetSide);
        }
        pixels = m_image->GetGLPixels(uploadAlpha, hue, lightness, saturation, m_hueRelative, width, height,
                                      bitsPerPixel, true);
    } catch (const std::exception& e) {
        MarkUnusable(e.what());
        return 0;
    }
    if (pixels == nullptr) {
        // The picture decoded before but not now (memory ran short).
        MarkUnusable("it does not decode");
        return 0;
    }
    // Once it is a texture the picture needs no bitmap: a deferred one lets go of it.
    m_image->ReleaseBitmap();
    // The prepared pixels are gone through once more to make them a texture.
    const std::uint64_t prepared = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    (void)CFrameMeter::Charge(CFrameMeter::PixelUnits(prepared, CFrameMeter::kDecodedPixelsPerUnit));
    const unsigned name = gl->MakeTexture(pixels, width, height, bitsPerPixel);
    GetImageLibApp()->FreeBuffer(pixels);
    if (name != 0) {
        m_glBytes = std::int64_t{width} * height * (bitsPerPixel / 8) + kTextureObjectBytes;
        AddTextureMemory(m_glBytes);
    }
    return name;
}

void CTexture::MarkUnusable(const char* reason)
{
    // The faces draw in their colour from now on; the picture is still written back.
    m_pictureUnusable = true;
    std::fprintf(stderr, "glimra: the picture of texture \"%s\" cannot be drawn (%s); it is kept in the file\n",
                 m_fileName.ToUtf8().c_str(), reason);
}

void CTexture::Bind()
{
    ITextureGL* const gl = GetTextureGL();
    if (gl == nullptr) {
        return;
    }
    if (m_glEpoch != GetGLTextureEpoch()) {
        ReleaseGLTexture();
    }
    if (m_glName == 0 && HasImage()) {
        m_glName = Upload(false, kOpaqueAlpha);
        m_glEpoch = GetGLTextureEpoch();
    }
    gl->BindTexture(m_glName);
}

// The picture's top row is uploaded first, at t = 0, so t runs against the plane's upward
// axis: s = (s plane . p) / width, t = -(t plane . p) / height, and the picture stands
// upright. The scale of t is held in single precision, as a texture matrix holds it.
void CTexture::BeginTextureMapping(const double* sPlane, const double* tPlane)
{
    ITextureGL* gl = GetTextureGL();
    if (gl == nullptr || sPlane == nullptr || tPlane == nullptr || !(m_height > 0.0)) {
        return;
    }
    const double tScale = static_cast<float>(-1.0 / m_height);
    double t[4];
    for (int i = 0; i < 4; ++i) {
        t[i] = tPlane[i] * tScale;
    }
    gl->BeginMapping(sPlane, t, m_width, 1.0);
}

void CTexture::EndTextureMapping()
{
    if (ITextureGL* gl = GetTextureGL()) {
        gl->EndMapping();
    }
}

void CTexture::Serialize(CArchive& ar)
{
    if (ar.IsLoading()) {
        ReadRecord(ar);
    } else {
        WriteRecord(ar);
    }
}

void CTexture::ReadRecord(CArchive& ar)
{
    const int version = GetLoadedClassVersion(RUNTIME_CLASS(CTexture));
    ReadPicture(ar, version);
    ar >> m_width >> m_height;
    // The mapping divides by the repeat size: one that is not a positive number is
    // repaired as the consistency check would.
    if (!(m_width > 0.0 && std::isfinite(m_width))) {
        m_width = kDefaultSize;
    }
    if (!(m_height > 0.0 && std::isfinite(m_height))) {
        m_height = kDefaultSize;
    }
    m_fileName = ArchiveReadString(ar);
    if (version >= 1) {
        ar >> m_averageColor;
    } else if (m_image != nullptr && m_image->HasImage()) {
        m_averageColor = m_image->GetAverageColor();
    }
    if (version == 3) {
        std::int32_t dropped = 0;
        ar >> dropped >> dropped;
    }
}

void CTexture::ReadPicture(CArchive& ar, int version)
{
    ReleaseGLTexture();
    ReleaseImage();
    DibHolder picture;
    if (version < 2) {
        CDib* named = nullptr;
        ArchiveReadDib(ar, named);
        if (named != nullptr) {
            picture.reset(CopyDib(*named));
        }
    } else if (ArchiveReadBool(ar)) {
        picture.reset(new CDib);
        picture->ReadDeferred(ar);
    }
    // The picture is decoded when it is first asked about, and for each texture made from
    // it. One that does not decode stays with its bytes, so that a save writes it back;
    // the texture draws as having none (HasImage).
    if (picture && picture->HasContent()) {
        m_image = picture.release();
        m_image->AddUse();
    }
}

void CTexture::WriteRecord(CArchive& ar)
{
    ArchiveWriteBool(ar, m_image != nullptr);
    if (m_image != nullptr) {
        m_image->Serialize(ar);
    }
    ar << m_width << m_height;
    ArchiveWriteString(ar, m_fileName);
    ar << m_averageColor;
}

int CTexture::CheckValidity(int mode, CValidityResultMap* results)
{
    return RunDocumentCheck(*this, RUNTIME_CLASS(CTexture), results, [&]() {
        CDocumentCheck check(*this, mode);
        check.Take(CEntity::CheckValidity(mode, results));
        if (m_image == nullptr || !m_image->IsKindOf(RUNTIME_CLASS(CDib)) || !m_image->IsValid()) {
            check.Broken(kMsgTextureBadPicture, kValidityStale);
        }
        if (!IsValidDouble(m_width) || m_width <= 0.0) {
            if (check.Repairable(kMsgTextureBadWidth)) {
                m_width = kDefaultSize;
            }
        }
        if (!IsValidDouble(m_height) || m_height <= 0.0) {
            if (check.Repairable(kMsgTextureBadHeight)) {
                m_height = kDefaultSize;
            }
        }
        return check.GetSeverity();
    });
}
