#pragma once
// IImageApp: the program's image service. Model code loads, saves, decodes and encodes
// images only through it; the application shell alone uses the image library's
// classes directly. Obtain the one service object with GetImageLibApp.
//
// Pixel blocks handed across the interface come from AllocBuffer (the process heap)
// and are released with FreeBuffer. Unless an operation says otherwise their rows are
// packed without padding, top row first, 4 bytes per pixel in the order blue, green,
// red, alpha.
//
// Image type codes kept with a stored image: 0 unknown, 1 JPEG, 2 BMP, 3 TIFF, 4 PNG or
// TGA, 5 GIF.

#include <cstddef>
#include <cstdint>

#include "platform/cstring.h"

class CDib;
class ILAnyBmp;
class ILBmp;

// Handles of the window system's drawing objects: a bitmap is the view's rendered pixels
// (platform/bitmaphandle.h); a device context is whatever the program's windows draw with,
// reached through the painter they install (SetBitmapPainter).
using HBITMAP = struct HBITMAP__*;
// Named apart from the OpenGL devices' HDC (platform/gl/wgl.h), which the windows use too.
using HPAINTDC = struct HDC__*;

class IImageApp
{
public:
    virtual ~IImageApp();

    // A new stored image decoded from the file (format found from the content) at 32 bits,
    // its type code taken from the name's extension, holding the file's bytes as its encoded
    // bytes. Throws ILTextException when the file cannot be read or decoded.
    [[nodiscard]] virtual CDib* LoadImageFile(const CString& fileName) = 0;
    // A new stored image from packed pixel rows, with its PNG encoding as the encoded bytes.
    // Null when the pixels are null. Throws ILTextException for an unsupported depth, a bad
    // size, or a failed encode.
    [[nodiscard]] virtual CDib* MakeDib(int width, int height, int bitsPerPixel, const std::uint8_t* pixels) = 0;
    // Writes the stored image's bitmap with the encoder its extension names. False, writing
    // nothing, for a null stored image, one without a bitmap, or a name without an encoder.
    // Throws ILTextException when the file cannot be written.
    virtual bool SaveImageFile(const CDib* dib, const CString& fileName) = 0;
    // The stored image's bitmap as PNG in a new block (free it with FreeBuffer); byteCount
    // gets its size and typeCode 4. Null, leaving the outputs alone, for a null stored image
    // or one without a bitmap. Throws ILTextException when encoding fails.
    [[nodiscard]] virtual std::uint8_t* EncodePngToMemory(const CDib* dib, int& byteCount, int& typeCode) = 0;
    // Decodes the bytes by their content at 32 bits into the stored image (CDib::Create with
    // the given type code). Every failure answers false and leaves the stored image unchanged.
    virtual bool DecodeFromMemory(int typeCode, const std::uint8_t* data, int byteCount, CDib* dib) = 0;
    // What a picture's header tells without decoding its pixels: the size DecodeFromMemory
    // would give its bitmap now, its own size, and whether it has alpha.
    struct PictureHeader
    {
        int width = 0;
        int height = 0;
        int sourceWidth = 0;
        int sourceHeight = 0;
        bool hasAlpha = false;
    };
    // Reads the header of encoded bytes by their content. False, leaving the header alone and
    // saying nothing, when the header does not read or its format learns what it holds only
    // from its pixels: a decode must tell then. A header that reads says nothing of whether
    // the pixels after it decode.
    virtual bool ReadPictureHeader(const std::uint8_t* data, int byteCount, PictureHeader& header) = 0;
    // Resizes the stored image's bitmap (32 bits) in place. Throws ILTextException for a
    // bitmap of another depth or a negative size.
    virtual bool ResizeInPlace(CDib* dib, int width, int height) = 0;
    // The mean red, green and blue of the pixels, each truncated. False, with the outputs 0,
    // for a null bitmap or one without pixels.
    virtual bool GetAverageColor(const ILBmp* bmp, std::uint8_t& red, std::uint8_t& green, std::uint8_t& blue) = 0;
    // A heap block (malloc); null when it cannot be had.
    [[nodiscard]] virtual std::uint8_t* AllocBuffer(std::size_t byteCount) = 0;
    // Releases a block from AllocBuffer or from any operation returning one; null is ignored.
    virtual void FreeBuffer(void* block) = 0;
    // Destroys a bitmap made by the service; null is ignored.
    virtual void DeleteBitmap(ILBmp* bmp) = 0;
    // A new exact copy; null for a null bitmap or when memory runs out.
    [[nodiscard]] virtual ILAnyBmp* CopyBitmap(const ILBmp* bmp) = 0;
    // The bitmap's depth; 0 for null.
    [[nodiscard]] virtual int GetBitsPerPixel(const ILBmp* bmp) = 0;
    // The pixels resized to width × height in a new block of |height| × ((depth + 7) / 8) ×
    // width bytes; 0 × 0 or the bitmap's own size copies the pixels unchanged. Null for a null
    // bitmap. Throws ILTextException when a resize is needed and the bitmap is not 32 bits.
    [[nodiscard]] virtual std::uint8_t* ResizeBuffer(const ILBmp* bmp, int width, int height) = 0;
    // A 32-bit copy of the pixels, fitted to a texture size when asked, with hue, lightness
    // and saturation shifted and alpha scaled by alpha / 255. The outputs give the block's
    // shape. Null for a null bitmap.
    [[nodiscard]] virtual std::uint8_t* AdjustImage(const ILBmp* bmp, int alpha, double hue, double lightness,
                                                    double saturation, bool hueIsRelative, int& width, int& height,
                                                    int& bitsPerPixel, bool fitToTextureSize) = 0;
    // As SaveImageFile for packed pixel rows (alpha when 32 bits deep).
    virtual bool SaveBufferToFile(const CString& fileName, int width, int height, int bitsPerPixel,
                                  const std::uint8_t* pixels);
    // A bitmap resource of the program as a block of 32-bit pixels in the bitmap's own row
    // order (bottom row first). Throws ILTextException when there is no such resource.
    [[nodiscard]] virtual std::uint8_t* LoadBitmapResource(int resourceId, int& width, int& height,
                                                           int& bitsPerPixel) = 0;
    // A PNG resource of the program as a block of 32-bit pixels, top row first. Throws
    // ILTextException when there is no such resource or it does not decode.
    [[nodiscard]] virtual std::uint8_t* LoadPngResource(int resourceId, int& width, int& height,
                                                        int& bitsPerPixel) = 0;
    // A new stored image from a window-system bitmap; null when none can be made.
    [[nodiscard]] virtual CDib* DibFromHBitmap(HBITMAP bitmap) = 0;
    // Writes a window-system bitmap to an image file; false when nothing could be written.
    virtual bool SaveWinBmpFile(HBITMAP bitmap, const CString& fileName) = 0;
    // Pixels with alpha 255 and with alpha 0; without alpha every pixel is opaque. Both 0 for
    // a null bitmap.
    virtual void CountOpaqueAndTransparent(const ILBmp* bmp, int& opaque, int& transparent) = 0;
    // Draws the bitmap into a rectangle of a device context; false when it could not.
    virtual bool DrawBitmap(const ILBmp* bmp, HPAINTDC deviceContext, int x, int y, int width, int height) = 0;
};

// Draws a bitmap into a rectangle of a device context; the windowing layer installs one.
using BitmapPainter = bool (*)(const ILBmp& bmp, HPAINTDC deviceContext, int x, int y, int width, int height);
// Null uninstalls: drawing then reports failure.
void SetBitmapPainter(BitmapPainter painter);

// The one image service of the program, made on first use and kept to the very end of the
// process, so that stored images released during exit still reach it. Never null.
[[nodiscard]] IImageApp* GetImageLibApp();
