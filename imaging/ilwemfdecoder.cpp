#include "imaging/ilwemfdecoder.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>

#include "imaging/ilbmp.h"
#include "imaging/ilbmplock.h"
#include "imaging/ildatasource.h"
#include "imaging/ilemfplayer.h"
#include "imaging/ilmetafilecanvas.h"
#include "imaging/iltextexception.h"
#include "imaging/ilwmfplayer.h"

namespace {

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::size_t kPlaceableBytes = 22;
constexpr int kDefaultWidth = 320;
constexpr int kDefaultHeight = 200;

const char* const kCannotLoad = "Windows Metafile functions failed to load this image.";

int Le16(const std::uint8_t* p)
{
    return static_cast<std::int16_t>(p[0] | (p[1] << 8));
}

std::uint32_t Le32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// The nearest of the palette's entries by the sum of the differences of the three colours.
std::uint8_t NearestEntry(const std::vector<ILPixel32>& palette, ILPixel32 colour)
{
    int best = 0;
    int bestDistance = 1 << 30;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const int distance = std::abs(palette[i].r - colour.r) + std::abs(palette[i].g - colour.g) +
                             std::abs(palette[i].b - colour.b);
        if (distance < bestDistance) {
            best = static_cast<int>(i);
            bestDistance = distance;
        }
    }
    return static_cast<std::uint8_t>(best);
}

}  // namespace

bool ILWEMFDecoder::IsEnhancedName(const ILDataSource& source)
{
    std::string name = source.IsWide() ? source.GetWideName()->ToUtf8() : source.GetName();
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return name.find(".EMF") != std::string::npos;
}

void ILWEMFDecoder::Open(ILDataSource& source)
{
    m_enhanced = IsEnhancedName(source);
    m_size = static_cast<std::size_t>(source.GetBytesLeft());
    m_data = source.ReadEverything();
    m_palette.clear();
    m_skipped = 0;
    m_cutShort = false;
    ILPoint size = m_enhanced ? OpenEnhanced() : OpenWindows();
    if (size.x <= 0) {
        size.x = kDefaultWidth;
    }
    if (size.y <= 0) {
        size.y = kDefaultHeight;
    }
    if (size.x > kMaxSide || size.y > kMaxSide ||
        static_cast<std::int64_t>(size.x) * size.y > std::min(kMaxPixels, ILBmp::GetMaxPixels())) {
        RaiseError(ILTextException::noMemory, "Cannot allocate memory bitmap.");
    }
    const bool palette = !m_palette.empty();
    SetBmpInfo(size, palette ? 8 : 32, ILPoint(0, 0), !palette, false);
}

ILPoint ILWEMFDecoder::OpenEnhanced()
{
    ILEMFPlayer::Header header;
    if (!ILEMFPlayer::ReadHeader(m_data, m_size, header)) {
        RaiseError(ILTextException::notSupported, kCannotLoad);
    }
    CheckComplete(header.bytes, ILEMFPlayer::FollowRecords(m_data, m_size));
    if (header.paletteEntries > 0 && header.paletteEntries < 256) {
        m_palette = ILEMFPlayer::ReadPalette(m_data, m_size);
        if (static_cast<int>(m_palette.size()) != header.paletteEntries) {
            m_palette.clear();
        }
    }
    // The frame is in hundredths of a millimetre.
    const std::int64_t width =
        (static_cast<std::int64_t>(header.frame[2]) - header.frame[0]) * kScreenWidth / (kScreenWidthMm * 100);
    const std::int64_t height =
        (static_cast<std::int64_t>(header.frame[3]) - header.frame[1]) * kScreenHeight / (kScreenHeightMm * 100);
    return ILPoint(static_cast<int>(std::clamp<std::int64_t>(width, 0, kMaxSide + 1)),
                   static_cast<int>(std::clamp<std::int64_t>(height, 0, kMaxSide + 1)));
}

ILPoint ILWEMFDecoder::OpenWindows()
{
    ILPoint size(0, 0);
    const bool placeable = m_size >= 4 && Le32(m_data) == kPlaceableKey;
    if (placeable) {
        if (m_size < kPlaceableBytes) {
            RaiseError(ILTextException::notSupported, kCannotLoad);
        }
        const int left = Le16(m_data + 6);
        const int top = Le16(m_data + 8);
        const int right = Le16(m_data + 10);
        const int bottom = Le16(m_data + 12);
        const int unitsPerInch = m_data[14] | (m_data[15] << 8);
        if (unitsPerInch > 0) {
            size = ILPoint((right - left) * kScreenDpi / unitsPerInch, (bottom - top) * kScreenDpi / unitsPerInch);
        }
        m_window[0] = left;
        m_window[1] = top;
        m_window[2] = right - left;
        m_window[3] = bottom - top;
        m_data += kPlaceableBytes;
        m_size -= kPlaceableBytes;
    }
    if (!ILWMFPlayer::HasHeader(m_data, m_size)) {
        RaiseError(ILTextException::notSupported, kCannotLoad);
    }
    CheckComplete(ILWMFPlayer::DeclaredSize(m_data, m_size), ILWMFPlayer::FollowRecords(m_data, m_size));
    if (placeable) {
        return size;
    }
    // Without the placeable header the records' window gives the size, one logical unit to
    // a pixel, shrunk to fit the screen.
    int width = 0;
    int height = 0;
    if (ILWMFPlayer::FindWindowExtent(m_data, m_size, width, height)) {
        width = std::abs(width);
        height = std::abs(height);
        const double shrink = std::min({1.0, static_cast<double>(kScreenWidth) / std::max(width, 1),
                                        static_cast<double>(kScreenHeight) / std::max(height, 1)});
        size = ILPoint(static_cast<int>(width * shrink), static_cast<int>(height * shrink));
    }
    m_window[0] = 0;
    m_window[1] = 0;
    m_window[2] = size.x > 0 ? size.x : kDefaultWidth;
    m_window[3] = size.y > 0 ? size.y : kDefaultHeight;
    return size;
}

void ILWEMFDecoder::CheckComplete(std::size_t declaredSize, ILMetafilePlayer::RecordsEnd end)
{
    // What was cut off could have covered anything drawn before the cut.
    if (m_size < declaredSize) {
        RaiseError(ILTextException::endOfData, "Metafile is shorter than its header says.");
    }
    if (end == ILMetafilePlayer::RecordsEnd::cutShort) {
        RaiseError(ILTextException::endOfData, "Metafile records end before the end record.");
    }
    if (end == ILMetafilePlayer::RecordsEnd::badSize) {
        RaiseError(ILTextException::badFormat, "Metafile record with an impossible size.");
    }
}

void ILWEMFDecoder::GetImage(ILBmp& bmp)
{
    // Playback's own limits keep its memory bounded; should the machine still run out, the
    // caller hears it as the library's error, not as an exception it does not expect.
    try {
        Play(bmp);
    } catch (const std::bad_alloc&) {
        RaiseError(ILTextException::noMemory, "Out of memory playing metafile.");
    } catch (const std::length_error&) {
        RaiseError(ILTextException::noMemory, "Out of memory playing metafile.");
    }
}

void ILWEMFDecoder::Play(ILBmp& bmp)
{
    ILMetafileCanvas canvas(GetWidth(), GetHeight());
    std::unique_ptr<ILMetafilePlayer> player;
    if (m_enhanced) {
        player = std::make_unique<ILEMFPlayer>(canvas);
    } else {
        player = std::make_unique<ILWMFPlayer>(canvas, m_window[0], m_window[1], m_window[2], m_window[3]);
    }
    m_cutShort = false;
    player->Play(m_data, m_size);
    m_skipped = player->GetSkippedCount();
    m_cutShort = canvas.IsExhausted();
    Trace(2, ("Metafile records skipped: " + std::to_string(m_skipped) + "\n").c_str());
    if (canvas.IsExhausted()) {
        Trace(2, "Metafile playback stopped: too much to draw.\n");
    }
    CopyToBitmap(canvas, bmp);
}

void ILWEMFDecoder::CopyToBitmap(const ILMetafileCanvas& canvas, ILBmp& bmp) const
{
    ILBmpLock lock(bmp, false, true);
    const int width = canvas.GetWidth();
    if (bmp.GetBitsPerPixel() == 32) {
        for (int y = 0; y < canvas.GetHeight(); ++y) {
            std::copy(canvas.GetRow(y), canvas.GetRow(y) + width, reinterpret_cast<ILPixel32*>(bmp.GetLineArray()[y]));
        }
        return;
    }
    std::vector<ILPixel32> table(256, ILPixel32(0, 0, 0, 255));
    std::copy(m_palette.begin(), m_palette.end(), table.begin());
    bmp.SetPalette(table.data());
    for (int y = 0; y < canvas.GetHeight(); ++y) {
        const ILPixel32* row = canvas.GetRow(y);
        std::uint8_t* out = bmp.GetLineArray()[y];
        ILPixel32 last = row[0];
        std::uint8_t lastIndex = NearestEntry(m_palette, last);
        for (int x = 0; x < width; ++x) {
            if (!(row[x] == last)) {
                last = row[x];
                lastIndex = NearestEntry(m_palette, last);
            }
            out[x] = lastIndex;
        }
    }
}

void ILWEMFDecoder::Close()
{
    m_data = nullptr;
    m_size = 0;
    ILPicDecoder::Close();
}
