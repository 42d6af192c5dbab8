#include "app/fileheadreader.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

// The newest request and the last one answered or dropped; read and written on the
// interface thread only.
struct CFileHeadReader::State
{
    std::uint64_t request = 0;
    std::uint64_t settled = 0;
};

CFileHead ReadFileHead(const CString& path, std::size_t most)
{
    CFileHead head;
    const int fd = ::open(path.ToUtf8().c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return head;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0)
    {
        ::close(fd);
        return head;
    }
    head.size = static_cast<std::uint64_t>(info.st_size);
    head.bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(head.size, most)));
    std::size_t got = 0;
    while (got < head.bytes.size())
    {
        const ssize_t part = ::read(fd, head.bytes.data() + got, head.bytes.size() - got);
        if (part < 0 && errno == EINTR)
            continue;
        if (part <= 0)
            break;
        got += static_cast<std::size_t>(part);
    }
    ::close(fd);
    // A file that shrank meanwhile gives what it held; one that failed to read gives nothing.
    head.read = got > 0;
    head.bytes.resize(got);
    return head;
}

CFileHeadReader::CFileHeadReader() : m_state(std::make_shared<State>()) {}

CFileHeadReader::~CFileHeadReader()
{
    Cancel();
}

void CFileHeadReader::Cancel()
{
    m_state->settled = ++m_state->request;
}

bool CFileHeadReader::IsReading() const
{
    return m_state->settled != m_state->request;
}

void CFileHeadReader::Read(const CString& path, std::size_t most, Answer answer)
{
    const std::uint64_t request = ++m_state->request;
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr)
    {
        m_state->settled = request;
        return;
    }
    // The thread holds the state, not the reader: a read that ends after the reader went
    // finds a newer request and delivers nothing.
    std::thread([state = m_state, request, path, most, answer = std::move(answer), application]() mutable {
        auto head = std::make_shared<CFileHead>(ReadFileHead(path, most));
        QMetaObject::invokeMethod(
            application,
            [state = std::move(state), request, head, answer = std::move(answer)] {
                if (state->request != request)
                    return;
                state->settled = request;
                answer(*head);
            },
            Qt::QueuedConnection);
    }).detach();
}
