#include "document/imageadapter/imagelibapp.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <string>

#include "document/dib.h"
#include "foundation/color.h"
#include "document/imageadapter/imagefiletypes.h"
#include "document/imageadapter/picturesidelimit.h"
#include "document/imageadapter/texturesizefit.h"
#include "imaging/ilanybmp.h"
#include "imaging/ilanypicdecoder.h"
#include "imaging/ilboxreducer.h"
#include "imaging/ilfilesource.h"
#include "imaging/ilfilterresizebilinear.h"
#include "imaging/ilmemsink.h"
#include "imaging/ilpicencoder.h"
#include "imaging/ilpngencoder.h"
#include "imaging/iltextexception.h"

namespace {

constexpr int kPngCompression = 4;
constexpr std::size_t kPngEstimateSlack = 2000;
constexpr double kTolerance = 0.001;
constexpr double kMinimumLightness = 0.01;
// A hue this far out is brought near the circle first, so that stepping by 360 ends.
constexpr double kHueFoldLimit = 720.0;

// Every decode of the service goes through this one decoder.
ILAnyPicDecoder& SharedDecoder()
{
    static ILAnyPicDecoder decoder;
    return decoder;
}

struct MallocDeleter
{
    void operator()(std::uint8_t* block) const { std::free(block); }
};
using HeapBlock = std::unique_ptr<std::uint8_t, MallocDeleter>;

HeapBlock AllocateBlock(std::size_t byteCount)
{
    return HeapBlock(static_cast<std::uint8_t*>(std::malloc(byteCount > 0 ? byteCount : 1)));
}

ILPixel32* Row32(ILBmp& bmp, int y)
{
    return reinterpret_cast<ILPixel32*>(bmp.GetLineArray()[y]);
}

const ILPixel32* Row32(const ILBmp& bmp, int y)
{
    return reinterpret_cast<const ILPixel32*>(bmp.GetLineArray()[y]);
}

void MakeAllOpaque(ILBmp& bmp)
{
    if (bmp.GetBitsPerPixel() != 32) {
        return;
    }
    for (int y = 0; y < bmp.GetHeight(); ++y) {
        ILPixel32* row = Row32(bmp, y);
        for (int x = 0; x < bmp.GetWidth(); ++x) {
            row[x].a = 255;
        }
    }
}

// Pixels of a picture without alpha are drawn as opaque whatever their fourth byte holds.
void MakeOpaqueUnlessAlpha(ILBmp& bmp)
{
    if (!bmp.HasAlpha()) {
        MakeAllOpaque(bmp);
    }
}

// The bitmap itself at 32 bits, else a 32-bit copy.
std::unique_ptr<ILAnyBmp> AtDepth32(std::unique_ptr<ILAnyBmp> bmp)
{
    if (bmp->GetBitsPerPixel() == 32) {
        return bmp;
    }
    auto deep = std::make_unique<ILAnyBmp>();
    deep->CreateCopy(*bmp, 32);
    return deep;
}

// Fits a texture's size to the texture store and to the picture side limit in force
// (which keeps a texture within the textures' budget); true when it already fits.
bool FitTexture(int& width, int& height)
{
    bool fits = FitImageTextureSize(width, height);
    const int limit = CPictureSideLimit::GetCurrent();
    if (limit > 0 && std::max(width, height) > limit) {
        (void)FitToPowerOfTwo(width, height, limit);
        fits = false;
    }
    return fits;
}

// The shared decoder shrinks what it decodes while one stands.
class CDecoderSideScope
{
public:
    CDecoderSideScope(ILPicDecoder& decoder, int side) : m_decoder(decoder) { m_decoder.SetMaxSide(side); }
    ~CDecoderSideScope() { m_decoder.SetMaxSide(0); }
    CDecoderSideScope(const CDecoderSideScope&) = delete;
    CDecoderSideScope& operator=(const CDecoderSideScope&) = delete;

private:
    ILPicDecoder& m_decoder;
};

// The picture keeps its bytes and is written back; only its drawing is lost. Some
// decoders end their reason with a line break, which would cut the line in two.
void ReportUndecodedPicture(const char* reason)
{
    std::size_t length = std::strlen(reason);
    while (length > 0 && (reason[length - 1] == '\n' || reason[length - 1] == '\r')) {
        --length;
    }
    std::fprintf(stderr, "glimra: a picture in the model cannot be read (%.*s); it is not drawn, but kept\n",
                 static_cast<int>(length), reason);
}

// Said of a picture that decoded only in part, as ReportUndecodedPicture is of one that did not.
void ReportCutShortPicture(const std::string& which)
{
    std::fprintf(stderr, "glimra: %s is cut short (it asks for too much drawing); what was drawn is kept\n",
                 which.c_str());
}

// The alpha of one pixel of a bitmap with alpha: its own byte at 32 bits, its palette
// entry's at 1 and 8 bits.
std::uint8_t AlphaAt(const ILBmp& bmp, const std::uint8_t* row, int x)
{
    switch (bmp.GetBitsPerPixel()) {
    case 32: return reinterpret_cast<const ILPixel32*>(row)[x].a;
    case 8: return bmp.GetPalette()[row[x]].a;
    case 1: return bmp.GetPalette()[(row[x / 8] >> (7 - x % 8)) & 1].a;
    default: return 255;
    }
}

// Rows packed without padding, ((depth + 7) / 8) × width bytes each. A row of the bitmap
// that is shorter (1-bit rows) is copied whole and the rest of the block row left 0.
std::uint8_t* PackedCopy(const ILBmp& bmp)
{
    const int depth = bmp.GetBitsPerPixel();
    const auto width = static_cast<std::size_t>(bmp.GetWidth());
    const auto height = static_cast<std::size_t>(bmp.GetHeight());
    const std::size_t blockRow = static_cast<std::size_t>((depth + 7) / 8) * width;
    const std::size_t bitmapRow = (width * static_cast<std::size_t>(depth) + 7) / 8;
    HeapBlock block = AllocateBlock(blockRow * height);
    if (!block) {
        return nullptr;
    }
    std::memset(block.get(), 0, blockRow * height);
    const std::size_t copied = std::min(blockRow, bitmapRow);
    for (std::size_t y = 0; y < height; ++y) {
        std::memcpy(block.get() + y * blockRow, bmp.GetLineArray()[y], copied);
    }
    return block.release();
}

double FiniteOrZero(double value)
{
    return std::isfinite(value) ? value : 0.0;
}

double WrapHue(double hue)
{
    if (std::fabs(hue) > kHueFoldLimit) {
        hue = std::fmod(hue, 360.0);
    }
    while (hue < -kTolerance) {
        hue += 360.0;
    }
    while (hue - 360.0 >= kTolerance) {
        hue -= 360.0;
    }
    return hue;
}

struct ColourShift
{
    double hue = 0.0;
    double lightness = 0.0;
    double saturation = 0.0;
    bool hueIsRelative = false;
};

void ShiftColour(ILPixel32& pixel, const ColourShift& shift)
{
    double hue = 0.0;
    double lightness = 0.0;
    double saturation = 0.0;
    RGBToHSL(pixel.r, pixel.g, pixel.b, hue, lightness, saturation);
    hue = WrapHue(shift.hueIsRelative ? hue + shift.hue : shift.hue);
    saturation += shift.saturation;
    if (saturation <= -kTolerance) {
        saturation = 0.0;
    } else if (saturation - 1.0 >= kTolerance) {
        saturation = 1.0;
    }
    lightness += shift.lightness;
    if (kMinimumLightness - lightness >= kTolerance) {
        lightness = kMinimumLightness;
    } else if (lightness - 1.0 >= kTolerance) {
        lightness = 1.0;
    }
    if (std::fabs(saturation) >= kTolerance) {
        HSLToRGB(hue, lightness, saturation, pixel.r, pixel.g, pixel.b);
        return;
    }
    const auto grey = lightness >= 1.0 ? std::uint8_t{255} : static_cast<std::uint8_t>(lightness * 255.0);
    pixel.Set(grey, grey, grey);
}

// A 32-bit bitmap's colours shifted (when shift is given) and alphas scaled by alpha / 255.
void AdjustPixels(ILBmp& bmp, const ColourShift* shift, int alpha)
{
    const double alphaScale = alpha / 255.0;
    for (int y = 0; y < bmp.GetHeight(); ++y) {
        ILPixel32* row = Row32(bmp, y);
        for (int x = 0; x < bmp.GetWidth(); ++x) {
            if (shift != nullptr) {
                ShiftColour(row[x], *shift);
            }
            if (alpha != 255) {
                row[x].a = static_cast<std::uint8_t>(row[x].a * alphaScale);
            }
        }
    }
}

}  // namespace

CDib* CImageLibApp::LoadImageFile(const CString& fileName)
{
    auto bmp = std::make_unique<ILAnyBmp>();
    SharedDecoder().MakeBmpFromFileW(fileName, *bmp, 32);
    if (SharedDecoder().IsCutShort()) {
        ReportCutShortPicture("the picture " + fileName.ToUtf8());
    }
    MakeOpaqueUnlessAlpha(*bmp);
    auto dib = std::make_unique<CDib>();
    const int width = bmp->GetWidth();
    const int height = bmp->GetHeight();
    const bool alpha = bmp->HasAlpha();
    dib->Create(bmp.release(), ImageTypeCodeForName(fileName), width, height, alpha);

    ILFileSource source;
    const int code = source.OpenW(fileName);
    if (code != ILTextException::none) {
        throw ILTextException(code, "Opening " + fileName.ToUtf8() + " failed");
    }
    const std::int64_t size = source.GetFileSize();
    if (size > CDib::kMaxEncodedBytes) {
        throw ILTextException(ILTextException::noMemory, "Image file too large to keep.");
    }
    HeapBlock bytes = AllocateBlock(static_cast<std::size_t>(size));
    if (!bytes) {
        throw ILTextException(ILTextException::noMemory, "Out of memory.");
    }
    std::memcpy(bytes.get(), source.GetBufferPtr(size), static_cast<std::size_t>(size));
    source.Close();
    dib->SetPixelBuffer(bytes.release(), static_cast<int>(size));
    return dib.release();
}

CDib* CImageLibApp::MakeDib(int width, int height, int bitsPerPixel, const std::uint8_t* pixels)
{
    if (pixels == nullptr) {
        return nullptr;
    }
    auto bmp = std::make_unique<ILAnyBmp>();
    bmp->CreateFromData(width, height, bitsPerPixel, bitsPerPixel == 32, false, pixels, 0, ILPoint(0, 0));
    int opaque = 0;
    int transparent = 0;
    CountOpaqueAndTransparent(bmp.get(), opaque, transparent);
    if (transparent == 0) {
        MakeAllOpaque(*bmp);
    }
    auto dib = std::make_unique<CDib>();
    const bool alpha = bmp->HasAlpha();
    dib->Create(bmp.release(), kImageTypeUnknown, width, height, alpha);
    int byteCount = 0;
    int typeCode = 0;
    std::uint8_t* bytes = EncodePngToMemory(dib.get(), byteCount, typeCode);
    dib->SetPixelBuffer(bytes, byteCount);
    return dib.release();
}

bool CImageLibApp::SaveImageFile(const CDib* dib, const CString& fileName)
{
    if (dib == nullptr || dib->GetImage() == nullptr) {
        return false;
    }
    return SaveBitmapFile(*dib->GetImage(), fileName);
}

bool CImageLibApp::SaveBitmapFile(const ILBmp& bmp, const CString& fileName)
{
    const std::unique_ptr<ILPicEncoder> encoder = MakeEncoderForName(fileName);
    if (!encoder) {
        return false;
    }
    encoder->MakeFileFromBmpW(fileName, bmp);
    return true;
}

std::uint8_t* CImageLibApp::EncodePngToMemory(const CDib* dib, int& byteCount, int& typeCode)
{
    if (dib == nullptr || dib->GetImage() == nullptr) {
        return nullptr;
    }
    const ILBmp& bmp = *dib->GetImage();
    typeCode = kImageTypePng;
    const std::size_t estimate = static_cast<std::size_t>(bmp.GetWidth()) * static_cast<std::size_t>(bmp.GetHeight()) * 4 +
                                 kPngEstimateSlack;
    ILMemSink sink;
    if (sink.Open("tmp.png", estimate) != 0) {
        throw ILTextException(ILTextException::noMemory, "Out of memory.");
    }
    ILPNGEncoder encoder;
    encoder.SetCompressionLevel(kPngCompression);
    encoder.SaveBmp(bmp, sink);
    const std::size_t written = sink.GetDataSize();
    if (written > static_cast<std::size_t>(CDib::kMaxEncodedBytes)) {
        throw ILTextException(ILTextException::noMemory, "Encoded image too large to keep.");
    }
    HeapBlock bytes = AllocateBlock(written);
    if (!bytes) {
        throw ILTextException(ILTextException::noMemory, "Out of memory.");
    }
    std::memcpy(bytes.get(), sink.GetBytes(), written);
    sink.Close();
    byteCount = static_cast<int>(written);
    return bytes.release();
}

bool CImageLibApp::DecodeFromMemory(int typeCode, const std::uint8_t* data, int byteCount, CDib* dib)
{
    if (dib == nullptr || data == nullptr || byteCount <= 0) {
        return false;
    }
    try {
        auto bmp = std::make_unique<ILAnyBmp>();
        {
            const CDecoderSideScope shrink(SharedDecoder(), GetModelPictureMaxSide());
            SharedDecoder().MakeBmpFromMemory(data, byteCount, *bmp, 0);
        }
        // The decoder's description keeps the picture's own size.
        const int sourceWidth = SharedDecoder().GetWidth();
        const int sourceHeight = SharedDecoder().GetHeight();
        if (SharedDecoder().IsCutShort()) {
            ReportCutShortPicture("a picture in the model (" + std::to_string(sourceWidth) + " x " +
                                  std::to_string(sourceHeight) + " pixels)");
        }
        bmp = AtDepth32(std::move(bmp));
        MakeOpaqueUnlessAlpha(*bmp);
        const int width = bmp->GetWidth();
        const int height = bmp->GetHeight();
        const bool alpha = bmp->HasAlpha();
        dib->Create(bmp.release(), typeCode, width, height, alpha);
        dib->SetSourceSize(sourceWidth, sourceHeight);
        return true;
    } catch (const std::exception& e) {
        ReportUndecodedPicture(e.what());
    } catch (...) {
        ReportUndecodedPicture("unknown failure");
    }
    return false;
}

bool CImageLibApp::ReadPictureHeader(const std::uint8_t* data, int byteCount, PictureHeader& header)
{
    if (data == nullptr || byteCount <= 0) {
        return false;
    }
    ILAnyPicDecoder& decoder = SharedDecoder();
    try {
        decoder.ReadInfoFromMemory(data, byteCount);
    } catch (const std::exception&) {
        // The decode that follows says why.
        return false;
    }
    // The other formats may find alpha only among their pixels.
    const int type = decoder.GetFileType();
    if (type != ILAnyPicDecoder::typePng && type != ILAnyPicDecoder::typeJpeg) {
        return false;
    }
    header.sourceWidth = decoder.GetWidth();
    header.sourceHeight = decoder.GetHeight();
    header.width = header.sourceWidth;
    header.height = header.sourceHeight;
    // As the decoder shrinks a picture longer than the side it is given.
    const int side = GetModelPictureMaxSide();
    if (std::max(header.width, header.height) > side) {
        ILBoxReducer::FitSize(header.width, header.height, side);
    }
    header.hasAlpha = decoder.HasAlpha();
    return true;
}

bool CImageLibApp::ResizeInPlace(CDib* dib, int width, int height)
{
    if (dib == nullptr || dib->GetImage() == nullptr) {
        return false;
    }
    ILBmp& bmp = *dib->GetImage();
    ILFilterResizeBilinear(width, height).ApplyInPlace(bmp);
    // The stored size and counts describe the bitmap; keep them true to it.
    dib->Create(&bmp, dib->GetFormatCode(), bmp.GetWidth(), bmp.GetHeight(), dib->HasAlpha());
    return true;
}

bool CImageLibApp::GetAverageColor(const ILBmp* bmp, std::uint8_t& red, std::uint8_t& green, std::uint8_t& blue)
{
    red = green = blue = 0;
    if (bmp == nullptr || bmp->GetWidth() <= 0 || bmp->GetHeight() <= 0) {
        return false;
    }
    ILAnyBmp converted;
    const ILBmp* pixels = bmp;
    if (bmp->GetBitsPerPixel() != 32) {
        converted.CreateCopy(*bmp, 32);
        pixels = &converted;
    }
    double sumRed = 0.0;
    double sumGreen = 0.0;
    double sumBlue = 0.0;
    for (int y = 0; y < pixels->GetHeight(); ++y) {
        const ILPixel32* row = Row32(*pixels, y);
        for (int x = 0; x < pixels->GetWidth(); ++x) {
            sumRed += row[x].r;
            sumGreen += row[x].g;
            sumBlue += row[x].b;
        }
    }
    const double scale = 1.0 / (static_cast<double>(pixels->GetWidth()) * pixels->GetHeight());
    red = static_cast<std::uint8_t>(sumRed * scale);
    green = static_cast<std::uint8_t>(sumGreen * scale);
    blue = static_cast<std::uint8_t>(sumBlue * scale);
    return true;
}

std::uint8_t* CImageLibApp::AllocBuffer(std::size_t byteCount)
{
    return AllocateBlock(byteCount).release();
}

void CImageLibApp::FreeBuffer(void* block)
{
    std::free(block);
}

void CImageLibApp::DeleteBitmap(ILBmp* bmp)
{
    delete bmp;
}

ILAnyBmp* CImageLibApp::CopyBitmap(const ILBmp* bmp)
{
    if (bmp == nullptr) {
        return nullptr;
    }
    try {
        return new ILAnyBmp(*bmp);
    } catch (const std::bad_alloc&) {
        return nullptr;
    } catch (const ILTextException&) {
        return nullptr;
    }
}

int CImageLibApp::GetBitsPerPixel(const ILBmp* bmp)
{
    return bmp != nullptr ? bmp->GetBitsPerPixel() : 0;
}

std::uint8_t* CImageLibApp::ResizeBuffer(const ILBmp* bmp, int width, int height)
{
    if (bmp == nullptr) {
        return nullptr;
    }
    if ((width == 0 && height == 0) || (width == bmp->GetWidth() && height == bmp->GetHeight())) {
        return PackedCopy(*bmp);
    }
    ILAnyBmp resized;
    ILFilterResizeBilinear(width, height).Apply(*bmp, resized);
    return PackedCopy(resized);
}

std::uint8_t* CImageLibApp::AdjustImage(const ILBmp* bmp, int alpha, double hue, double lightness, double saturation,
                                        bool hueIsRelative, int& width, int& height, int& bitsPerPixel,
                                        bool fitToTextureSize)
{
    if (bmp == nullptr) {
        return nullptr;
    }
    width = bmp->GetWidth();
    height = bmp->GetHeight();
    // Pixels are shifted and scaled as 4-byte pixels, so every depth is worked on at 32 bits.
    bitsPerPixel = 32;
    ILAnyBmp working;
    working.CreateCopy(*bmp, 32);
    int fittedWidth = width;
    int fittedHeight = height;
    if (fitToTextureSize && !FitTexture(fittedWidth, fittedHeight)) {
        ILFilterResizeBilinear(fittedWidth, fittedHeight).ApplyInPlace(working);
        width = fittedWidth;
        height = fittedHeight;
    }
    alpha = std::clamp(alpha, 0, 255);
    const ColourShift shift{FiniteOrZero(hue), FiniteOrZero(lightness), FiniteOrZero(saturation), hueIsRelative};
    const bool shifts = shift.hue != 0.0 || shift.lightness != 0.0 || shift.saturation != 0.0;
    if (shifts || alpha != 255) {
        AdjustPixels(working, shifts ? &shift : nullptr, alpha);
    }
    return PackedCopy(working);
}

bool CImageLibApp::SaveBufferToFile(const CString& fileName, int width, int height, int bitsPerPixel,
                                    const std::uint8_t* pixels)
{
    if (pixels == nullptr) {
        return false;
    }
    ILAnyBmp bmp;
    bmp.CreateFromData(width, height, bitsPerPixel, bitsPerPixel == 32, false, pixels, 0, ILPoint(0, 0));
    return SaveBitmapFile(bmp, fileName);
}

void CImageLibApp::CountOpaqueAndTransparent(const ILBmp* bmp, int& opaque, int& transparent)
{
    opaque = 0;
    transparent = 0;
    if (bmp == nullptr || bmp->GetWidth() <= 0 || bmp->GetHeight() <= 0) {
        return;
    }
    if (!bmp->HasAlpha()) {
        opaque = bmp->GetWidth() * bmp->GetHeight();
        return;
    }
    for (int y = 0; y < bmp->GetHeight(); ++y) {
        const std::uint8_t* row = bmp->GetLineArray()[y];
        for (int x = 0; x < bmp->GetWidth(); ++x) {
            const std::uint8_t a = AlphaAt(*bmp, row, x);
            opaque += a == 255 ? 1 : 0;
            transparent += a == 0 ? 1 : 0;
        }
    }
}
