#pragma once
// CGLImage: one alpha texture made from a rendered bitmap, drawn as one textured quad
// from a display list. Dark pixels become opaque, white ones clear, so the quad shows
// the current GL colour where the bitmap is dark. A bitmap wider or taller than 1024
// pixels is reduced to fit first and drawn at its own size again, coarser.
//
// GL names belong to the context that made them: once the view's context has been
// replaced (ForgetGLTextureNames) the image is stale and its names are forgotten,
// never deleted or bound. User-interface thread only, with the context current.

#include <cstdint>

class IModelView;

class CGLImage
{
public:
    // The largest side of the one texture.
    static constexpr int kLargestSide = 1024;

    CGLImage();
    CGLImage(const CGLImage&) = delete;
    CGLImage& operator=(const CGLImage&) = delete;
    virtual ~CGLImage();

    // No texture, no list, sizes 0, scale 1.0; forgets without deleting.
    void Init();
    // Deletes the texture and the list (unless stale), then Init.
    virtual void Release();
    // Releases, then makes the texture from 24- or 32-bit pixels (blue, green, red
    // first). A stride of 0 means tightly packed rows; with bottomUp the last row
    // handed in becomes the texture's bottom row. Null pixels, a size below 1 or above
    // 32768, another depth or a stride shorter than a row leave the image released.
    void Upload(int width, int height, const void* pixels, int bitsPerPixel, int stride, bool bottomUp);
    // Draws the quad (0, 0)..(width, height) with alpha test and blending; the first
    // draw outside picking and outside another list's compilation records a list.
    void Draw(const IModelView* view);

    [[nodiscard]] bool HasTexture() const { return m_texture != 0; }
    // The names were made in a context that has been replaced since.
    [[nodiscard]] bool IsStale() const;
    [[nodiscard]] unsigned GetTexture() const { return m_texture; }
    [[nodiscard]] unsigned GetDisplayList() const { return m_displayList; }
    [[nodiscard]] unsigned GetFormat() const { return m_format; }
    [[nodiscard]] int GetWidth() const { return m_width; }
    [[nodiscard]] int GetHeight() const { return m_height; }
    [[nodiscard]] int GetTextureWidth() const { return m_textureWidth; }
    [[nodiscard]] int GetTextureHeight() const { return m_textureHeight; }
    [[nodiscard]] double GetScale() const { return m_scale; }

    // The opacity of a pixel stored blue, green, red: dark is opaque.
    [[nodiscard]] static std::uint8_t AlphaOf(const std::uint8_t* bgr)
    {
        return static_cast<std::uint8_t>(255 - (bgr[2] * 30 + bgr[1] * 59 + bgr[0] * 11) / 100);
    }
    // Uploads alpha texels into the bound texture, clamped and unfiltered.
    static void UploadAlphaTexels(int width, int height, const std::uint8_t* alpha);
    // Whether a draw now may record its display list.
    [[nodiscard]] static bool MayRecordList(const IModelView* view);
    // Texturing, alpha test and blending for an alpha texture, and off again.
    static void BeginAlphaTexturing();
    static void EndAlphaTexturing();

private:
    unsigned m_texture = 0;
    unsigned m_displayList = 0;
    unsigned m_format = 0;
    int m_width = 0;
    int m_height = 0;
    int m_textureWidth = 0;
    int m_textureHeight = 0;
    double m_scale = 1.0;
    unsigned m_epoch = 0;
};
