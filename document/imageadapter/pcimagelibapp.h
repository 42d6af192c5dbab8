#pragma once
// CPCImageLibApp: the image service of the program, adding to CImageLibApp the
// operations on the program's bitmap and PNG resources and on the window system's
// bitmaps and device contexts.
//
// The window system's bitmaps and device contexts do not exist until the view does:
// DibFromHBitmap, SaveWinBmpFile and DrawBitmap report failure until then.

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
    // Null: no window-system bitmaps yet.
    [[nodiscard]] CDib* DibFromHBitmap(HBITMAP bitmap) override;
    // False, writing nothing: no window-system bitmaps yet.
    bool SaveWinBmpFile(HBITMAP bitmap, const CString& fileName) override;
    // False, drawing nothing: no device contexts yet.
    bool DrawBitmap(const ILBmp* bmp, HDC deviceContext, int x, int y, int width, int height) override;
};
