#include "imaging/ilmemsource.h"

#include "imaging/iltextexception.h"

ILMemSource::~ILMemSource()
{
    ILMemSource::Close();
}

int ILMemSource::Open(const std::uint8_t* data, std::int64_t size)
{
    Close();
    if (size < 0 || (data == nullptr && size != 0)) {
        return ILTextException::internalError;
    }
    ILDataSource::Open("Mem", size);
    m_current = data;
    return ILTextException::none;
}

void ILMemSource::Close()
{
    m_current = nullptr;
    ILDataSource::Close();
}

const std::uint8_t* ILMemSource::GetBufferPtr(std::int64_t minBytes)
{
    CheckAvailable(minBytes);
    return m_current;
}

const std::uint8_t* ILMemSource::ReadNBytes(std::int64_t count)
{
    ILDataSource::ReadNBytes(count);
    const std::uint8_t* start = m_current;
    m_current += count;
    return start;
}

const std::uint8_t* ILMemSource::ReadEverything()
{
    return m_current;
}
