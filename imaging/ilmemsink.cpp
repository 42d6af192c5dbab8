#include "imaging/ilmemsink.h"

#include "imaging/iltextexception.h"

namespace {

// Growing by half again keeps the number of copies small for large images.
std::size_t GrownSize(std::size_t current, std::size_t needed)
{
    const std::size_t grown = current + current / 2;
    return grown > needed ? grown : needed;
}

}  // namespace

ILMemSink::~ILMemSink()
{
    ILMemSink::Close();
}

int ILMemSink::Open(const char* name, std::size_t maxSize)
{
    Close();
    m_block.reset(static_cast<std::uint8_t*>(std::malloc(maxSize > 0 ? maxSize : 1)));
    if (!m_block) {
        return -1;
    }
    ILDataSink::Open(name, m_block.get(), maxSize);
    return 0;
}

int ILMemSink::OpenW(const CString& name, std::size_t maxSize)
{
    Close();
    m_block.reset(static_cast<std::uint8_t*>(std::malloc(maxSize > 0 ? maxSize : 1)));
    if (!m_block) {
        return -1;
    }
    ILDataSink::OpenW(name, m_block.get(), maxSize);
    return 0;
}

void ILMemSink::Close()
{
    m_block.reset();
    ILDataSink::Close();
}

std::uint8_t* ILMemSink::GetBytes() const
{
    if (!m_block) {
        throw ILTextException(ILTextException::internalError, "Open was not called for CMemSink");
    }
    return m_block.get();
}

bool ILMemSink::Grow(std::size_t needed)
{
    if (!m_block) {
        return false;
    }
    const std::size_t size = GrownSize(GetMaxDataSize(), needed);
    auto* grown = static_cast<std::uint8_t*>(std::realloc(m_block.get(), size));
    if (grown == nullptr) {
        return false;
    }
    (void)m_block.release();
    m_block.reset(grown);
    SetBuffer(grown, size);
    return true;
}
