#include "imaging/ilresourcesource.h"

#include <string>

#include "imaging/iltextexception.h"
#include "imaging/iltrace.h"
#include "platform/resources.h"

ILResourceSource::~ILResourceSource()
{
    ILResourceSource::Close();
}

int ILResourceSource::Open(int resourceId, const char* resourceType)
{
    Close();
    const auto found = FindResource(resourceType != nullptr ? resourceType : "RCDATA", resourceId);
    if (!found) {
        ILDebugOutput(("FindResource Failed (Code " + std::to_string(resourceId) + ").\n").c_str());
        return ILTextException::fileNotFound;
    }
    ILDataSource::Open(("Resource: " + std::to_string(resourceId)).c_str(), static_cast<std::int64_t>(found->size()));
    m_current = found->data();
    return ILTextException::none;
}

void ILResourceSource::Close()
{
    ILDataSource::Close();
    m_current = nullptr;
}

const std::uint8_t* ILResourceSource::GetBufferPtr(std::int64_t minBytes)
{
    CheckAvailable(minBytes);
    return m_current;
}

const std::uint8_t* ILResourceSource::ReadNBytes(std::int64_t count)
{
    ILDataSource::ReadNBytes(count);
    const std::uint8_t* start = m_current;
    m_current += count;
    return start;
}

const std::uint8_t* ILResourceSource::ReadEverything()
{
    return m_current;
}
