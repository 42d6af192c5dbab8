#pragma once
// ILWEMFDecoder: turns Windows metafiles (with or without the placeable header) and
// enhanced metafiles into pictures. The source's name decides the kind: a name containing
// ".EMF" (in any case) is read as an enhanced metafile, anything else as a Windows
// metafile. The picture's size comes from the placeable header, the enhanced header's
// frame or the records' window, on a reference screen of 96 dots per inch; the records are
// drawn by the library's own player (ILWMFPlayer, ILEMFPlayer) over white. Metafiles
// with a palette of 1 to 255 colours decode to 8 bits with that palette, all others to 32
// bits (opaque, with the alpha flag set). A metafile none of whose records can be drawn
// gives a white picture. Playback has a work budget (ILMetafileCanvas): a metafile that
// asks for more stops drawing there, and IsCutShort says so.
//
// Failures (ILTextException): notSupported when the data is not a metafile of the kind
// the name gives; endOfData when the data is
// shorter than its header declares or its records end before the end record; badFormat
// for a record whose size cannot be a record's; noMemory for a picture larger than
// kMaxSide pixels a side, kMaxPixels or ILBmp::GetMaxPixels(), and when memory runs out
// during playback.

#include <cstdint>
#include <vector>

#include "imaging/ilmetafileplayer.h"
#include "imaging/ilpicdecoder.h"
#include "imaging/ilpixel32.h"

class ILWEMFDecoder : public ILPicDecoder
{
public:
    // The reference screen: 96 dots per inch, 1920 × 1440 pixels on 508 × 381 millimetres.
    static constexpr int kScreenDpi = 96;
    static constexpr int kScreenWidth = 1920;
    static constexpr int kScreenHeight = 1440;
    static constexpr int kScreenWidthMm = 508;
    static constexpr int kScreenHeightMm = 381;
    // A few bytes of metafile can ask for any size: pictures stay within these.
    static constexpr int kMaxSide = 8192;
    static constexpr std::int64_t kMaxPixels = std::int64_t{1} << 25;

    ILWEMFDecoder() = default;
    ~ILWEMFDecoder() override = default;

    void Open(ILDataSource& source) override;
    void GetImage(ILBmp& bmp) override;
    void Close() override;

    // Records skipped by the most recent playback because the player does not draw them.
    [[nodiscard]] int GetSkippedRecords() const { return m_skipped; }
    // True when the most recent playback spent its work budget and stopped drawing.
    [[nodiscard]] bool IsCutShort() const override { return m_cutShort; }

private:
    [[nodiscard]] static bool IsEnhancedName(const ILDataSource& source);
    ILPoint OpenEnhanced();
    ILPoint OpenWindows();
    // Refuses data shorter than the size its header declares, and records that do not
    // lead to an end record.
    void CheckComplete(std::size_t declaredSize, ILMetafilePlayer::RecordsEnd end);
    // Plays the records into a canvas of the picture's size and copies it into the bitmap.
    void Play(ILBmp& bmp);
    void CopyToBitmap(const class ILMetafileCanvas& canvas, ILBmp& bmp) const;

    const std::uint8_t* m_data = nullptr;
    std::size_t m_size = 0;
    bool m_enhanced = false;
    // The logical rectangle of a Windows metafile that fills the picture.
    double m_window[4] = {0, 0, 1, 1};
    std::vector<ILPixel32> m_palette;
    int m_skipped = 0;
    bool m_cutShort = false;
};
