#pragma once
// ILWinBmp: a bitmap held as one device-independent bitmap block — a 40-byte header,
// the colour table (depths below 16) and the rows, bottom row first, each padded to a
// multiple of 4 bytes. Row 0 of the row table is the top row, the last row in memory.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "imaging/ilbmp.h"
#include "platform/bitmaphandle.h"
#include "platform/types.h"

class ILWinBmp : public ILBmp
{
public:
    static constexpr int kHeaderSize = 40;

    // 16 × 16 at 8 bits, no alpha, not grey.
    ILWinBmp();
    explicit ILWinBmp(const ILBmp& source);
    ILWinBmp(const ILWinBmp& source);
    ILWinBmp& operator=(const ILWinBmp& other);
    using ILBmp::operator=;
    ~ILWinBmp() override;

    // The block plus 56 bytes for the object.
    [[nodiscard]] std::size_t GetMemUsed() const override;
    // width × depth / 8 (plus one for a partial byte at 1 bit), rounded up to a multiple of 4.
    [[nodiscard]] int GetBytesPerLine() const override;
    [[nodiscard]] static int BytesPerLineFor(int width, int bitsPerPixel);

    // Takes a copy of a DIB of `size` bytes: header, colour table, rows. A shorter colour
    // table (colours used below 2^depth) is widened to the full one. Throws ILTextException
    // badFormat for a header other than the 40-byte uncompressed one with a positive size and a
    // depth of 1, 8, 16, 24 or 32, or for a DIB shorter than its header says; noMemory for an
    // image beyond kMaxPixels. The bitmap has no alpha and is not grey.
    virtual void CreateFromDIB(const std::uint8_t* dib, std::size_t size);
    // The same, then at depths up to 8 the first `count` palette entries take the given colours
    // with alpha 0.
    void CreateFromDIBWithPalette(const std::uint8_t* dib, std::size_t size, const ILPixel32* palette, int count);
    // The embedded resource of type "BITMAP" with this id. Throws ILTextException fileNotFound
    // when there is none, and what CreateFromDIB throws.
    virtual void CreateFromResource(int resourceId);
    // A copy of the whole block, for handing the DIB on.
    [[nodiscard]] virtual std::vector<std::uint8_t> CopyToGlobalMemory() const;
    // The window-system bitmap's pixels at 32 bits, no alpha, not grey. Throws what
    // CreateFromData throws; ILTextException badFormat for a null handle.
    void CreateFromHBitmap(HBITMAP bitmap);
    // Puts the whole block on the clipboard as a DIB (CF_DIB); false when there is no
    // clipboard or it refuses.
    bool CopyToClipboard() const;
    // The clipboard's picture in that format (CF_BITMAP or CF_DIB, the latter with the
    // clipboard's palette when it has one); false, leaving the bitmap as it was, when the
    // format is not there, there is no clipboard or it holds no such data. Throws what
    // CreateFromDIB throws for a DIB that does not read.
    bool CreateFromClipboard(UINT format);

    // Copies the other bitmap's palette when both have depths of at most 8.
    void CopyPalette(const ILBmp& other);
    // Places the source with its memory row r on memory row y + r and its column c on column
    // x + c, clipped to both. Source pixels without alpha are copied; with alpha each colour
    // becomes (dest × (255 − a) + source × a) / 256 and the destination alpha is kept. Throws
    // ILTextException notSupported unless this bitmap is 32-bit and the source is 1, 8 or 32-bit.
    void AlphaBlt(const ILWinBmp& source, int x, int y);

    // The header, followed by the colour table and the rows.
    [[nodiscard]] const std::uint8_t* GetBMI() const { return m_dib.get(); }
    // The first row in memory: the bottom row of the image.
    [[nodiscard]] std::uint8_t* GetBits() { return m_bits; }
    [[nodiscard]] const std::uint8_t* GetBits() const { return m_bits; }
    // Formats every palette entry for the debug output, which discards it.
    void TracePalette() const;

protected:
    void internalCreate(int width, int height, int bitsPerPixel, bool alpha, bool greyscale) override;
    void initLineArray() override;
    void freeMembers() override;
    // Points the palette and the bits into the block according to its header.
    virtual void initPointers();

private:
    [[nodiscard]] static std::size_t BlockSize(int width, int height, int bitsPerPixel);

    std::unique_ptr<std::uint8_t[]> m_dib;
    std::size_t m_dibSize = 0;
    std::uint8_t* m_bits = nullptr;
};
