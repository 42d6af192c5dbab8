#pragma once
// CImageLibApp: the image service over the image library's heap bitmaps (ILAnyBmp) and
// one shared format-detecting decoder. It keeps nothing between calls. The operations
// that need the window system's bitmaps and drawing are left to CPCImageLibApp.
//
// File names are handed to the library as UTF-8, the file system's encoding here.

#include "document/imageadapter/imageapp.h"

class CImageLibApp : public IImageApp
{
public:
    CImageLibApp() = default;
    CImageLibApp(const CImageLibApp&) = delete;
    CImageLibApp& operator=(const CImageLibApp&) = delete;
    ~CImageLibApp() override = default;

    [[nodiscard]] CDib* LoadImageFile(const CString& fileName) override;
    [[nodiscard]] CDib* MakeDib(int width, int height, int bitsPerPixel, const std::uint8_t* pixels) override;
    bool SaveImageFile(const CDib* dib, const CString& fileName) override;
    [[nodiscard]] std::uint8_t* EncodePngToMemory(const CDib* dib, int& byteCount, int& typeCode) override;
    bool DecodeFromMemory(int typeCode, const std::uint8_t* data, int byteCount, CDib* dib) override;
    bool ReadPictureHeader(const std::uint8_t* data, int byteCount, PictureHeader& header) override;
    bool ResizeInPlace(CDib* dib, int width, int height) override;
    bool GetAverageColor(const ILBmp* bmp, std::uint8_t& red, std::uint8_t& green, std::uint8_t& blue) override;
    [[nodiscard]] std::uint8_t* AllocBuffer(std::size_t byteCount) override;
    void FreeBuffer(void* block) override;
    void DeleteBitmap(ILBmp* bmp) override;
    [[nodiscard]] ILAnyBmp* CopyBitmap(const ILBmp* bmp) override;
    [[nodiscard]] int GetBitsPerPixel(const ILBmp* bmp) override;
    [[nodiscard]] std::uint8_t* ResizeBuffer(const ILBmp* bmp, int width, int height) override;
    [[nodiscard]] std::uint8_t* AdjustImage(const ILBmp* bmp, int alpha, double hue, double lightness,
                                            double saturation, bool hueIsRelative, int& width, int& height,
                                            int& bitsPerPixel, bool fitToTextureSize) override;
    bool SaveBufferToFile(const CString& fileName, int width, int height, int bitsPerPixel,
                          const std::uint8_t* pixels) override;
    void CountOpaqueAndTransparent(const ILBmp* bmp, int& opaque, int& transparent) override;

private:
    // Writes the bitmap with the encoder the name's extension selects; false when none does.
    static bool SaveBitmapFile(const ILBmp& bmp, const CString& fileName);
};
