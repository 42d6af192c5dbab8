#pragma once
// ILAnyBmp: a bitmap whose rows lie packed, top row first, in one block of the free store.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "imaging/ilbmp.h"

class ILAnyBmp : public ILBmp
{
public:
    // 16 × 16 at 8 bits, no alpha, not grey.
    ILAnyBmp();
    explicit ILAnyBmp(const ILBmp& source);
    ILAnyBmp(const ILAnyBmp& source);
    ILAnyBmp& operator=(const ILAnyBmp& other);
    using ILBmp::operator=;
    ~ILAnyBmp() override;

    // Pixel block + palette (depths below 16) + 52 bytes for the object.
    [[nodiscard]] std::size_t GetMemUsed() const override;
    // width × depth / 8, plus one for a partial byte at 1 bit. No padding.
    [[nodiscard]] int GetBytesPerLine() const override;
    [[nodiscard]] static int BytesPerLineFor(int width, int bitsPerPixel);

protected:
    void internalCreate(int width, int height, int bitsPerPixel, bool alpha, bool greyscale) override;
    void initLineArray() override;
    void freeMembers() override;

private:
    std::unique_ptr<std::uint8_t[]> m_block;
    std::size_t m_blockSize = 0;
    std::unique_ptr<ILPixel32[]> m_ownedPalette;
};
