#include "document/imageadapter/pcimagelibapp.h"

#include <cstdlib>
#include <memory>

#include "document/dib.h"
#include "document/imageadapter/imagefiletypes.h"
#include "imaging/ilanybmp.h"
#include "imaging/ilpicencoder.h"

#include "imaging/ilanypicdecoder.h"
#include "imaging/ilfilterflip.h"
#include "imaging/iltextexception.h"
#include "imaging/ilwinbmp.h"

namespace {

constexpr const char* kPngResourceType = "PNG";

BitmapPainter g_bitmapPainter = nullptr;

bool IsTrueColour(const ILBmp& bmp)
{
    return bmp.GetBitsPerPixel() == 24 || bmp.GetBitsPerPixel() == 32;
}

// Blue, green, red and alpha of every pixel, memory row after memory row, each source row
// starting at its padded row start.
std::uint8_t* CopyToPixelBlock(const ILWinBmp& bmp, int& width, int& height, int& bitsPerPixel)
{
    width = bmp.GetWidth();
    height = bmp.GetHeight();
    bitsPerPixel = 32;
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    auto* block = static_cast<std::uint8_t*>(std::malloc(pixels > 0 ? pixels * 4 : 1));
    if (block == nullptr) {
        throw ILTextException(ILTextException::noMemory, "Out of memory.");
    }
    const int sourceBytes = bmp.GetBitsPerPixel() / 8;
    const std::uint8_t* bits = bmp.GetBits();
    std::uint8_t* out = block;
    for (int row = 0; row < height; ++row) {
        const std::uint8_t* in = bits + static_cast<std::size_t>(row) * static_cast<std::size_t>(bmp.GetBytesPerLine());
        for (int x = 0; x < width; ++x, in += sourceBytes, out += 4) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
            out[3] = sourceBytes == 4 ? in[3] : 255;
        }
    }
    return block;
}

}  // namespace

std::uint8_t* CPCImageLibApp::LoadBitmapResource(int resourceId, int& width, int& height, int& bitsPerPixel)
{
    ILWinBmp bmp;
    bmp.CreateFromResource(resourceId);
    if (IsTrueColour(bmp)) {
        return CopyToPixelBlock(bmp, width, height, bitsPerPixel);
    }
    ILWinBmp converted;
    converted.CreateCopy(bmp, 32);
    return CopyToPixelBlock(converted, width, height, bitsPerPixel);
}

std::uint8_t* CPCImageLibApp::LoadPngResource(int resourceId, int& width, int& height, int& bitsPerPixel)
{
    ILWinBmp bmp;
    ILAnyPicDecoder decoder;
    decoder.MakeBmpFromResource(resourceId, bmp, 0, kPngResourceType);
    // The bitmap keeps its bottom row first in memory; flipped, memory order is top row first.
    ILFilterFlip().ApplyInPlace(bmp);
    if (IsTrueColour(bmp)) {
        return CopyToPixelBlock(bmp, width, height, bitsPerPixel);
    }
    ILWinBmp converted;
    converted.CreateCopy(bmp, 32);
    return CopyToPixelBlock(converted, width, height, bitsPerPixel);
}

CDib* CPCImageLibApp::DibFromHBitmap(HBITMAP bitmap)
{
    if (bitmap == nullptr) {
        return nullptr;
    }
    try {
        ILWinBmp windowBitmap;
        windowBitmap.CreateFromHBitmap(bitmap);
        auto copy = std::make_unique<ILAnyBmp>();
        copy->CreateCopy(windowBitmap);
        const int width = copy->GetWidth();
        const int height = copy->GetHeight();
        const bool alpha = copy->HasAlpha();
        auto dib = std::make_unique<CDib>();
        dib->Create(copy.release(), kImageTypePng, width, height, alpha);
        return dib.release();
    } catch (const ILTextException&) {
        return nullptr;
    }
}

bool CPCImageLibApp::SaveWinBmpFile(HBITMAP bitmap, const CString& fileName)
{
    if (bitmap == nullptr) {
        return false;
    }
    ILWinBmp windowBitmap;
    windowBitmap.CreateFromHBitmap(bitmap);
    if (IsTgaName(fileName)) {
        return false;
    }
    if (const std::unique_ptr<ILPicEncoder> encoder = MakeEncoderForName(fileName)) {
        encoder->MakeFileFromBmpW(fileName, windowBitmap);
    }
    return true;
}

bool CPCImageLibApp::DrawBitmap(const ILBmp* bmp, HPAINTDC deviceContext, int x, int y, int width, int height)
{
    return bmp != nullptr && g_bitmapPainter != nullptr && g_bitmapPainter(*bmp, deviceContext, x, y, width, height);
}

void SetBitmapPainter(BitmapPainter painter)
{
    g_bitmapPainter = painter;
}

IImageApp* GetImageLibApp()
{
    // Never destroyed: stored images that static objects hold release their bitmaps
    // through it at exit, after any function-local object would have gone.
    static CPCImageLibApp* const app = new CPCImageLibApp;
    return app;
}
