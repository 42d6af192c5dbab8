#include "platform/ui/qtclipboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <cstring>

namespace {

// A bitmap file is its 14-byte file header followed by the DIB.
constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;

QClipboard* SystemClipboard()
{
    return QGuiApplication::instance() != nullptr ? QGuiApplication::clipboard() : nullptr;
}

std::uint32_t ReadU32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void WriteU32(QByteArray& bytes, int at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// The picture on the clipboard; null when it holds none.
QImage ClipboardImage()
{
    QClipboard* clipboard = SystemClipboard();
    const QMimeData* data = clipboard != nullptr ? clipboard->mimeData() : nullptr;
    return data != nullptr && data->hasImage() ? clipboard->image() : QImage();
}

}  // namespace

bool CQtClipboard::IsFormatAvailable(UINT format)
{
    return (format == CF_DIB || format == CF_BITMAP) && !ClipboardImage().isNull();
}

bool CQtClipboard::SetDib(const std::vector<std::uint8_t>& dib)
{
    QClipboard* clipboard = SystemClipboard();
    if (clipboard == nullptr || dib.size() < kInfoHeaderSize || ReadU32(dib.data()) != kInfoHeaderSize)
        return false;
    // The bits start after the header and the colour table, whose size the depth gives.
    const int depth = dib[14] | (dib[15] << 8);
    const std::uint32_t table = depth < 16 ? 4u << depth : 0u;
    QByteArray file(kFileHeaderSize, '\0');
    file[0] = 'B';
    file[1] = 'M';
    WriteU32(file, 2, static_cast<std::uint32_t>(kFileHeaderSize + dib.size()));
    WriteU32(file, 10, kFileHeaderSize + kInfoHeaderSize + table);
    file.append(reinterpret_cast<const char*>(dib.data()), static_cast<qsizetype>(dib.size()));
    QImage image;
    if (!image.loadFromData(file, "BMP"))
        return false;
    clipboard->clear();
    clipboard->setImage(image);
    return true;
}

bool CQtClipboard::GetDib(std::vector<std::uint8_t>& dib)
{
    const QImage image = ClipboardImage();
    if (image.isNull())
        return false;
    QByteArray file;
    QBuffer buffer(&file);
    buffer.open(QIODevice::WriteOnly);
    if (!image.convertToFormat(QImage::Format_RGB32).save(&buffer, "BMP") || file.size() <= kFileHeaderSize)
        return false;
    dib.assign(file.begin() + kFileHeaderSize, file.end());
    return true;
}

HBITMAP CQtClipboard::GetBitmap()
{
    const QImage image = ClipboardImage().convertToFormat(QImage::Format_RGBA8888);
    if (image.isNull())
        return nullptr;
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(image.width()) * static_cast<std::size_t>(image.height()) * 4);
    for (int row = 0; row < image.height(); ++row)
        std::memcpy(rgba.data() + static_cast<std::size_t>(row) * image.width() * 4, image.constScanLine(row),
                    static_cast<std::size_t>(image.width()) * 4);
    return CreateBitmapFromRGBA(image.width(), image.height(), rgba);
}
