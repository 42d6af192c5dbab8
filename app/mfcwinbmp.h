#pragma once
// CMfcWinBmp: an image-library bitmap at 32 bits per pixel with alpha, loaded from a
// file, an embedded resource, a stored model bitmap or a window-system image, and turned
// into what the interface shows: drawn plainly or stretched, blended over a colour, greyed
// for disabled buttons, made into icons (toolbar images) and cursors.
//
// Colours with alpha are 0xAABBGGRR: the stored colour with an alpha byte on top.
#include <cstdint>
#include <memory>
#include <utility>

#include "platform/cstring.h"
#include "platform/ui/cursor.h"
#include "platform/ui/uitypes.h"

class CDib;
class ILWinBmp;
class QIcon;
class QImage;
class QPainter;

class CMfcWinBmp
{
public:
    CMfcWinBmp();
    virtual ~CMfcWinBmp();
    CMfcWinBmp(const CMfcWinBmp&) = delete;
    CMfcWinBmp& operator=(const CMfcWinBmp&) = delete;
    CMfcWinBmp(CMfcWinBmp&&) noexcept;
    CMfcWinBmp& operator=(CMfcWinBmp&&) noexcept;

    // True when a bitmap exists afterwards; the image library's exceptions pass through.
    bool LoadFromFile(const CString& path);
    // True when the resource decoded; a missing or broken resource leaves no bitmap.
    bool LoadFromResource(int resourceId, const char* resourceType);
    // An "SVG" resource drawn at that size; a missing or broken picture leaves no bitmap.
    bool LoadFromSvgResource(int resourceId, int width, int height);
    // False when the stored bitmap has no decoded image.
    bool CreateFromDib(const CDib& dib);
    bool CreateFromImage(const QImage& image);
    bool FlipVertical();

    [[nodiscard]] bool HasBitmap() const { return m_bitmap != nullptr; }
    [[nodiscard]] int GetWidth() const;
    [[nodiscard]] int GetHeight() const;
    [[nodiscard]] int GetBitsPerPixel() const;
    // The bottom row first, as a device-independent bitmap keeps it; null without a bitmap.
    [[nodiscard]] const std::uint8_t* GetBits() const;
    [[nodiscard]] const ILWinBmp* GetBitmap() const { return m_bitmap.get(); }

    // The pixels as an image (transparent where alpha is 0); a null image without a bitmap.
    [[nodiscard]] QImage ToImage() const;
    // At the rectangle's corner at the image's size, or stretched into it.
    bool Draw(QPainter& painter, const CRect& rect, bool stretch) const;
    bool DrawStretched(QPainter& painter, const CRect& rect) const;
    // Resizes a copy with the image library's filter when stretching, then draws it.
    bool DrawResized(QPainter& painter, const CRect& rect, bool stretch) const;

    void BlendOver(DWORD colour);
    void MakeDisabled(DWORD background);
    // Colour pixels over the background where alpha is above 0 (every pixel for an icon),
    // alpha 255 there and 0 elsewhere (the mask). A null image without a bitmap.
    [[nodiscard]] QImage CreateIconOrCursor(bool isCursor, DWORD background, CPoint hotSpot) const;
    // A cursor that keeps the image's alpha; null without a bitmap.
    [[nodiscard]] HCURSOR CreateCursor(CPoint hotSpot) const;

private:
    std::unique_ptr<ILWinBmp> m_bitmap;
};

// One channel of a pixel over a background channel at an alpha.
[[nodiscard]] std::uint8_t BlendChannel(int pixel, int background, int alpha);
// "JPEG", "PNG", "BMP" or "TIF" by the last four characters of the name; else empty.
[[nodiscard]] CString FormatNameForExtension(const CString& name);
// A toolbar image over the button face, greyed when not enabled; a null image when the
// image does not load. An "SVG" resource is drawn size pixels square.
[[nodiscard]] QImage CreateToolbarImageFromFile(const CString& path, bool enabled);
[[nodiscard]] QImage CreateToolbarImageFromResource(int id, const char* resourceType, bool enabled, int size = 0);
// The colour and the greyed image of a resource at once (first and second), drawn once.
[[nodiscard]] std::pair<QImage, QImage> CreateToolbarImagesFromResource(int id, const char* resourceType, int size);
// The program's icon at the sizes a desktop asks for; an empty icon without its picture.
[[nodiscard]] QIcon CreateProgramIcon(int resourceId);
// Null when the image does not load.
[[nodiscard]] HCURSOR CreateCursorFromFile(const CString& path, CPoint hotSpot);
[[nodiscard]] HCURSOR CreateCursorFromResource(int id, const char* resourceType, CPoint hotSpot);
