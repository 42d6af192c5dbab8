#pragma once
// CPCImageLibApp: the image service of the program, adding to CImageLibApp the
// operations on the program's bitmap and PNG resources and on the window system's
// bitmaps and device contexts.
//
// A window-system bitmap is the view's rendered pixels; a device context is drawn on by
// the painter the windowing layer installs, and drawing fails without one.

#include "document/imageadapter/imagelibapp.h"

class CPCImageLibApp : public CImageLibApp
{
public:
    CPCImageLibApp() = default;
    ~CPCImageLibApp() override = default;

    // Depths other than 24 and 32 are converted to 32 first; 24-bit pixels get alpha 255.
    // The block has 4 bytes per pixel, rows in memory order (bottom row first), and
    // bitsPerPixel is set to 32. Throws ILTextException fileNotFound when the "BITMAP"
    // resource is missing, and what reading it throws; noMemory when no block can be had.
    [[nodiscard]] std::uint8_t* LoadBitmapResource(int resourceId, int& width, int& height,
                                                   int& bitsPerPixel) override;
    // The "PNG" resource decoded and turned top row first; depths other than 24 and 32 are
    // converted to 32 first, 24-bit pixels get alpha 255. The block has 4 bytes per pixel and
    // bitsPerPixel is set to 32. Throws ILTextException when the resource is missing or does
    // not decode; noMemory when no block can be had.
    [[nodiscard]] std::uint8_t* LoadPngResource(int resourceId, int& width, int& height,
                                                int& bitsPerPixel) override;
    // A 32-bit copy of the bitmap in a new stored image of type PNG, without encoded
    // bytes (they are made when the image is written); null for a null handle or one
    // whose pixels cannot be held.
    [[nodiscard]] CDib* DibFromHBitmap(HBITMAP bitmap) override;
    // Writes the bitmap with the encoder of the name's extension; false only for ".tga"
    // (also when no encoder matched, nothing is written and the answer is true). Throws
    // what the encoder throws; false for a null handle.
    bool SaveWinBmpFile(HBITMAP bitmap, const CString& fileName) override;
    // Through the installed painter; false without one or without a bitmap.
    bool DrawBitmap(const ILBmp* bmp, HPAINTDC deviceContext, int x, int y, int width, int height) override;
};
