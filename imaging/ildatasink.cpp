#include "imaging/ildatasink.h"

#include <cstring>

#include "imaging/iltextexception.h"

void ILDataSink::Open(const char* name, std::uint8_t* buffer, std::size_t maxSize)
{
    m_name = name != nullptr ? name : "";
    m_wideName.reset();
    m_buffer = buffer;
    m_maxSize = maxSize;
    m_dataSize = 0;
    m_open = true;
}

void ILDataSink::OpenW(const CString& wideName, std::uint8_t* buffer, std::size_t maxSize)
{
    Open("Wide", buffer, maxSize);
    m_wideName = wideName;
}

void ILDataSink::Close()
{
    m_name.clear();
    m_wideName.reset();
    m_buffer = nullptr;
    m_dataSize = 0;
    m_open = false;
}

std::size_t ILDataSink::WriteNBytes(std::size_t count, const void* data)
{
    MakeRoom(count);
    if (count > 0) {
        std::memcpy(m_buffer + m_dataSize, data, count);
        m_dataSize += count;
    }
    return count;
}

void ILDataSink::WriteByte(std::uint8_t byte)
{
    MakeRoom(1);
    m_buffer[m_dataSize++] = byte;
}

bool ILDataSink::Grow(std::size_t /*needed*/)
{
    return false;
}

void ILDataSink::SetBuffer(std::uint8_t* buffer, std::size_t maxSize)
{
    m_buffer = buffer;
    m_maxSize = maxSize;
}

// Close keeps the capacity, so a closed sink would otherwise look as if it had room.
void ILDataSink::MakeRoom(std::size_t count)
{
    if (!m_open) {
        throw ILTextException(ILTextException::internalError, "Write to a sink that is not open.");
    }
    const bool fits = count <= m_maxSize - m_dataSize;
    if (!fits && (count > SIZE_MAX - m_dataSize || !Grow(m_dataSize + count))) {
        throw ILTextException(ILTextException::endOfData, "Buffer overflow while encoding.\n");
    }
}
