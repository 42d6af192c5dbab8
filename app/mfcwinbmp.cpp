#include "app/mfcwinbmp.h"

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <algorithm>
#include <cstring>
#include <exception>

#include "document/dib.h"
#include "imaging/ilanypicdecoder.h"
#include "imaging/ilfilterflip.h"
#include "imaging/ilfilterresizebilinear.h"
#include "imaging/ilwinbmp.h"
#include "platform/resources.h"
#include "platform/sysinfo.h"

namespace {

constexpr const char* kSvgType = "SVG";

ILPixel32* Row(ILWinBmp& bitmap, int y)
{
    return reinterpret_cast<ILPixel32*>(bitmap.GetLineArray()[y]);
}

const ILPixel32* Row(const ILWinBmp& bitmap, int y)
{
    return reinterpret_cast<const ILPixel32*>(bitmap.GetLineArray()[y]);
}

// Every pixel of a 32-bit bitmap, row by row.
template <typename Visit>
void ForEachPixel(ILWinBmp& bitmap, Visit visit)
{
    for (int y = 0; y < bitmap.GetHeight(); ++y)
    {
        ILPixel32* row = Row(bitmap, y);
        for (int x = 0; x < bitmap.GetWidth(); ++x)
            visit(row[x]);
    }
}

// p + (c - p) × (1 − a/255), truncated and clamped, where the blend leaves p.
int BlendTruncated(int pixel, int colour, int alpha)
{
    const double value = pixel + (colour - pixel) * (1.0 - alpha / 255.0);
    return std::clamp(static_cast<int>(value), 0, 255);
}

QImage ImageOf(const ILWinBmp& bitmap)
{
    QImage image(bitmap.GetWidth(), bitmap.GetHeight(), QImage::Format_ARGB32);
    for (int y = 0; y < bitmap.GetHeight(); ++y)
        std::copy_n(reinterpret_cast<const std::uint8_t*>(Row(bitmap, y)), bitmap.GetWidth() * 4,
                    image.scanLine(y));
    return image;
}

QImage ToolbarImage(CMfcWinBmp& bmp, bool loaded, bool enabled)
{
    if (!loaded)
        return {};
    const DWORD face = GetSysColor(COLOR_BTNFACE) | 0xFF000000u;
    if (!enabled)
        bmp.MakeDisabled(face);
    return bmp.CreateIconOrCursor(false, face, CPoint{});
}

QImage RenderSvg(QSvgRenderer& renderer, int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    return image;
}

bool LoadToolbarResource(CMfcWinBmp& bmp, int id, const char* resourceType, int size)
{
    return std::strcmp(resourceType, kSvgType) == 0 ? bmp.LoadFromSvgResource(id, size, size)
                                                     : bmp.LoadFromResource(id, resourceType);
}

}  // namespace

std::uint8_t BlendChannel(int pixel, int background, int alpha)
{
    if (alpha <= 0)
        return static_cast<std::uint8_t>(background);
    if (alpha >= 255)
        return static_cast<std::uint8_t>(pixel);
    const double p = pixel / 255.0;
    const double value = p + (background / 255.0 - p) * (1.0 - alpha / 255.0);
    if (value <= 0.0)
        return 0;
    if (value >= 1.0)
        return 255;
    return static_cast<std::uint8_t>(value * 255.0);
}

CMfcWinBmp::CMfcWinBmp() = default;
CMfcWinBmp::~CMfcWinBmp() = default;
CMfcWinBmp::CMfcWinBmp(CMfcWinBmp&&) noexcept = default;
CMfcWinBmp& CMfcWinBmp::operator=(CMfcWinBmp&&) noexcept = default;

bool CMfcWinBmp::LoadFromFile(const CString& path)
{
    m_bitmap.reset();
    auto bitmap = std::make_unique<ILWinBmp>();
    ILAnyPicDecoder decoder;
    decoder.MakeBmpFromFile(path.ToUtf8().c_str(), *bitmap, 32);
    m_bitmap = std::move(bitmap);
    return HasBitmap();
}

bool CMfcWinBmp::LoadFromResource(int resourceId, const char* resourceType)
{
    m_bitmap.reset();
    auto bitmap = std::make_unique<ILWinBmp>();
    try
    {
        ILAnyPicDecoder decoder;
        decoder.MakeBmpFromResource(resourceId, *bitmap, 32, resourceType);
    }
    catch (const std::exception&)
    {
        return false;
    }
    m_bitmap = std::move(bitmap);
    return true;
}

bool CMfcWinBmp::LoadFromSvgResource(int resourceId, int width, int height)
{
    m_bitmap.reset();
    const auto bytes = FindResource(kSvgType, resourceId);
    if (!bytes || width < 1 || height < 1)
        return false;
    QSvgRenderer renderer(QByteArray::fromRawData(reinterpret_cast<const char*>(bytes->data()),
                                                  static_cast<qsizetype>(bytes->size())));
    if (!renderer.isValid())
        return false;
    return CreateFromImage(RenderSvg(renderer, width, height));
}

bool CMfcWinBmp::CreateFromDib(const CDib& dib)
{
    if (dib.GetImage() == nullptr)
        return false;
    auto bitmap = std::make_unique<ILWinBmp>();
    bitmap->CreateCopy(*dib.GetImage(), 32);
    m_bitmap = std::move(bitmap);
    return true;
}

bool CMfcWinBmp::CreateFromImage(const QImage& image)
{
    if (image.isNull())
        return false;
    const QImage source = image.convertToFormat(QImage::Format_ARGB32);
    auto bitmap = std::make_unique<ILWinBmp>();
    bitmap->CreateFromData(source.width(), source.height(), 32, true, false, source.constBits(),
                           static_cast<int>(source.bytesPerLine()), ILPoint(0, 0));
    m_bitmap = std::move(bitmap);
    return true;
}

bool CMfcWinBmp::FlipVertical()
{
    if (!HasBitmap())
        return false;
    m_bitmap->ApplyFilter(ILFilterFlip());
    return true;
}

int CMfcWinBmp::GetWidth() const
{
    return HasBitmap() ? m_bitmap->GetWidth() : 0;
}

int CMfcWinBmp::GetHeight() const
{
    return HasBitmap() ? m_bitmap->GetHeight() : 0;
}

int CMfcWinBmp::GetBitsPerPixel() const
{
    return HasBitmap() ? m_bitmap->GetBitsPerPixel() : 0;
}

const std::uint8_t* CMfcWinBmp::GetBits() const
{
    return HasBitmap() ? m_bitmap->GetBits() : nullptr;
}

QImage CMfcWinBmp::ToImage() const
{
    return HasBitmap() ? ImageOf(*m_bitmap) : QImage();
}

bool CMfcWinBmp::Draw(QPainter& painter, const CRect& rect, bool stretch) const
{
    if (!HasBitmap())
        return false;
    const QImage image = ToImage();
    if (stretch && (rect.Width() != GetWidth() || rect.Height() != GetHeight()))
        painter.drawImage(QRect(rect.left, rect.top, rect.Width(), rect.Height()), image);
    else
        painter.drawImage(rect.left, rect.top, image);
    return true;
}

bool CMfcWinBmp::DrawStretched(QPainter& painter, const CRect& rect) const
{
    if (!HasBitmap())
        return false;
    painter.drawImage(QRect(rect.left, rect.top, rect.Width(), rect.Height()), ToImage());
    return true;
}

bool CMfcWinBmp::DrawResized(QPainter& painter, const CRect& rect, bool stretch) const
{
    if (!HasBitmap())
        return false;
    ILWinBmp copy;
    copy.CreateCopy(*m_bitmap, 32);
    if (stretch && rect.Width() > 0 && rect.Height() > 0)
        copy.ApplyFilter(ILFilterResizeBilinear(rect.Width(), rect.Height()));
    painter.drawImage(rect.left, rect.top, ImageOf(copy));
    return true;
}

void CMfcWinBmp::BlendOver(DWORD colour)
{
    if (!HasBitmap() || colour == 0)
        return;
    const int red = GetRValue(colour);
    const int green = GetGValue(colour);
    const int blue = GetBValue(colour);
    const auto alpha = static_cast<std::uint8_t>(colour >> 24);
    ForEachPixel(*m_bitmap, [&](ILPixel32& p) {
        if (p.a == 0)
            p = ILPixel32(red, green, blue, alpha);
        else if (p.a != 255)
            p = ILPixel32(BlendTruncated(p.r, red, p.a), BlendTruncated(p.g, green, p.a),
                          BlendTruncated(p.b, blue, p.a), 255);
    });
}

void CMfcWinBmp::MakeDisabled(DWORD background)
{
    if (!HasBitmap() || background == 0)
        return;
    const int red = GetRValue(background);
    const int green = GetGValue(background);
    const int blue = GetBValue(background);
    ForEachPixel(*m_bitmap, [&](ILPixel32& p) {
        if (p.a == 0)
        {
            p = ILPixel32(red, green, blue, 255);
            return;
        }
        const int luminance = static_cast<int>(0.212671 * p.r + 0.71516 * p.g + 0.072169 * p.b);
        const int grey = static_cast<int>(luminance * 0.5 + 128);
        if (p.a < 255)
            p = ILPixel32(BlendTruncated(grey, red, p.a), BlendTruncated(grey, green, p.a),
                          BlendTruncated(grey, blue, p.a), 255);
        else
            p = ILPixel32(grey, grey, grey, 255);
    });
}

QImage CMfcWinBmp::CreateIconOrCursor(bool isCursor, DWORD background, CPoint) const
{
    if (!HasBitmap())
        return {};
    const int red = GetRValue(background);
    const int green = GetGValue(background);
    const int blue = GetBValue(background);
    QImage image(GetWidth(), GetHeight(), QImage::Format_ARGB32);
    for (int y = 0; y < GetHeight(); ++y)
    {
        const ILPixel32* row = Row(*m_bitmap, y);
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < GetWidth(); ++x)
        {
            const ILPixel32& p = row[x];
            const int mask = p.a > 0 ? 255 : 0;
            if (isCursor && p.a == 0)
                out[x] = qRgba(0, 0, 0, 0);
            else
                out[x] = qRgba(BlendChannel(p.r, red, p.a), BlendChannel(p.g, green, p.a),
                               BlendChannel(p.b, blue, p.a), mask);
        }
    }
    return image;
}

HCURSOR CMfcWinBmp::CreateCursor(CPoint hotSpot) const
{
    if (!HasBitmap())
        return nullptr;
    const QImage image = ToImage();
    return CreateImageCursor(image.width(), image.height(), image.constBits(), hotSpot.x, hotSpot.y);
}

CString FormatNameForExtension(const CString& name)
{
    const CString extension = name.Right(4);
    if (extension.CompareNoCase(CString(".jpg")) == 0)
        return CString("JPEG");
    if (extension.CompareNoCase(CString(".png")) == 0)
        return CString("PNG");
    if (extension.CompareNoCase(CString(".bmp")) == 0)
        return CString("BMP");
    if (extension.CompareNoCase(CString(".tif")) == 0)
        return CString("TIF");
    return {};
}

QImage CreateToolbarImageFromFile(const CString& path, bool enabled)
{
    CMfcWinBmp bmp;
    bool loaded = false;
    try
    {
        loaded = bmp.LoadFromFile(path);
    }
    catch (const std::exception&)
    {
        loaded = false;
    }
    return ToolbarImage(bmp, loaded, enabled);
}

QImage CreateToolbarImageFromResource(int id, const char* resourceType, bool enabled, int size)
{
    CMfcWinBmp bmp;
    const bool loaded = LoadToolbarResource(bmp, id, resourceType, size);
    return ToolbarImage(bmp, loaded, enabled);
}

std::pair<QImage, QImage> CreateToolbarImagesFromResource(int id, const char* resourceType, int size)
{
    CMfcWinBmp bmp;
    const bool loaded = LoadToolbarResource(bmp, id, resourceType, size);
    // The colour image leaves the picture as it is; greying it comes second.
    QImage colour = ToolbarImage(bmp, loaded, true);
    return {std::move(colour), ToolbarImage(bmp, loaded, false)};
}

QIcon CreateProgramIcon(int resourceId)
{
    QIcon icon;
    const auto bytes = FindResource(kSvgType, resourceId);
    if (!bytes)
        return icon;
    // Read once and drawn at every size straight into the icon: the program shows it first.
    QSvgRenderer renderer(QByteArray::fromRawData(reinterpret_cast<const char*>(bytes->data()),
                                                  static_cast<qsizetype>(bytes->size())));
    if (!renderer.isValid())
        return icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(RenderSvg(renderer, size, size).convertToFormat(QImage::Format_ARGB32)));
    return icon;
}

HCURSOR CreateCursorFromFile(const CString& path, CPoint hotSpot)
{
    CMfcWinBmp bmp;
    try
    {
        if (!bmp.LoadFromFile(path))
            return nullptr;
    }
    catch (const std::exception&)
    {
        return nullptr;
    }
    return bmp.CreateCursor(hotSpot);
}

HCURSOR CreateCursorFromResource(int id, const char* resourceType, CPoint hotSpot)
{
    CMfcWinBmp bmp;
    return bmp.LoadFromResource(id, resourceType) ? bmp.CreateCursor(hotSpot) : nullptr;
}
