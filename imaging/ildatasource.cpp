#include "imaging/ildatasource.h"

#include "imaging/ilprogressnotification.h"
#include "imaging/iltextexception.h"

void ILDataSource::Open(const char* name, std::int64_t fileSize)
{
    m_name = name != nullptr ? name : "";
    m_wideName.reset();
    m_fileSize = fileSize;
    m_bytesRead = 0;
    m_open = true;
}

void ILDataSource::OpenW(const CString& wideName, std::int64_t fileSize)
{
    Open("Wide", fileSize);
    m_wideName = wideName;
}

void ILDataSource::Close()
{
    if (!m_open) {
        return;
    }
    if (m_progress != nullptr) {
        m_progress->OnProgress(1.0);
    }
    m_name.clear();
    m_wideName.reset();
    m_fileSize = 0;
    m_bytesRead = 0;
    m_open = false;
}

const std::uint8_t* ILDataSource::ReadNBytes(std::int64_t count)
{
    if (count < 0 || count > GetBytesLeft()) {
        throw ILTextException(ILTextException::endOfData, "End of file reached while decoding.\n");
    }
    const std::int64_t before = m_bytesRead;
    m_bytesRead += count;
    if (m_bytesRead / 1024 > before / 1024 && m_progress != nullptr) {
        m_progress->OnProgress(static_cast<double>(m_bytesRead) / static_cast<double>(m_fileSize));
    }
    return nullptr;
}

void ILDataSource::CheckAvailable(std::int64_t count) const
{
    if (count < 0 || count > GetBytesLeft()) {
        throw ILTextException(ILTextException::endOfData, "End of file reached while decoding.");
    }
}

void ILDataSource::ReportProgress(double part)
{
    if (m_progress != nullptr) {
        m_progress->OnProgress(part);
    }
}
