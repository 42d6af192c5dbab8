#pragma once
// IGLTextImageCache: one label of text, rendered once into a bitmap in a font and kept
// as an alpha texture, so that drawing it again costs one display-list call until its
// text, alignment or font changes. The view makes the caches (IModelView::
// CreateTextImageCache); their owners (texts, dimensions, the view) keep them and set
// the text each time they draw. The label is drawn as the current GL colour where the
// rendered text is dark. User-interface thread only, with the view's context current.

#include "platform/cstring.h"

class CTwFont;
class ITarnisView;

class IGLTextImageCache
{
public:
    // Text alignment of the lines of a block.
    static constexpr int kAlignLeft = 0;
    static constexpr int kAlignCentre = 1;
    static constexpr int kAlignRight = 2;

    virtual ~IGLTextImageCache() = default;

    // Builds the image from a rendered bitmap of 24 or 32 bits per pixel (blue, green,
    // red order); a stride of 0 means tightly packed rows. With bottomUp the first row
    // handed in becomes the top of the label. Null pixels leave the cache empty.
    virtual void UploadTexture(int width, int height, const void* pixels, int bitsPerPixel, int stride,
                               bool bottomUp) = 0;
    // Draws the label over (0, 0)..(width, height) of the current model-view frame.
    // Nothing without an image.
    virtual void Draw(ITarnisView* view) = 0;
    // The bitmap's size in pixels; 0 without an image.
    [[nodiscard]] virtual int GetWidth() const = 0;
    [[nodiscard]] virtual int GetHeight() const = 0;
    // Renders the text unless text, alignment and font (by address) are what the image
    // was made from and its GL names are still those of the current context. An empty
    // text leaves no image.
    virtual void SetText(const CString& text, int alignment, CTwFont* font, ITarnisView* view) = 0;
    // Forgets the key and releases the image.
    virtual void Reset() = 0;
    // False for a scale that is not a finite number other than 0 or an alignment
    // outside 0..2.
    [[nodiscard]] virtual bool IsValid() const = 0;
};
