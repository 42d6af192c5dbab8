#include "imaging/ilanybmp.h"

ILAnyBmp::ILAnyBmp()
{
    Recreate(16, 16, 8, false, false);
}

ILAnyBmp::ILAnyBmp(const ILBmp& source)
{
    InternalCopy(source);
}

ILAnyBmp::ILAnyBmp(const ILAnyBmp& source) : ILBmp()
{
    InternalCopy(source);
}

ILAnyBmp& ILAnyBmp::operator=(const ILAnyBmp& other)
{
    CreateCopy(other, 0);
    return *this;
}

ILAnyBmp::~ILAnyBmp()
{
    ILAnyBmp::freeMembers();
}

std::size_t ILAnyBmp::GetMemUsed() const
{
    std::size_t used = m_blockSize + 52;
    if (m_bitsPerPixel < 16) {
        used += 4 * (std::size_t{1} << m_bitsPerPixel);
    }
    return used;
}

int ILAnyBmp::GetBytesPerLine() const
{
    return BytesPerLineFor(m_size.x, m_bitsPerPixel);
}

int ILAnyBmp::BytesPerLineFor(int width, int bitsPerPixel)
{
    int bytes = static_cast<int>(static_cast<std::int64_t>(width) * bitsPerPixel / 8);
    if (bitsPerPixel == 1 && width % 8 != 0) {
        ++bytes;
    }
    return bytes;
}

void ILAnyBmp::internalCreate(int width, int height, int bitsPerPixel, bool alpha, bool greyscale)
{
    m_blockSize = static_cast<std::size_t>(BytesPerLineFor(width, bitsPerPixel)) * static_cast<std::size_t>(height);
    // One spare byte keeps the block valid for a 0 × 0 image.
    m_block.reset(new std::uint8_t[m_blockSize + 1]);
    if (bitsPerPixel <= 8) {
        m_ownedPalette.reset(new ILPixel32[std::size_t{1} << bitsPerPixel]);
        m_palette = m_ownedPalette.get();
    }
    Create(width, height, bitsPerPixel, alpha, greyscale);
}

void ILAnyBmp::initLineArray()
{
    const auto bytesPerLine = static_cast<std::size_t>(GetBytesPerLine());
    m_lines.resize(static_cast<std::size_t>(m_size.y));
    for (std::size_t y = 0; y < m_lines.size(); ++y) {
        m_lines[y] = m_block.get() + y * bytesPerLine;
    }
}

void ILAnyBmp::freeMembers()
{
    m_block.reset();
    m_blockSize = 0;
    m_ownedPalette.reset();
    m_palette = nullptr;
    m_lines.clear();
    m_lines.shrink_to_fit();
}
